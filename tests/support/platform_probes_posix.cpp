#include "support/platform_probes.h"

#include <stdlib.h>

#include <string>

#include "skin/files.h"

namespace tickora::testing {

long GdiObjectCount() {
    return 0;
}
std::vector<void*> FrameGdiHandles() {
    return {};
}
bool GdiHandleAlive(void*) {
    return false;
}

void MakeHidden(const std::filesystem::path&) {}

std::vector<std::filesystem::path> IsolateSharedDataFolders() {
    const std::filesystem::path base = std::filesystem::path(ExecutableFolder()) / "xdg-data";
    const std::vector<std::filesystem::path> folders = {base / "home", base / "local",
                                                        base / "system"};
    // GLib reads these once per process; every call sets the same values.
    setenv("XDG_DATA_HOME", folders[0].c_str(), 1);
    // A relative entry, which the search must skip, between the two.
    const std::string dirs = folders[1].string() + ":relative-data:" + folders[2].string();
    setenv("XDG_DATA_DIRS", dirs.c_str(), 1);
    return folders;
}

}  // namespace tickora::testing
