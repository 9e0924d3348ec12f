// The Linux key file behind the settings: what it keeps on disk and how it
// survives damage.
#include "settings/store_keyfile.h"

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "settings/key_store.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "support/scratch_store.h"

namespace tickora {
namespace {

using namespace std::string_literals;
using testing::ReadRaw;
using testing::WriteRaw;

constexpr RegRoot kRoot = keystore::kCurrentUser;

class KeyFileStore : public ::testing::Test {
  protected:
    void SetUp() override { clockSettings = ClockSettings{}; }

    std::string Path() const { return keystore::StoreFilePath(); }

    void WriteFile(const std::string& text) {
        g_mkdir_with_parents((store.configHome() + "/tickora").c_str(), 0700);
        std::ofstream(Path(), std::ios::binary) << text;
    }

    static std::set<std::string> Listing(const std::string& folder) {
        std::set<std::string> names;
        if (GDir* listing = g_dir_open(folder.c_str(), 0, nullptr)) {
            while (const gchar* name = g_dir_read_name(listing)) names.insert(name);
            g_dir_close(listing);
        }
        return names;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void ExpectDefaults() {
        EXPECT_EQ(clockSettings.PosX, 150);
        EXPECT_EQ(clockSettings.PosY, 100);
        EXPECT_EQ(clockSettings.Scale, 100);
        EXPECT_EQ(clockSettings.Alpha, 100);
        EXPECT_EQ(clockSettings.Skin[0], u'\0');
        EXPECT_FALSE(clockSettings.Transparent);
        EXPECT_TRUE(clockSettings.ShowSeconds);
    }

    testing::ScratchStore store;
};

TEST_F(KeyFileStore, LivesUnderTheConfigHomeAndIsPrivate) {
    EXPECT_EQ(Path(), store.configHome() + "/tickora/settings.ini");
    WriteRegDword(kRoot, kSettingsKey, u"Scale", 80);
    struct stat info {};
    ASSERT_EQ(stat(Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // Nothing is left beside it by the atomic replace.
    GDir* folder = g_dir_open((store.configHome() + "/tickora").c_str(), 0, nullptr);
    int entries = 0;
    while (g_dir_read_name(folder) != nullptr) ++entries;
    g_dir_close(folder);
    EXPECT_EQ(entries, 1);
}

TEST_F(KeyFileStore, FileIsReadableAndKeepsExactBytes) {
    WriteRegDword(kRoot, kSettingsKey, u"PosX", -150);
    WriteRegString(kRoot, kSettingsKey, u"Skin", u"Zeit Ä");
    WriteRaw(kSettingsKey, u"Odd", keystore::kTypeSz, {0x41, 0x00, 0x42});
    const std::string text = ReadFile(Path());
    EXPECT_NE(text.find("[Software\\Velmarck\\Tickora]"), std::string::npos) << text;
    EXPECT_NE(text.find("PosX=dword:ffffff6a"), std::string::npos) << text;
    EXPECT_NE(text.find("Skin=sz:Zeit Ä"), std::string::npos) << text;
    EXPECT_NE(text.find("Odd=hex(1):41,00,42"), std::string::npos) << text;
    EXPECT_EQ(ReadRaw(kSettingsKey, u"Odd")->bytes, (std::vector<unsigned char>{0x41, 0, 0x42}));
}

TEST_F(KeyFileStore, HandWrittenValuesAreRead) {
    WriteFile(
        "[Software\\Velmarck\\Tickora]\n"
        "Scale=dword:0000007d\n"
        "Skin=expand_sz:My Skin\n"
        "TopMost=hex(4):01,00,00,00\n");
    LoadSettings();
    EXPECT_EQ(clockSettings.Scale, 125);
    EXPECT_EQ(std::u16string(clockSettings.Skin), u"My Skin");
    EXPECT_TRUE(clockSettings.TopMost);
}

TEST_F(KeyFileStore, UnreadableFilesGiveDefaultsAndAreKeptAsCorrupt) {
    static constexpr char kGarbage[] = "\x89PNG\r\n\x1a\n\0\0\xff\xfe garbage";
    const std::string damaged[] = {
        "[Software\\Velmarck\\Tick",                 // truncated
        std::string(kGarbage, sizeof kGarbage - 1),  // binary garbage
        "[Software\\Velmarck\\Tickora]\nScale=float:1.5\nPosX=dword:zz\nSkin=dword:00000001\n",
    };
    for (const std::string& text : damaged) {
        WriteFile(text);
        clockSettings = ClockSettings{};
        LoadSettings();
        ExpectDefaults();
        // Reading changes nothing on disk.
        EXPECT_EQ(ReadFile(Path()), text);

        clockSettings.Scale = 50;
        SaveSettings(WindowRect{1, 2, 3, 4});
        EXPECT_EQ(ReadFile(Path() + ".corrupt"), text);
        clockSettings = ClockSettings{};
        LoadSettings();
        EXPECT_EQ(clockSettings.Scale, 50);
        EXPECT_EQ(clockSettings.PosX, 1);
        std::remove((Path() + ".corrupt").c_str());
    }
}

TEST_F(KeyFileStore, EachUnreadableFileIsKeptUnderAFreeName) {
    // An earlier incident's file, and a folder where the next name would go.
    WriteFile("earlier");
    std::rename(Path().c_str(), (Path() + ".corrupt").c_str());
    g_mkdir((Path() + ".corrupt.2").c_str(), 0700);
    WriteFile("[unreadable");
    LoadSettings();
    SaveSettings(WindowRect{7, 8, 9, 10});
    EXPECT_EQ(ReadFile(Path() + ".corrupt"), "earlier");
    EXPECT_TRUE(g_file_test((Path() + ".corrupt.2").c_str(), G_FILE_TEST_IS_DIR));
    EXPECT_EQ(ReadFile(Path() + ".corrupt.3"), "[unreadable");
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"PosX", 0), 7);
}

// A file a crash or a full disk left zero-filled starts with NUL, which a line
// reader takes for the end of an empty line: it must still be kept, whatever
// holds the first aside name.
TEST_F(KeyFileStore, FilesWithNulBytesAreKeptUnderAFreeName) {
    const std::string zeros(512, '\0');
    const std::string late = "[Software\\Velmarck\\Tickora]\nScale=dword:0000007d\n\0\n"s;
    const std::string aside = Path() + ".corrupt";
    for (const bool folder : {false, true}) {
        for (const std::string& text : {zeros, "\0[x]\ny=z\n"s + zeros, late}) {
            WriteFile("earlier");
            std::rename(Path().c_str(), aside.c_str());
            if (folder) {
                std::remove(aside.c_str());
                g_mkdir(aside.c_str(), 0700);
            }
            WriteFile(text);
            LoadSettings();
            EXPECT_EQ(clockSettings.Scale, 100);
            SaveSettings(WindowRect{5, 6, 7, 8});
            EXPECT_EQ(ReadFile(aside + ".2"), text);
            if (!folder) {
                EXPECT_EQ(ReadFile(aside), "earlier");
            }
            EXPECT_EQ(folder, g_file_test(aside.c_str(), G_FILE_TEST_IS_DIR));
            EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"PosX", 0), 5);
            std::remove((aside + ".2").c_str());
            std::remove(aside.c_str());
        }
    }
}

TEST_F(KeyFileStore, EmptyAndBlankFilesAreNoSettings) {
    for (const std::string text : {"", " \n\t\r\n\n"}) {
        WriteFile(text);
        LoadSettings();
        ExpectDefaults();
        SaveSettings(WindowRect{5, 6, 7, 8});
        EXPECT_FALSE(g_file_test((Path() + ".corrupt").c_str(), G_FILE_TEST_EXISTS));
    }
}

// Settings kept elsewhere (a dotfiles folder) through a link stay there.
TEST_F(KeyFileStore, ALinkedFileIsWrittenWhereTheLinkPoints) {
    WriteFile("");
    const std::string kept = store.configHome() + "/kept.ini";
    ASSERT_EQ(std::rename(Path().c_str(), kept.c_str()), 0);
    ASSERT_EQ(symlink("../kept.ini", Path().c_str()), 0);
    WriteRegDword(kRoot, kSettingsKey, u"Scale", 80);
    EXPECT_TRUE(g_file_test(Path().c_str(), G_FILE_TEST_IS_SYMLINK));
    EXPECT_NE(ReadFile(kept).find("Scale=dword:00000050"), std::string::npos);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"Scale", 0), 80);

    // An unreadable file there is kept beside itself; the link stays.
    std::ofstream(kept, std::ios::binary) << "[broken";
    WriteRegDword(kRoot, kSettingsKey, u"Scale", 90);
    EXPECT_TRUE(g_file_test(Path().c_str(), G_FILE_TEST_IS_SYMLINK));
    EXPECT_EQ(ReadFile(kept + ".corrupt"), "[broken");
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"Scale", 0), 90);
}

// Settings linked to what cannot hold them: what the link names stays what it
// was, nothing new appears beside it or beside the link, nothing waits (the
// FIFO has no reader) and one line on standard error says why nothing is kept.
// The devices are made in the test's own folder, so nothing can reach the
// machine's; without the rights to make them they are left out.
TEST_F(KeyFileStore, LinksToDevicesFifosSocketsFoldersAndNowhereKeepNothing) {
    const std::string elsewhere = store.configHome() + "/elsewhere";
    const std::string own = store.configHome() + "/tickora";
    g_mkdir_with_parents(elsewhere.c_str(), 0700);
    g_mkdir_with_parents(own.c_str(), 0700);
    ASSERT_EQ(mkfifo((elsewhere + "/pipe").c_str(), 0600), 0);
    ASSERT_EQ(g_mkdir((elsewhere + "/folder").c_str(), 0700), 0);
    const int socketFd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = elsewhere + "/socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::vector<std::string> targets{"pipe", "folder", "socket", "gone/settings.ini"};
    for (const auto& [name, device] : {std::pair{"null", makedev(1, 3)}, {"zero", makedev(1, 5)}}) {
        if (mknod((elsewhere + "/" + name).c_str(), S_IFCHR | 0666, device) == 0) {
            targets.push_back(name);
        }
    }
    // Held open for writing too, so that a write to it could not wait either.
    const int pipe = open((elsewhere + "/pipe").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipe, 0);
    const auto before = Listing(elsewhere);
    for (const std::string& name : targets) {
        const std::string target = elsewhere + "/" + name;
        struct stat was {};
        lstat(target.c_str(), &was);
        ASSERT_EQ(symlink(target.c_str(), Path().c_str()), 0);
        ::testing::internal::CaptureStderr();
        LoadSettings();
        ExpectDefaults();
        clockSettings.Scale = 50;
        SaveSettings(WindowRect{1, 2, 3, 4});
        EXPECT_FALSE(WriteRegDword(kRoot, kSettingsKey, u"Scale", 80));
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("tickora: settings not saved: " + target), std::string::npos) << said;
        struct stat is {};
        lstat(target.c_str(), &is);
        EXPECT_TRUE(is.st_ino == was.st_ino && is.st_mode == was.st_mode) << name;
        EXPECT_EQ(Listing(elsewhere), before) << name;
        EXPECT_EQ(Listing(own), std::set<std::string>{"settings.ini"}) << name;
        EXPECT_TRUE(g_file_test(Path().c_str(), G_FILE_TEST_IS_SYMLINK)) << name;
        ASSERT_EQ(unlink(Path().c_str()), 0);
    }
    char byte = 0;
    EXPECT_EQ(read(pipe, &byte, 1), -1);
    close(pipe);
    close(socketFd);
}

TEST_F(KeyFileStore, GoodEntriesBesideABadOneAreKept) {
    WriteFile(
        "[Software\\Velmarck\\Tickora]\n"
        "Alpha=dword:00000032\n"
        "Scale=dword:12\n");
    LoadSettings();
    EXPECT_EQ(clockSettings.Alpha, 50);
    EXPECT_EQ(clockSettings.Scale, 100);
    WriteRegDword(kRoot, kSettingsKey, u"PosX", 3);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"Alpha", 0), 50);
    EXPECT_TRUE(g_file_test((Path() + ".corrupt").c_str(), G_FILE_TEST_EXISTS));
}

TEST_F(KeyFileStore, AFolderOrAHugeFileInItsPlaceNeverBreaksLoading) {
    g_mkdir_with_parents(Path().c_str(), 0700);
    LoadSettings();
    ExpectDefaults();
    g_rmdir(Path().c_str());

    WriteFile(std::string(3 << 20, 'x'));
    LoadSettings();
    ExpectDefaults();
}

TEST_F(KeyFileStore, NamesAKeyFileCannotHoldAreRefused) {
    EXPECT_FALSE(WriteRegDword(kRoot, u"Software\\[odd]", u"Value", 1));
    EXPECT_FALSE(WriteRegDword(kRoot, kSettingsKey, u"A=B", 1));
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"A=B", 4), 4);
}

TEST_F(KeyFileStore, WriteOnlyAccessIsNeededToChangeValues) {
    WriteRegDword(kRoot, kSettingsKey, u"Scale", 40);
    keystore::Key key = nullptr;
    ASSERT_EQ(keystore::OpenKey(kRoot, kSettingsKey, keystore::kRead, &key), keystore::kSuccess);
    const std::uint32_t number = 1;
    EXPECT_EQ(keystore::SetValue(key, u"Scale", keystore::kTypeDword, &number, 4),
              keystore::kAccessDenied);
    EXPECT_EQ(keystore::DeleteValue(key, u"Scale"), keystore::kAccessDenied);
    keystore::CloseKey(key);
    EXPECT_EQ(ReadRegDword(kRoot, kSettingsKey, u"Scale", 0), 40);
}

}  // namespace
}  // namespace tickora
