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

}  // namespace tickora::testing
