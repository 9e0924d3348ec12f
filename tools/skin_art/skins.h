// The skins that ship with the clock, besides the internal one.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace skin_art {

struct SkinArt {
    std::string name;  // the folder name, shown in the menu
    cairo_surface_t* face;
    cairo_surface_t* hourHand;
    cairo_surface_t* minuteHand;
    cairo_surface_t* secondHand;
    cairo_surface_t* glass;  // nullptr: the skin has no glass
    // The face and glass drawn again at twice their size (main@2x.png,
    // attach@2x.png), for screens and Scales that show them larger.
    cairo_surface_t* faceAt2x;
    cairo_surface_t* glassAt2x;
};

// Daylight: an ivory face with Roman numerals and blued hands, under glass.
SkinArt DrawDaylight();
// Station: a white railway-station face, black bars, a red second hand with a
// disc; its hands are supplied at five times their drawn size.
SkinArt DrawStation();
// Minimal: a flat charcoal disc with twelve dots and no glass.
SkinArt DrawMinimal();

}  // namespace skin_art
