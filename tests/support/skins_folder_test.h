// A fixture for tests that make skin folders in the Skins folder beside their
// program: it starts empty and is removed again, with the skin released and
// the current directory (which loading a skin changes) restored. The shared
// data folders are the test's own, empty unless a test fills them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "settings/settings.h"
#include "skin/files.h"
#include "skin/skin.h"
#include "support/platform_probes.h"

namespace tickora::testing {

class SkinsFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        original = std::filesystem::current_path();
        skinsRoot = std::filesystem::path(ExecutableFolder()) / "Skins";
        std::filesystem::remove_all(skinsRoot);
        sharedDataFolders = IsolateSharedDataFolders();
        for (const auto& folder : sharedDataFolders) std::filesystem::remove_all(folder);
        clockSettings = ClockSettings{};
    }
    void TearDown() override {
        ReleaseSkin();
        std::filesystem::current_path(original);
        std::filesystem::remove_all(skinsRoot);
        for (const auto& folder : sharedDataFolders) std::filesystem::remove_all(folder);
    }

    std::filesystem::path original;
    std::filesystem::path skinsRoot;
    // Where installed skins would be (tickora/skins inside each); none on Windows.
    std::vector<std::filesystem::path> sharedDataFolders;
};

}  // namespace tickora::testing
