#pragma once

#include <windows.h>

#include <optional>

#include "render/frame.h"

namespace tickora {

// Hands a composed frame to the layered window; the window keeps its position
// and takes the frame's size. Nothing when no frame was composed.
void PresentLayeredFrame(HWND window, const std::optional<Frame>& frame);

}  // namespace tickora
