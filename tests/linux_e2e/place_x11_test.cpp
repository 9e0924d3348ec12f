// Where the Linux clock stays on X11: at a scale factor of 2, under window
// managers that frame it or place it themselves, off every monitor and on a
// screen that shrinks under it. Each test runs an X server of its own, so no
// window manager or screen change reaches the shared display.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/own_x.h"
#include "linux_e2e/x_probe.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tickora::linux_e2e {
namespace {

// PosX, PosY as saved, or a value no test expects when missing.
std::pair<int, int> SavedPlace(const std::string& settings) {
    const auto read = [&](const std::string& name) {
        const std::size_t at = settings.find(name + "=dword:");
        if (at == std::string::npos) return -999999;
        return static_cast<int>(std::stoul(settings.substr(at + name.size() + 7, 8), nullptr, 16));
    };
    return {read("PosX"), read("PosY")};
}

// Drags the clock's window with the first button from its middle, as a user
// would, and lets go: the window manager (or GDK standing in for one) moves it.
// Until the mover has taken the pointer, motion reaches the clock instead:
// the pointer is nudged right until the window follows. A clock given as
// `late` is stopped for the rest of the drag, so that it handles all of it
// late. With Alt held the window manager moves the window itself (the clock
// sees no press). Returns how far the window moved, in the server's pixels.
std::pair<int, int> Drag(XProbe& probe, Window window, int dx, int dy, pid_t late = -1,
                         bool alt = false) {
    Display* display = probe.display();
    const XProbe::Geometry before = probe.GeometryOf(window);
    const int x = before.x + before.width / 2;
    const int y = before.y + before.height / 2;
    const KeyCode altKey = XKeysymToKeycode(display, XK_Alt_L);
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    if (alt) XTestFakeKeyEvent(display, altKey, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XSync(display, False);
    int nudge = 0;
    const bool following = WaitFor(
        [&] {
            XTestFakeMotionEvent(display, -1, x + ++nudge, y, CurrentTime);
            XSync(display, False);
            return probe.GeometryOf(window).x != before.x;
        },
        10000, 50);
    if (late > 0) kill(late, SIGSTOP);
    XTestFakeMotionEvent(display, -1, x + dx, y + dy, CurrentTime);
    XSync(display, False);
    WaitFor([&] { return probe.GeometryOf(window).y != before.y; });
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    if (alt) XTestFakeKeyEvent(display, altKey, False, CurrentTime);
    XSync(display, False);
    const XProbe::Geometry after = probe.GeometryOf(window);
    if (late > 0) kill(late, SIGCONT);
    EXPECT_TRUE(following) << "the window did not follow the pointer";
    return {after.x - before.x, after.y - before.y};
}

// The clock has handled everything before (its window's map included) once its
// menu opens on a right click; Escape closes it again. A move the window
// manager made before the clock saw its window mapped is the manager's.
void WaitUntilClockAnswers(XProbe& probe, Window window) {
    const XProbe::Geometry at = probe.GeometryOf(window);
    probe.ClickAt(at.x + at.width / 2, at.y + at.height / 2, 3);
    ASSERT_TRUE(WaitFor([&] { return probe.PopupShown(); }));
    ASSERT_TRUE(probe.PressKeys({"Escape"}));
    // The menu lets the pointer and keyboard go just after it is hidden.
    Display* display = probe.display();
    const Window root = DefaultRootWindow(display);
    ASSERT_TRUE(WaitFor([&] {
        const bool free = XGrabPointer(display, root, False, 0, GrabModeAsync, GrabModeAsync, 0, 0,
                                       CurrentTime) == GrabSuccess &&
                          XGrabKeyboard(display, root, False, GrabModeAsync, GrabModeAsync,
                                        CurrentTime) == GrabSuccess;
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
        XSync(display, False);
        return free;
    }));
}

class PlaceX11 : public ::testing::Test, public ClockUser {
  protected:
    // The clock on this display, once the window manager (if any) has taken it.
    Window StartClock(XProbe& probe, const std::string& display,
                      const std::vector<std::string>& extra = {}) {
        std::vector<std::string> env = Env();
        env.push_back("DISPLAY=" + display);
        env.insert(env.end(), extra.begin(), extra.end());
        clock = Owned(Spawn({TICKORA_CLOCK_PATH}, env));
        const Window window = probe.WaitForClock(clock.pid);
        if (window != 0 && managed) {
            EXPECT_TRUE(WaitFor([&] {
                return CardinalProperty(probe.display(), window, "WM_STATE", AnyPropertyType) > 0;
            })) << "the window manager did not take the clock";
        }
        return window;
    }
    // Ends the clock as a session end does; its saved place.
    std::pair<int, int> EndClock() {
        kill(clock.pid, SIGTERM);
        EXPECT_EQ(WaitForExit(clock.pid), 0);
        clock.pid = -1;
        return SavedPlace(Settings());
    }
    bool managed = false;
    Owned clock;
};

// GDK counts window units, the X server device pixels: the place saved is the
// one in window units, and a drag or another program's move moves it by half
// the device pixels.
TEST_F(PlaceX11, ScaleFactorTwoKeepsThePlaceAndDragsInLogicalPixels) {
    OwnX x({"/usr/bin/Xvfb", "-screen", "0", "1280x1024x24"});
    ASSERT_FALSE(x.name.empty());
    XProbe probe(x.name.c_str());
    StoreSettings("PosX=dword:00000032\nPosY=dword:00000028\n");
    for (int run = 1; run <= 2; ++run) {
        const Window window = StartClock(probe, x.name, {"GDK_SCALE=2"});
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(probe.WaitForSize(window, 580, 580));
        EXPECT_EQ(probe.GeometryOf(window).x, 100) << "run " << run;
        EXPECT_EQ(probe.GeometryOf(window).y, 80) << "run " << run;
        if (run == 1) {
            EXPECT_EQ(EndClock(), std::make_pair(50, 40));
            continue;
        }
        // Another program moves the window (to 300, 200 on the server), then
        // the user drags it.
        WaitUntilClockAnswers(probe, window);
        EXPECT_EQ(RunTool({"/usr/bin/xdotool", "windowmove", std::to_string(window), "300", "200"},
                          {"DISPLAY=" + x.name}),
                  0);
        const std::pair<int, int> moved{150, 100};
        EXPECT_TRUE(WaitFor([&] { return SavedPlace(Settings()) == moved; })) << Settings();
        const auto [dx, dy] = Drag(probe, window, 121, 81);
        EXPECT_EQ(dx % 2, 0);
        const std::pair<int, int> dragged{150 + dx / 2, 100 + dy / 2};
        EXPECT_NE(dy, 0);
        EXPECT_TRUE(WaitFor([&] { return SavedPlace(Settings()) == dragged; })) << Settings();
        EXPECT_EQ(EndClock(), dragged);
    }
}

// A window manager that frames the clock (i3 floats a fixed-size window in a
// frame with a title bar) or places windows itself: where it puts the clock is
// never saved, and a drag changes the place by exactly as much as the window
// moved, also when the clock handles the drag's events late, and so does the
// window manager's own move.
class WindowManagerPlace : public PlaceX11, public ::testing::WithParamInterface<const char*> {};

TEST_P(WindowManagerPlace, UntouchedRunsKeepThePlaceAndADragIsSavedExactly) {
    OwnX x({"/usr/bin/Xvfb", "-screen", "0", "1280x800x24"});
    ASSERT_FALSE(x.name.empty());
    XProbe probe(x.name.c_str());
    WindowManager manager(probe, GetParam(), x.name, home, Env());
    ASSERT_TRUE(manager.started) << GetParam() << " did not start";
    managed = true;

    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    for (int run = 1; run <= 2; ++run) {
        ASSERT_NE(StartClock(probe, x.name), 0u);
        EXPECT_EQ(EndClock(), std::make_pair(100, 50)) << "run " << run;
    }
    const Window window = StartClock(probe, x.name);
    ASSERT_NE(window, 0u);
    std::pair<int, int> dragged{100, 50};
    WaitUntilClockAnswers(probe, window);
    if (std::string(GetParam()) != "i3") {
        // The window manager's own move (Alt and the first button) first.
        const auto [altX, altY] = Drag(probe, window, 50, 30, -1, true);
        EXPECT_NE(altY, 0);
        dragged = {dragged.first + altX, dragged.second + altY};
        EXPECT_TRUE(WaitFor([&] { return SavedPlace(Settings()) == dragged; })) << Settings();
    }
    const auto [dx, dy] = Drag(probe, window, 90, 60, clock.pid);
    EXPECT_NE(dy, 0);
    dragged = {dragged.first + dx, dragged.second + dy};
    EXPECT_TRUE(WaitFor([&] { return SavedPlace(Settings()) == dragged; })) << Settings();
    EXPECT_EQ(EndClock(), dragged);
}

INSTANTIATE_TEST_SUITE_P(Managers, WindowManagerPlace, ::testing::Values("i3", "openbox", "xfwm4"),
                         [](const auto& info) { return std::string(info.param); });

// A place on no monitor is shown whole on the nearest one and kept; a screen
// that shrinks under the clock brings it along, and it goes back when the
// screen grows again. Xvfb cannot change its size: Xephyr (inside an Xvfb) can.
TEST_F(PlaceX11, OffEveryMonitorAndAShrinkingScreenShowItWholeAndKeepThePlace) {
    OwnX host({"/usr/bin/Xvfb", "-screen", "0", "1280x1024x24"});
    ASSERT_FALSE(host.name.empty());
    OwnX x({"/usr/bin/Xephyr", "-resizeable", "-screen", "1024x768"}, {"DISPLAY=" + host.name});
    ASSERT_FALSE(x.name.empty());
    XProbe probe(x.name.c_str());
    const auto at = [&](Window window, int left, int top) {
        return WaitFor([&] {
            const XProbe::Geometry geometry = probe.GeometryOf(window);
            return geometry.x == left && geometry.y == top;
        });
    };
    const auto resize = [&](const char* size) {
        Owned xrandr(Spawn({"/usr/bin/xrandr", "-s", size}, {"DISPLAY=" + x.name}));
        EXPECT_EQ(WaitForExit(xrandr.pid), 0);
        xrandr.pid = -1;
    };

    StoreSettings("PosX=dword:00001388\nPosY=dword:fffff830\n");
    Window window = StartClock(probe, x.name);
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(at(window, 1024 - 290, 0)) << "not whole on the screen";
    EXPECT_EQ(EndClock(), std::make_pair(5000, -2000));

    StoreSettings("PosX=dword:00000258\nPosY=dword:00000190\n");
    window = StartClock(probe, x.name);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(at(window, 600, 400));
    resize("640x480");
    EXPECT_TRUE(at(window, 640 - 290, 480 - 290)) << "not brought onto the smaller screen";
    resize("1024x768");
    EXPECT_TRUE(at(window, 600, 400)) << "not back at its place";
    EXPECT_EQ(EndClock(), std::make_pair(600, 400));
}

}  // namespace
}  // namespace tickora::linux_e2e
