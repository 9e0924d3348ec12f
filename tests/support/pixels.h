// Reads pixels back from a bitmap of the imaging port, for tests.
#pragma once

#include <cstdint>

#include "imaging/imaging.h"

namespace tickora::testing {

// Premultiplied 0xAARRGGBB of the bitmap's pixel at x, y.
std::uint32_t PixelAt(imaging::Image* bitmap, int x, int y);

inline std::uint32_t AlphaOf(std::uint32_t argb) {
    return argb >> 24;
}

}  // namespace tickora::testing
