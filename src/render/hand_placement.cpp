#include "render/hand_placement.h"

#include <cmath>

#include "app/process.h"
#include "render/fitted_surfaces.h"
#include "render/frame.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {

std::array<imaging::PointF, 3> HandPoints(double turn, double w, double h,
                                          const HandGeometry& geometry) {
    // At exactly 12, 3, 6 and 9 o'clock the hand is nudged a hair clockwise, so
    // it never lies exactly along the pixel grid.
    const double quarters = turn * 4;
    if (quarters == std::trunc(quarters)) turn += 1.0 / 4096;

    const double r = turn * pi * 2 - pi * 0.5;
    const double c = std::cos(r);
    const double s = std::sin(r);
    const double cx =
        static_cast<double>(std::int64_t{geometry.faceWidth} * geometry.scale) * 0.005;
    const double cy =
        static_cast<double>(std::int64_t{geometry.faceHeight} * geometry.scale) * 0.005;
    const double length = geometry.scale * w * geometry.lengthFactor * 0.01;
    const double thickness = geometry.scale * h * geometry.lengthFactor * 0.01;

    constexpr double kThird = 0.3333333333333333;
    constexpr double kTwoThirds = 0.6666666666666666;
    const double alongX = length * c;
    const double alongY = length * s;
    const double acrossX = thickness * s * 0.5;
    const double acrossY = thickness * c * 0.5;
    return {{
        {static_cast<float>(cx - alongX * kThird + acrossX),
         static_cast<float>(cy - alongY * kThird - acrossY)},
        {static_cast<float>(cx + alongX * kTwoThirds + acrossX),
         static_cast<float>(cy + alongY * kTwoThirds - acrossY)},
        {static_cast<float>(cx - alongX * kThird - acrossX),
         static_cast<float>(cy - alongY * kThird + acrossY)},
    }};
}

HandGeometry CurrentHandGeometry() {
    return {skinSet.faceWidth, skinSet.faceHeight, DrawingScale(), HandLengthFactor};
}

void DrawHand(double turn, imaging::Graphics* target, imaging::Image* hand) {
    const double w = imaging::ImageWidth(hand);
    const double h = imaging::ImageHeight(hand);
    const auto points = HandPoints(turn, w, h, CurrentHandGeometry());
    imaging::DrawImagePoints(target, DrawnHandImage(hand), points.data());
}

}  // namespace tickora
