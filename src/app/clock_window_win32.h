#pragma once

#include <windows.h>

namespace tickora {

inline constexpr UINT_PTR FRAME_TIMER = 1;
inline constexpr const wchar_t* kWindowClass = L"TickoraWindowClass";
inline constexpr const wchar_t* kWindowTitle = L"Tickora";

LRESULT CALLBACK ClockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Saves the settings with the window's current place.
void SaveSettingsFrom(HWND window);

}  // namespace tickora
