#pragma once

#include <filesystem>
#include <vector>

namespace tickora::testing {

// Drawing objects the process holds: its GDI objects on Windows (Wine always
// answers 0), the imaging backend's live objects on Linux.
long DrawingObjectCount();
// What stands behind the loaded skin's frame: its memory DC and bitmap on
// Windows, its pixels on Linux (held by the caller until LetGoOfFrameHandles).
std::vector<void*> FrameHandles();
// Whether the program still uses one of them.
bool FrameHandleInUse(void* handle);
void LetGoOfFrameHandles(const std::vector<void*>& handles);
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
