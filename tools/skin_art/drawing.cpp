#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace skin_art {

cairo_surface_t* NewSurface(int width, int height) {
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
}

cairo_surface_t* Finish(cairo_t* cr) {
    cairo_surface_t* surface = cairo_get_target(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

void FillDisc(cairo_t* cr, double cx, double cy, double radius, Colour colour) {
    cairo_arc(cr, cx, cy, radius, 0, kTau);
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
    cairo_fill(cr);
}

void RadialLine(cairo_t* cr, double cx, double cy, double turn, double from, double to) {
    const double dx = std::sin(turn * kTau);
    const double dy = -std::cos(turn * kTau);
    cairo_move_to(cr, cx + dx * from, cy + dy * from);
    cairo_line_to(cr, cx + dx * to, cy + dy * to);
    cairo_stroke(cr);
}

void PaintRingShadow(cairo_surface_t* surface, double centre, double inner, double outer,
                     double peak, int density) {
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x) {
            const double r = std::hypot((x + 0.5) / density - centre, (y + 0.5) / density - centre);
            if (r < inner - 1 || r >= outer) continue;
            const double fade = std::clamp((outer - r) / (outer - inner), 0.0, 1.0);
            row[x] = static_cast<std::uint32_t>(std::lround(peak * fade * fade)) << 24;
        }
    }
    cairo_surface_mark_dirty(surface);
}

cairo_surface_t* DrawSheen(int size, double radius, double strength, int density) {
    cairo_surface_t* surface = NewSurface(size * density, size * density);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, density, density);
    const double c = size / 2.0;
    cairo_pattern_t* veil = cairo_pattern_create_radial(c, c, radius * 0.5, c, c, radius);
    cairo_pattern_add_color_stop_rgba(veil, 0, 0.2, 0.2, 0.2, 0.0);
    cairo_pattern_add_color_stop_rgba(veil, 1, 0.2, 0.2, 0.2, 0.10 * strength);
    cairo_arc(cr, c, c, radius, 0, kTau);
    cairo_set_source(cr, veil);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(veil);

    // The highlight: the crystal's upper part, cut by a wide ellipse.
    cairo_clip(cr);
    cairo_save(cr);
    cairo_translate(cr, c, c - radius * 0.62);
    cairo_scale(cr, 1.45, 1.0);
    cairo_arc(cr, 0, 0, radius * 0.85, 0, kTau);
    cairo_restore(cr);
    cairo_pattern_t* shine = cairo_pattern_create_linear(0, c - radius, 0, c + radius * 0.1);
    cairo_pattern_add_color_stop_rgba(shine, 0.0, 1, 1, 1, 0.45 * strength);
    cairo_pattern_add_color_stop_rgba(shine, 1.0, 1, 1, 1, 0.0);
    cairo_set_source(cr, shine);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);
    return Finish(cr);
}

cairo_surface_t* DrawStyledHand(const HandStyle& style) {
    const double k = style.supersample;
    const int width = static_cast<int>(std::lround(style.length * k));
    const int height = static_cast<int>(std::lround(style.height * k));
    cairo_surface_t* surface = NewSurface(width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, k, k);
    const double pivot = style.length / 3.0;
    const double mid = style.height / 2.0;
    const double tip = style.length - 1.0;
    cairo_set_source_rgb(cr, style.colour.r, style.colour.g, style.colour.b);

    cairo_move_to(cr, pivot - style.tail, mid - style.baseWidth / 2);
    cairo_line_to(cr, pivot, mid - style.baseWidth / 2);
    cairo_line_to(cr, tip, mid - style.tipWidth / 2);
    cairo_line_to(cr, tip, mid + style.tipWidth / 2);
    cairo_line_to(cr, pivot, mid + style.baseWidth / 2);
    cairo_line_to(cr, pivot - style.tail, mid + style.baseWidth / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    if (style.hubRadius > 0) {
        cairo_arc(cr, pivot, mid, style.hubRadius, 0, kTau);
        cairo_fill(cr);
    }
    if (style.discRadius > 0) {
        cairo_arc(cr, pivot + style.discAt, mid, style.discRadius, 0, kTau);
        cairo_fill(cr);
    }
    return Finish(cr);
}

}  // namespace skin_art
