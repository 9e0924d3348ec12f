// Where a convex quadrilateral lies within a slab of rows: used to narrow the
// pixels a turned image can touch to bands of rows, both when it is drawn and
// when the frame works out what a moving hand changed.
#pragma once

#include <algorithm>

namespace tickora::imaging {

// The leftmost and rightmost x of the quadrilateral (corners in order round
// it) between rows top and bottom; false when it has no point there. Convex,
// so its extent within the slab lies on the edges that cross it.
inline bool QuadColumnsWithinRows(const double (&xs)[4], const double (&ys)[4], double top,
                                  double bottom, double& left, double& right) {
    left = xs[0];
    right = xs[0];
    bool found = false;
    for (int i = 0; i < 4; ++i) {
        const double ax = xs[i], ay = ys[i], bx = xs[(i + 1) % 4], by = ys[(i + 1) % 4];
        const double low = std::max(std::min(ay, by), top);
        const double high = std::min(std::max(ay, by), bottom);
        if (!(low <= high)) continue;
        for (double at : {low, high}) {
            const double t = by == ay ? 0 : std::clamp((at - ay) / (by - ay), 0.0, 1.0);
            const double x = ax + (bx - ax) * t;
            left = found ? std::min(left, x) : x;
            right = found ? std::max(right, x) : x;
            found = true;
        }
    }
    return found && left <= right;
}

}  // namespace tickora::imaging
