#include "present/present_win32.h"

#include "imaging/imaging_gdiplus.h"

namespace tickora {

void PresentLayeredFrame(HWND window, const std::optional<Frame>& frame) {
    if (!frame) return;
    SIZE size{frame->width, frame->height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, frame->constantAlpha, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, nullptr, nullptr, &size, imaging::FrameDeviceContext(frame->target),
                        &source, 0, &blend, ULW_ALPHA);
}

}  // namespace tickora
