// Frame composition: a cached background (face, hour and minute hands) redrawn
// when the minute hand moves, and a frame of background, second hand and glass
// presented on the clock window whenever something visible can have changed.
#pragma once

#include <cstdint>

#include "render/imaging.h"

namespace tickora {

struct GlassRect {
    float x, y, width, height;
};

// Hands the top-left width x height pixels of the frame to the window, with the
// frame's own alpha times a constant opacity (0..255).
using PresentFunction = void (*)(void* window, imaging::FrameTarget* frame, std::int32_t width,
                                 std::int32_t height, std::uint8_t constantAlpha);

// The window's presentation (a layered-window update on Windows, the GTK window's
// on Linux, a PNG in the preview tool, a recording in tests). Frames are composed
// but go nowhere until one is set.
void SetPresenter(PresentFunction present);

// The window's size for the loaded face at the drawn Scale (truncated).
std::int32_t ScaledFaceWidth();
std::int32_t ScaledFaceHeight();
// The window's constant opacity for the drawn Alpha (truncated).
std::uint8_t ConstantAlpha();
// Where a glass image of gw x gh goes on a face of W x H at this Scale: centred,
// scaled by Scale alone.
GlassRect PlaceGlass(std::uint32_t gw, std::uint32_t gh, std::int32_t faceWidth,
                     std::int32_t faceHeight, std::int32_t scale);

// One frame attempt; does nothing until the second hand's tick changes.
void RenderClock(void* window);

}  // namespace tickora
