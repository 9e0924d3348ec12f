#include "menu/menu_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/clock_positions.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

// Records what a command asks of the window.
class RecordingHost : public MenuHost {
  public:
    void Quit() override { calls += "quit;"; }
    void ShowPassThroughNote() override { calls += "note;"; }
    void ApplyWindowMode() override { calls += "mode;"; }
    std::u16string SkinItemText(std::uint32_t id) override {
        calls += "text " + std::to_string(id) + ";";
        return skinText;
    }
    std::string calls;
    std::u16string skinText;
};

std::string Utf8(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

// One line per item: text, identifier, flags.
std::vector<std::string> Describe(const Menu& menu) {
    std::vector<std::string> lines;
    for (const MenuItem& item : menu) {
        switch (item.kind) {
            case MenuItemKind::Separator:
                lines.push_back("---");
                break;
            case MenuItemKind::Submenu:
                lines.push_back(Utf8(item.text) + " >");
                break;
            case MenuItemKind::Command:
                lines.push_back(Utf8(item.text) + " " + std::to_string(item.id) +
                                (item.checked ? " checked" : "") +
                                (item.disabled ? " disabled" : ""));
                break;
        }
    }
    return lines;
}

class ContextMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        clockSettings = ClockSettings{};
        LoadSkin();
    }
    void TearDown() override { ReleaseSkin(); }
    RecordingHost host;
};

TEST_F(ContextMenu, TopLevelItemsInOrder) {
    clockSettings.TopMost = true;
    const Menu menu = BuildContextMenu({});
    EXPECT_EQ(Describe(menu), (std::vector<std::string>{
                                  "Scale >", "Transparency >", "---", "Skin >", "---",
                                  "Mouse Pass Through 51", "Always on Top 52 checked", "---",
                                  "Glass 53 checked", "Seconds 54 checked", "---", "Exit 50"}));
}

TEST_F(ContextMenu, PercentSubmenus) {
    clockSettings.Scale = 80;
    const Menu menu = BuildContextMenu({});
    EXPECT_EQ(Describe(menu[0].submenu),
              (std::vector<std::string>{"20% 220", "25% 225", "32% 232", "40% 240", "50% 250",
                                        "63% 263", "80% 280 checked", "---", "100% 300", "---",
                                        "125% 325", "160% 360", "200% 400"}));
    EXPECT_EQ(Describe(menu[1].submenu),
              (std::vector<std::string>{"0% 200 checked", "15% 185", "20% 180", "25% 175",
                                        "32% 168", "40% 160", "50% 150", "63% 137", "80% 120"}));
}

TEST_F(ContextMenu, ValuesOutsideTheListsCheckNothing) {
    clockSettings.Alpha = 90;
    clockSettings.Scale = 90;
    const Menu menu = BuildContextMenu({});
    for (const Menu* submenu : {&menu[0].submenu, &menu[1].submenu}) {
        for (const MenuItem& item : *submenu) EXPECT_FALSE(item.checked) << Utf8(item.text);
    }
}

TEST_F(ContextMenu, SkinSubmenuChecksExactNamesOnly) {
    const std::vector<SkinEntry> catalogue = {{u"classic", 501, false}, {u"Nacht", 502, true}};
    SetSkinName(u"Nacht");
    EXPECT_EQ(
        Describe(BuildContextMenu(catalogue)[3].submenu),
        (std::vector<std::string>{"Internal 499", "---", "classic 501", "Nacht 502 checked"}));
    SetSkinName(u"");
    EXPECT_EQ(Describe(BuildContextMenu({})[3].submenu),
              (std::vector<std::string>{"Internal 499 checked", "---"}));
    // A Skin differing in case only: the catalogue marks nothing, and Internal neither.
    SetSkinName(u"Classic");
    const Menu skins = BuildContextMenu({{u"classic", 501, false}})[3].submenu;
    EXPECT_FALSE(skins[0].checked);
    EXPECT_FALSE(skins[2].checked);
}

TEST_F(ContextMenu, GlassAndSecondsAreDisabledExactlyWhenTheirSlotIsAbsent) {
    imaging::DisposeImage(skinSet.glass);
    skinSet.glass = nullptr;
    clockSettings.ShowGlass = true;
    const Menu menu = BuildContextMenu({});
    EXPECT_EQ(Describe(menu)[8], "Glass 53 checked disabled");
    EXPECT_EQ(Describe(menu)[9], "Seconds 54 checked");
    imaging::DisposeImage(skinSet.secondHand);
    skinSet.secondHand = nullptr;
    clockSettings.ShowSeconds = false;
    EXPECT_EQ(Describe(BuildContextMenu({}))[9], "Seconds 54 disabled");
}

TEST_F(ContextMenu, PercentCommands) {
    clockSettings.Scale = 63;
    clockPositions.lastMinuteStep = 7;
    CarryOutCommand(200, host);  // the transparency item "0%"
    EXPECT_EQ(clockSettings.Alpha, 100);
    EXPECT_EQ(clockSettings.Scale, 63);
    EXPECT_EQ(clockPositions.lastMinuteStep, 7) << "opacity needs no new background";

    CarryOutCommand(120, host);  // transparency "80%"
    EXPECT_EQ(clockSettings.Alpha, 20);
    CarryOutCommand(280, host);  // scale "80%"
    EXPECT_EQ(clockSettings.Scale, 80);
    EXPECT_EQ(clockPositions.lastMinuteStep, -1);
    EXPECT_EQ(host.calls, "");
}

TEST_F(ContextMenu, SwitchCommands) {
    CarryOutCommand(IDM_CLICK_THROUGH, host);
    EXPECT_TRUE(clockSettings.Transparent);
    EXPECT_EQ(host.calls, "note;mode;");
    CarryOutCommand(IDM_CLICK_THROUGH, host);
    EXPECT_FALSE(clockSettings.Transparent);
    EXPECT_EQ(host.calls, "note;mode;mode;") << "switching off shows no note";

    host.calls.clear();
    CarryOutCommand(IDM_TOPMOST, host);
    EXPECT_TRUE(clockSettings.TopMost);
    EXPECT_EQ(host.calls, "mode;");

    clockPositions.lastMinuteStep = 3;
    CarryOutCommand(IDM_GLASS, host);
    EXPECT_FALSE(clockSettings.ShowGlass);
    EXPECT_EQ(clockPositions.lastMinuteStep, -1);

    host.calls.clear();
    CarryOutCommand(IDM_EXIT, host);
    EXPECT_EQ(host.calls, "quit;");
}

TEST_F(ContextMenu, DismissedOrUnknownCommandsChangeNothing) {
    const ClockSettings before = clockSettings;
    for (std::uint32_t id : {0u, 1u, 49u, 55u, 99u, 109u}) CarryOutCommand(id, host);
    EXPECT_EQ(host.calls, "");
    EXPECT_EQ(clockSettings.Scale, before.Scale);
    EXPECT_EQ(clockSettings.Alpha, before.Alpha);
    EXPECT_EQ(clockSettings.ShowGlass, before.ShowGlass);
}

TEST_F(ContextMenu, SkinCommandsTakeTheItemTextAndLoad) {
    SetSkinName(u"Gone");
    CarryOutCommand(IDM_SKIN_INTERNAL, host);
    EXPECT_EQ(clockSettings.Skin[0], u'\0');
    EXPECT_EQ(skinSet.faceWidth, 290);

    // A folder that has gone since the menu was built: the internal skin, Skin cleared.
    host.skinText = u"Vanished";
    CarryOutCommand(502, host);
    EXPECT_EQ(host.calls, "text 502;");
    EXPECT_EQ(clockSettings.Skin[0], u'\0');
    EXPECT_EQ(skinSet.faceWidth, 290);
}

}  // namespace
}  // namespace tickora
