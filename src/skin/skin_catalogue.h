// The skin folders that can be chosen: subfolders of Skins beside the program
// that hold a "main.png", in the platform's listing order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tickora {

inline constexpr std::uint32_t IDM_SKIN_INTERNAL = 499;
inline constexpr std::uint32_t IDM_SKIN_FIRST = 501;

struct SkinEntry {
    std::u16string name;  // the folder's name exactly as listed
    std::uint32_t id;     // 501, 502, ... without gaps
    bool current;         // name equals the Skin setting, case and all
};

std::vector<SkinEntry> ListSkins(const char16_t* currentSkin);

}  // namespace tickora
