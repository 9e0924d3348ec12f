#include "skins.h"

#include <cmath>
#include <string_view>

#include "drawing.h"

namespace skin_art {
namespace {

constexpr Colour kInk{0.10, 0.13, 0.24};  // blued steel
constexpr Colour kBlack{0.07, 0.07, 0.07};
constexpr Colour kSignalRed{0.80, 0.09, 0.08};

// Roman numerals from strokes: I, V and X between a bar at the top and the bottom.
void DrawRoman(cairo_t* cr, std::string_view numeral, double cx, double cy, double height) {
    const double i = height * 0.22;  // advance of an I
    const double v = height * 0.55;  // width of a V or an X
    const double gap = height * 0.10;
    double width = 0;
    for (char letter : numeral) width += (letter == 'I' ? i : v) + gap;
    width -= gap;
    const double top = cy - height / 2;
    const double bottom = cy + height / 2;
    double x = cx - width / 2;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_width(cr, height * 0.11);
    cairo_move_to(cr, x - gap / 2, top);
    cairo_line_to(cr, x + width + gap / 2, top);
    cairo_move_to(cr, x - gap / 2, bottom);
    cairo_line_to(cr, x + width + gap / 2, bottom);
    cairo_stroke(cr);
    cairo_set_line_width(cr, height * 0.13);
    for (char letter : numeral) {
        if (letter == 'I') {
            cairo_move_to(cr, x + i / 2, top);
            cairo_line_to(cr, x + i / 2, bottom);
            x += i + gap;
            continue;
        }
        if (letter == 'V') {
            cairo_move_to(cr, x, top);
            cairo_line_to(cr, x + v / 2, bottom);
            cairo_line_to(cr, x + v, top);
        } else {
            cairo_move_to(cr, x, top);
            cairo_line_to(cr, x + v, bottom);
            cairo_move_to(cr, x + v, top);
            cairo_line_to(cr, x, bottom);
        }
        x += v + gap;
    }
    cairo_stroke(cr);
}

// Drawing on a new square face whose dial casts a shadow out to `outer`, at
// density times its size (coordinates stay the face's); the drawing ends with
// Finish.
cairo_t* ShadowedFace(int size, double dial, double outer, double peak, int density) {
    cairo_surface_t* surface = NewSurface(size * density, size * density);
    PaintRingShadow(surface, size / 2.0, dial, outer, peak, density);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, density, density);
    return cr;
}

// Fills a disc with a pattern and frees the pattern.
void FillDiscWith(cairo_t* cr, double c, double radius, cairo_pattern_t* paint) {
    cairo_arc(cr, c, c, radius, 0, kTau);
    cairo_set_source(cr, paint);
    cairo_fill(cr);
    cairo_pattern_destroy(paint);
}

cairo_surface_t* DaylightFace(int density) {
    constexpr double c = 150;
    cairo_t* cr = ShadowedFace(300, 140, 148, 90, density);
    FillDisc(cr, c, c, 140, {0.55, 0.42, 0.22});  // bronze rim
    cairo_pattern_t* field = cairo_pattern_create_radial(c, c - 40, 10, c, c, 136);
    cairo_pattern_add_color_stop_rgb(field, 0, 0.99, 0.98, 0.94);
    cairo_pattern_add_color_stop_rgb(field, 1, 0.93, 0.90, 0.82);
    FillDiscWith(cr, c, 135, field);

    cairo_set_source_rgb(cr, kInk.r, kInk.g, kInk.b);
    cairo_set_line_width(cr, 1.6);
    cairo_arc(cr, c, c, 130, 0, kTau);
    cairo_stroke(cr);
    for (int minute = 0; minute < 60; ++minute) {
        cairo_set_line_width(cr, minute % 5 == 0 ? 3.0 : 1.2);
        RadialLine(cr, c, c, minute / 60.0, minute % 5 == 0 ? 119 : 124, 130);
    }
    static constexpr std::string_view kNumerals[] = {"XII", "I",   "II",   "III", "IIII", "V",
                                                     "VI",  "VII", "VIII", "IX",  "X",    "XI"};
    for (int hour = 0; hour < 12; ++hour) {
        const double turn = hour / 12.0;
        DrawRoman(cr, kNumerals[hour], c + std::sin(turn * kTau) * 100,
                  c - std::cos(turn * kTau) * 100, 20);
    }
    FillDisc(cr, c, c, 6, kInk);
    return Finish(cr);
}

cairo_surface_t* StationFace(int density) {
    constexpr double c = 140;
    cairo_t* cr = ShadowedFace(280, 136, 140, 70, density);
    cairo_pattern_t* bezel = cairo_pattern_create_linear(0, 0, 2 * c, 2 * c);
    cairo_pattern_add_color_stop_rgb(bezel, 0, 0.62, 0.64, 0.66);
    cairo_pattern_add_color_stop_rgb(bezel, 1, 0.22, 0.23, 0.25);
    FillDiscWith(cr, c, 136, bezel);
    FillDisc(cr, c, c, 129, {0.98, 0.98, 0.97});

    cairo_set_source_rgb(cr, kBlack.r, kBlack.g, kBlack.b);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (int minute = 0; minute < 60; ++minute) {
        const bool hour = minute % 5 == 0;
        cairo_set_line_width(cr, hour ? 8.0 : 3.0);
        RadialLine(cr, c, c, minute / 60.0, hour ? 90 : 112, 123);
    }
    return Finish(cr);
}

cairo_surface_t* MinimalFace(int density) {
    constexpr int kSize = 240;
    constexpr double c = kSize / 2.0;
    cairo_surface_t* surface = NewSurface(kSize * density, kSize * density);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, density, density);
    FillDisc(cr, c, c, 116, {0.15, 0.16, 0.17});
    for (int hour = 0; hour < 12; ++hour) {
        const double turn = hour / 12.0;
        FillDisc(cr, c + std::sin(turn * kTau) * 101, c - std::cos(turn * kTau) * 101,
                 hour == 0 ? 4.5 : 2.8, {0.86, 0.87, 0.88});
    }
    return Finish(cr);
}

}  // namespace

SkinArt DrawDaylight() {
    // Reaches 80, 112 and 126 pixels on a dial of radius 140.
    return {"Daylight",
            DaylightFace(1),
            DrawStyledHand({120, 15, 14, 7, 2.5, 6.5, 0, 0, kInk, 1}),
            DrawStyledHand({168, 13, 18, 5.5, 2, 5.5, 0, 0, kInk, 1}),
            DrawStyledHand({189, 11, 30, 1.6, 1.2, 3.2, 4.5, -26, kInk, 1}),
            DrawSheen(300, 135, 1.0),
            DaylightFace(2),
            DrawSheen(300, 135, 1.0, 2)};
}

SkinArt DrawStation() {
    // Drawn at one fifth: reaches 80, 112 and 114 on a dial of radius 129.
    return {"Station",
            StationFace(1),
            DrawStyledHand({120, 12, 24, 11, 8, 0, 0, 0, kBlack, 5}),
            DrawStyledHand({168, 10, 30, 9, 6, 0, 0, 0, kBlack, 5}),
            DrawStyledHand({171, 15, 40, 2.4, 2.4, 3.0, 7.0, 86, kSignalRed, 5}),
            DrawSheen(272, 129, 0.6),
            StationFace(2),
            DrawSheen(272, 129, 0.6, 2)};
}

SkinArt DrawMinimal() {
    // Reaches 70, 100 and 104 on a disc of radius 116.
    constexpr Colour kWhite{0.95, 0.95, 0.95};
    return {"Minimal",
            MinimalFace(1),
            DrawStyledHand({105, 9, 0, 7, 7, 4.5, 0, 0, kWhite, 1}),
            DrawStyledHand({150, 7, 0, 5, 5, 3.5, 0, 0, kWhite, 1}),
            DrawStyledHand({156, 7, 18, 2, 2, 3.5, 0, 0, {0.98, 0.55, 0.10}, 1}),
            nullptr,
            MinimalFace(2),
            nullptr};
}

}  // namespace skin_art
