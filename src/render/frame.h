// Frame composition: a cached background (face, hour and minute hands) redrawn
// when the minute hand moves, and a frame of background, second hand and glass
// composed whenever something visible can have changed. The caller presents
// what a frame attempt hands back: a layered-window update on Windows, the GTK
// window on Linux, a PNG in the preview tool.
#pragma once

#include <cstdint>
#include <optional>

#include "imaging/imaging.h"

namespace tickora {

struct GlassRect {
    float x, y, width, height;
};

// A rectangle of frame pixels: x, y inclusive, width x height of them.
struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool Empty() const { return width <= 0 || height <= 0; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The smallest rectangle holding both (an empty one adds nothing).
PixelRect Union(const PixelRect& a, const PixelRect& b);
PixelRect Intersection(const PixelRect& a, const PixelRect& b);

// The rectangles that hold every pixel a frame changed: a few bands of rows
// across a slanted second hand's path, or the damage itself.
struct ChangedAreas {
    static constexpr std::int32_t kMost = 4;
    PixelRect areas[kMost];
    std::int32_t count = 0;

    const PixelRect* begin() const { return areas; }
    const PixelRect* end() const { return areas + count; }
};

// What one frame attempt composed. The window shows the top-left width x height
// pixels of target, their own alpha times constantAlpha; only damage (within
// those) differs from the frame handed back before, and within it only changed.
struct Frame {
    imaging::FrameTarget* target = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint8_t constantAlpha = 255;
    PixelRect damage;
    ChangedAreas changed;  // within damage
};

// One frame attempt; nothing until the second hand's tick changes, and nothing
// when no pixel of the window can have changed.
std::optional<Frame> RenderClock();

// The next frame composes the whole window, not only what changed: for a
// window that lost the pixels it showed.
void RedrawWholeFrame();

// Device pixels per window unit (2 on a HiDPI screen). Frames are composed at
// the drawn Scale times this factor, so the window keeps its size and gains
// detail; a change redraws everything on the next tick. Always 1 on Windows.
void SetDeviceScale(std::int32_t factor);
std::int32_t DeviceScale();
// The Scale that everything is drawn at: the drawn Scale times the device scale.
std::int32_t DrawingScale();

// The window's size for the loaded face at the drawn Scale (truncated), in
// window units.
std::int32_t ScaledFaceWidth();
std::int32_t ScaledFaceHeight();
// The window's constant opacity for the drawn Alpha (truncated).
std::uint8_t ConstantAlpha();
// Where a glass image of gw x gh goes on a face of W x H at this Scale: centred,
// scaled by Scale alone.
GlassRect PlaceGlass(std::uint32_t gw, std::uint32_t gh, std::int32_t faceWidth,
                     std::int32_t faceHeight, std::int32_t scale);

}  // namespace tickora
