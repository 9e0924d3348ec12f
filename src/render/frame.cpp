#include "render/frame.h"

#include "render/clock_positions.h"
#include "render/hand_placement.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

PresentFunction presenter = nullptr;

void RebuildBackground(const LocalTime& time) {
    imaging::Graphics* graphics = imaging::CreateImageGraphics(drawingSurfaces.backBuffer);
    imaging::SetInterpolationMode(graphics, imaging::kInterpolationHighQualityBicubic);
    imaging::GraphicsClear(graphics, 0);
    if (skinSet.face != nullptr) {
        imaging::DrawImageRectI(graphics, skinSet.face, 0, 0, ScaledFaceWidth(),
                                ScaledFaceHeight());
    }
    if (skinSet.hourHand != nullptr) DrawHand(HourTurn(time), graphics, skinSet.hourHand);
    if (skinSet.minuteHand != nullptr) {
        DrawHand(StepTurn(MinuteStep(time)), graphics, skinSet.minuteHand);
    }
    imaging::DeleteCachedBitmap(drawingSurfaces.cachedBackground);
    drawingSurfaces.cachedBackground =
        imaging::CreateCachedBitmap(drawingSurfaces.backBuffer, drawingSurfaces.frameGraphics);
    imaging::DeleteGraphics(graphics);
}

void DrawGlass() {
    const std::uint32_t gw = imaging::ImageWidth(skinSet.glass);
    const std::uint32_t gh = imaging::ImageHeight(skinSet.glass);
    const GlassRect rect = PlaceGlass(gw, gh, skinSet.faceWidth, skinSet.faceHeight, DrawnScale());
    imaging::DrawImageRect(drawingSurfaces.frameGraphics, skinSet.glass, rect.x, rect.y, rect.width,
                           rect.height);
}

std::int32_t Scaled(std::int32_t side) {
    return DrawnScale() * side / 100;
}

}  // namespace

void SetPresenter(PresentFunction present) {
    presenter = present;
}

std::int32_t ScaledFaceWidth() {
    return Scaled(skinSet.faceWidth);
}

std::int32_t ScaledFaceHeight() {
    return Scaled(skinSet.faceHeight);
}

std::uint8_t ConstantAlpha() {
    return static_cast<std::uint8_t>(DrawnAlpha() * 255 / 100);
}

GlassRect PlaceGlass(std::uint32_t gw, std::uint32_t gh, std::int32_t faceWidth,
                     std::int32_t faceHeight, std::int32_t scale) {
    const double width = static_cast<double>(std::int64_t{gw} * scale) * 0.01;
    const double height = static_cast<double>(std::int64_t{gh} * scale) * 0.01;
    const double x = (static_cast<double>(std::int64_t{faceWidth} * scale) * 0.01 - width) * 0.5;
    const double y = (static_cast<double>(std::int64_t{faceHeight} * scale) * 0.01 - height) * 0.5;
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
            static_cast<float>(height)};
}

void RenderClock(void* window) {
    const LocalTime time = ReadLocalTime();
    const std::int32_t tick = SecondTick(time);
    if (tick == clockPositions.lastSecondTick) return;
    // Recorded before drawing, so a nested call within this tick returns at once.
    clockPositions.lastSecondTick = tick;

    bool rebuilt = false;
    if (skinSet.hourHand != nullptr || skinSet.minuteHand != nullptr) {
        const std::int32_t step = MinuteStep(time);
        if (step != clockPositions.lastMinuteStep) {
            clockPositions.lastMinuteStep = step;
            if (drawingSurfaces.backBuffer != nullptr) RebuildBackground(time);
            rebuilt = true;
        }
    }
    const bool secondShown = skinSet.secondHand != nullptr && clockSettings.ShowSeconds;
    const bool glassShown = skinSet.glass != nullptr && clockSettings.ShowGlass;
    if (!rebuilt && !secondShown && !glassShown) return;
    if (drawingSurfaces.frame == nullptr || presenter == nullptr) return;

    imaging::Graphics* frame = drawingSurfaces.frameGraphics;
    imaging::GraphicsClear(frame, 0);
    imaging::DrawCachedBitmap(frame, drawingSurfaces.cachedBackground, 0, 0);
    if (secondShown) DrawHand(StepTurn(tick), frame, skinSet.secondHand);
    if (glassShown) DrawGlass();

    presenter(window, drawingSurfaces.frame, ScaledFaceWidth(), ScaledFaceHeight(),
              ConstantAlpha());
}

}  // namespace tickora
