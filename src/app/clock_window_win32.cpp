// The clock window's procedure: each message turns into one call.
#include <cstdlib>

#include "app/clock_window_win32.h"
#include "app/window_mode.h"
#include "menu/context_menu.h"
#include "render/frame.h"
#include "present/present_win32.h"
#include "settings/autostart.h"
#include "settings/settings.h"
#include "skin/files.h"
#include "skin/skin.h"

namespace tickora {
namespace {

// Logoff or shutdown: the clock comes back at the next logon, with its settings.
[[noreturn]] void EndSession(HWND window) {
    WriteAutostart(ExecutablePath().c_str());
    ReleaseSkin();
    SaveSettingsFrom(window);
    std::exit(0);
}

}  // namespace

void SaveSettingsFrom(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    SaveSettings(WindowRect{rect.left, rect.top, rect.right, rect.bottom});
}

LRESULT CALLBACK ClockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS:
            ApplyWindowMode(window, false);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_KILLFOCUS:
            HideFromTaskbar(window);
            ApplyWindowMode(window, true);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_CLOSE:
            // The window stays until its place has been saved.
            PostQuitMessage(0);
            return 0;
        case WM_ENDSESSION:
            // FALSE: the session goes on after all, and so does the clock.
            if (wParam == FALSE) return 0;
            EndSession(window);
        case WM_CONTEXTMENU:
        case WM_NCRBUTTONUP:
            ShowContextMenu(window);
            return 0;
        case WM_NCHITTEST:
            // All of the window is caption: a left drag anywhere moves it.
            return HTCAPTION;
        case WM_TIMER:
            // Re-armed after the frame, so a slow frame delays the next tick.
            KillTimer(window, wParam);
            PresentLayeredFrame(window, RenderClock());
            SetTimer(window, FRAME_TIMER, 20, nullptr);
            return 0;
        default:
            PresentLayeredFrame(window, RenderClock());
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace tickora
