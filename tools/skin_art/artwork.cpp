#include "artwork.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "drawing.h"

namespace skin_art {
namespace {

constexpr double kCentre = kFaceSize / 2.0;  // the pivot of every hand
constexpr double kDialRadius = 129.0;
// A soft drop shadow around the dial, written pixel by pixel so that its extent
// is exact: alpha falls from 125 at the dial's edge to 0 near the image border.
// Distances are in face pixels, each covering density x density image pixels.
void PaintShadow(cairo_surface_t* surface, int density) {
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    constexpr double kOuter = 144.5;
    for (int y = density; y < 288 * density; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 2 * density; x < 288 * density; ++x) {
            const double r =
                std::hypot((x + 0.5) / density - kCentre, (y + 0.5) / density - kCentre);
            if (r < kDialRadius - 1 || r >= kOuter) continue;
            const double fade = std::clamp((kOuter - r) / (kOuter - kDialRadius), 0.0, 1.0);
            const auto alpha = static_cast<std::uint32_t>(std::lround(125.0 * std::pow(fade, 1.7)));
            row[x] = alpha << 24;  // black, premultiplied
        }
    }
    cairo_surface_mark_dirty(surface);
}

void FillDisc(cairo_t* cr, double radius, cairo_pattern_t* paint) {
    cairo_arc(cr, kCentre, kCentre, radius, 0, kTau);
    cairo_set_source(cr, paint);
    cairo_fill(cr);
}

cairo_pattern_t* Diagonal(double radius, double from, double to) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(
        kCentre - radius * 0.6, kCentre - radius, kCentre + radius * 0.6, kCentre + radius);
    cairo_pattern_add_color_stop_rgb(gradient, 0, from, from, from);
    cairo_pattern_add_color_stop_rgb(gradient, 1, to, to, to);
    return gradient;
}

void DrawMarks(cairo_t* cr) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (int minute = 0; minute < 60; ++minute) {
        const double angle = minute * kTau / 60.0;
        const bool hour = minute % 5 == 0;
        const double inner = hour ? 95.0 : 107.0;
        const double outer = 113.0;
        const double dx = std::sin(angle);
        const double dy = -std::cos(angle);
        if (hour) {
            const double grey = 0.93;
            cairo_set_source_rgb(cr, grey, grey, grey);
            cairo_set_line_width(cr, minute == 0 ? 7.0 : 4.5);
        } else {
            cairo_set_source_rgb(cr, 0.62, 0.62, 0.62);
            cairo_set_line_width(cr, 1.3);
        }
        cairo_move_to(cr, kCentre + dx * inner, kCentre + dy * inner);
        cairo_line_to(cr, kCentre + dx * outer, kCentre + dy * outer);
        cairo_stroke(cr);
    }
    // A dark slit turns the 12 o'clock bar into a pair.
    cairo_set_source_rgb(cr, 25 / 255.0, 25 / 255.0, 25 / 255.0);
    cairo_rectangle(cr, kCentre - 0.6, kCentre - 113.5, 1.2, 19.0);
    cairo_fill(cr);
}

}  // namespace

cairo_surface_t* DrawFace(int density) {
    cairo_surface_t* surface = NewSurface(kFaceSize * density, kFaceSize * density);
    PaintShadow(surface, density);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, density, density);

    cairo_pattern_t* bezel = Diagonal(kDialRadius, 0.93, 0.55);
    FillDisc(cr, kDialRadius, bezel);
    cairo_pattern_destroy(bezel);

    cairo_pattern_t* bevel = Diagonal(121.0, 0.45, 0.88);
    FillDisc(cr, 121.0, bevel);
    cairo_pattern_destroy(bevel);

    cairo_pattern_t* field = cairo_pattern_create_rgb(25 / 255.0, 25 / 255.0, 25 / 255.0);
    FillDisc(cr, 117.5, field);
    cairo_pattern_destroy(field);

    DrawMarks(cr);

    cairo_pattern_t* boss = Diagonal(9.0, 0.96, 0.70);
    FillDisc(cr, 9.0, boss);
    cairo_pattern_destroy(boss);

    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

cairo_surface_t* DrawHand(const HandShape& shape) {
    cairo_surface_t* surface = NewSurface(shape.width, kHandHeight);
    cairo_t* cr = cairo_create(surface);
    const double pivotX = shape.width / 3.0;
    const double mid = kHandHeight / 2.0;

    // Light from above: a touch brighter on the upper edge.
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, 0, 0, kHandHeight);
    cairo_pattern_add_color_stop_rgb(metal, 0.0, 252 / 255.0, 252 / 255.0, 252 / 255.0);
    cairo_pattern_add_color_stop_rgb(metal, 1.0, 241 / 255.0, 241 / 255.0, 241 / 255.0);
    cairo_set_source(cr, metal);

    // The shaft ends one pixel short of the right edge, on whole pixels.
    cairo_rectangle(cr, pivotX, mid - shape.thickness / 2, shape.width - 1 - pivotX,
                    shape.thickness);
    cairo_arc(cr, pivotX, mid, 7.5, 0, kTau);
    cairo_fill(cr);

    if (shape.counterweight) {
        cairo_rectangle(cr, pivotX - 26.0, mid - shape.thickness / 2, 26.0, shape.thickness);
        cairo_fill(cr);
        cairo_set_line_width(cr, 2.2);
        cairo_arc(cr, pivotX - 30.0, mid, 4.6, 0, kTau);
        cairo_stroke(cr);
    }
    cairo_pattern_destroy(metal);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

cairo_surface_t* DrawGlass(int density) {
    cairo_surface_t* surface = NewSurface(kFaceSize * density, kFaceSize * density);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, density, density);
    constexpr double kGlassRadius = 115.0;

    // The whole crystal: a faint dark veil, a little deeper at the rim.
    cairo_pattern_t* veil =
        cairo_pattern_create_radial(kCentre, kCentre, 60, kCentre, kCentre, kGlassRadius);
    cairo_pattern_add_color_stop_rgba(veil, 0, 42 / 255.0, 42 / 255.0, 42 / 255.0, 0.0);
    cairo_pattern_add_color_stop_rgba(veil, 1, 42 / 255.0, 42 / 255.0, 42 / 255.0, 0.12);
    cairo_arc(cr, kCentre, kCentre, kGlassRadius, 0, kTau);
    cairo_set_source(cr, veil);
    cairo_fill(cr);
    cairo_pattern_destroy(veil);

    // The highlight: a crescent along the top, bright above, gone by the middle.
    cairo_arc(cr, kCentre, kCentre, kGlassRadius - 2, 0, kTau);
    cairo_clip(cr);
    cairo_save(cr);
    cairo_translate(cr, kCentre, 52);
    cairo_scale(cr, 1.5, 1.0);
    cairo_arc(cr, 0, 0, 100, 0, kTau);
    cairo_restore(cr);
    cairo_pattern_t* shine = cairo_pattern_create_linear(0, kCentre - kGlassRadius, 0, 150);
    cairo_pattern_add_color_stop_rgba(shine, 0.0, 210 / 255.0, 210 / 255.0, 210 / 255.0, 0.42);
    cairo_pattern_add_color_stop_rgba(shine, 0.55, 210 / 255.0, 210 / 255.0, 210 / 255.0, 0.14);
    cairo_pattern_add_color_stop_rgba(shine, 1.0, 210 / 255.0, 210 / 255.0, 210 / 255.0, 0.0);
    cairo_set_source(cr, shine);
    cairo_fill(cr);
    cairo_pattern_destroy(shine);

    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

cairo_surface_t* DrawIcon(int size) {
    cairo_surface_t* surface = NewSurface(size, size);
    cairo_t* cr = cairo_create(surface);
    const double c = size / 2.0;
    const double r = size / 2.0 - std::max(0.5, size / 32.0);
    cairo_arc(cr, c, c, r, 0, kTau);
    cairo_set_source_rgb(cr, 0.82, 0.82, 0.82);
    cairo_fill(cr);
    cairo_arc(cr, c, c, r * 0.86, 0, kTau);
    cairo_set_source_rgb(cr, 25 / 255.0, 25 / 255.0, 25 / 255.0);
    cairo_fill(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_source_rgb(cr, 0.97, 0.97, 0.97);
    const double hands[][3] = {{10.0 / 12.0, 0.45, 0.11}, {2.0 / 12.0, 0.68, 0.08}};
    for (const auto& [turn, length, width] : hands) {
        cairo_set_line_width(cr, std::max(1.0, size * width));
        cairo_move_to(cr, c, c);
        cairo_line_to(cr, c + std::sin(turn * kTau) * r * length,
                      c - std::cos(turn * kTau) * r * length);
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

}  // namespace skin_art
