#pragma once

#include <filesystem>
#include <vector>

namespace tickora::testing {

// The process's count of GDI objects on Windows (Wine always answers 0); 0 where
// there is no such count.
long GdiObjectCount();
// The GDI handles behind the loaded skin's frame: memory DC and frame bitmap.
std::vector<void*> FrameGdiHandles();
// Whether a GDI handle still names a live object.
bool GdiHandleAlive(void* handle);
// Gives a folder the platform's hidden (and on Windows also system) attribute;
// on Linux a leading dot in its name already does.
void MakeHidden(const std::filesystem::path& folder);
// Points the shared data folders that skins are searched in (SharedDataFolders)
// at folders beside this program, the same ones on every call, so that no skin
// installed on the machine shows up in a test. Returns them, most personal
// first; none on Windows. Between the last two stands "relative-data", which
// names no folder, since the search ignores relative entries.
std::vector<std::filesystem::path> IsolateSharedDataFolders();

}  // namespace tickora::testing
