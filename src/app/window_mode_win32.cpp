// Click-through, z-order band and taskbar button of the clock window.
#include <windows.h>
#include <shobjidl.h>

#include "app/window_mode.h"
#include "settings/settings.h"

namespace tickora {
namespace {

constexpr UINT kZOrderOnly = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOSENDCHANGING;
constexpr CLSID kTaskbarList = {
    0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
constexpr IID kTaskbarListInterface = {
    0x56FDF342, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};

}  // namespace

void ApplyWindowMode(void* window, bool losingFocus) {
    auto hwnd = static_cast<HWND>(window);
    LONG style = GetWindowLongW(hwnd, GWL_EXSTYLE);
    const bool clickThrough = ClickThroughWanted(clockSettings.Transparent, losingFocus,
                                                 [hwnd] { return GetFocus() == hwnd; });
    style = clickThrough ? (style | WS_EX_TRANSPARENT) : (style & ~WS_EX_TRANSPARENT);
    SetWindowLongW(hwnd, GWL_EXSTYLE, style);
    SetWindowPos(hwnd, clockSettings.TopMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 kZOrderOnly);
}

void HideFromTaskbar(void* window) {
    ITaskbarList* taskbar = nullptr;
    CoCreateInstance(kTaskbarList, nullptr, CLSCTX_INPROC_SERVER, kTaskbarListInterface,
                     reinterpret_cast<void**>(&taskbar));
    // Without a shell there is no taskbar list, and no button to remove.
    if (taskbar == nullptr) return;
    taskbar->HrInit();
    taskbar->DeleteTab(static_cast<HWND>(window));
    taskbar->Release();
}

}  // namespace tickora
