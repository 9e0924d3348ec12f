// The Linux clock in Xvfb, in the ways its surroundings change under it: its
// program file replaced by an upgrade, and files left behind by clocks killed
// while they saved.
#include <glib.h>
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "linux_e2e/x_probe.h"

namespace tickora::linux_e2e {
namespace {

namespace fs = std::filesystem;

class HostileEnvironment : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(probe.display(), nullptr) << "these tests need DISPLAY";
        gchar* folder = g_dir_make_tmp("tickora-hostile-XXXXXX", nullptr);
        home = folder;
        g_free(folder);
        for (const char* sub : {"bin", "config/tickora", "config/autostart", "run"}) {
            fs::create_directories(home / sub);
        }
        fs::permissions(home / "run", fs::perms::owner_all);
    }
    void TearDown() override {
        if (clock > 0) {
            kill(clock, SIGKILL);
            waitpid(clock, nullptr, 0);
        }
        fs::remove_all(home);
    }

    void Start(const fs::path& program) {
        gchar** env = g_get_environ();
        env = g_environ_setenv(env, "XDG_CONFIG_HOME", (home / "config").c_str(), TRUE);
        env = g_environ_setenv(env, "XDG_RUNTIME_DIR", (home / "run").c_str(), TRUE);
        // GTK keeps memory until the process ends; leaks are checked elsewhere.
        env = g_environ_setenv(env, "ASAN_OPTIONS", "detect_leaks=0", TRUE);
        gchar* argv[] = {const_cast<gchar*>(program.c_str()), nullptr};
        ASSERT_TRUE(g_spawn_async(nullptr, argv, env, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr,
                                  &clock, nullptr));
        g_strfreev(env);
        const Window window = probe.WaitForClock(clock);
        ASSERT_NE(window, 0u);
        // Drawn: start-up is over, the session end is watched.
        ASSERT_TRUE(WaitFor([&] { return probe.WindowAlpha(window, 145, 145) == 255; }));
    }
    // As a desktop session ends: SIGTERM, then the clock's exit status.
    int EndSession() {
        kill(clock, SIGTERM);
        int status = 0;
        const bool ended = WaitFor([&] { return waitpid(clock, &status, WNOHANG) == clock; });
        clock = -1;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string AutostartEntry() const {
        std::ifstream in(home / "config/autostart/tickora.desktop");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    XProbe probe;
    fs::path home;
    GPid clock = -1;
};

TEST_F(HostileEnvironment, AnUpgradeWhileRunningLeavesAnEntryThatStartsTheNewProgram) {
    const fs::path program = home / "bin/tickora";
    fs::copy_file(TICKORA_CLOCK_PATH, program);
    Start(program);
    // As a package manager does it: the new file beside the old, renamed over it.
    fs::copy_file(TICKORA_CLOCK_PATH, home / "bin/tickora.dpkg-new");
    fs::rename(home / "bin/tickora.dpkg-new", program);

    EXPECT_EQ(EndSession(), 0);
    EXPECT_NE(AutostartEntry().find("\nExec=\"" + program.string() + "\"\n"), std::string::npos)
        << AutostartEntry();
    EXPECT_TRUE(fs::is_regular_file(program));
}

TEST_F(HostileEnvironment, TemporariesOfKilledSavesGoAtTheNextSaveAndOtherFilesStay) {
    const fs::path left[] = {home / "config/tickora/settings.ini.Ab3xZ9",
                             home / "config/tickora/settings.ini.q1W2e3",
                             home / "config/autostart/tickora.desktop.k8Jm2P"};
    const fs::path kept[] = {home / "config/tickora/settings.ini.bak",
                             home / "config/tickora/settings.ini.Ab3xZ9.old",
                             home / "config/autostart/tickora.desktop.orig",
                             home / "config/autostart/other.desktop.Ab3xZ9"};
    for (const auto& path : left) std::ofstream(path) << "[Software\\Velm";
    for (const auto& path : kept) std::ofstream(path) << "[Desktop Entry]\n";
    Start(TICKORA_CLOCK_PATH);

    EXPECT_EQ(EndSession(), 0);
    for (const auto& path : left) EXPECT_FALSE(fs::exists(path)) << path;
    for (const auto& path : kept) EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::exists(home / "config/tickora/settings.ini"));
}

}  // namespace
}  // namespace tickora::linux_e2e
