// Where the clock is shown, given its stored place and the monitors there are:
// the decisions of every desktop, in desktop coordinates (logical pixels, the
// top-left of the desktop's bounding box as the desktop itself counts it).
#pragma once

#include <vector>

namespace tickora {

struct PlaceRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PlaceRect&) const = default;
};

struct PlacePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PlacePoint&) const = default;
};

// How much of the clock must be on a monitor, each way, for the clock to count
// as shown there (a clock dragged partly off the screen stays where it was
// left); the whole clock when it is smaller.
inline constexpr int kGripPixels = 48;

// The monitor holding the largest part of the clock (the first of equals), or
// -1 when none holds enough of it to be seen and grabbed.
int MonitorShowing(const std::vector<PlaceRect>& monitors, const PlaceRect& clock);
// The monitor holding a point (the first that does), or -1.
int MonitorAt(const std::vector<PlaceRect>& monitors, const PlacePoint& point);
// The monitor closest to the clock's rectangle (the first of equals); -1 when
// there are none.
int NearestMonitor(const std::vector<PlaceRect>& monitors, const PlaceRect& clock);
// The top-left that shows the clock whole on the monitor, as near to where it
// was as can be; a clock larger than the monitor keeps its top-left on it.
PlacePoint ClampOnto(const PlaceRect& monitor, const PlaceRect& clock);

// Where a clock stored at `clock` is shown and on which monitor: where it is
// stored when a monitor shows it, else whole on the nearest monitor. With no
// monitor known (-1) it is shown where it is stored.
struct ShownPlace {
    int monitor = -1;
    PlacePoint place;
};
ShownPlace PlaceToShow(const std::vector<PlaceRect>& monitors, const PlaceRect& clock);

// Layer surfaces are placed by their margins from a monitor's top-left.
PlacePoint MarginsOn(const PlaceRect& monitor, const PlacePoint& place);
PlacePoint PlaceFromMargins(const PlaceRect& monitor, const PlacePoint& margins);

}  // namespace tickora
