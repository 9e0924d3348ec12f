// How far an X11 window's pixels are from the preview's frame.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace tickora::linux_e2e {

// The largest difference of one byte between the preview's frame and the
// window's pixels (size x size, as XProbe::WindowPixels reads them). Under a
// compositing manager every byte counts, alpha included; without one only the
// frame's opaque pixels count, without alpha (the window is cut to shape and
// the server shows no alpha; a 24-bit window has no alpha byte). 256 when the
// preview has another size.
inline int LargestByteDifference(cairo_surface_t* expected, const std::vector<std::uint32_t>& shown,
                                 int size, bool composited) {
    if (cairo_image_surface_get_width(expected) != size ||
        shown.size() != static_cast<std::size_t>(size) * static_cast<std::size_t>(size)) {
        return 256;
    }
    int worst = 0;
    for (int y = 0; y < size; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(expected) + y * cairo_image_surface_get_stride(expected));
        for (int x = 0; x < size; ++x) {
            if (!composited && row[x] >> 24 != 0xFF) continue;
            for (int shift = 0; shift < (composited ? 32 : 24); shift += 8) {
                worst = std::max(worst,
                                 std::abs(static_cast<int>(row[x] >> shift & 0xFF) -
                                          static_cast<int>(shown[y * size + x] >> shift & 0xFF)));
            }
        }
    }
    return worst;
}

}  // namespace tickora::linux_e2e
