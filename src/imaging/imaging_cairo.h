// What the Linux window and tools need to see of the Cairo imaging backend.
#pragma once

#include <cairo.h>

#include <cstddef>

#include "imaging/imaging.h"

namespace tickora::imaging {

// The frame's pixels (premultiplied ARGB32); owned by the frame target.
cairo_surface_t* FrameSurface(FrameTarget* frame);
// An image's decoded pixels, or nullptr for an empty image.
cairo_surface_t* ImageSurface(Image* image);
// Images, graphics, cached bitmaps and frames alive now (to find leaks).
std::size_t LiveObjectCount();

}  // namespace tickora::imaging
