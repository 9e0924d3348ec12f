// Entry and lifetime of the Windows clock.
#include <windows.h>
#include <objbase.h>

#include "app/clock_window_win32.h"
#include "app/process.h"
#include "app/window_mode.h"
#include "render/frame.h"
#include "imaging/imaging.h"
#include "settings/autostart.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace {

using namespace tickora;

// The processor's own pi, after putting the x87 unit into its initial state
// (exceptions masked, round to nearest, 64-bit mantissa).
double ProcessorPi() {
    double value = 0;
    asm volatile("fninit\n\tfldpi\n\tfstpl %0" : "=m"(value));
    return value;
}

void SetIcon(HWND window, HINSTANCE instance, int size, WPARAM which) {
    HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(104), IMAGE_ICON, size, size, LR_VGACOLOR);
    SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CreateMutexW(nullptr, FALSE, L"TICKORA_GEHT_SCHON");
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    SetPriorityClass(GetCurrentProcess(), IDLE_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
    DeleteAutostart();
    pi = ProcessorPi();
    moduleInstance = instance;
    CoInitialize(nullptr);
    const std::uintptr_t imagingToken = imaging::StartImaging();
    LoadSettings();
    LoadSkin();

    WNDCLASSW windowClass{};
    windowClass.style = CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
    windowClass.lpfnWndProc = ClockWndProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);

    HWND window = CreateWindowExW(WS_EX_LAYERED, kWindowClass, kWindowTitle, WS_POPUP | WS_VISIBLE,
                                  clockSettings.PosX, clockSettings.PosY, ScaledFaceWidth(),
                                  ScaledFaceHeight(), nullptr, nullptr, instance, nullptr);
    if (window != nullptr) {
        SetIcon(window, instance, 32, ICON_BIG);
        SetIcon(window, instance, 16, ICON_SMALL);
        ApplyWindowMode(window, false);
        HideFromTaskbar(window);
        SetTimer(window, FRAME_TIMER, 10, nullptr);
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) != 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        SaveSettingsFrom(window);
        DestroyWindow(window);
    }
    // Without a window nothing was shown or changed: nothing is saved, and the
    // single-instance mutex goes with the process instead of locking the user out.
    UnregisterClassW(kWindowClass, instance);
    ReleaseSkin();
    imaging::StopImaging(imagingToken);
    CoUninitialize();
    return 0;
}
