// The nine user settings: loaded once at start, changed in memory while the clock
// runs, written back when it ends.
#pragma once

#include <cstdint>

namespace tickora {

// Room for a skin folder name of 259 code units and its terminator.
inline constexpr int kSkinNameUnits = 260;

struct ClockSettings {
    std::int32_t PosX = 0;
    std::int32_t PosY = 0;
    std::int32_t Scale = 100;
    std::int32_t Alpha = 100;
    char16_t Skin[kSkinNameUnits] = {};
    bool Transparent = false;
    bool TopMost = false;
    bool ShowSeconds = true;
    bool ShowGlass = true;
};

// The window's rectangle in screen coordinates, as the window reports it.
struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

extern ClockSettings clockSettings;

inline constexpr const char16_t* kSettingsKey = u"Software\\Velmarck\\Tickora";

void LoadSettings();
// Writes the nine values; the position comes from the window's rectangle.
void SaveSettings(const WindowRect& windowRect);

}  // namespace tickora
