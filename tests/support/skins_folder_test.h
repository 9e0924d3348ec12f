// A fixture for tests that make skin folders in the Skins folder beside their
// program: it starts empty and is removed again, with the skin released and
// the current directory (which loading a skin changes) restored.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "settings/settings.h"
#include "skin/files.h"
#include "skin/skin.h"

namespace tickora::testing {

class SkinsFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        original = std::filesystem::current_path();
        skinsRoot = std::filesystem::path(ExecutableFolder()) / "Skins";
        std::filesystem::remove_all(skinsRoot);
        clockSettings = ClockSettings{};
    }
    void TearDown() override {
        ReleaseSkin();
        std::filesystem::current_path(original);
        std::filesystem::remove_all(skinsRoot);
    }

    std::filesystem::path original;
    std::filesystem::path skinsRoot;
};

}  // namespace tickora::testing
