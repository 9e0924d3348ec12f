#include "render/frame.h"

#include <algorithm>

#include "render/clock_positions.h"
#include "render/fitted_surfaces.h"
#include "render/hand_placement.h"
#include "settings/saturating.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

std::int32_t deviceScale = 1;

// What the frame handed back last holds, for the next damaged area.
struct LastFrame {
    PixelRect secondHand;   // the second hand's pixels, empty when it was not drawn
    double secondTurn = 0;  // where it stood then
    std::uint8_t constantAlpha = 0;
    bool whole = false;  // the frame holds everything it should
} lastFrame;

void RebuildBackground(const LocalTime& time) {
    imaging::Graphics* graphics = imaging::CreateImageGraphics(drawingSurfaces.backBuffer);
    imaging::SetInterpolationMode(graphics, imaging::kInterpolationHighQualityBicubic);
    const double hour = HourTurn(time);
    const double minute = StepTurn(MinuteStep(time));
    if (imaging::ComposesDamagedAreas()) {
        // The fitted back buffer already holds the face at its drawn size: the
        // hands are taken off (the face's pixels under them put back) and drawn
        // at their new places, the same pixels as a background drawn anew.
        RestoreFaceUnderHands(graphics);
        const PixelRect under[2] = {
            skinSet.hourHand != nullptr ? HandBounds(hour, skinSet.hourHand) : PixelRect{},
            skinSet.minuteHand != nullptr ? HandBounds(minute, skinSet.minuteHand) : PixelRect{}};
        KeepFaceUnderHands(under);
    } else {
        imaging::GraphicsClear(graphics, 0);
        if (skinSet.face != nullptr) {
            imaging::DrawImageRectI(graphics, skinSet.face, 0, 0,
                                    PercentOf(skinSet.faceWidth, DrawingScale()),
                                    PercentOf(skinSet.faceHeight, DrawingScale()));
        }
    }
    if (skinSet.hourHand != nullptr) DrawHand(hour, graphics, skinSet.hourHand);
    if (skinSet.minuteHand != nullptr) DrawHand(minute, graphics, skinSet.minuteHand);
    imaging::DeleteCachedBitmap(drawingSurfaces.cachedBackground);
    drawingSurfaces.cachedBackground =
        imaging::CreateCachedBitmap(drawingSurfaces.backBuffer, drawingSurfaces.frameGraphics);
    imaging::DeleteGraphics(graphics);
}

void DrawGlass(std::int32_t scale) {
    const std::uint32_t gw = imaging::ImageWidth(skinSet.glass);
    const std::uint32_t gh = imaging::ImageHeight(skinSet.glass);
    const GlassRect rect = PlaceGlass(gw, gh, skinSet.faceWidth, skinSet.faceHeight, scale);
    imaging::DrawImageRect(drawingSurfaces.frameGraphics, skinSet.glass, rect.x, rect.y, rect.width,
                           rect.height);
}

std::int32_t Scaled(std::int32_t side) {
    return PercentOf(side, DrawnScale());
}

// The whole frame, every time, on surfaces twice the face size (Windows).
Frame ComposeWholeFrame(std::int32_t tick, bool secondShown, bool glassShown) {
    imaging::Graphics* frame = drawingSurfaces.frameGraphics;
    imaging::GraphicsClear(frame, 0);
    imaging::DrawCachedBitmap(frame, drawingSurfaces.cachedBackground, 0, 0);
    if (secondShown) DrawHand(StepTurn(tick), frame, skinSet.secondHand);
    if (glassShown) DrawGlass(DrawnScale());
    const std::int32_t width = ScaledFaceWidth();
    const std::int32_t height = ScaledFaceHeight();
    const PixelRect whole{0, 0, width, height};
    return Frame{drawingSurfaces.frame, width, height, ConstantAlpha(), whole, {{whole}, 1}};
}

// The damaged rows are composed in a few bands, each only as wide as the
// second hand was or is within it: the rest of the damaged rectangle already
// shows the background under the glass. A slanted hand touches a fraction of
// its bounding box, so the copy and the glass's blend shrink with it.
constexpr std::int32_t kLeastBandRows = 24;

ChangedAreas DamagedBands(const PixelRect& damage, bool wasShown, double wasTurn, bool shown,
                          double turn) {
    ChangedAreas bands;
    const std::int32_t count = std::clamp(damage.height / kLeastBandRows, 1, ChangedAreas::kMost);
    const std::int32_t rows = (damage.height + count - 1) / count;
    for (std::int32_t top = damage.y; top < damage.y + damage.height; top += rows) {
        const std::int32_t bottom = std::min(top + rows, damage.y + damage.height);
        const PixelRect was =
            wasShown ? HandWithinRows(wasTurn, skinSet.secondHand, top, bottom) : PixelRect{};
        const PixelRect now =
            shown ? HandWithinRows(turn, skinSet.secondHand, top, bottom) : PixelRect{};
        const PixelRect band = Intersection(Union(was, now), damage);
        if (!band.Empty()) bands.areas[bands.count++] = band;
    }
    // A hand found in no band (it cannot be, short of broken geometry) leaves
    // the whole damaged rectangle to be drawn and shown.
    if (bands.count == 0) return ChangedAreas{{damage}, 1};
    return bands;
}

void DrawGlassOver(const PixelRect& shown) {
    imaging::Graphics* frame = drawingSurfaces.frameGraphics;
    if (drawingSurfaces.scaledGlass != nullptr) {
        imaging::DrawImageRectI(frame, drawingSurfaces.scaledGlass, 0, 0, shown.width,
                                shown.height);
    } else {
        DrawGlass(DrawingScale());  // at its own size: a copy
    }
}

void RestoreBackground(const PixelRect& area) {
    imaging::Graphics* frame = drawingSurfaces.frameGraphics;
    imaging::SetClipRect(frame, area.x, area.y, area.width, area.height);
    imaging::GraphicsClear(frame, 0);
    imaging::DrawCachedBitmap(frame, drawingSurfaces.cachedBackground, 0, 0);
}

// Only what changed since the last frame, on surfaces of the shown size: after
// a new background or opacity everything, otherwise where the second hand was
// and is now, with the glass above it.
std::optional<Frame> ComposeDamagedArea(std::int32_t tick, bool whole, bool secondShown,
                                        bool glassShown) {
    const PixelRect shown{0, 0, FrameWidth(), FrameHeight()};
    const std::uint8_t alpha = ConstantAlpha();
    const double turn = StepTurn(tick);
    const PixelRect second = secondShown ? HandBounds(turn, skinSet.secondHand) : PixelRect{};
    const bool everything = whole || !lastFrame.whole || alpha != lastFrame.constantAlpha;
    const PixelRect damage =
        everything ? shown : Intersection(Union(lastFrame.secondHand, second), shown);
    const LastFrame was = lastFrame;
    lastFrame = LastFrame{second, turn, alpha, true};
    if (damage.Empty()) return std::nullopt;

    imaging::Graphics* frame = drawingSurfaces.frameGraphics;
    // Nothing but the second hand moved unless everything is drawn: then only
    // the bands it was or is in change, and it is drawn once, through them all.
    const ChangedAreas bands = everything ? ChangedAreas{{damage}, 1}
                                          : DamagedBands(damage, !was.secondHand.Empty(),
                                                         was.secondTurn, secondShown, turn);
    for (const PixelRect& band : bands) RestoreBackground(band);
    imaging::SetClipRect(frame, damage.x, damage.y, damage.width, damage.height);
    if (secondShown) DrawHand(turn, frame, skinSet.secondHand);
    if (glassShown) {
        for (const PixelRect& band : bands) {
            imaging::SetClipRect(frame, band.x, band.y, band.width, band.height);
            DrawGlassOver(shown);
        }
    }
    imaging::ResetClip(drawingSurfaces.frameGraphics);
    return Frame{drawingSurfaces.frame, shown.width, shown.height, alpha, damage, bands};
}

}  // namespace

PixelRect Union(const PixelRect& a, const PixelRect& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    const std::int32_t x = std::min(a.x, b.x);
    const std::int32_t y = std::min(a.y, b.y);
    return {x, y, std::max(a.x + a.width, b.x + b.width) - x,
            std::max(a.y + a.height, b.y + b.height) - y};
}

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
    const std::int32_t x = std::max(a.x, b.x);
    const std::int32_t y = std::max(a.y, b.y);
    const std::int32_t right = std::min(a.x + a.width, b.x + b.width);
    const std::int32_t bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= x || bottom <= y) return {};
    return {x, y, right - x, bottom - y};
}

void RedrawWholeFrame() {
    lastFrame.whole = false;
}

void SetDeviceScale(std::int32_t factor) {
    deviceScale = std::clamp(factor, 1, 4);
}

std::int32_t DeviceScale() {
    return deviceScale;
}

std::int32_t DrawingScale() {
    return SaturatingMul(DrawnScale(), deviceScale);
}

std::int32_t ScaledFaceWidth() {
    return Scaled(skinSet.faceWidth);
}

std::int32_t ScaledFaceHeight() {
    return Scaled(skinSet.faceHeight);
}

std::uint8_t ConstantAlpha() {
    return static_cast<std::uint8_t>(PercentOf(255, DrawnAlpha()));
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

std::optional<Frame> RenderClock() {
    const LocalTime time = ReadLocalTime();
    const std::int32_t tick = SecondTick(time);
    if (tick == clockPositions.lastSecondTick) return std::nullopt;
    // Recorded before drawing, so a nested call within this tick returns at once.
    clockPositions.lastSecondTick = tick;

    const bool partial = imaging::ComposesDamagedAreas();
    // New surfaces (a skin or size change) hold nothing yet: the background is
    // drawn again and the whole frame composed.
    const bool refitted = partial && FitDrawingSurfaces();
    if (refitted) clockPositions.lastMinuteStep = -1;

    bool rebuilt = false;
    if (skinSet.hourHand != nullptr || skinSet.minuteHand != nullptr) {
        if (BackgroundMoved(clockPositions, time)) {
            clockPositions.lastMinuteStep = MinuteStep(time);
            clockPositions.lastHourPosition = HourPosition(time);
            if (drawingSurfaces.backBuffer != nullptr) RebuildBackground(time);
            rebuilt = true;
        }
    }
    const bool secondShown = skinSet.secondHand != nullptr && clockSettings.ShowSeconds;
    const bool glassShown = skinSet.glass != nullptr && clockSettings.ShowGlass;
    if (!rebuilt && !refitted && !secondShown && !glassShown) return std::nullopt;
    if (drawingSurfaces.frame == nullptr) return std::nullopt;

    if (!partial) return ComposeWholeFrame(tick, secondShown, glassShown);
    return ComposeDamagedArea(tick, rebuilt || refitted, secondShown, glassShown);
}

}  // namespace tickora
