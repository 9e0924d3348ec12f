// Loading skins over and over must not grow the process: the drawing objects
// it holds stay as many (GDI objects on Windows, the imaging backend's objects
// on Linux), and the frame of a skin that was replaced is let go. Natively the
// leak sanitizer also checks the heap when this program ends.
#include <gtest/gtest.h>

#include <filesystem>

#include "render/frame.h"
#include "settings/settings.h"
#include "skin/files.h"
#include "skin/skin.h"
#include "support/png_maker.h"
#include "support/platform_probes.h"
#include "support/select_skin.h"

namespace tickora {
namespace {

namespace fs = std::filesystem;

TEST(SkinLeaks, ThousandLoadsKeepTheObjectCountFlat) {
    const fs::path original = fs::current_path();
    const fs::path folder = fs::path(ExecutableFolder()) / "Skins" / "Leaky";
    fs::create_directories(folder);
    testing::WriteBytes(folder / "main.png", testing::MakeSolidPng(40, 40));
    testing::WriteBytes(folder / "sec.png", testing::MakeSolidPng(20, 3));

    LoadSkin();
    RenderClock();
    const long before = testing::DrawingObjectCount();
    for (int i = 0; i < 1000; ++i) {
        // Alternate between a folder skin and the internal one, drawing each.
        testing::SelectSkin(i % 2 == 0 ? u"Leaky" : u"");
        LoadSkin();
        RenderClock();
    }
    testing::SelectSkin(u"");
    LoadSkin();
    RenderClock();
    const long after = testing::DrawingObjectCount();
    ReleaseSkin();
    EXPECT_EQ(after, before);
    // Wine counts no GDI objects at all; elsewhere the skin held some.
    if (before > 0) {
        EXPECT_LT(testing::DrawingObjectCount(), before) << "release gives them back";
    }

    fs::current_path(original);
    fs::remove_all(folder.parent_path());
}

TEST(SkinLeaks, ReleaseDeletesTheFrameDeviceContextAndBitmap) {
    testing::SelectSkin(u"");
    LoadSkin();
    RenderClock();
    const std::vector<void*> handles = testing::FrameHandles();
    ASSERT_FALSE(handles.empty());
    for (void* handle : handles) EXPECT_TRUE(testing::FrameHandleInUse(handle));
    LoadSkin();
    for (void* handle : handles) EXPECT_FALSE(testing::FrameHandleInUse(handle));
    testing::LetGoOfFrameHandles(handles);
    ReleaseSkin();
}

}  // namespace
}  // namespace tickora
