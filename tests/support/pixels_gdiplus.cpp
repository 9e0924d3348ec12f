#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include "imaging/imaging_gdiplus.h"
#include "support/pixels.h"

namespace tickora::testing {

std::uint32_t PixelAt(imaging::Image* bitmap, int x, int y) {
    Gdiplus::ARGB argb = 0;
    Gdiplus::DllExports::GdipBitmapGetPixel(
        static_cast<Gdiplus::GpBitmap*>(imaging::NativeImage(bitmap)), x, y, &argb);
    // GetPixel answers in straight alpha; the tests compare alpha and positions.
    return argb;
}

}  // namespace tickora::testing
