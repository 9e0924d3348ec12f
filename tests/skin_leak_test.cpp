// Loading skins over and over must not grow the process. Natively the leak
// sanitizer checks the heap when this program ends; on Windows the count of GDI
// objects must stay flat.
#include <gtest/gtest.h>

#include <filesystem>

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
    const long before = testing::GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        // Alternate between a folder skin and the internal one.
        testing::SelectSkin(i % 2 == 0 ? u"Leaky" : u"");
        LoadSkin();
    }
    const long after = testing::GdiObjectCount();
    ReleaseSkin();
    EXPECT_EQ(after, before);

    fs::current_path(original);
    fs::remove_all(folder.parent_path());
}

TEST(SkinLeaks, ReleaseDeletesTheFrameDeviceContextAndBitmap) {
    testing::SelectSkin(u"");
    LoadSkin();
    const std::vector<void*> handles = testing::FrameGdiHandles();
    for (void* handle : handles) EXPECT_TRUE(testing::GdiHandleAlive(handle));
    LoadSkin();
    for (void* handle : handles) EXPECT_FALSE(testing::GdiHandleAlive(handle));
    ReleaseSkin();
}

}  // namespace
}  // namespace tickora
