#include "skin/skin_catalogue.h"

#include "skin/files.h"
#include "skin/skin.h"

namespace tickora {

std::vector<SkinEntry> ListSkins(const char16_t* currentSkin) {
    std::vector<SkinEntry> entries;
    std::u16string root;
    if (!SkinsRoot(root)) return entries;
    std::vector<std::u16string> names;
    if (!ListFolder(root, names)) return entries;

    std::uint32_t next = IDM_SKIN_FIRST;
    for (const std::u16string& name : names) {
        std::u16string path = root;
        if (!AppendPath(path, name.c_str()) || !IsFolder(path)) continue;
        if (name == u"." || name == u"..") continue;
        if (!AppendPath(path, u"main.png") || !PathExists(path)) continue;
        entries.push_back(SkinEntry{name, next++, name == currentSkin});
    }
    return entries;
}

}  // namespace tickora
