#include "settings/settings.h"

#include <algorithm>
#include <string_view>

#include "settings/key_store.h"
#include "settings/registry.h"

namespace tickora {

ClockSettings clockSettings;

namespace {

constexpr RegRoot kRoot = keystore::kCurrentUser;

std::int32_t ReadNumber(const char16_t* name, std::int32_t fallback) {
    return ReadRegDword(kRoot, kSettingsKey, name, fallback);
}

bool ReadFlag(const char16_t* name, bool fallback) {
    return ReadNumber(name, fallback ? 1 : 0) != 0;
}

void WriteNumber(const char16_t* name, std::int32_t number) {
    WriteRegDword(kRoot, kSettingsKey, name, number);
}

// A name too long for the field can only come from a hand-edited value; it is
// treated as empty (the internal skin) rather than cut to a name that may exist.
void CopySkinName(const char16_t* stored) {
    const std::u16string_view name(stored);
    SetSkinName(name.size() < static_cast<std::size_t>(kSkinNameUnits) ? name : u"");
}

}  // namespace

std::int32_t DrawnScale() {
    return std::clamp(clockSettings.Scale, kMinScale, kMaxScale);
}

std::int32_t DrawnAlpha() {
    return std::clamp(clockSettings.Alpha, kMinAlpha, kMaxAlpha);
}

void SetSkinName(std::u16string_view name) {
    std::fill(std::begin(clockSettings.Skin), std::end(clockSettings.Skin), u'\0');
    name.copy(clockSettings.Skin, std::min<std::size_t>(name.size(), kSkinNameUnits - 1));
}

void LoadSettings() {
    clockSettings.PosX = ReadNumber(u"PosX", 150);
    clockSettings.PosY = ReadNumber(u"PosY", 100);
    clockSettings.Scale = ReadNumber(u"Scale", 100);
    clockSettings.Alpha = ReadNumber(u"Alpha", 100);
    CopySkinName(ReadRegString(kRoot, kSettingsKey, u"Skin", u""));
    clockSettings.Transparent = ReadFlag(u"Transparent", false);
    clockSettings.TopMost = ReadFlag(u"TopMost", false);
    clockSettings.ShowSeconds = ReadFlag(u"ShowSeconds", true);
    clockSettings.ShowGlass = ReadFlag(u"ShowGlass", true);
}

void SaveSettings(const WindowRect& windowRect) {
    WriteNumber(u"PosX", windowRect.left);
    WriteNumber(u"PosY", windowRect.top);
    WriteNumber(u"Scale", clockSettings.Scale);
    WriteNumber(u"Alpha", clockSettings.Alpha);
    WriteRegString(kRoot, kSettingsKey, u"Skin", clockSettings.Skin);
    WriteNumber(u"Transparent", clockSettings.Transparent ? 1 : 0);
    WriteNumber(u"TopMost", clockSettings.TopMost ? 1 : 0);
    WriteNumber(u"ShowSeconds", clockSettings.ShowSeconds ? 1 : 0);
    WriteNumber(u"ShowGlass", clockSettings.ShowGlass ? 1 : 0);
}

}  // namespace tickora
