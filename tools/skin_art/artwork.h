// The internal skin's artwork, drawn with Cairo into premultiplied ARGB32 surfaces.
#pragma once

#include <cairo.h>

namespace skin_art {

struct HandShape {
    int width;           // image width; the pivot lies at width / 3
    double thickness;    // shaft thickness in pixels, centred on the mid-line
    bool counterweight;  // a tail with a ring behind the pivot
};

inline constexpr int kFaceSize = 290;
inline constexpr int kHandHeight = 17;
inline constexpr HandShape kHourHand{104, 9, false};
inline constexpr HandShape kMinuteHand{140, 9, false};
inline constexpr HandShape kSecondHand{162, 3, true};

// Face and glass are drawn at `density` times their size (2 for the @2x
// copies): the same drawing at a finer pixel grid, never an enlarged picture.
cairo_surface_t* DrawFace(int density = 1);
cairo_surface_t* DrawHand(const HandShape& shape);
cairo_surface_t* DrawGlass(int density = 1);
cairo_surface_t* DrawIcon(int size);

}  // namespace skin_art
