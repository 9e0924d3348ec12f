// The real Tickora.exe under Wine: started, looked at, driven through its menu
// by keys, and closed, with its registry values checked afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

#include "e2e/running_clock.h"
#include "settings/key_store.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "support/scratch_store.h"

namespace tickora::e2e {
namespace {

using testing::kRunKey;
using testing::ReadRaw;

constexpr RegRoot kRoot = keystore::kCurrentUser;

class Clock : public ::testing::Test {
  protected:
    testing::ScratchStore store;  // no settings, no autostart value
    ClockFolder folder;
};

int Width(HWND window) {
    const RECT rect = WindowRectOf(window);
    return rect.right - rect.left;
}

TEST_F(Clock, FirstRunOpensTheDefaultWindowAndSavesNineValuesOnClose) {
    RunningClock clock(folder.exe());
    HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);
    const RECT rect = WindowRectOf(window);
    EXPECT_EQ(rect.left, 150);
    EXPECT_EQ(rect.top, 100);
    EXPECT_TRUE(WaitForSize(window, 290, 290));
    EXPECT_NE(ExtendedStyle(window) & WS_EX_LAYERED, 0);
    EXPECT_EQ(ExtendedStyle(window) & (WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW), 0);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(150, 100)), HTCAPTION);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(clock.WaitForExit(), 0u);
    for (const char16_t* name : {u"PosX", u"PosY", u"Scale", u"Alpha", u"Transparent", u"TopMost",
                                 u"ShowSeconds", u"ShowGlass"}) {
        const auto value = ReadRaw(kSettingsKey, name);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, keystore::kTypeDword);
    }
    EXPECT_EQ(ReadRaw(kSettingsKey, u"Skin")->type, keystore::kTypeSz);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"PosX", 0), 150);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"ShowGlass", 0), 1);
    EXPECT_FALSE(ReadRaw(kRunKey, u"Tickora")) << "a closed clock leaves no autostart";
}

TEST_F(Clock, ASecondStartEndsAtOnceAndChangesNothing) {
    RunningClock first(folder.exe());
    ASSERT_NE(first.WaitForWindow(), nullptr);
    WriteRegString(kRoot, kRunKey, u"Tickora", u"C:\\elsewhere\\Tickora.exe");
    RunningClock second(folder.exe());
    EXPECT_EQ(second.WaitForExit(), 0u);
    EXPECT_TRUE(ReadRaw(kRunKey, u"Tickora")) << "the second start leaves the autostart alone";
    EXPECT_FALSE(testing::KeyExists(kSettingsKey));
    EXPECT_TRUE(first.Running());
}

TEST_F(Clock, StartRemovesAnAutostartValue) {
    WriteRegString(kRoot, kRunKey, u"Tickora", u"C:\\old\\Tickora.exe");
    RunningClock clock(folder.exe());
    ASSERT_NE(clock.WaitForWindow(), nullptr);
    EXPECT_FALSE(ReadRaw(kRunKey, u"Tickora"));
}

TEST_F(Clock, StoredScaleAndPlaceAreUsed) {
    WriteRegDword(kRoot, kSettingsKey, u"Scale", 75);
    WriteRegDword(kRoot, kSettingsKey, u"PosX", -40);
    WriteRegDword(kRoot, kSettingsKey, u"PosY", 30);
    RunningClock clock(folder.exe());
    HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitForSize(window, 217, 217));
    EXPECT_EQ(WindowRectOf(window).left, -40);
    EXPECT_EQ(WindowRectOf(window).top, 30);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(clock.WaitForExit(), 0u);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"PosX", 0), -40);
}

TEST_F(Clock, StoredValuesOutOfRangeStillGiveAVisibleClock) {
    const std::pair<const char16_t*, std::int32_t> stored[] = {
        {u"Scale", 0},       {u"Scale", -5},      {u"Scale", 201},     {u"Scale", 100000},
        {u"Scale", INT_MIN}, {u"Scale", INT_MAX}, {u"Alpha", -1},      {u"Alpha", 0},
        {u"Alpha", 101},     {u"Alpha", 1000},    {u"Alpha", INT_MIN}, {u"Alpha", INT_MAX}};
    for (const auto& [name, value] : stored) {
        SCOPED_TRACE(std::to_string(value));
        WriteRegDword(kRoot, kSettingsKey, u"Scale", 100);
        WriteRegDword(kRoot, kSettingsKey, u"Alpha", 100);
        WriteRegDword(kRoot, kSettingsKey, name, value);
        RunningClock clock(folder.exe());
        HWND window = clock.WaitForWindow();
        ASSERT_NE(window, nullptr);
        const int width = Width(window);
        EXPECT_GE(width, 58);
        EXPECT_LE(width, 580);
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(clock.WaitForExit(), 0u);
        EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, name, 12345), value) << "kept as stored";
    }
}

// Places at the ends of int are created where they are stored and saved back
// unchanged, except a PosX of 0x80000000: that is CW_USEDEFAULT to
// CreateWindowExW, which opens a popup at 0, 0, the place then saved.
TEST_F(Clock, PlacesAtTheEndsOfIntAreUsedAndSavedBack) {
    const std::pair<std::int32_t, std::int32_t> places[] = {{INT_MAX, INT_MIN},
                                                            {INT_MIN + 1, INT_MAX},
                                                            {INT_MAX, INT_MAX},
                                                            {INT_MIN + 1, INT_MIN},
                                                            {INT_MIN, INT_MAX}};
    for (const auto& [x, y] : places) {
        SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
        WriteRegDword(kRoot, kSettingsKey, u"PosX", x);
        WriteRegDword(kRoot, kSettingsKey, u"PosY", y);
        const bool byDefault = x == INT_MIN;
        RunningClock clock(folder.exe());
        HWND window = clock.WaitForWindow();
        ASSERT_NE(window, nullptr);
        const RECT rect = WindowRectOf(window);
        EXPECT_EQ(rect.left, byDefault ? 0 : x);
        EXPECT_EQ(rect.top, byDefault ? 0 : y);
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(clock.WaitForExit(), 0u);
        EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"PosX", 12345), byDefault ? 0 : x);
        EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"PosY", 12345), byDefault ? 0 : y);
    }
}

TEST_F(Clock, MenuChangesScaleAndTopMost) {
    RunningClock clock(folder.exe());
    HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);

    HWND menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    // Scale > 20% ... 80%.
    PressKeys(menu,
              {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitForSize(window, 232, 232));

    menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    // Scale, Transparency, Skin, Mouse Pass Through, Always on Top.
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(WaitForTopMost(window));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(clock.WaitForExit(), 0u);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"Scale", 0), 80);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"TopMost", 0), 1);
}

TEST_F(Clock, PassThroughShowsTheNoteAndTakesEffectWithoutTheFocus) {
    RunningClock clock(folder.exe());
    HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);
    HWND menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});

    HWND note = WaitForTopLevel(L"#32770", L"Tickora");
    ASSERT_NE(note, nullptr);
    wchar_t text[256] = {};
    GetDlgItemTextW(note, 0xFFFF, text, 256);
    EXPECT_EQ(std::wstring(text),
              L"NOTE! You can deactivate \"Mouse Pass Through\"\n"
              L"mode only by selecting Tickora with ALT+TAB!");
    PostMessageW(note, WM_COMMAND, IDOK, 0);

    SendMessageW(window, WM_KILLFOCUS, 0, 0);
    EXPECT_NE(ExtendedStyle(window) & WS_EX_TRANSPARENT, 0);
    EXPECT_NE(ExtendedStyle(window) & WS_EX_LAYERED, 0) << "other bits stay";

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(clock.WaitForExit(), 0u);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"Transparent", 0), 1);
}

TEST_F(Clock, MenuSwitchesBetweenFolderSkins) {
    folder.AddSkin(L"Large", 200);
    folder.AddSkin(L"Small", 120);
    RunningClock clock(folder.exe());
    HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);

    // Skin > Internal, then the first and the second folder.
    HWND menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
    ASSERT_TRUE(WaitForSize(window, 200, 200) || WaitForSize(window, 120, 120));
    const int first = Width(window);

    menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN});
    const int second = first == 200 ? 120 : 200;
    EXPECT_TRUE(WaitForSize(window, second, second));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(clock.WaitForExit(), 0u);
    const std::u16string saved = ReadRegString(kRoot, kSettingsKey, u"Skin", u"?");
    EXPECT_EQ(saved, second == 200 ? u"Large" : u"Small");
}

TEST_F(Clock, TwoHundredSkinsOpenTheMenuWithoutHarm) {
    for (int i = 0; i < 200; ++i) folder.AddSkin(L"Skin" + std::to_wstring(i), 16);
    RunningClock clock(folder.exe());
    HWND window = clock.WaitForWindow();
    ASSERT_NE(window, nullptr);
    HWND menu = OpenMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
    EXPECT_TRUE(clock.Running());
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(clock.WaitForExit(), 0u);
}

}  // namespace
}  // namespace tickora::e2e
