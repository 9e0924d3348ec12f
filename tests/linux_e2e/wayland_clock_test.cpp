// The Linux clock on a Wayland desktop: a headless sway (layer-shell and
// XWayland), run with the clock as an unprivileged user of the test's own. What
// the user sees is read from grim screenshots; the mouse is a virtual pointer.
#include <glib.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "linux_e2e/sway_desktop.h"
#include "linux_e2e/x_probe.h"

namespace tickora::wayland_e2e {
namespace {

namespace fs = std::filesystem;

TEST_F(SwayDesktop, LayerSurfaceAtItsPlaceIsMovedByDraggingAndSaved) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); })) << "not at PosX, PosY";

    ASSERT_TRUE(pointer.Tell("move 245 195"));
    ASSERT_TRUE(pointer.Tell("press 272"));
    ASSERT_TRUE(pointer.Tell("move 305 235"));
    ASSERT_TRUE(pointer.Tell("move 345 265"));
    ASSERT_TRUE(pointer.Tell("release 272"));
    EXPECT_TRUE(WaitFor([&] {
        return Settings().find("PosX=dword:000000c8") != std::string::npos &&
               Settings().find("PosY=dword:00000078") != std::string::npos;
    })) << Settings();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(200, 120); }));
}

TEST_F(SwayDesktop, AlwaysOnTopPutsTheClockAboveWindows) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); }));
    // On the bottom layer an application window hides the clock.
    OpenWindow();
    EXPECT_TRUE(WaitFor([&] { return Screenshot().At(245, 195) == kWindowColour; }));

    clock.End();
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\nTopMost=dword:00000001\n");
    clock = StartClock();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(100, 50); })) << "not on the top layer";
}

TEST_F(SwayDesktop, PassThroughLetsClicksThroughUntilASecondStart) {
    OpenWindow();
    StoreSettings(
        "PosX=dword:00000064\nPosY=dword:00000032\nTopMost=dword:00000001\n"
        "Transparent=dword:00000001\n");
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); }));
    // The click lands on the window below the clock: its input region is empty.
    Click(245, 195);
    EXPECT_EQ(window.WaitForLine("press"), "press 245 195");

    // The way back: starting the clock again, which ends at once. The running
    // clock takes the mouse when it gets to it: until then a drag on it is a
    // click on the window below.
    Child second = StartClock();
    EXPECT_EQ(second.Wait(), 0);
    // Each drag either moves the clock (its place is saved) or reaches the window
    // below (which reports the press); only then is it tried again.
    const auto moved = [&] { return Settings().find("PosX=dword:00000064") == std::string::npos; };
    EXPECT_TRUE(WaitFor([&] {
        return pointer.Tell("move 245 195") && pointer.Tell("press 272") &&
               pointer.Tell("move 275 215") && pointer.Tell("release 272") &&
               WaitFor([&] { return moved() || !window.WaitForLine("press", 1).empty(); }) &&
               moved();
    })) << "the clock did not take the mouse";
    EXPECT_NE(Settings().find("PosX=dword:00000082"), std::string::npos) << Settings();
}

// A compositor without layer-shell but with XWayland (weston, as GNOME is):
// the clock takes X11 there, where it has a place. Weston's window manager
// puts new windows where it likes: that place is never saved over the user's.
TEST(WestonDesktop, TheClockTakesXWaylandAndSavesItsPlace) {
    gchar* folder = g_dir_make_tmp("tickora-weston-XXXXXX", nullptr);
    const fs::path root = folder;
    g_free(folder);
    fs::create_directories(root / "run");
    fs::permissions(root / "run", fs::perms::owner_all);
    fs::create_directories(root / "config/tickora");
    std::ofstream(root / "config/tickora/settings.ini")
        << "[Software\\Velmarck\\Tickora]\nPosX=dword:00000064\nPosY=dword:00000032\n";
    const auto run = [&](std::vector<std::string> command, const std::string& log) {
        std::vector<std::string> env{"PATH=/usr/bin:/bin",
                                     "XDG_RUNTIME_DIR=" + (root / "run").string(),
                                     "XDG_CONFIG_HOME=" + (root / "config").string(),
                                     "WAYLAND_DISPLAY=wayland-1", "ASAN_OPTIONS=detect_leaks=0"};
        Child child;
        child.pid = Spawn(command, env, root / log);
        return child;
    };
    Child weston = run({"/usr/bin/weston", "--backend=headless-backend.so", "--xwayland",
                        "--socket=wayland-1", "--width=1280", "--height=800"},
                       "weston.log");
    std::string display;
    ASSERT_TRUE(WaitFor([&] {
        const std::string log = ReadFile(root / "weston.log");
        const std::size_t at = log.find("xserver listening on display ");
        if (at == std::string::npos) return false;
        display = log.substr(at + 29, log.find('\n', at) - at - 29);
        return true;
    })) << ReadFile(root / "weston.log");

    std::vector<std::string> clockCommand{"/usr/bin/env", "DISPLAY=" + display, TICKORA_CLOCK_PATH};
    Child clock = run(clockCommand, "clock.log");
    linux_e2e::XProbe::Geometry place{};
    {
        // Closed before weston ends: a connection to a server that is gone ends the test.
        linux_e2e::XProbe probe(display.c_str());
        ASSERT_NE(probe.display(), nullptr);
        // The clock starts at idle priority, behind XWayland's own start.
        Window window = 0;
        WaitFor([&] { return (window = probe.WaitForClock(clock.pid)) != 0; });
        ASSERT_NE(window, 0u) << "no X11 window: " << ReadFile(root / "clock.log") << " pid "
                              << clock.pid << " on " << display;
        place = probe.GeometryOf(window);
    }
    kill(clock.pid, SIGTERM);
    EXPECT_EQ(clock.Wait(), 0);
    const std::string settings = ReadFile(root / "config/tickora/settings.ini");
    EXPECT_NE(settings.find("PosX=dword:00000064\nPosY=dword:00000032"), std::string::npos)
        << settings << "shown at " << place.x << "," << place.y;
    clock.End();
    weston.End();
    fs::remove_all(root);
}

}  // namespace
}  // namespace tickora::wayland_e2e
