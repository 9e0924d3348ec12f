// The Linux clock in Xvfb with its settings file a link to something that
// cannot hold settings, or to settings kept elsewhere: run as root, where a
// careless store could replace /dev/null for the whole machine, and as a user.
// Every run ends as a desktop session does (SIGTERM), which saves the settings.
#include <fcntl.h>
#include <glib.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/x_probe.h"
#include "support/private_dev_posix.h"

extern char** environ;

namespace tickora::linux_e2e {
namespace {

// The same unprivileged user as the Wayland tests.
constexpr const char* kUser = "tickora-e2e";

std::set<std::string> Listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename());
    }
    return names;
}

const passwd* TestUser() {
    if (getpwnam(kUser) == nullptr) {
        const std::string add =
            std::string("useradd --system --no-create-home --shell /usr/sbin/nologin ") + kUser;
        std::system(add.c_str());
    }
    return getpwnam(kUser);
}

class LinkedSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(probe.display(), nullptr) << "these tests need DISPLAY";
        gchar* folder = g_dir_make_tmp("tickora-linked-XXXXXX", nullptr);
        home = folder;
        g_free(folder);
        for (const char* sub : {"config/tickora", "run", "elsewhere"}) {
            fs::create_directories(home / sub);
        }
        fs::permissions(home / "run", fs::perms::owner_all);
        errors = home / "clock.err";
    }
    void TearDown() override {
        EndProcess(clock);
        fs::remove_all(home);
    }

    fs::path Settings() const { return home / "config/tickora/settings.ini"; }

    // The clock with its own configuration and runtime folders, started with
    // `prefix` (which changes the user) and drawn.
    void Start(const std::vector<std::string>& prefix = {}) {
        std::vector<std::string> argv = prefix;
        argv.insert(argv.end(),
                    {"/usr/bin/env", "HOME=" + home.string(),
                     "XDG_CONFIG_HOME=" + (home / "config").string(),
                     "XDG_RUNTIME_DIR=" + (home / "run").string(),
                     // GTK keeps memory until the process ends; leaks are checked elsewhere.
                     "ASAN_OPTIONS=detect_leaks=0", TICKORA_CLOCK_PATH});
        std::vector<char*> args;
        for (auto& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn(&clock, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        const Window window = probe.WaitForClock(clock);
        ASSERT_NE(window, 0u) << ReadFile(errors);
        // Drawn: start-up is over, the session end is watched.
        ASSERT_TRUE(WaitFor([&] { return probe.WindowAlpha(window, 145, 145) == 255; }));
    }
    int EndSession() {
        kill(clock, SIGTERM);
        const int status = WaitForExit(clock);
        if (status >= 0) clock = -1;
        return status;
    }
    // The clock's own lines on standard error (GTK may add its own).
    std::vector<std::string> ClockLines() const {
        std::vector<std::string> lines;
        const std::string text = ReadFile(errors);
        for (std::size_t at = 0, end; at < text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            if (text.compare(at, 9, "tickora: ") == 0) lines.push_back(text.substr(at, end - at));
        }
        return lines;
    }

    XProbe probe;
    fs::path home;
    fs::path errors;  // the clock's standard error
    pid_t clock = -1;
};

// In /dev of a mount namespace of this test's own: a tmpfs holding only the
// devices made here, so whatever the clock does to them never reaches the
// machine's. Without the rights to make them, the test is skipped.
TEST_F(LinkedSettings, AsRootALinkToNullOrZeroLeavesTheDevicesAsTheyWere) {
    const std::pair<const char*, dev_t> null{"/dev/null", makedev(1, 3)};
    const std::pair<const char*, dev_t> zero{"/dev/zero", makedev(1, 5)};
    testing::PrivateDev dev;
    if (!dev.Make({null, zero})) GTEST_SKIP() << "no /dev of a namespace's own can be made here";
    for (const char* linked : {"/dev/null", "/dev/zero"}) {
        fs::create_symlink(linked, Settings());
        Start();
        EXPECT_EQ(EndSession(), 0) << linked;
        for (const auto& [name, device] : {null, zero}) {
            EXPECT_TRUE(testing::PrivateDev::StillDevice(name, device)) << name;
        }
        EXPECT_EQ(Listing("/dev"), (std::set<std::string>{"null", "zero"}));
        EXPECT_EQ(fs::read_symlink(Settings()), linked);
        EXPECT_EQ(Listing(Settings().parent_path()), std::set<std::string>{"settings.ini"});
        EXPECT_EQ(ClockLines(), std::vector<std::string>{"tickora: settings not saved: " +
                                                         std::string(linked) + " is a device"});
        fs::remove(Settings());
    }
}

// As a user of its own, with settings linked into another folder of that
// user's: a FIFO there stays a FIFO and gets no company (nothing waits for a
// reader either), a regular file there is replaced with the settings.
TEST_F(LinkedSettings, AsAUserAFifoElsewhereStaysAndAFileElsewhereTakesTheSettings) {
    const passwd* user = TestUser();
    ASSERT_NE(user, nullptr);
    const std::vector<std::string> asUser{
        "/usr/bin/setpriv", "--reuid=" + std::to_string(user->pw_uid),
        "--regid=" + std::to_string(user->pw_gid), "--clear-groups"};
    const fs::path pipe = home / "elsewhere/pipe";
    const fs::path kept = home / "elsewhere/kept.ini";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::ofstream(kept) << "[Software\\Velmarck\\Tickora]\nShowSeconds=dword:00000000\n";
    fs::permissions(home, fs::perms::owner_all | fs::perms::others_exec);
    for (const auto& entry : fs::recursive_directory_iterator(home)) {
        ASSERT_EQ(lchown(entry.path().c_str(), user->pw_uid, user->pw_gid), 0);
    }

    struct stat was {};
    ASSERT_EQ(lstat(pipe.c_str(), &was), 0);
    fs::create_symlink("../../elsewhere/pipe", Settings());
    lchown(Settings().c_str(), user->pw_uid, user->pw_gid);
    Start(asUser);
    EXPECT_EQ(EndSession(), 0);
    struct stat is {};
    EXPECT_TRUE(lstat(pipe.c_str(), &is) == 0 && S_ISFIFO(is.st_mode) && is.st_ino == was.st_ino);
    EXPECT_EQ(Listing(home / "elsewhere"), (std::set<std::string>{"kept.ini", "pipe"}));
    EXPECT_TRUE(fs::is_symlink(Settings()));
    EXPECT_EQ(ClockLines(), std::vector<std::string>{"tickora: settings not saved: " +
                                                     Settings().parent_path().string() +
                                                     "/../../elsewhere/pipe is a FIFO"});

    fs::remove(Settings());
    fs::create_symlink("../../elsewhere/kept.ini", Settings());
    lchown(Settings().c_str(), user->pw_uid, user->pw_gid);
    ASSERT_EQ(lstat(kept.c_str(), &was), 0);
    Start(asUser);
    EXPECT_EQ(EndSession(), 0);
    EXPECT_TRUE(lstat(kept.c_str(), &is) == 0 && S_ISREG(is.st_mode) && is.st_ino != was.st_ino);
    EXPECT_EQ(is.st_uid, user->pw_uid);  // written by the clock as that user
    const std::string saved = ReadFile(kept);
    EXPECT_NE(saved.find("\nShowSeconds=dword:00000000\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\nPosX=dword:"), std::string::npos) << saved;
    EXPECT_EQ(fs::read_symlink(Settings()), "../../elsewhere/kept.ini");
    EXPECT_EQ(Listing(home / "elsewhere"), (std::set<std::string>{"kept.ini", "pipe"}));
    EXPECT_EQ(Listing(Settings().parent_path()), std::set<std::string>{"settings.ini"});
    EXPECT_TRUE(ClockLines().empty()) << ReadFile(errors);
}

// A lock file of another user's, held and naming a process, is not the clock's:
// it neither keeps the clock from starting nor gets that process signalled.
TEST_F(LinkedSettings, AsRootALockFileOfAnotherUsersIsNotTrusted) {
    const passwd* user = TestUser();
    ASSERT_NE(user, nullptr);
    pid_t sleeper = Spawn({"/bin/sleep", "600"}, {});
    const fs::path lock = home / "run/tickora.lock";
    std::ofstream(lock) << sleeper;
    ASSERT_EQ(chown(lock.c_str(), user->pw_uid, user->pw_gid), 0);
    const int held = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    Start();
    EXPECT_EQ(EndSession(), 0);
    EXPECT_EQ(waitpid(sleeper, nullptr, WNOHANG), 0);
    EXPECT_EQ(ClockLines(),
              std::vector<std::string>{"tickora: not checking for another clock: " + lock.string() +
                                       " is not a regular file of this user's"});
    EndProcess(sleeper);
    close(held);
}

}  // namespace
}  // namespace tickora::linux_e2e
