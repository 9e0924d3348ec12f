// What the Linux presenters share: copying a composed frame's area into
// pixels of their own.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "render/frame.h"

namespace tickora {

// The area of `frame` into `into` (image surfaces; what lies outside either
// is left out) with the frame's constant opacity. Wayland's ARGB8888 and the X
// server's 32-bit images are premultiplied, as Cairo's frames are, so an
// opaque frame's rows are copied as they are.
void CopyFrameArea(cairo_surface_t* frame, cairo_surface_t* into, const PixelRect& area,
                   std::uint8_t alpha);

}  // namespace tickora
