#include <windows.h>

#include "imaging/imaging_gdiplus.h"
#include "skin/skin.h"
#include "support/platform_probes.h"

namespace tickora::testing {

long DrawingObjectCount() {
    return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

std::vector<void*> FrameHandles() {
    HDC memoryDC = imaging::FrameDeviceContext(drawingSurfaces.frame);
    if (memoryDC == nullptr) return {};
    return {memoryDC, GetCurrentObject(memoryDC, OBJ_BITMAP)};
}

bool FrameHandleInUse(void* handle) {
    return GetObjectType(static_cast<HGDIOBJ>(handle)) != 0;
}

void LetGoOfFrameHandles(const std::vector<void*>&) {}

void MakeHidden(const std::filesystem::path& folder) {
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

std::vector<std::filesystem::path> IsolateSharedDataFolders() {
    return {};
}

}  // namespace tickora::testing
