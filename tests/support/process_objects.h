#pragma once

#include <vector>

namespace tickora::testing {

// The process's count of GDI objects on Windows (Wine always answers 0); 0 where
// there is no such count.
long GdiObjectCount();
// The GDI handles behind the loaded skin's frame: memory DC and frame bitmap.
std::vector<void*> FrameGdiHandles();
// Whether a GDI handle still names a live object.
bool GdiHandleAlive(void* handle);

}  // namespace tickora::testing
