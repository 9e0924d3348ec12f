// Skin loading against real skin folders, made in a Skins folder beside this
// test program (its own build folder, so nothing else uses it).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "render/clock_positions.h"
#include "render/frame.h"
#include "settings/settings.h"
#include "skin/files.h"
#include "skin/skin.h"
#include "support/png_maker.h"
#include "support/select_skin.h"
#include "support/skins_folder_test.h"

namespace tickora {
namespace {

namespace fs = std::filesystem;
using testing::MakePng;
using testing::MakeSolidPng;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

std::uint32_t Width(imaging::Image* image) {
    return imaging::ImageWidth(image);
}

class SkinLoading : public testing::SkinsFolderTest {
  protected:
    fs::path MakeSkin(const std::u16string& name, const Files& files) {
        const fs::path folder = skinsRoot / fs::path(name);
        fs::create_directories(folder);
        for (const auto& [file, bytes] : files) testing::WriteBytes(folder / file, bytes);
        return folder;
    }

    void Select(const std::u16string& name) { testing::SelectSkin(name); }

    void ExpectInternalSkin() {
        EXPECT_EQ(clockSettings.Skin[0], u'\0');
        EXPECT_EQ(skinSet.faceWidth, 290);
        EXPECT_EQ(skinSet.faceHeight, 290);
        for (imaging::Image* slot : {skinSet.face, skinSet.hourHand, skinSet.minuteHand,
                                     skinSet.secondHand, skinSet.glass}) {
            EXPECT_NE(slot, nullptr);
        }
        EXPECT_EQ(Width(skinSet.hourHand), 104u);
        EXPECT_EQ(Width(skinSet.minuteHand), 140u);
        EXPECT_EQ(Width(skinSet.secondHand), 162u);
        EXPECT_EQ(Width(skinSet.glass), 290u);
        ExpectSurfacesFor(290);
        EXPECT_DOUBLE_EQ(HandLengthFactor, 1.0);
    }

    // Windows makes the surfaces at load, twice the face; where damaged areas
    // are composed, the first frame makes them at the shown size.
    static void ExpectSurfacesFor(std::uint32_t faceSide) {
        if (imaging::ComposesDamagedAreas()) {
            EXPECT_EQ(drawingSurfaces.backBuffer, nullptr);
            ASSERT_TRUE(RenderClock().has_value());
            faceSide = faceSide * static_cast<std::uint32_t>(DrawnScale()) / 100;
        } else {
            faceSide *= 2;
        }
        EXPECT_EQ(Width(drawingSurfaces.backBuffer), faceSide);
        EXPECT_EQ(imaging::ImageHeight(drawingSurfaces.backBuffer), faceSide);
        ResetClockPositions();
    }
};

Files FullSkin() {
    return {{"main.png", MakeSolidPng(300, 300)},
            {"hour.png", MakeSolidPng(90, 9)},
            {"min.png", MakeSolidPng(120, 9)},
            {"sec.png", MakeSolidPng(140, 3)},
            {"attach.png", MakeSolidPng(200, 180, 0x40FFFFFF)}};
}

TEST_F(SkinLoading, InternalSkinWhenNoFolderIsNamed) {
    clockPositions = ClockPositions{5, 6};
    LoadSkin();
    ExpectInternalSkin();
    EXPECT_NE(drawingSurfaces.frame, nullptr);
    EXPECT_NE(drawingSurfaces.frameGraphics, nullptr);
    EXPECT_NE(drawingSurfaces.cachedBackground, nullptr);
    clockPositions = ClockPositions{5, 6};
    LoadSkin();
    EXPECT_EQ(clockPositions.lastSecondTick, -1);
    EXPECT_EQ(clockPositions.lastMinuteStep, -1);
}

TEST_F(SkinLoading, FullFolderSkin) {
    MakeSkin(u"Classic", FullSkin());
    Select(u"Classic");
    LoadSkin();
    EXPECT_EQ(std::u16string(clockSettings.Skin), u"Classic");
    EXPECT_EQ(skinSet.faceWidth, 300);
    EXPECT_EQ(skinSet.faceHeight, 300);
    EXPECT_EQ(Width(skinSet.hourHand), 90u);
    EXPECT_EQ(Width(skinSet.minuteHand), 120u);
    EXPECT_EQ(Width(skinSet.secondHand), 140u);
    EXPECT_EQ(Width(skinSet.glass), 200u);
    ExpectSurfacesFor(300);
    EXPECT_DOUBLE_EQ(HandLengthFactor, 1.0);
}

TEST_F(SkinLoading, MissingHandFilesGiveEmptyImagesInPresentSlots) {
    MakeSkin(u"Bare", {{"main.png", MakeSolidPng(120, 100)}, {"hour.png", MakeSolidPng(60, 7)}});
    Select(u"Bare");
    LoadSkin();
    EXPECT_EQ(std::u16string(clockSettings.Skin), u"Bare");
    EXPECT_EQ(skinSet.faceWidth, 120);
    EXPECT_EQ(skinSet.faceHeight, 100);
    EXPECT_EQ(Width(skinSet.hourHand), 60u);
    for (imaging::Image* slot : {skinSet.minuteHand, skinSet.secondHand, skinSet.glass}) {
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(Width(slot), 0u);
    }
}

TEST_F(SkinLoading, FacesThatCannotBeShownFallBackToTheInternalSkin) {
    auto truncated = MakeSolidPng(100, 100);
    truncated.resize(truncated.size() / 2);
    const std::map<std::u16string, Files> broken = {
        {u"NoFace", {{"hour.png", MakeSolidPng(50, 5)}}},
        {u"Garbage", {{"main.png", std::vector<std::uint8_t>(500, 0x5A)}}},
        {u"Truncated", {{"main.png", truncated}}},
        {u"Empty", {{"main.png", {}}}},
        {u"Huge", {{"main.png", testing::MakePngHeaderOnly(30000, 30000)}}},
        {u"TooWide", {{"main.png", MakeSolidPng(kMaxFaceSide + 1, 2)}}},
    };
    for (const auto& [name, files] : broken) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        MakeSkin(name, files);
        Select(name);
        LoadSkin();
        ExpectInternalSkin();
    }
}

TEST_F(SkinLoading, MissingFolderAndFolderNamedMainPngFallBack) {
    Select(u"Vanished");
    LoadSkin();
    ExpectInternalSkin();

    fs::create_directories(MakeSkin(u"Odd", {}) / "main.png");
    Select(u"Odd");
    LoadSkin();
    ExpectInternalSkin();
}

TEST_F(SkinLoading, FaceInTheSkinsFolderItselfIsUsedWhenNoSkinIsNamed) {
    fs::create_directories(skinsRoot);
    testing::WriteBytes(skinsRoot / "main.png", MakeSolidPng(64, 48));
    LoadSkin();
    EXPECT_EQ(skinSet.faceWidth, 64);
    EXPECT_EQ(skinSet.faceHeight, 48);
    EXPECT_EQ(clockSettings.Skin[0], u'\0');
}

TEST_F(SkinLoading, OddFolderNamesLoad) {
    const std::u16string name = u"Zeit & \u00c4hren (2) \u6642\u8a08";
    MakeSkin(name, FullSkin());
    Select(name);
    LoadSkin();
    EXPECT_EQ(std::u16string(clockSettings.Skin), name);
    EXPECT_EQ(skinSet.faceWidth, 300);
}

TEST_F(SkinLoading, HandsWiderThanTwoThirdsOfTheFaceAreDrawnAtOneFifth) {
    Files files = FullSkin();
    files["hour.png"] = MakeSolidPng(200, 9);
    MakeSkin(u"Exact", files);
    files["hour.png"] = MakeSolidPng(90, 9);
    files["min.png"] = MakeSolidPng(201, 9);
    MakeSkin(u"Wider", files);

    Select(u"Exact");
    LoadSkin();
    EXPECT_DOUBLE_EQ(HandLengthFactor, 1.0);
    Select(u"Wider");
    LoadSkin();
    EXPECT_DOUBLE_EQ(HandLengthFactor, 0.2);
}

TEST_F(SkinLoading, LoadingTwiceEqualsLoadingOnceAndReleasingTwiceIsHarmless) {
    MakeSkin(u"Classic", FullSkin());
    Select(u"Classic");
    LoadSkin();
    LoadSkin();
    EXPECT_EQ(std::u16string(clockSettings.Skin), u"Classic");
    EXPECT_EQ(skinSet.faceWidth, 300);
    EXPECT_EQ(Width(skinSet.secondHand), 140u);
    ExpectSurfacesFor(300);

    HandLengthFactor = 0.2;
    ReleaseSkin();
    ReleaseSkin();
    EXPECT_EQ(skinSet.face, nullptr);
    EXPECT_EQ(skinSet.glass, nullptr);
    EXPECT_EQ(skinSet.faceWidth, 0);
    EXPECT_EQ(drawingSurfaces.backBuffer, nullptr);
    EXPECT_EQ(drawingSurfaces.frame, nullptr);
    EXPECT_DOUBLE_EQ(HandLengthFactor, 0.2) << "release keeps the factor";
}

TEST_F(SkinLoading, AFailedFolderSkinNeverKeepsThePreviousSkin) {
    MakeSkin(u"Classic", FullSkin());
    Select(u"Classic");
    LoadSkin();
    Select(u"Vanished");
    LoadSkin();
    ExpectInternalSkin();
}

// A skin's copies at twice the size are read only once a frame draws the face
// larger than its own size, and never on Windows, which reads its five files.
TEST_F(SkinLoading, CopiesAtTwiceTheSizeAreReadOnlyForAFaceDrawnLarger) {
    Files files = FullSkin();
    files["main@2x.png"] = MakeSolidPng(600, 600);
    files["attach@2x.png"] = MakeSolidPng(400, 360, 0x40FFFFFF);
    MakeSkin(u"Dense", files);
    Select(u"Dense");
    LoadSkin();
    ASSERT_TRUE(RenderClock().has_value());
    EXPECT_EQ(skinSet.faceAt2x, nullptr);
    EXPECT_EQ(skinSet.glassAt2x, nullptr);
    clockSettings.Scale = 200;
    ResetClockPositions();
    ASSERT_TRUE(RenderClock().has_value());
    const bool fitted = imaging::ComposesDamagedAreas();
    EXPECT_EQ(skinSet.faceAt2x != nullptr, fitted);
    EXPECT_EQ(skinSet.glassAt2x != nullptr, fitted);
}

TEST_F(SkinLoading, EveryBundledSkinLoadsAsAFolderSkin) {
    const fs::path bundled = fs::path(ExecutableFolder()) / "bundled-skins";
    ASSERT_TRUE(fs::is_directory(bundled));
    fs::create_directories(skinsRoot);
    int count = 0;
    for (const auto& skin : fs::directory_iterator(bundled)) {
        const std::u16string name = skin.path().filename().u16string();
        SCOPED_TRACE(skin.path().filename().string());
        fs::copy(skin.path(), skinsRoot / skin.path().filename(), fs::copy_options::recursive);
        Select(name);
        LoadSkin();
        EXPECT_EQ(std::u16string(clockSettings.Skin), name);
        EXPECT_GT(skinSet.faceWidth, 0);
        for (imaging::Image* hand : {skinSet.hourHand, skinSet.minuteHand, skinSet.secondHand}) {
            EXPECT_GT(Width(hand), 0u);
        }
        EXPECT_EQ(Width(skinSet.glass) > 0, fs::exists(skin.path() / "attach.png"));
        ++count;
    }
    EXPECT_GE(count, 3);
}

}  // namespace
}  // namespace tickora
