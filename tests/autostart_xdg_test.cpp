#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/autostart.h"
#include "settings/autostart_xdg.h"
#include "support/scratch_store.h"

namespace tickora {
namespace {

// What a desktop session would run: the Exec line parsed as the desktop entry
// format says.
std::string ExecArgument(const std::string& entryPath) {
    GKeyFile* entry = g_key_file_new();
    EXPECT_TRUE(g_key_file_load_from_file(entry, entryPath.c_str(), G_KEY_FILE_NONE, nullptr));
    gchar* exec = g_key_file_get_string(entry, "Desktop Entry", "Exec", nullptr);
    g_key_file_free(entry);
    if (exec == nullptr) return {};
    gint argc = 0;
    gchar** argv = nullptr;
    // %% stands for a literal %; the shell-like parse takes care of the quoting.
    std::string line = exec;
    g_free(exec);
    for (auto at = line.find("%%"); at != std::string::npos; at = line.find("%%", at + 1)) {
        line.erase(at, 1);
    }
    std::string argument;
    if (g_shell_parse_argv(line.c_str(), &argc, &argv, nullptr) && argc == 1) argument = argv[0];
    g_strfreev(argv);
    return argument;
}

TEST(Autostart, EntryRunsTheExecutableAndIsDeletedAgain) {
    testing::ScratchStore store;
    const std::string entry = AutostartEntryPath();
    EXPECT_EQ(entry, store.configHome() + "/autostart/tickora.desktop");

    WriteAutostart(u"/opt/tickora/bin/tickora");
    ASSERT_TRUE(g_file_test(entry.c_str(), G_FILE_TEST_IS_REGULAR));
    EXPECT_EQ(ExecArgument(entry), "/opt/tickora/bin/tickora");

    DeleteAutostart();
    EXPECT_FALSE(g_file_test(entry.c_str(), G_FILE_TEST_EXISTS));
    DeleteAutostart();
}

TEST(Autostart, OddCharactersInThePathSurviveTheExecLine) {
    testing::ScratchStore store;
    const std::u16string odd = u"/home/ann/My Clocks/\"100%\" $HOME `x` \\ Zeit/tickora";
    WriteAutostart(odd.c_str());
    EXPECT_EQ(ExecArgument(AutostartEntryPath()),
              "/home/ann/My Clocks/\"100%\" $HOME `x` \\ Zeit/tickora");
}

// An entry kept in a dotfiles folder and linked into place stays a link.
TEST(Autostart, ALinkedEntryIsWrittenWhereTheLinkPoints) {
    testing::ScratchStore store;
    const std::string entry = AutostartEntryPath();
    const std::string kept = store.configHome() + "/dotfiles/tickora.desktop";
    g_mkdir_with_parents((store.configHome() + "/dotfiles").c_str(), 0700);
    g_mkdir_with_parents((store.configHome() + "/autostart").c_str(), 0700);
    ASSERT_EQ(symlink(kept.c_str(), entry.c_str()), 0);  // a link to a file still to come
    WriteAutostart(u"/usr/bin/tickora");
    EXPECT_TRUE(g_file_test(entry.c_str(), G_FILE_TEST_IS_SYMLINK));
    EXPECT_EQ(ExecArgument(kept), "/usr/bin/tickora");
}

// A link that keeps the clock from starting by itself (to /dev/null most
// often) is the user's: it stays through a start and a session end, and nothing
// goes through it. The device is made in the test's own folder.
TEST(Autostart, ALinkToADeviceAFifoOrAFolderStaysAndReceivesNothing) {
    testing::ScratchStore store;
    const std::string entry = AutostartEntryPath();
    const std::string elsewhere = store.configHome() + "/elsewhere";
    g_mkdir_with_parents(elsewhere.c_str(), 0700);
    g_mkdir_with_parents((store.configHome() + "/autostart").c_str(), 0700);
    ASSERT_EQ(mkfifo((elsewhere + "/pipe").c_str(), 0600), 0);
    ASSERT_EQ(g_mkdir((elsewhere + "/folder").c_str(), 0700), 0);
    std::vector<std::string> targets{elsewhere + "/pipe", elsewhere + "/folder"};
    if (mknod((elsewhere + "/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        targets.push_back(elsewhere + "/null");
    }
    // Held open for writing too, so that a write to it could not wait.
    const int pipe = open((elsewhere + "/pipe").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(pipe, 0);
    for (const std::string& target : targets) {
        ASSERT_EQ(symlink(target.c_str(), entry.c_str()), 0);
        DeleteAutostart();
        WriteAutostart(u"/usr/bin/tickora");
        gchar* points = g_file_read_link(entry.c_str(), nullptr);
        EXPECT_EQ(points != nullptr ? std::string(points) : "", target);
        g_free(points);
        EXPECT_FALSE(g_file_test(target.c_str(), G_FILE_TEST_IS_REGULAR)) << target;
        g_unlink(entry.c_str());
    }
    char byte = 0;
    EXPECT_EQ(read(pipe, &byte, 1), -1);
    close(pipe);
    GDir* listing = g_dir_open(elsewhere.c_str(), 0, nullptr);
    int entries = 0;
    while (g_dir_read_name(listing) != nullptr) ++entries;
    g_dir_close(listing);
    EXPECT_EQ(entries, static_cast<int>(targets.size()));
}

TEST(Autostart, ATemporaryIsLeftAloneWhileAnotherWriterHoldsTheFolder) {
    testing::ScratchStore store;
    const std::string entry = AutostartEntryPath();
    const std::string folder = store.configHome() + "/autostart";
    const std::string temporary = entry + ".Zz9Yy8";
    g_mkdir_with_parents(folder.c_str(), 0700);
    g_file_set_contents(temporary.c_str(), "[Desktop", -1, nullptr);

    // Another clock in the middle of writing its entry holds the folder.
    const int writer = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(flock(writer, LOCK_EX), 0);
    WriteAutostart(u"/usr/bin/tickora");
    EXPECT_EQ(ExecArgument(entry), "/usr/bin/tickora");
    EXPECT_TRUE(g_file_test(temporary.c_str(), G_FILE_TEST_EXISTS));

    close(writer);
    WriteAutostart(u"/usr/bin/tickora");
    EXPECT_FALSE(g_file_test(temporary.c_str(), G_FILE_TEST_EXISTS));
}

}  // namespace
}  // namespace tickora
