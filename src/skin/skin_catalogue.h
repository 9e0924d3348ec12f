// Where skins are looked for, and the skin folders that can be chosen: folders
// in the skins roots that hold a "main.png".
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

// The folders that hold skin folders, searched in this order: "Skins" beside the
// program, then tickora/skins in each shared data folder (on Linux the XDG ones).
// A tool (the preview renderer) can point the search at one folder instead.
std::vector<std::u16string> SkinsRoots();
void SetSkinsRoot(std::u16string root);  // empty: the normal search

// The skins of every root; a name found in several roots is the first root's.
// One root keeps the platform's listing order; the union of several is sorted
// by name.
std::vector<SkinEntry> ListSkins(const char16_t* currentSkin);

}  // namespace tickora
