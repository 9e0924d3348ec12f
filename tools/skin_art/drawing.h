// Small Cairo helpers shared by the artwork of every skin.
#pragma once

#include <cairo.h>

namespace skin_art {

inline constexpr double kTau = 6.283185307179586;

struct Colour {
    double r, g, b;
};

cairo_surface_t* NewSurface(int width, int height);
// Ends drawing with cr and returns its target, flushed, with the reference its
// maker holds.
cairo_surface_t* Finish(cairo_t* cr);
void FillDisc(cairo_t* cr, double cx, double cy, double radius, Colour colour);
// A radial line from the centre at a turn (0 at 12 o'clock, clockwise).
void RadialLine(cairo_t* cr, double cx, double cy, double turn, double from, double to);
// A black shadow ring outside a dial: alpha falls from peak at inner to 0 at outer.
// Lengths are in drawn pixels, each density x density pixels of the surface.
void PaintRingShadow(cairo_surface_t* surface, double centre, double inner, double outer,
                     double peak, int density = 1);
// A glass: a faint veil over the whole crystal and a highlight along its top,
// drawn at density times its size.
cairo_surface_t* DrawSheen(int size, double radius, double strength, int density = 1);

// A hand lying along the image's mid-line, pointing right, its pivot at a third
// of the width. Sizes are in drawn pixels; the image is made `supersample` times
// as large (5 gives hands for the five-times rule).
struct HandStyle {
    double length;      // image width
    double height;      // image height
    double tail;        // reach behind the pivot
    double baseWidth;   // thickness at the pivot (and along the tail)
    double tipWidth;    // thickness one pixel short of the right edge
    double hubRadius;   // 0: no hub
    double discRadius;  // 0: none; else a disc at discAt from the pivot
    double discAt;
    Colour colour;
    int supersample;
};
cairo_surface_t* DrawStyledHand(const HandStyle& style);

}  // namespace skin_art
