// The clock as a desktop clock under X11 window managers: on every workspace,
// below the windows the user works in (also after a click on it), above them
// once Always on Top is switched on from its menu, and still shown while the
// user shows the desktop. One run of each window manager, on an X server of
// its own with two workspaces.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <string>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/own_x.h"
#include "linux_e2e/x_probe.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace tickora::linux_e2e {
namespace {

bool Viewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// Where a managed window stands among the others, bottom to top (-1: nowhere).
long StackingIndex(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long index = -1;
    if (XGetWindowProperty(display, DefaultRootWindow(display),
                           XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False), 0, 1024, False,
                           XA_WINDOW, &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        const auto* windows = reinterpret_cast<const Window*>(data);
        const auto* found = std::find(windows, windows + count, window);
        if (found != windows + count) index = found - windows;
    }
    if (data != nullptr) XFree(data);
    return index;
}

class DesktopX11 : public ::testing::TestWithParam<const char*>, public ClockUser {};

TEST_P(DesktopX11, OnEveryWorkspaceInItsBandAndThroughShowDesktop) {
    OwnX x({"/usr/bin/Xvfb", "-screen", "0", "1280x800x24"});
    ASSERT_FALSE(x.name.empty());
    XProbe probe(x.name.c_str());
    Display* display = probe.display();
    const Window root = DefaultRootWindow(display);
    const auto rootNumber = [&](const char* name) {
        return CardinalProperty(display, root, name, XA_CARDINAL);
    };
    const auto wmctrl = [&](const char* option, const char* value) {
        return RunTool({"/usr/bin/wmctrl", option, value}, {"DISPLAY=" + x.name});
    };
    WindowManager manager(probe, GetParam(), x.name, home, Env());
    ASSERT_TRUE(manager.started) << GetParam() << " did not start";
    // A manager still starting up may set its own number of workspaces after
    // an early request.
    ASSERT_TRUE(
        WaitFor([&] { return rootNumber("_NET_NUMBER_OF_DESKTOPS") == 2 || wmctrl("-n", "2") < 0; },
                30000, 200));

    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    std::vector<std::string> env = Env();
    env.push_back("DISPLAY=" + x.name);
    Owned clock(Spawn({TICKORA_CLOCK_PATH}, env));
    const Window window = probe.WaitForClock(clock.pid);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(WaitFor(
        [&] { return CardinalProperty(display, window, "WM_STATE", AnyPropertyType) > 0; }));

    // A window the user works in, over the lower right of the clock (at 100, 50).
    const Window other = XCreateSimpleWindow(display, root, 250, 200, 300, 300, 0, 0, 0xffffff);
    XSizeHints hints{};
    hints.flags = USPosition | USSize;
    hints.x = 250;
    hints.y = 200;
    hints.width = hints.height = 300;
    XSetWMNormalHints(display, other, &hints);
    XMapWindow(display, other);
    XSync(display, False);
    ASSERT_TRUE(
        WaitFor([&] { return Viewable(display, other) && StackingIndex(display, other) >= 0; }));

    // The clock handles the click late, after its release (as on a busy
    // machine): it must not leave the manager moving the window, which would
    // swallow the next click (the menu's, below).
    kill(clock.pid, SIGSTOP);
    probe.ClickAt(100 + 60, 50 + 60, 1);
    kill(clock.pid, SIGCONT);
    EXPECT_TRUE(WaitFor([&] {
        return CardinalProperty(display, root, "_NET_ACTIVE_WINDOW", XA_WINDOW) ==
               static_cast<long>(window);
    })) << "the click did not focus the clock";
    EXPECT_LT(StackingIndex(display, window), StackingIndex(display, other))
        << "the click raised the clock above the window";

    ASSERT_EQ(wmctrl("-s", "1"), 0);
    ASSERT_TRUE(WaitFor(
        [&] { return rootNumber("_NET_CURRENT_DESKTOP") == 1 && !Viewable(display, other); }));
    EXPECT_TRUE(Viewable(display, window)) << "not on the second workspace";
    ASSERT_EQ(wmctrl("-k", "on"), 0);
    ASSERT_TRUE(WaitFor([&] { return rootNumber("_NET_SHOWING_DESKTOP") == 1; }));
    EXPECT_TRUE(WaitFor([&] { return Viewable(display, window); })) << "hidden by show desktop";
    ASSERT_EQ(wmctrl("-k", "off"), 0);
    ASSERT_EQ(wmctrl("-s", "0"), 0);
    ASSERT_TRUE(WaitFor([&] {
        return rootNumber("_NET_SHOWING_DESKTOP") == 0 && rootNumber("_NET_CURRENT_DESKTOP") == 0 &&
               Viewable(display, other) && Viewable(display, window);
    }));

    // Always on Top, the fifth item of the menu.
    probe.ClickAt(100 + 60, 50 + 60, 3);
    ASSERT_TRUE(WaitFor([&] { return probe.PopupShown(); })) << "no menu";
    ASSERT_TRUE(probe.PressKeys({"Down", "Down", "Down", "Down", "Down", "Return"}));
    EXPECT_TRUE(WaitFor([&] {
        return StackingIndex(display, window) > StackingIndex(display, other);
    })) << "not above the window with Always on Top";
    ASSERT_EQ(wmctrl("-s", "1"), 0);
    ASSERT_TRUE(WaitFor(
        [&] { return rootNumber("_NET_CURRENT_DESKTOP") == 1 && !Viewable(display, other); }));
    EXPECT_TRUE(Viewable(display, window)) << "not on the second workspace, on top";

    kill(clock.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(clock.pid), 0);
    clock.pid = -1;
    EXPECT_NE(Settings().find("TopMost=dword:00000001"), std::string::npos) << Settings();
}

INSTANTIATE_TEST_SUITE_P(Managers, DesktopX11, ::testing::Values("openbox", "xfwm4"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace tickora::linux_e2e
