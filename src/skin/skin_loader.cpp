#include <string>

#include "render/clock_positions.h"
#include "render/fitted_surfaces.h"
#include "settings/settings.h"
#include "skin/files.h"
#include "skin/resources.h"
#include "skin/skin.h"
#include "skin/skin_catalogue.h"

namespace tickora {

SkinSet skinSet;
DrawingSurfaces drawingSurfaces;
double HandLengthFactor = 1.0;

namespace {

using imaging::Image;

// The folder the loaded skin came from; empty for the internal skin.
std::u16string loadedFolder;

void Dispose(Image*& image) {
    imaging::DisposeImage(image);
    image = nullptr;
}

// A face the clock can show: decoded, and small enough for its surfaces.
bool Showable(Image* face) {
    if (face == nullptr) return false;
    const std::uint32_t width = imaging::ImageWidth(face);
    const std::uint32_t height = imaging::ImageHeight(face);
    return width > 0 && height > 0 && width <= kMaxFaceSide && height <= kMaxFaceSide;
}

// The back buffer for a face: twice its size, or where surfaces are fitted to
// each frame's size, none yet. nullptr also when the pixels cannot be had.
Image* MakeBackBuffer(Image* face) {
    if (!Showable(face) || imaging::ComposesDamagedAreas()) return nullptr;
    const auto height = static_cast<std::int32_t>(imaging::ImageHeight(face));
    const auto width = static_cast<std::int32_t>(imaging::ImageWidth(face));
    Image* backBuffer = imaging::CreateBitmap(2 * width, 2 * height);
    if (backBuffer != nullptr && imaging::ImageWidth(backBuffer) == 0) Dispose(backBuffer);
    return backBuffer;
}

// A face that loaded: its surfaces exist, or will be fitted to the first frame.
bool FaceLoaded() {
    return imaging::ComposesDamagedAreas() ? Showable(skinSet.face)
                                           : drawingSurfaces.backBuffer != nullptr;
}

// Makes the skin folder the setting names current: the one in the first skins
// root that holds it with a "main.png", as the catalogue lists it. False when
// no root does.
bool EnterSkinFolder(std::u16string& entered) {
    for (const std::u16string& root : SkinsRoots()) {
        std::u16string folder = root;
        if (!AppendPath(folder, clockSettings.Skin)) continue;
        MakeCurrentDirectory(folder);
        entered = folder;
        if (AppendPath(folder, u"main.png") && PathExists(folder)) return true;
    }
    return false;
}

bool LoadFolderSkin() {
    if (!EnterSkinFolder(loadedFolder)) return false;

    skinSet.face = imaging::CreateImageFromFile(u"main.png");
    drawingSurfaces.backBuffer = MakeBackBuffer(skinSet.face);
    if (!FaceLoaded()) {
        // Missing, undecodable or too large: the internal skin stands in.
        Dispose(skinSet.face);
        return false;
    }
    skinSet.hourHand = imaging::CreateImageFromFile(u"hour.png");
    skinSet.minuteHand = imaging::CreateImageFromFile(u"min.png");
    skinSet.secondHand = imaging::CreateImageFromFile(u"sec.png");
    skinSet.glass = imaging::CreateImageFromFile(u"attach.png");
    return true;
}

void LoadInternalSkin() {
    loadedFolder.clear();
    clockSettings.Skin[0] = u'\0';
    skinSet.face = LoadPngResource(u"MAIN");
    drawingSurfaces.backBuffer = MakeBackBuffer(skinSet.face);
    skinSet.hourHand = LoadPngResource(u"HOUR");
    skinSet.minuteHand = LoadPngResource(u"MIN");
    skinSet.secondHand = LoadPngResource(u"SEC");
    // Resource names are found without regard to case.
    skinSet.glass = LoadPngResource(u"attach");
}

double WidthOf(Image* hand) {
    return static_cast<double>(imaging::ImageWidth(hand));
}

void SetHandLengthFactor() {
    HandLengthFactor = 1.0;
    double longest = 0.0;
    if (skinSet.hourHand != nullptr) longest = WidthOf(skinSet.hourHand);
    if (skinSet.secondHand != nullptr && WidthOf(skinSet.secondHand) >= longest) {
        longest = WidthOf(skinSet.secondHand);
    }
    if (skinSet.minuteHand != nullptr && WidthOf(skinSet.minuteHand) >= longest) {
        longest = WidthOf(skinSet.minuteHand);
    }
    if (HandLengthFactor * longest > static_cast<double>(skinSet.faceWidth) * 0.6666666666666666) {
        HandLengthFactor = 0.2;
    }
}

}  // namespace

void MakeFrameSurfaces() {
    if (drawingSurfaces.backBuffer == nullptr) return;
    drawingSurfaces.frame = imaging::CreateFrameTarget(drawingSurfaces.backBuffer);
    drawingSurfaces.frameGraphics = imaging::CreateFrameGraphics(drawingSurfaces.frame);
    imaging::SetInterpolationMode(drawingSurfaces.frameGraphics,
                                  imaging::kInterpolationHighQualityBicubic);
    drawingSurfaces.cachedBackground =
        imaging::CreateCachedBitmap(drawingSurfaces.backBuffer, drawingSurfaces.frameGraphics);
}

Image* LoadPngResource(const char16_t* name) {
    const ResourceBytes resource = FindPngResource(name);
    if (resource.data == nullptr || resource.size == 0) return nullptr;
    Image* image = imaging::CreateImageFromBytes(resource.data, resource.size);
    if (image == nullptr) return nullptr;
    if (imaging::TakeLastStatus(image) != imaging::Status::Ok) {
        imaging::DisposeImage(image);
        return nullptr;
    }
    return image;
}

Image* LoadImageAt2x(const char16_t* stem, std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0) return nullptr;
    const std::u16string name(stem);
    Image* image = nullptr;
    if (loadedFolder.empty()) {
        image = LoadPngResource((name + u"@2X").c_str());
    } else {
        // By its full path: the current directory is the skin folder only
        // until something else changes it.
        std::u16string path = loadedFolder;
        if (AppendPath(path, (name + u"@2x.png").c_str()) && PathExists(path)) {
            image = imaging::CreateImageFromFile(path.c_str());
        }
    }
    if (image != nullptr &&
        (imaging::ImageWidth(image) != 2 * width || imaging::ImageHeight(image) != 2 * height)) {
        Dispose(image);  // undecodable (0 x 0) or the wrong size
    }
    return image;
}

void LoadSkin() {
    ReleaseSkin();
    if (!LoadFolderSkin()) LoadInternalSkin();
    if (FaceLoaded()) {
        skinSet.faceWidth = static_cast<std::int32_t>(imaging::ImageWidth(skinSet.face));
        skinSet.faceHeight = static_cast<std::int32_t>(imaging::ImageHeight(skinSet.face));
    }
    MakeFrameSurfaces();
    ResetClockPositions();
    SetHandLengthFactor();
    // Where surfaces follow the shown size, so do the images: after the factor,
    // which goes by the images' full widths.
    if (imaging::ComposesDamagedAreas()) TrimSkinImages();
}

void ReleaseSkin() {
    imaging::DetachFrameTarget(drawingSurfaces.frame);
    imaging::DeleteCachedBitmap(drawingSurfaces.cachedBackground);
    imaging::DeleteGraphics(drawingSurfaces.frameGraphics);
    for (Image** slot : {&skinSet.face, &skinSet.hourHand, &skinSet.minuteHand, &skinSet.secondHand,
                         &skinSet.glass, &skinSet.faceAt2x, &skinSet.glassAt2x}) {
        Dispose(*slot);
    }
    Dispose(drawingSurfaces.backBuffer);
    imaging::DeleteFrameTarget(drawingSurfaces.frame);
    for (Image** copy : {&drawingSurfaces.scaledGlass, &drawingSurfaces.reducedHour,
                         &drawingSurfaces.reducedMinute, &drawingSurfaces.reducedSecond}) {
        Dispose(*copy);
    }
    drawingSurfaces = DrawingSurfaces{};
    skinSet = SkinSet{};
    loadedFolder.clear();
}

}  // namespace tickora
