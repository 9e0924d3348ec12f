// The nine user settings: loaded once at start, changed in memory while the clock
// runs, written back when it ends.
#pragma once

#include <cstdint>
#include <string_view>

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

// Scale and Alpha as the clock draws and presents them. Stored values outside
// the menu's range (only possible from an edited store) are kept as they are but
// drawn as the nearest end of the range, so the clock is never invisible,
// zero-sized or larger than its surfaces.
inline constexpr std::int32_t kMinScale = 20;
inline constexpr std::int32_t kMaxScale = 200;
inline constexpr std::int32_t kMinAlpha = 20;
inline constexpr std::int32_t kMaxAlpha = 100;
std::int32_t DrawnScale();
std::int32_t DrawnAlpha();

// Stores a skin folder name in the Skin setting, cut to the field's 259 units.
void SetSkinName(std::u16string_view name);

void LoadSettings();
// Writes the nine values; the position comes from the window's rectangle.
void SaveSettings(const WindowRect& windowRect);

}  // namespace tickora
