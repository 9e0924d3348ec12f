#include "settings/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/key_store.h"
#include "settings/registry.h"
#include "support/scratch_store.h"

namespace tickora {
namespace {

using testing::ReadRaw;
using testing::TextBytes;
using testing::WithoutAddedTerminator;
using testing::WriteRaw;

constexpr RegRoot kRoot = keystore::kCurrentUser;

class Settings : public ::testing::Test {
  protected:
    void SetUp() override { clockSettings = ClockSettings{}; }
    testing::ScratchStore store;
};

std::u16string SkinName() {
    return std::u16string(clockSettings.Skin);
}

TEST_F(Settings, FirstRunGivesTheDefaults) {
    LoadSettings();
    EXPECT_EQ(clockSettings.PosX, 150);
    EXPECT_EQ(clockSettings.PosY, 100);
    EXPECT_EQ(clockSettings.Scale, 100);
    EXPECT_EQ(clockSettings.Alpha, 100);
    EXPECT_EQ(SkinName(), u"");
    EXPECT_FALSE(clockSettings.Transparent);
    EXPECT_FALSE(clockSettings.TopMost);
    EXPECT_TRUE(clockSettings.ShowSeconds);
    EXPECT_TRUE(clockSettings.ShowGlass);
    EXPECT_FALSE(testing::KeyExists(kSettingsKey));
}

TEST_F(Settings, SaveWritesNineValuesOfTheRightTypes) {
    LoadSettings();
    SaveSettings(WindowRect{150, 100, 440, 390});
    for (const char16_t* name : {u"PosX", u"PosY", u"Scale", u"Alpha", u"Transparent", u"TopMost",
                                 u"ShowSeconds", u"ShowGlass"}) {
        const auto raw = ReadRaw(kSettingsKey, name);
        ASSERT_TRUE(raw) << std::string(name, name + std::u16string(name).size());
        EXPECT_EQ(raw->type, keystore::kTypeDword);
        EXPECT_EQ(raw->bytes.size(), 4u);
    }
    const auto skin = ReadRaw(kSettingsKey, u"Skin");
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->type, keystore::kTypeSz);
    EXPECT_TRUE(skin->bytes.empty());
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"ShowSeconds", -1), 1);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"TopMost", -1), 0);
}

TEST_F(Settings, EverySettingRoundTrips) {
    clockSettings.Scale = 63;
    clockSettings.Alpha = 37;
    std::char_traits<char16_t>::copy(clockSettings.Skin, u"Night & Day", 12);
    clockSettings.Transparent = true;
    clockSettings.TopMost = true;
    clockSettings.ShowSeconds = false;
    clockSettings.ShowGlass = false;
    SaveSettings(WindowRect{-40, -7, 100, 100});

    clockSettings = ClockSettings{};
    LoadSettings();
    EXPECT_EQ(clockSettings.PosX, -40);
    EXPECT_EQ(clockSettings.PosY, -7);
    EXPECT_EQ(clockSettings.Scale, 63);
    EXPECT_EQ(clockSettings.Alpha, 37);
    EXPECT_EQ(SkinName(), u"Night & Day");
    EXPECT_TRUE(clockSettings.Transparent);
    EXPECT_TRUE(clockSettings.TopMost);
    EXPECT_FALSE(clockSettings.ShowSeconds);
    EXPECT_FALSE(clockSettings.ShowGlass);
    EXPECT_EQ(WithoutAddedTerminator(ReadRaw(kSettingsKey, u"Skin")->bytes),
              TextBytes(u"Night & Day"));
}

TEST_F(Settings, AnyNonZeroFlagReadsTrueAndSavesAsOne) {
    WriteRegDword(kRoot, kSettingsKey, u"Transparent", 7);
    WriteRegDword(kRoot, kSettingsKey, u"ShowGlass", 0);
    LoadSettings();
    EXPECT_TRUE(clockSettings.Transparent);
    EXPECT_FALSE(clockSettings.ShowGlass);
    SaveSettings(WindowRect{});
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"Transparent", -1), 1);
}

TEST_F(Settings, NumbersAreTakenAsStoredWithoutRangeChecks) {
    WriteRegDword(kRoot, kSettingsKey, u"Scale", 100000);
    WriteRegDword(kRoot, kSettingsKey, u"Alpha", -1);
    WriteRegDword(kRoot, kSettingsKey, u"PosX", -32000);
    LoadSettings();
    EXPECT_EQ(clockSettings.Scale, 100000);
    EXPECT_EQ(clockSettings.Alpha, -1);
    EXPECT_EQ(clockSettings.PosX, -32000);
}

TEST_F(Settings, ValuesOfTheWrongTypeYieldTheirDefaults) {
    WriteRegString(kRoot, kSettingsKey, u"Scale", u"50");
    WriteRegString(kRoot, kSettingsKey, u"ShowSeconds", u"0");
    WriteRegDword(kRoot, kSettingsKey, u"Skin", 5);
    LoadSettings();
    EXPECT_EQ(clockSettings.Scale, 100);
    EXPECT_TRUE(clockSettings.ShowSeconds);
    EXPECT_EQ(SkinName(), u"");
}

TEST_F(Settings, ExpandableSkinIsUsedUnexpanded) {
    WriteRaw(kSettingsKey, u"Skin", keystore::kTypeExpandSz, TextBytes(u"%Classic%"));
    LoadSettings();
    EXPECT_EQ(SkinName(), u"%Classic%");
}

TEST_F(Settings, SkinNameLongerThanTheFieldIsTreatedAsEmpty) {
    const std::u16string longest(259, u's');
    WriteRegString(kRoot, kSettingsKey, u"Skin", longest.c_str());
    LoadSettings();
    EXPECT_EQ(SkinName(), longest);

    const std::u16string tooLong(260, u't');
    WriteRegString(kRoot, kSettingsKey, u"Skin", tooLong.c_str());
    LoadSettings();
    EXPECT_EQ(SkinName(), u"");
    EXPECT_EQ(clockSettings.Skin[kSkinNameUnits - 1], u'\0');
}

TEST_F(Settings, SavingLeavesTheInMemoryPositionAlone) {
    LoadSettings();
    SaveSettings(WindowRect{5, 6, 7, 8});
    EXPECT_EQ(clockSettings.PosX, 150);
    EXPECT_EQ(clockSettings.PosY, 100);
}

}  // namespace
}  // namespace tickora
