// What the Windows window code needs to see of the GDI+ imaging backend.
#pragma once

#include <windows.h>

#include "imaging/imaging.h"

namespace tickora::imaging {

// The memory device context that holds the frame bitmap: the source of each
// layered-window update.
HDC FrameDeviceContext(FrameTarget* frame);
// The GDI+ image behind an image object (GpImage*), or nullptr for an empty one.
void* NativeImage(Image* image);

}  // namespace tickora::imaging
