// The imaging port over the GDI+ flat API, call for call. Wrapper objects live in
// GDI+'s own memory (GdipAlloc/GdipFree) and keep the last status that was not Ok.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <new>

#include "imaging/imaging_gdiplus.h"

namespace tickora::imaging {

namespace gdip = Gdiplus::DllExports;

struct Image {
    Gdiplus::GpImage* native = nullptr;  // nullptr: empty image
    Status lastStatus = Status::Ok;
    // Encoded bytes behind a stream-made image: GDI+ may read them at any time
    // while the image lives, so they are freed only with it.
    HGLOBAL encoded = nullptr;
};

struct Graphics {
    Gdiplus::GpGraphics* native = nullptr;
    Status lastStatus = Status::Ok;
};

struct CachedBitmap {
    Gdiplus::GpCachedBitmap* native = nullptr;
    Status lastStatus = Status::Ok;
};

struct FrameTarget {
    HBITMAP frameBitmap = nullptr;
    HDC memoryDC = nullptr;
    HGDIOBJ previousBitmap = nullptr;
};

namespace {

template <typename Object>
Object* Allocate() {
    void* memory = gdip::GdipAlloc(sizeof(Object));
    return memory != nullptr ? new (memory) Object : nullptr;
}

template <typename Object>
void Free(Object* object) {
    object->~Object();
    gdip::GdipFree(object);
}

template <typename Object>
void Record(Object* object, Gdiplus::GpStatus status) {
    if (status != Gdiplus::Ok) object->lastStatus = static_cast<Status>(status);
}

Gdiplus::GpBitmap* AsBitmap(Image* image) {
    return image != nullptr ? static_cast<Gdiplus::GpBitmap*>(image->native) : nullptr;
}

Gdiplus::GpGraphics* Native(Graphics* graphics) {
    return graphics != nullptr ? graphics->native : nullptr;
}

Gdiplus::GpImage* Native(Image* image) {
    return image != nullptr ? image->native : nullptr;
}

}  // namespace

bool ComposesDamagedAreas() {
    return false;
}

std::uintptr_t StartImaging() {
    // Version 1, no debug callback, GDI+ runs its own background thread.
    const Gdiplus::GdiplusStartupInput input(nullptr, FALSE, FALSE);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    return token;
}

void StopImaging(std::uintptr_t token) {
    Gdiplus::GdiplusShutdown(token);
}

Image* CreateImageFromFile(const char16_t* fileName) {
    Image* image = Allocate<Image>();
    if (image == nullptr) return nullptr;
    Gdiplus::GpBitmap* bitmap = nullptr;
    Record(image,
           gdip::GdipCreateBitmapFromFile(reinterpret_cast<const WCHAR*>(fileName), &bitmap));
    image->native = bitmap;
    return image;
}

Image* CreateImageFromBytes(const void* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return nullptr;
    void* copy = GlobalLock(block);
    if (copy == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(copy, data, size);
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(block, FALSE, &stream) != S_OK) {
        GlobalUnlock(block);
        GlobalFree(block);
        return nullptr;
    }
    Image* image = Allocate<Image>();
    if (image != nullptr) {
        Gdiplus::GpBitmap* bitmap = nullptr;
        Record(image, gdip::GdipCreateBitmapFromStream(stream, &bitmap));
        image->native = bitmap;
    }
    stream->Release();
    GlobalUnlock(block);
    if (image == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    image->encoded = block;
    return image;
}

Image* CreateBitmap(std::int32_t width, std::int32_t height) {
    Image* image = Allocate<Image>();
    if (image == nullptr) return nullptr;
    Gdiplus::GpBitmap* bitmap = nullptr;
    Record(image, gdip::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppPARGB, nullptr,
                                                  &bitmap));
    image->native = bitmap;
    return image;
}

// GDI+ surfaces are made once per skin; nothing is parked.
void ReturnFreedMemory() {}

void DisposeImage(Image* image) {
    if (image == nullptr) return;
    gdip::GdipDisposeImage(image->native);
    if (image->encoded != nullptr) GlobalFree(image->encoded);
    Free(image);
}

// GDI+ draws every image every frame: its pixels are kept.
void ParkImage(Image*) {}

std::uint32_t ImageWidth(Image* image) {
    UINT width = 0;
    const Gdiplus::GpStatus status = gdip::GdipGetImageWidth(Native(image), &width);
    if (image != nullptr) Record(image, status);
    return width;
}

std::uint32_t ImageHeight(Image* image) {
    UINT height = 0;
    const Gdiplus::GpStatus status = gdip::GdipGetImageHeight(Native(image), &height);
    if (image != nullptr) Record(image, status);
    return height;
}

Status TakeLastStatus(Image* image) {
    if (image == nullptr) return Status::InvalidParameter;
    const Status status = image->lastStatus;
    image->lastStatus = Status::Ok;
    return status;
}

Graphics* CreateImageGraphics(Image* bitmap) {
    Graphics* graphics = Allocate<Graphics>();
    if (graphics == nullptr) return nullptr;
    Record(graphics, gdip::GdipGetImageGraphicsContext(Native(bitmap), &graphics->native));
    return graphics;
}

void DeleteGraphics(Graphics* graphics) {
    if (graphics == nullptr) return;
    gdip::GdipDeleteGraphics(graphics->native);
    Free(graphics);
}

void SetInterpolationMode(Graphics* graphics, int mode) {
    if (graphics == nullptr) return;
    Record(graphics, gdip::GdipSetInterpolationMode(graphics->native,
                                                    static_cast<Gdiplus::InterpolationMode>(mode)));
}

void GraphicsClear(Graphics* graphics, std::uint32_t argb) {
    if (graphics == nullptr) return;
    Record(graphics, gdip::GdipGraphicsClear(graphics->native, argb));
}

void SetClipRect(Graphics* graphics, std::int32_t x, std::int32_t y, std::int32_t width,
                 std::int32_t height) {
    if (graphics == nullptr) return;
    Record(graphics, gdip::GdipSetClipRectI(graphics->native, x, y, width, height,
                                            Gdiplus::CombineModeReplace));
}

void ResetClip(Graphics* graphics) {
    if (graphics == nullptr) return;
    Record(graphics, gdip::GdipResetClip(graphics->native));
}

void DrawImageRectI(Graphics* graphics, Image* image, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height) {
    if (graphics == nullptr) return;
    Record(graphics,
           gdip::GdipDrawImageRectI(graphics->native, Native(image), x, y, width, height));
}

void DrawImageRect(Graphics* graphics, Image* image, float x, float y, float width, float height) {
    if (graphics == nullptr) return;
    Record(graphics, gdip::GdipDrawImageRect(graphics->native, Native(image), x, y, width, height));
}

void DrawImagePoints(Graphics* graphics, Image* image, const PointF points[3]) {
    if (graphics == nullptr) return;
    const Gdiplus::GpPointF corners[3] = {
        {points[0].X, points[0].Y}, {points[1].X, points[1].Y}, {points[2].X, points[2].Y}};
    Record(graphics, gdip::GdipDrawImagePoints(graphics->native, Native(image), corners, 3));
}

CachedBitmap* CreateCachedBitmap(Image* bitmap, Graphics* graphics) {
    CachedBitmap* cached = Allocate<CachedBitmap>();
    if (cached == nullptr) return nullptr;
    Record(cached,
           gdip::GdipCreateCachedBitmap(AsBitmap(bitmap), Native(graphics), &cached->native));
    return cached;
}

void DeleteCachedBitmap(CachedBitmap* cached) {
    if (cached == nullptr) return;
    gdip::GdipDeleteCachedBitmap(cached->native);
    Free(cached);
}

void DrawCachedBitmap(Graphics* graphics, CachedBitmap* cached, std::int32_t x, std::int32_t y) {
    if (graphics == nullptr) return;
    Record(graphics, gdip::GdipDrawCachedBitmap(
                         graphics->native, cached != nullptr ? cached->native : nullptr, x, y));
}

FrameTarget* CreateFrameTarget(Image* backBuffer) {
    auto* frame = new (std::nothrow) FrameTarget;
    if (frame == nullptr) return nullptr;
    const Gdiplus::GpStatus status =
        gdip::GdipCreateHBITMAPFromBitmap(AsBitmap(backBuffer), &frame->frameBitmap, 0);
    if (backBuffer != nullptr) Record(backBuffer, status);
    frame->memoryDC = CreateCompatibleDC(nullptr);
    frame->previousBitmap = SelectObject(frame->memoryDC, frame->frameBitmap);
    return frame;
}

Graphics* CreateFrameGraphics(FrameTarget* frame) {
    Graphics* graphics = Allocate<Graphics>();
    if (graphics == nullptr) return nullptr;
    Record(graphics, gdip::GdipCreateFromHDC(frame != nullptr ? frame->memoryDC : nullptr,
                                             &graphics->native));
    return graphics;
}

void DetachFrameTarget(FrameTarget* frame) {
    if (frame != nullptr && frame->memoryDC != nullptr) {
        SelectObject(frame->memoryDC, frame->previousBitmap);
    }
}

void DeleteFrameTarget(FrameTarget* frame) {
    if (frame == nullptr) return;
    if (frame->memoryDC != nullptr) {
        DeleteObject(frame->frameBitmap);
        DeleteDC(frame->memoryDC);
    }
    delete frame;
}

HDC FrameDeviceContext(FrameTarget* frame) {
    return frame != nullptr ? frame->memoryDC : nullptr;
}

void* NativeImage(Image* image) {
    return Native(image);
}

}  // namespace tickora::imaging
