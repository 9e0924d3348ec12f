#include "present/frame_copy_cairo.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace tickora {

void CopyFrameArea(cairo_surface_t* frame, cairo_surface_t* into, const PixelRect& wanted,
                   std::uint8_t alpha) {
    const PixelRect area = Intersection(
        wanted,
        PixelRect{
            0, 0,
            std::min(cairo_image_surface_get_width(frame), cairo_image_surface_get_width(into)),
            std::min(cairo_image_surface_get_height(frame), cairo_image_surface_get_height(into))});
    if (area.Empty()) return;
    if (alpha == 255 && cairo_image_surface_get_format(frame) == CAIRO_FORMAT_ARGB32 &&
        cairo_image_surface_get_format(into) == CAIRO_FORMAT_ARGB32) {
        cairo_surface_flush(frame);
        cairo_surface_flush(into);
        const unsigned char* from = cairo_image_surface_get_data(frame);
        const int fromStride = cairo_image_surface_get_stride(frame);
        unsigned char* to = cairo_image_surface_get_data(into);
        const int toStride = cairo_image_surface_get_stride(into);
        for (int row = area.y; row < area.y + area.height; ++row) {
            std::memcpy(to + static_cast<std::size_t>(row) * toStride + area.x * 4,
                        from + static_cast<std::size_t>(row) * fromStride + area.x * 4,
                        static_cast<std::size_t>(area.width) * 4);
        }
        cairo_surface_mark_dirty_rectangle(into, area.x, area.y, area.width, area.height);
        return;
    }
    cairo_t* cr = cairo_create(into);
    cairo_rectangle(cr, area.x, area.y, area.width, area.height);
    cairo_clip(cr);
    cairo_set_source_surface(cr, frame, 0, 0);
    if (alpha == 255) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
    } else {
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_set_source_surface(cr, frame, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        cairo_paint_with_alpha(cr, alpha / 255.0);
    }
    cairo_destroy(cr);
    cairo_surface_flush(into);
}

}  // namespace tickora
