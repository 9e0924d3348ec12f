// The loaded skin: five image slots and the face size, the drawing surfaces made
// for that face, and the factor applied to every hand.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/imaging.h"

namespace tickora {

// A slot is absent (nullptr) or holds an image object, which may be empty (0 x 0).
struct SkinSet {
    imaging::Image* face = nullptr;
    imaging::Image* hourHand = nullptr;
    imaging::Image* minuteHand = nullptr;
    imaging::Image* secondHand = nullptr;
    imaging::Image* glass = nullptr;
    std::int32_t faceWidth = 0;
    std::int32_t faceHeight = 0;
    // Where the face is drawn larger than its own size (Linux): the skin's
    // copies of its face and glass at twice their size, read when first needed
    // (at2xRead); nullptr where the skin has none that can be used.
    imaging::Image* faceAt2x = nullptr;
    imaging::Image* glassAt2x = nullptr;
    bool at2xRead = false;
};

// Where frames are composed. Windows: made by LoadSkin, twice the face size in
// each direction, so every Scale up to 200 fits. Where the imaging port composes
// damaged areas only (Linux) they are made by the first frame at each drawing
// scale, the shown size and no larger, together with the skin's art resampled
// once for that scale.
struct DrawingSurfaces {
    imaging::Image* backBuffer = nullptr;
    imaging::FrameTarget* frame = nullptr;  // frame bitmap, memory DC, previous bitmap
    imaging::Graphics* frameGraphics = nullptr;
    imaging::CachedBitmap* cachedBackground = nullptr;

    std::int32_t fittedScale = 0;  // the drawing scale the fitted surfaces are for; 0: none
    imaging::Image* scaledGlass = nullptr;  // the glass, placed and scaled, at the shown size
    // Hour and minute hands much larger than they are drawn, reduced once, and
    // the second hand at its drawn size; nullptr: the skin's own image.
    imaging::Image* reducedHour = nullptr;
    imaging::Image* reducedMinute = nullptr;
    imaging::Image* reducedSecond = nullptr;
};

extern SkinSet skinSet;
extern DrawingSurfaces drawingSurfaces;
// 1.0, or 0.2 when the longest hand image is wider than two thirds of the face.
extern double HandLengthFactor;

// The largest face whose surfaces the clock will make; a larger one is treated
// like a face that does not decode.
inline constexpr std::int32_t kMaxFaceSide = 4096;

// Loads the skin the Skin setting names, from the first skins root that has it
// (skin_catalogue.h), with fresh surfaces; clears the setting when it falls back
// to the internal skin; forgets what was drawn.
void LoadSkin();
// Frees everything LoadSkin made; harmless when nothing is loaded.
void ReleaseSkin();
// Makes the frame, its graphics and the cached background for the back buffer.
void MakeFrameSurfaces();
// Decodes one PNG resource of the program; nullptr when missing or undecodable.
imaging::Image* LoadPngResource(const char16_t* name);
// The loaded skin's copy at twice the size of one of its images, named after
// it ("main@2x.png" in the skin's folder for the stem "main", the resource
// "MAIN@2X" for the internal skin). nullptr when there is none, when it does
// not decode, or when it is not exactly 2 width x 2 height pixels: the plain
// image is drawn then. Only the main and attach images have such copies.
imaging::Image* LoadImageAt2x(const char16_t* stem, std::uint32_t width, std::uint32_t height);

}  // namespace tickora
