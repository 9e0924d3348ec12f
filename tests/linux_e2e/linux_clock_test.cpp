// The Linux clock in Xvfb, with and without a compositing manager: where its
// window goes, what it shows, how its menu and modes act, and how it ends.
#include <cairo.h>
#include <glib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/x_probe.h"

namespace tickora::linux_e2e {
namespace {

constexpr unsigned long kRootColour = 0x3366AA;

class LinuxClock : public ::testing::TestWithParam<bool>, public ClockUser {
  protected:
    void SetUp() override {
        ASSERT_NE(probe.display(), nullptr) << "these tests need DISPLAY";
        probe.FillRoot(kRootColour);
        if (GetParam()) {
            compositor = Spawn({"/usr/bin/xcompmgr"}, {});
            ASSERT_TRUE(WaitFor([&] { return probe.CompositorRunning(); }, 30000));
        }
    }
    void TearDown() override {
        EndProcess(clock);
        EndProcess(compositor);
    }
    pid_t StartClock() { return Spawn({TICKORA_CLOCK_PATH}, Env()); }
    // The clock's exit status (-1 while it still runs: then it is ended at tear-down).
    int ClockExit() {
        const int status = WaitForExit(clock);
        if (status >= 0) clock = -1;
        return status;
    }

    XProbe probe;
    pid_t clock = -1;
    pid_t compositor = -1;
};

TEST_P(LinuxClock, OpensAtItsPlaceWithTransparentCorners) {
    clock = StartClock();
    const Window window = probe.WaitForClock(clock);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(probe.WaitForSize(window, 290, 290));
    const auto geometry = probe.GeometryOf(window);
    EXPECT_EQ(geometry.x, 150);
    EXPECT_EQ(geometry.y, 100);
    EXPECT_EQ(geometry.depth, 32) << "an RGBA visual";
    const auto states = probe.WmState(window);
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_SKIP_TASKBAR"), states.end());
    EXPECT_EQ(std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE"), states.end());
    // Cut to shape without a compositor, from the first frame on.
    EXPECT_TRUE(WaitFor([&] { return probe.BoundingShaped(window) == !GetParam(); }));

    // The dial is opaque and its corners are clear: without a compositor the
    // screen shows the desktop there, with one the window's own alpha says so.
    EXPECT_TRUE(WaitFor([&] { return probe.WindowAlpha(window, 145, 145) == 255; }));
    EXPECT_EQ(probe.WindowAlpha(window, 145, 60), 255u);
    if (GetParam()) {
        // Until the first frame is drawn the window may still hold its background.
        EXPECT_TRUE(WaitFor([&] { return probe.WindowAlpha(window, 1, 1) == 0; }));
        EXPECT_EQ(probe.WindowAlpha(window, 288, 288), 0u);
        EXPECT_EQ(probe.WindowAlpha(window, 145, 145), 255u);
    } else {
        EXPECT_TRUE(
            WaitFor([&] { return probe.ScreenPixel(150 + 145, 100 + 145) != kRootColour; }));
        EXPECT_EQ(probe.ScreenPixel(150 + 1, 100 + 1), kRootColour);
        EXPECT_EQ(probe.ScreenPixel(150 + 288, 100 + 288), kRootColour);
    }
}

TEST_P(LinuxClock, StoredSettingsGiveSizePlaceAndModes) {
    StoreSettings(
        "Scale=dword:0000004b\nPosX=dword:ffffffd8\nPosY=dword:0000001e\n"
        "TopMost=dword:00000001\nTransparent=dword:00000001\n");
    clock = StartClock();
    const Window window = probe.WaitForClock(clock);
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(probe.WaitForSize(window, 217, 217));
    EXPECT_EQ(probe.GeometryOf(window).x, -40);
    EXPECT_EQ(probe.GeometryOf(window).y, 30);
    const auto states = probe.WmState(window);
    EXPECT_NE(std::find(states.begin(), states.end(), "_NET_WM_STATE_ABOVE"), states.end());
    // Pass-through while the clock does not hold the focus: no input at all.
    EXPECT_TRUE(WaitFor([&] { return probe.InputRectangles(window) == 0; }));
}

TEST_P(LinuxClock, MenuChangesTheScaleAndExitSaves) {
    clock = StartClock();
    const Window window = probe.WaitForClock(clock);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(probe.WaitForSize(window, 290, 290));
    EXPECT_GT(probe.InputRectangles(window), 0);

    probe.ClickAt(150 + 145, 100 + 145, 3);
    ASSERT_TRUE(WaitFor([&] { return probe.PopupShown(); }));
    // Scale > 20% ... 80%.
    ASSERT_TRUE(probe.PressKeys(
        {"Down", "Right", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}));
    EXPECT_TRUE(probe.WaitForSize(window, 232, 232));

    ASSERT_TRUE(WaitFor([&] { return !probe.PopupShown(); }));
    probe.ClickAt(150 + 100, 100 + 100, 3);
    ASSERT_TRUE(WaitFor([&] { return probe.PopupShown(); }));
    ASSERT_TRUE(probe.PressKeys({"Up", "Return"}));  // Exit, the last item
    EXPECT_EQ(WaitForExit(clock), 0);
    clock = -1;
    EXPECT_NE(Settings().find("Scale=dword:00000050"), std::string::npos) << Settings();
    EXPECT_NE(Settings().find("PosX=dword:00000096"), std::string::npos) << Settings();
    EXPECT_FALSE(fs::exists(AutostartEntry()));
}

TEST_P(LinuxClock, SessionEndWritesTheAutostartEntryAndSaves) {
    fs::create_directories(AutostartEntry().parent_path());
    std::ofstream(AutostartEntry()) << "[Desktop Entry]\nExec=/old/tickora\n";
    clock = StartClock();
    ASSERT_NE(probe.WaitForClock(clock), 0u);
    EXPECT_FALSE(fs::exists(AutostartEntry())) << "removed at start";

    kill(clock, SIGTERM);
    EXPECT_EQ(WaitForExit(clock), 0);
    clock = -1;
    EXPECT_NE(ReadFile(AutostartEntry()).find(std::string("Exec=\"") + TICKORA_CLOCK_PATH + "\""),
              std::string::npos)
        << ReadFile(AutostartEntry());
    EXPECT_NE(Settings().find("ShowGlass=dword:00000001"), std::string::npos) << Settings();
}

TEST_P(LinuxClock, ASecondStartEndsAtOnce) {
    clock = StartClock();
    ASSERT_NE(probe.WaitForClock(clock), 0u);
    const pid_t second = StartClock();
    EXPECT_EQ(WaitForExit(second), 0);
    EXPECT_EQ(waitpid(clock, nullptr, WNOHANG), 0) << "the first clock keeps running";
}

TEST_P(LinuxClock, WindowDestroyedFromOutsideEndsTheClockAsClosingDoes) {
    // Destroyed before the clock has finished showing it.
    clock = StartClock();
    const Window early = probe.WaitForClock(clock, false);
    ASSERT_NE(early, 0u);
    probe.DestroyWindow(early);
    ASSERT_EQ(ClockExit(), 0);

    StoreSettings("PosX=dword:000000c8\nPosY=dword:00000078\n");
    clock = StartClock();
    const Window window = probe.WaitForClock(clock);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(probe.WaitForSize(window, 290, 290));
    probe.DestroyWindow(window);
    ASSERT_EQ(ClockExit(), 0);
    EXPECT_NE(Settings().find("PosX=dword:000000c8"), std::string::npos) << Settings();
    EXPECT_NE(Settings().find("PosY=dword:00000078"), std::string::npos) << Settings();
    EXPECT_FALSE(fs::exists(AutostartEntry()));
    // The lock went with the clock: a new one starts.
    clock = StartClock();
    EXPECT_NE(probe.WaitForClock(clock), 0u);
}

bool Catches(pid_t pid, int signal) {
    std::istringstream status(ReadFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) {
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
        }
    }
    return false;
}

TEST_P(LinuxClock, SessionEndDuringTheStartStillSavesAndComesBack) {
    for (const int signal : {SIGTERM, SIGHUP}) {
        StoreSettings("Scale=dword:0000004b\n");
        fs::remove(AutostartEntry());
        clock = StartClock();
        // As early as can be seen from outside: the signal is caught, or the
        // clock has taken its lock (long before it has a window).
        ASSERT_TRUE(
            WaitFor([&] { return Catches(clock, signal) || fs::exists(home / "run/tickora.lock"); },
                    30000, 1));
        kill(clock, signal);
        ASSERT_EQ(ClockExit(), 0) << strsignal(signal);
        EXPECT_TRUE(fs::exists(AutostartEntry())) << strsignal(signal);
        EXPECT_NE(Settings().find("Scale=dword:0000004b"), std::string::npos) << Settings();
        fs::remove(home / "run/tickora.lock");
    }
}

// At a scale factor of 2 the window has twice the device pixels, and they are
// exactly the preview's frame at Scale 200 for the same time.
TEST_P(LinuxClock, ScaleFactorTwoDrawsInDevicePixels) {
    if (!GetParam()) GTEST_SKIP() << "the whole window's pixels are readable when composited";
    StoreSettings("ShowSeconds=dword:00000000\n");
    std::vector<std::string> env = Env();
    env.push_back("GDK_SCALE=2");
    clock = Spawn({TICKORA_CLOCK_PATH}, env);
    const Window window = probe.WaitForClock(clock);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(probe.WaitForSize(window, 580, 580));

    // Without the second hand the picture changes every five seconds: the window
    // is read well inside one five-second step and compared with the preview of
    // the time it was read at. On a busy machine the clock may not yet have
    // drawn that step (or any frame): then it is read again, until it shows it.
    const fs::path png = home / "preview.png";
    int worst = 256;
    const auto compare = [&] {
        GDateTime* now = g_date_time_new_now_local();
        const double into = std::fmod(g_date_time_get_seconds(now), 5.0);
        const std::vector<std::uint32_t> shown = into < 0.5 || into > 4.0
                                                     ? std::vector<std::uint32_t>{}
                                                     : probe.WindowPixels(window, 580, 580);
        gchar* time = g_date_time_format(now, "%H:%M:%S");
        g_date_time_unref(now);
        const pid_t preview = shown.empty()
                                  ? -1
                                  : Spawn({TICKORA_PREVIEW_PATH, "--time", time, "--scale", "200",
                                           "--seconds", "off", png.string()},
                                          {});
        g_free(time);
        if (preview < 0 || WaitForExit(preview) != 0) return false;
        cairo_surface_t* expected = cairo_image_surface_create_from_png(png.c_str());
        worst = cairo_image_surface_get_width(expected) == 580 ? 0 : 256;
        for (int y = 0; y < 580 && worst < 256; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                cairo_image_surface_get_data(expected) +
                y * cairo_image_surface_get_stride(expected));
            for (int x = 0; x < 580; ++x) {
                for (int shift = 0; shift < 32; shift += 8) {
                    const int a = static_cast<int>(row[x] >> shift & 0xFF);
                    const int b = static_cast<int>(
                        shown[static_cast<std::size_t>(y) * 580 + x] >> shift & 0xFF);
                    worst = std::max(worst, std::abs(a - b));
                }
            }
        }
        cairo_surface_destroy(expected);
        // The PNG keeps straight alpha: reading it back may round a byte by one.
        return worst <= 1;
    };
    EXPECT_TRUE(WaitFor(compare, 60000, 100))
        << "largest byte difference from the preview: " << worst;
}

INSTANTIATE_TEST_SUITE_P(Compositing, LinuxClock, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Composited" : "Plain"; });

// An X server of its own, ended while the clock runs (as an X11 logout does,
// with no signal first).
TEST(LinuxClockDisplay, XServerGoneSavesTheRunAndWritesTheAutostartEntry) {
    const std::string name = FreeDisplayName(140);
    pid_t server = Spawn(
        {"/usr/bin/Xvfb", name, "-nolisten", "tcp", "-noreset", "-screen", "0", "800x600x24"}, {});
    ClockUser user;
    pid_t clock = -1;
    struct Ends {
        pid_t& clock;
        pid_t& server;
        ~Ends() {
            EndProcess(clock);
            AskToEnd(server);
        }
    } ends{clock, server};
    {
        std::unique_ptr<XProbe> probe;
        ASSERT_TRUE(WaitFor(
            [&] {
                probe = std::make_unique<XProbe>(name.c_str());
                return probe->display() != nullptr;
            },
            30000));
        std::vector<std::string> env = user.Env();
        env.push_back("DISPLAY=" + name);
        clock = Spawn({TICKORA_CLOCK_PATH}, env);
        const Window window = probe->WaitForClock(clock);
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(probe->WaitForSize(window, 290, 290));
        probe->ClickAt(150 + 145, 100 + 145, 3);
        ASSERT_TRUE(WaitFor([&] { return probe->PopupShown(); }));
        // Scale > 20% ... 80%: on disk as soon as it is chosen.
        ASSERT_TRUE(probe->PressKeys(
            {"Down", "Right", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}));
        EXPECT_TRUE(WaitFor([&] {
            return user.Settings().find("Scale=dword:00000050") != std::string::npos;
        })) << user.Settings();
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    server = -1;
    const int status = WaitForExit(clock);
    if (status >= 0) clock = -1;
    EXPECT_EQ(status, 0);
    EXPECT_NE(user.Settings().find("Scale=dword:00000050"), std::string::npos) << user.Settings();
    EXPECT_NE(user.Settings().find("PosX=dword:00000096"), std::string::npos) << user.Settings();
    EXPECT_TRUE(fs::exists(user.AutostartEntry()));
}

}  // namespace
}  // namespace tickora::linux_e2e
