// The imaging port: decoding, premultiplied-ARGB surfaces and scaled or rotated
// drawing. Windows passes each call to the GDI+ flat API; Linux draws with Cairo.
// Image, graphics and cached-bitmap objects remember the last status of their
// operations that was not Ok.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tickora::imaging {

struct Image;         // a decoded or empty image, or a bitmap
struct Graphics;      // something that draws into a bitmap or the frame
struct CachedBitmap;  // a copy of a bitmap, fast to draw unscaled
struct FrameTarget;   // the surface frames are composed on and presented from

enum class Status : int { Ok = 0, GenericError = 1, InvalidParameter = 2, OutOfMemory = 3 };

struct PointF {
    float X;
    float Y;
};

inline constexpr int kInterpolationBilinear = 3;
inline constexpr int kInterpolationHighQualityBicubic = 7;

// Whether this backend composes frames in part: Cairo composes only the damaged
// area of each frame on surfaces of the shown size; GDI+ composes whole frames
// on surfaces twice the face size.
bool ComposesDamagedAreas();

// Brings the imaging library up before the first object and down after the
// last; the token from the start goes to the stop.
std::uintptr_t StartImaging();
void StopImaging(std::uintptr_t token);

// Decoding. An object exists whenever its memory could be had (nullptr otherwise);
// a source that is missing or does not decode gives an empty image: 0 x 0, draws
// nothing, last status not Ok.
Image* CreateImageFromFile(const char16_t* fileName);
Image* CreateImageFromBytes(const void* data, std::size_t size);
// A premultiplied-ARGB bitmap with pixel memory of its own, cleared to transparent.
Image* CreateBitmap(std::int32_t width, std::int32_t height);
void DisposeImage(Image* image);
// Lets an image's pixels go until they are next drawn or read (kept losslessly
// compressed meanwhile), its size known all along: for art that has been drawn
// at the shown size and is needed again only when that size changes.
void ParkImage(Image* image);
// Hands the memory that freed pixels left unused in the heap back to the
// system: once, after pictures of a megabyte or more were decoded and parked
// (Linux). Nothing on Windows.
void ReturnFreedMemory();
// 0 when the size cannot be read.
std::uint32_t ImageWidth(Image* image);
std::uint32_t ImageHeight(Image* image);
// Returns the last status other than Ok and resets it to Ok.
Status TakeLastStatus(Image* image);

Graphics* CreateImageGraphics(Image* bitmap);
void DeleteGraphics(Graphics* graphics);
void SetInterpolationMode(Graphics* graphics, int mode);
// Every pixel (within the clip) becomes this ARGB value (0: fully transparent).
void GraphicsClear(Graphics* graphics, std::uint32_t argb);
// Limits every later drawing, clearing included, to this rectangle of pixels.
void SetClipRect(Graphics* graphics, std::int32_t x, std::int32_t y, std::int32_t width,
                 std::int32_t height);
void ResetClip(Graphics* graphics);
void DrawImageRectI(Graphics* graphics, Image* image, std::int32_t x, std::int32_t y,
                    std::int32_t width, std::int32_t height);
void DrawImageRect(Graphics* graphics, Image* image, float x, float y, float width, float height);
// The image's upper-left, upper-right and lower-left corners go to these points.
void DrawImagePoints(Graphics* graphics, Image* image, const PointF points[3]);

CachedBitmap* CreateCachedBitmap(Image* bitmap, Graphics* graphics);
void DeleteCachedBitmap(CachedBitmap* cached);
void DrawCachedBitmap(Graphics* graphics, CachedBitmap* cached, std::int32_t x, std::int32_t y);

// The frame: made as a copy of the back buffer; frames are drawn into it through
// the graphics that CreateFrameGraphics gives.
FrameTarget* CreateFrameTarget(Image* backBuffer);
Graphics* CreateFrameGraphics(FrameTarget* frame);
// Takes the frame's bitmap out of use before the graphics and images go.
void DetachFrameTarget(FrameTarget* frame);
void DeleteFrameTarget(FrameTarget* frame);

}  // namespace tickora::imaging
