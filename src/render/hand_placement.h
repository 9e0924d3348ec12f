// Places a hand image about the centre of the scaled face: one affine mapping,
// handed to the imaging port as three corner points.
#pragma once

#include <array>
#include <cstdint>

#include "imaging/imaging.h"

namespace tickora {

struct HandGeometry {
    std::int32_t faceWidth;   // W
    std::int32_t faceHeight;  // H
    std::int32_t scale;       // percent
    double lengthFactor;      // HandLengthFactor
};

// The destination of the hand image's upper-left, upper-right and lower-left
// corners for a hand of w x h pixels at this turn.
std::array<imaging::PointF, 3> HandPoints(double turn, double w, double h,
                                          const HandGeometry& geometry);

// The loaded skin's face and hand factor at the drawing scale.
HandGeometry CurrentHandGeometry();

// Draws a present hand slot at this turn, with the loaded skin and settings:
// its geometry from the slot's image, its pixels from that image's reduced copy
// where the surfaces hold one.
void DrawHand(double turn, imaging::Graphics* target, imaging::Image* hand);

}  // namespace tickora
