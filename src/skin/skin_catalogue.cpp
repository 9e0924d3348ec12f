#include "skin/skin_catalogue.h"

#include <algorithm>
#include <set>

#include "skin/files.h"

namespace tickora {
namespace {

std::u16string chosenSkinsRoot;

// Adds the names of root's skin folders that no earlier root had.
void AddSkinsOf(const std::u16string& root, std::set<std::u16string>& seen,
                std::vector<std::u16string>& names) {
    std::vector<std::u16string> listed;
    if (!ListFolder(root, listed)) return;
    for (const std::u16string& name : listed) {
        std::u16string path = root;
        if (!AppendPath(path, name.c_str()) || !IsFolder(path)) continue;
        if (name == u"." || name == u"..") continue;
        if (!AppendPath(path, u"main.png") || !PathExists(path)) continue;
        if (seen.insert(name).second) names.push_back(name);
    }
}

}  // namespace

std::vector<std::u16string> SkinsRoots() {
    if (!chosenSkinsRoot.empty()) return {chosenSkinsRoot};
    std::vector<std::u16string> roots;
    std::u16string beside = ExecutableFolder();
    if (AppendPath(beside, u"Skins")) roots.push_back(beside);
    for (std::u16string folder : SharedDataFolders()) {
        if (AppendPath(folder, u"tickora") && AppendPath(folder, u"skins")) {
            roots.push_back(folder);
        }
    }
    return roots;
}

void SetSkinsRoot(std::u16string root) {
    chosenSkinsRoot = std::move(root);
}

std::vector<SkinEntry> ListSkins(const char16_t* currentSkin) {
    const std::vector<std::u16string> roots = SkinsRoots();
    std::set<std::u16string> seen;
    std::vector<std::u16string> names;
    for (const std::u16string& root : roots) AddSkinsOf(root, seen, names);
    if (roots.size() > 1) std::sort(names.begin(), names.end());

    std::vector<SkinEntry> entries;
    std::uint32_t next = IDM_SKIN_FIRST;
    for (std::u16string& name : names) {
        const bool current = name == currentSkin;
        entries.push_back(SkinEntry{std::move(name), next++, current});
    }
    return entries;
}

}  // namespace tickora
