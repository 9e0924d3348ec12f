// The skin catalogue and the Skin submenu over real folders in a Skins folder
// beside this test program.
#include "skin/skin_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "menu/menu_model.h"
#include "settings/settings.h"
#include "skin/files.h"
#include "skin/skin.h"
#include "support/platform_probes.h"
#include "support/png_maker.h"
#include "support/skins_folder_test.h"

namespace tickora {
namespace {

namespace fs = std::filesystem;

class SkinCatalogue : public testing::SkinsFolderTest {
  protected:
    fs::path Skin(const std::u16string& name, bool withFace = true, int side = 50) {
        return SkinIn(skinsRoot, name, withFace, side);
    }
    static fs::path SkinIn(const fs::path& root, const std::u16string& name, bool withFace,
                           int side) {
        const fs::path folder = root / fs::path(name);
        fs::create_directories(folder);
        if (withFace) testing::WriteBytes(folder / "main.png", testing::MakeSolidPng(side, side));
        return folder;
    }
    static std::set<std::u16string> Names(const std::vector<SkinEntry>& entries) {
        std::set<std::u16string> names;
        for (const SkinEntry& entry : entries) names.insert(entry.name);
        return names;
    }
};

TEST_F(SkinCatalogue, NoFolderOrAnEmptyOneListsNothing) {
    EXPECT_TRUE(ListSkins(u"").empty());
    fs::create_directories(skinsRoot);
    EXPECT_TRUE(ListSkins(u"").empty());
    testing::WriteBytes(skinsRoot / "main.png", testing::MakeSolidPng(10, 10));
    testing::WriteBytes(skinsRoot / "notes.txt", {'h', 'i'});
    EXPECT_TRUE(ListSkins(u"").empty()) << "files are never listed";
}

TEST_F(SkinCatalogue, OnlyFoldersWithAFaceCountAndIdentifiersHaveNoGaps) {
    Skin(u"Alpha");
    Skin(u"Beta", false);
    testing::WriteBytes(Skin(u"Beta", false) / "hour.png", testing::MakeSolidPng(10, 3));
    Skin(u"Gamma");
    fs::create_directories(Skin(u"Delta", false) / "main.png");  // a folder named main.png
    const auto entries = ListSkins(u"");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(Names(entries), (std::set<std::u16string>{u"Alpha", u"Gamma", u"Delta"}));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].id, IDM_SKIN_FIRST + i);
    }
}

TEST_F(SkinCatalogue, CurrentIsAnExactMatch) {
    Skin(u"classic");
    Skin(u"Night");
    auto entries = ListSkins(u"Night");
    ASSERT_EQ(entries.size(), 2u);
    for (const SkinEntry& entry : entries) EXPECT_EQ(entry.current, entry.name == u"Night");
    for (const SkinEntry& entry : ListSkins(u"Classic")) EXPECT_FALSE(entry.current);
}

TEST_F(SkinCatalogue, HiddenFoldersAreListedLikeAnyOther) {
    testing::MakeHidden(Skin(u".hidden"));
    Skin(u"Plain");
    EXPECT_EQ(Names(ListSkins(u"")), (std::set<std::u16string>{u".hidden", u"Plain"}));
}

TEST_F(SkinCatalogue, ChoosingASkinStoresTheItemTextAndLoadsIt) {
    Skin(u"Night & Day", true, 120);
    Skin(u"Small", true, 60);
    const auto entries = ListSkins(u"");
    const Menu menu = BuildContextMenu(entries);
    const Menu& skins = menu[3].submenu;
    ASSERT_EQ(skins.size(), 4u);

    class ItemText : public MenuHost {
      public:
        explicit ItemText(const Menu& items) : items_(items) {}
        void Quit() override {}
        void ShowPassThroughNote() override {}
        void ApplyWindowMode() override {}
        std::u16string SkinItemText(std::uint32_t id) override {
            for (const MenuItem& item : items_) {
                if (item.id == id) return item.text;
            }
            return {};
        }

      private:
        const Menu& items_;
    } host(skins);

    const auto night = std::find_if(entries.begin(), entries.end(),
                                    [](const SkinEntry& e) { return e.name == u"Night & Day"; });
    ASSERT_NE(night, entries.end());
    CarryOutCommand(night->id, host);
    EXPECT_EQ(std::u16string(clockSettings.Skin), u"Night & Day");
    EXPECT_EQ(skinSet.faceWidth, 120);
    EXPECT_TRUE(BuildContextMenu(ListSkins(clockSettings.Skin))[3].submenu[0].checked == false);
}

TEST_F(SkinCatalogue, SearchFoldersMergeByNameAndTheFirstHolderOfANameWins) {
    if (sharedDataFolders.empty()) GTEST_SKIP() << "skins live beside the program only";
    const fs::path home = sharedDataFolders[0] / "tickora" / "skins";
    const fs::path system = sharedDataFolders[2] / "tickora" / "skins";
    // The face's width tells which folder a skin was loaded from.
    Skin(u"Beta", true, 10);
    Skin(u"Delta", true, 11);
    SkinIn(home, u"Beta", true, 20);
    SkinIn(home, u"Alpha", true, 21);
    SkinIn(home, u"Gamma", false, 0);
    SkinIn(system, u"Alpha", true, 30);
    SkinIn(system, u"Gamma", true, 31);
    SkinIn(system, u"Epsilon", true, 32);
    // The middle data folder cannot be listed: its skins folder is a file.
    fs::create_directories(sharedDataFolders[1] / "tickora");
    testing::WriteBytes(sharedDataFolders[1] / "tickora" / "skins", {'x'});
    // A relative entry of $XDG_DATA_DIRS would resolve against the current folder.
    const fs::path relative = fs::current_path() / "relative-data";
    SkinIn(relative / "tickora" / "skins", u"Zeta", true, 40);

    const auto entries = ListSkins(u"Gamma");
    const std::vector<std::pair<std::u16string, int>> expected = {
        {u"Alpha", 21}, {u"Beta", 10}, {u"Delta", 11}, {u"Epsilon", 32}, {u"Gamma", 31}};
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& [name, faceWidth] = expected[i];
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_EQ(entries[i].name, name);
        EXPECT_EQ(entries[i].id, IDM_SKIN_FIRST + i);
        EXPECT_EQ(entries[i].current, name == u"Gamma");
        SetSkinName(name);
        LoadSkin();
        EXPECT_EQ(std::u16string(clockSettings.Skin), name);
        EXPECT_EQ(skinSet.faceWidth, faceWidth);
    }
    fs::remove_all(relative);
}

TEST_F(SkinCatalogue, TwoHundredSkinsFitTheMenu) {
    for (int i = 0; i < 200; ++i)
        Skin(u"Skin " + std::u16string(1, u'A' + i / 26) + std::u16string(1, u'a' + i % 26), true,
             8);
    const auto entries = ListSkins(u"");
    ASSERT_EQ(entries.size(), 200u);
    EXPECT_EQ(entries.back().id, 700u);
    EXPECT_EQ(BuildContextMenu(entries)[3].submenu.size(), 202u);
}

}  // namespace
}  // namespace tickora
