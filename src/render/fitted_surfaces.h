// Surfaces and art fitted to the shown size, where the imaging port composes
// damaged areas only (Linux). What does not change between frames is resampled
// once per skin and drawing scale: the face at its drawn size (in the back
// buffer, under the hour and minute hands), the glass placed
// and scaled on a transparent frame-sized layer, and hands that are much larger
// than they are drawn reduced to twice their drawn size. Face and glass drawn
// larger than their own size come from the skin's copies at twice the size
// (main@2x.png, attach@2x.png) where it has them.
#pragma once

#include "render/frame.h"
#include "imaging/imaging.h"

namespace tickora {

// The frame's size in device pixels: the window's size times the device scale.
std::int32_t FrameWidth();
std::int32_t FrameHeight();

// Cuts the skin's glass and hands down to the pixels that can ever be shown:
// the glass to the face it is centred on, each hand to the circle about its
// pivot that reaches the face's corners. What is kept lands exactly where it did,
// so a huge image costs what a face-sized one does. Once, after a skin loads.
void TrimSkinImages();

// (Re)makes the surfaces and the resampled art for the current drawing scale;
// true when they were made anew (everything must then be drawn again).
bool FitDrawingSurfaces();

// The back buffer holds the bare face where the hour and minute hands were
// last drawn again (it starts as the bare face): a background then takes the
// face's pixels where the hands are next drawn (KeepFaceUnderHands), instead
// of a face-sized copy of the whole face. Where a piece could not be kept, the
// next background resamples the whole face again.
void RestoreFaceUnderHands(imaging::Graphics* background);
void KeepFaceUnderHands(const PixelRect (&areas)[2]);

// The image to draw for a hand slot: its reduced copy where there is one.
imaging::Image* DrawnHandImage(imaging::Image* hand);

// The frame pixels that a hand at this turn can touch (its filter's reach
// included), clipped to nothing outside the frame.
PixelRect HandBounds(double turn, imaging::Image* hand);
// The part of those within rows top to bottom (exclusive): a slanted hand
// touches only a narrow run of columns in each band of rows.
PixelRect HandWithinRows(double turn, imaging::Image* hand, std::int32_t top, std::int32_t bottom);

}  // namespace tickora
