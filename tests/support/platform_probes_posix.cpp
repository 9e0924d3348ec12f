#include <cairo.h>

#include "imaging/imaging_cairo.h"
#include "skin/skin.h"
#include "support/platform_probes.h"

#include <stdlib.h>

#include <string>

#include "skin/files.h"

namespace tickora::testing {

long DrawingObjectCount() {
    return static_cast<long>(imaging::LiveObjectCount());
}

std::vector<void*> FrameHandles() {
    cairo_surface_t* pixels = imaging::FrameSurface(drawingSurfaces.frame);
    if (pixels == nullptr) return {};
    return {cairo_surface_reference(pixels)};
}

bool FrameHandleInUse(void* handle) {
    // One reference is the caller's own.
    return cairo_surface_get_reference_count(static_cast<cairo_surface_t*>(handle)) > 1;
}

void LetGoOfFrameHandles(const std::vector<void*>& handles) {
    for (void* handle : handles) cairo_surface_destroy(static_cast<cairo_surface_t*>(handle));
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
