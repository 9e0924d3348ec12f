#include <windows.h>

#include "render/present_win32.h"
#include "render/imaging_gdiplus.h"

namespace tickora {

// Hands the frame to the layered window; the window keeps its position and takes
// the frame's size.
void PresentLayeredFrame(void* window, imaging::FrameTarget* frame, std::int32_t width,
                         std::int32_t height, std::uint8_t constantAlpha) {
    SIZE size{width, height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, constantAlpha, AC_SRC_ALPHA};
    UpdateLayeredWindow(static_cast<HWND>(window), nullptr, nullptr, &size,
                        imaging::FrameDeviceContext(frame), &source, 0, &blend, ULW_ALPHA);
}

}  // namespace tickora
