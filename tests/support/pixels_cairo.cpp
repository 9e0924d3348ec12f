#include "imaging/imaging_cairo.h"
#include "support/pixels.h"

namespace tickora::testing {

std::uint32_t PixelAt(imaging::Image* bitmap, int x, int y) {
    cairo_surface_t* surface = imaging::ImageSurface(bitmap);
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const std::uint32_t*>(row)[x];
}

}  // namespace tickora::testing
