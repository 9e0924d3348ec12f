#pragma once

#include <cstdint>

#include "render/imaging.h"

namespace tickora {

void PresentLayeredFrame(void* window, imaging::FrameTarget* frame, std::int32_t width,
                         std::int32_t height, std::uint8_t constantAlpha);

}  // namespace tickora
