#include "render/fitted_surfaces.h"

#include <algorithm>
#include <cmath>

#include "imaging/quad_rows.h"
#include "render/hand_placement.h"
#include "settings/saturating.h"
#include "skin/skin.h"

namespace tickora {
namespace {

using imaging::Image;

// Pixels around a drawn hand that its resampling filter may still touch.
constexpr double kFilterReach = 2.0;

void Dispose(Image*& image) {
    imaging::DisposeImage(image);
    image = nullptr;
}

// The bare face's pixels where the background's hour and minute hands lie.
struct FacePiece {
    Image* pixels = nullptr;
    PixelRect at;
};
FacePiece faceUnderHands[2];
// A piece could not be kept (no memory): the next background draws the face anew.
bool faceLost = false;

void ReleaseFacePieces() {
    for (FacePiece& piece : faceUnderHands) {
        Dispose(piece.pixels);
        piece.at = PixelRect{};
    }
    faceLost = false;
}

// The glass as it was loaded, and what TrimGlass cut from its left and top:
// its copy at twice the size is cut to match.
struct GlassTrim {
    std::int32_t width = 0, height = 0;
    std::int32_t x = 0, y = 0;
} glassTrim;

// Drawn larger than its own size, the face (and the glass) comes from the
// skin's copy at twice the size where it has one; its size and every rule of
// the skin still come from the plain image, so only the pixels differ.
bool DrawsFromCopiesAt2x() {
    return DrawingScale() > 100;
}

Image* FaceToDraw() {
    return DrawsFromCopiesAt2x() && skinSet.faceAt2x != nullptr ? skinSet.faceAt2x : skinSet.face;
}

Image* GlassToDraw() {
    return DrawsFromCopiesAt2x() && skinSet.glassAt2x != nullptr ? skinSet.glassAt2x
                                                                 : skinSet.glass;
}

// The bare face at its drawn size, on a clear bitmap.
void DrawFace(imaging::Graphics* graphics) {
    const std::int32_t scale = DrawingScale();
    imaging::DrawImageRectI(graphics, FaceToDraw(), 0, 0, PercentOf(skinSet.faceWidth, scale),
                            PercentOf(skinSet.faceHeight, scale));
}

void ReleaseFitted() {
    imaging::DetachFrameTarget(drawingSurfaces.frame);
    imaging::DeleteCachedBitmap(drawingSurfaces.cachedBackground);
    imaging::DeleteGraphics(drawingSurfaces.frameGraphics);
    imaging::DeleteFrameTarget(drawingSurfaces.frame);
    for (Image** image :
         {&drawingSurfaces.backBuffer, &drawingSurfaces.scaledGlass, &drawingSurfaces.reducedHour,
          &drawingSurfaces.reducedMinute, &drawingSurfaces.reducedSecond}) {
        Dispose(*image);
    }
    drawingSurfaces = DrawingSurfaces{};
    ReleaseFacePieces();
}

bool HasPixels(Image* image) {
    return image != nullptr && imaging::ImageWidth(image) > 0 && imaging::ImageHeight(image) > 0;
}

// A new transparent bitmap with something drawn on it with the clock's filter;
// nullptr when its pixels cannot be had.
template <typename Draw>
Image* Layer(std::int32_t width, std::int32_t height, Draw draw) {
    if (width <= 0 || height <= 0) return nullptr;
    Image* layer = imaging::CreateBitmap(width, height);
    if (layer == nullptr || imaging::ImageWidth(layer) == 0) {
        imaging::DisposeImage(layer);
        return nullptr;
    }
    imaging::Graphics* graphics = imaging::CreateImageGraphics(layer);
    imaging::SetInterpolationMode(graphics, imaging::kInterpolationHighQualityBicubic);
    draw(graphics);
    imaging::DeleteGraphics(graphics);
    return layer;
}

// The back buffer starts as the bare face at its drawn size, resampled once;
// backgrounds then only move the hands on it.
Image* FaceBackBuffer() {
    return Layer(FrameWidth(), FrameHeight(), DrawFace);
}

Image* ScaledGlass() {
    if (!HasPixels(skinSet.glass)) return nullptr;
    const GlassRect rect =
        PlaceGlass(imaging::ImageWidth(skinSet.glass), imaging::ImageHeight(skinSet.glass),
                   skinSet.faceWidth, skinSet.faceHeight, DrawingScale());
    Image* glass = GlassToDraw();
    // At its own size on whole pixels the glass itself is drawn: a plain copy.
    if (glass == skinSet.glass &&
        rect.width == static_cast<float>(imaging::ImageWidth(skinSet.glass)) &&
        rect.height == static_cast<float>(imaging::ImageHeight(skinSet.glass)) &&
        rect.x == std::trunc(rect.x) && rect.y == std::trunc(rect.y)) {
        return nullptr;
    }
    return Layer(FrameWidth(), FrameHeight(), [&](imaging::Graphics* graphics) {
        imaging::DrawImageRect(graphics, glass, rect.x, rect.y, rect.width, rect.height);
    });
}

// A hand image resampled once to `times` its drawn size. The hand keeps its
// geometry, which comes from the slot: the copy is mapped onto the same corners.
Image* ResampledHand(Image* hand, double times) {
    const double drawn = DrawingScale() * HandLengthFactor * 0.01 * times;
    const auto width =
        std::max(static_cast<std::int32_t>(std::lround(imaging::ImageWidth(hand) * drawn)), 1);
    const auto height =
        std::max(static_cast<std::int32_t>(std::lround(imaging::ImageHeight(hand) * drawn)), 1);
    return Layer(width, height, [&](imaging::Graphics* graphics) {
        imaging::DrawImageRectI(graphics, hand, 0, 0, width, height);
    });
}

// An hour or minute hand drawn at less than half its image's size is reduced
// once to twice its drawn size, so a background reads a few pixels per pixel
// drawn, however large the image.
Image* ReducedHand(Image* hand) {
    if (!HasPixels(hand) || DrawingScale() * HandLengthFactor * 0.01 * 2 >= 1.0) return nullptr;
    return ResampledHand(hand, 2);
}

// The second hand is drawn every frame: resampled once to its drawn size, so
// that each frame only turns it, a cheap bilinear step at one to one.
Image* ScaledSecondHand(Image* hand) {
    return HasPixels(hand) ? ResampledHand(hand, 1) : nullptr;
}

// Pixels beyond the shown ones that resampling may still read.
constexpr std::int32_t kTrimMargin = 16;

// Replaces the image by its width x height pixels from (x, y) on.
void Crop(Image*& image, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
    if (x == 0 && y == 0 && static_cast<std::uint32_t>(width) == imaging::ImageWidth(image) &&
        static_cast<std::uint32_t>(height) == imaging::ImageHeight(image)) {
        return;
    }
    Image* cropped = Layer(width, height, [&](imaging::Graphics* graphics) {
        imaging::DrawImageRectI(graphics, image, -x, -y,
                                static_cast<std::int32_t>(imaging::ImageWidth(image)),
                                static_cast<std::int32_t>(imaging::ImageHeight(image)));
    });
    if (cropped == nullptr) return;  // keep the whole image rather than none
    Dispose(image);
    image = cropped;
}

// The glass is centred on the face at every Scale: only its middle, the face's
// size and a margin, is ever seen. An even number of pixels goes from each
// dimension, half on each side, so it stays centred to the pixel.
void TrimGlass() {
    glassTrim = GlassTrim{};
    if (!HasPixels(skinSet.glass)) return;
    const auto trim = [](std::int32_t side, std::int32_t face) {
        return std::max((side - face - 2 * kTrimMargin) / 2, 0);
    };
    const auto gw = static_cast<std::int32_t>(imaging::ImageWidth(skinSet.glass));
    const auto gh = static_cast<std::int32_t>(imaging::ImageHeight(skinSet.glass));
    const std::int32_t x = trim(gw, skinSet.faceWidth);
    const std::int32_t y = trim(gh, skinSet.faceHeight);
    Crop(skinSet.glass, x, y, gw - 2 * x, gh - 2 * y);
    // What was cut (nothing where the crop could not be made), half on each side.
    glassTrim =
        GlassTrim{gw, gh, (gw - static_cast<std::int32_t>(imaging::ImageWidth(skinSet.glass))) / 2,
                  (gh - static_cast<std::int32_t>(imaging::ImageHeight(skinSet.glass))) / 2};
}

// The skin's copies at twice the size, read the first time the face is drawn
// larger than its own size (most clocks never need them), the glass's cut as
// the glass was. A copy that cannot be cut alike is not used.
void ReadCopiesAt2x() {
    if (skinSet.at2xRead || !DrawsFromCopiesAt2x()) return;
    skinSet.at2xRead = true;
    skinSet.faceAt2x = LoadImageAt2x(u"main", static_cast<std::uint32_t>(skinSet.faceWidth),
                                     static_cast<std::uint32_t>(skinSet.faceHeight));
    if (!HasPixels(skinSet.glass) || glassTrim.width == 0) return;
    Image* glass = LoadImageAt2x(u"attach", static_cast<std::uint32_t>(glassTrim.width),
                                 static_cast<std::uint32_t>(glassTrim.height));
    if (glass == nullptr) return;
    const std::int32_t width = 2 * static_cast<std::int32_t>(imaging::ImageWidth(skinSet.glass));
    const std::int32_t height = 2 * static_cast<std::int32_t>(imaging::ImageHeight(skinSet.glass));
    Crop(glass, 2 * glassTrim.x, 2 * glassTrim.y, width, height);
    if (imaging::ImageWidth(glass) != static_cast<std::uint32_t>(width)) Dispose(glass);
    skinSet.glassAt2x = glass;
}

// A hand turns about its pivot (a third of the width, half the height) on the
// face centre: only its pixels within the face's half diagonal of the pivot
// can reach the window. x columns go from the left and 2x from the right, y
// rows from the top and y from the bottom, so the pivot keeps its place.
void TrimHand(Image*& hand) {
    if (!HasPixels(hand)) return;
    const double reach =
        std::hypot(skinSet.faceWidth, skinSet.faceHeight) / 2 / HandLengthFactor + kTrimMargin;
    const auto w = static_cast<std::int32_t>(imaging::ImageWidth(hand));
    const auto h = static_cast<std::int32_t>(imaging::ImageHeight(hand));
    const std::int32_t x = std::max(static_cast<std::int32_t>(std::floor(w / 3.0 - reach)), 0);
    const std::int32_t y = std::max(static_cast<std::int32_t>(std::floor(h / 2.0 - reach)), 0);
    Crop(hand, x, y, w - 3 * x, h - 2 * y);
}

}  // namespace

void TrimSkinImages() {
    TrimGlass();
    for (Image** hand : {&skinSet.hourHand, &skinSet.minuteHand, &skinSet.secondHand}) {
        TrimHand(*hand);
    }
}

std::int32_t FrameWidth() {
    return SaturatingMul(ScaledFaceWidth(), DeviceScale());
}

std::int32_t FrameHeight() {
    return SaturatingMul(ScaledFaceHeight(), DeviceScale());
}

bool FitDrawingSurfaces() {
    const std::int32_t scale = DrawingScale();
    if (drawingSurfaces.fittedScale == scale && drawingSurfaces.backBuffer != nullptr &&
        imaging::ImageWidth(drawingSurfaces.backBuffer) ==
            static_cast<std::uint32_t>(FrameWidth()) &&
        imaging::ImageHeight(drawingSurfaces.backBuffer) ==
            static_cast<std::uint32_t>(FrameHeight())) {
        return false;
    }
    ReleaseFitted();
    drawingSurfaces.fittedScale = scale;
    if (!HasPixels(skinSet.face)) return true;
    const bool readsCopies = !skinSet.at2xRead && DrawsFromCopiesAt2x();
    ReadCopiesAt2x();
    drawingSurfaces.backBuffer = FaceBackBuffer();
    if (drawingSurfaces.backBuffer == nullptr) return true;
    MakeFrameSurfaces();
    // The frame draws only the second hand with a filter (background and glass
    // are copies), and that hand is already at its drawn size: turning it needs
    // no finer filter than bilinear.
    imaging::SetInterpolationMode(drawingSurfaces.frameGraphics, imaging::kInterpolationBilinear);
    drawingSurfaces.scaledGlass = ScaledGlass();
    drawingSurfaces.reducedHour = ReducedHand(skinSet.hourHand);
    drawingSurfaces.reducedMinute = ReducedHand(skinSet.minuteHand);
    drawingSurfaces.reducedSecond = ScaledSecondHand(skinSet.secondHand);
    // Drawn at the shown size now, the face, the glass and the second hand are
    // needed again only at another size: their pixels are let go meanwhile.
    imaging::ParkImage(skinSet.face);
    imaging::ParkImage(skinSet.faceAt2x);
    if (drawingSurfaces.scaledGlass != nullptr) {
        imaging::ParkImage(skinSet.glass);
        imaging::ParkImage(skinSet.glassAt2x);
    }
    if (drawingSurfaces.reducedSecond != nullptr) imaging::ParkImage(skinSet.secondHand);
    // The copies' decoded pixels, a megabyte or more each, are gone now.
    if (readsCopies) imaging::ReturnFreedMemory();
    return true;
}

void RestoreFaceUnderHands(imaging::Graphics* background) {
    if (faceLost) {
        imaging::GraphicsClear(background, 0);
        DrawFace(background);
        ReleaseFacePieces();
        return;
    }
    for (const FacePiece& piece : faceUnderHands) {
        if (piece.pixels == nullptr) continue;
        const PixelRect& at = piece.at;
        imaging::SetClipRect(background, at.x, at.y, at.width, at.height);
        imaging::GraphicsClear(background, 0);
        imaging::DrawImageRectI(background, piece.pixels, at.x, at.y, at.width, at.height);
    }
    imaging::ResetClip(background);
}

void KeepFaceUnderHands(const PixelRect (&areas)[2]) {
    ReleaseFacePieces();
    for (int i = 0; i < 2; ++i) {
        const PixelRect& at = areas[i];
        if (at.Empty()) continue;
        Image* whole = drawingSurfaces.backBuffer;
        faceUnderHands[i].pixels = Layer(at.width, at.height, [&](imaging::Graphics* graphics) {
            imaging::DrawImageRectI(graphics, whole, -at.x, -at.y,
                                    static_cast<std::int32_t>(imaging::ImageWidth(whole)),
                                    static_cast<std::int32_t>(imaging::ImageHeight(whole)));
        });
        faceUnderHands[i].at = at;
        if (faceUnderHands[i].pixels == nullptr) faceLost = true;
    }
}

Image* DrawnHandImage(Image* hand) {
    Image* reduced = nullptr;
    if (hand == skinSet.hourHand) reduced = drawingSurfaces.reducedHour;
    if (hand == skinSet.minuteHand) reduced = drawingSurfaces.reducedMinute;
    if (hand == skinSet.secondHand) reduced = drawingSurfaces.reducedSecond;
    return reduced != nullptr ? reduced : hand;
}

namespace {

// The hand's parallelogram in frame pixels: its three placed corners and the
// fourth, which follows from them.
struct Corners {
    double xs[4];
    double ys[4];
};

Corners HandCorners(double turn, Image* hand) {
    const auto p = HandPoints(turn, imaging::ImageWidth(hand), imaging::ImageHeight(hand),
                              CurrentHandGeometry());
    return {{p[0].X, p[1].X, p[1].X + p[2].X - p[0].X, p[2].X},
            {p[0].Y, p[1].Y, p[1].Y + p[2].Y - p[0].Y, p[2].Y}};
}

// Whole pixels from left to right, top to bottom, within the frame; clamped
// before converting, so a wild hand cannot overflow.
PixelRect FramePixels(double left, double top, double right, double bottom) {
    const PixelRect frame{0, 0, FrameWidth(), FrameHeight()};
    auto clamp = [](double value, std::int32_t limit) {
        return static_cast<std::int32_t>(std::clamp(value, -1.0, static_cast<double>(limit) + 1));
    };
    const std::int32_t x0 = clamp(std::floor(left), frame.width);
    const std::int32_t y0 = clamp(std::floor(top), frame.height);
    return Intersection(PixelRect{x0, y0, clamp(std::ceil(right), frame.width) - x0,
                                  clamp(std::ceil(bottom), frame.height) - y0},
                        frame);
}

}  // namespace

namespace {

// The pixels the hand can touch (its filter's reach included), from its corners.
PixelRect CornerBounds(const Corners& c) {
    return FramePixels(*std::min_element(std::begin(c.xs), std::end(c.xs)) - kFilterReach,
                       *std::min_element(std::begin(c.ys), std::end(c.ys)) - kFilterReach,
                       *std::max_element(std::begin(c.xs), std::end(c.xs)) + kFilterReach,
                       *std::max_element(std::begin(c.ys), std::end(c.ys)) + kFilterReach);
}

}  // namespace

PixelRect HandBounds(double turn, Image* hand) {
    return CornerBounds(HandCorners(turn, hand));
}

PixelRect HandWithinRows(double turn, Image* hand, std::int32_t top, std::int32_t bottom) {
    const Corners c = HandCorners(turn, hand);
    double left = 0;
    double right = 0;
    if (!imaging::QuadColumnsWithinRows(c.xs, c.ys, top - kFilterReach, bottom + kFilterReach, left,
                                        right)) {
        return {};
    }
    return Intersection(FramePixels(left - kFilterReach, top, right + kFilterReach, bottom),
                        CornerBounds(c));
}

}  // namespace tickora
