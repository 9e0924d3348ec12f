// When the X11 clock draws: a menu choice is on screen at once even while the
// hands stand still (seconds hidden, the time frozen by libfaketime, preloaded
// into the clock alone), and nothing is drawn while the clock is minimised or
// the screen saver runs, the right time being shown as soon as it is back.
// Frames are counted through the clock's TICKORA_FRAME_TALLY hook. Each test
// runs an X server of its own, so no window manager or screen saver reaches
// the shared display.
#include <cairo.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/window_pixels.h"
#include "linux_e2e/x_probe.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/scrnsaver.h>

namespace tickora::linux_e2e {
namespace {

const std::string kFakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

class X11Seen : public ::testing::Test, public ClockUser {
  protected:
    void SetUp() override {
        displayName = FreeDisplayName(160);
        server = Spawn({"/usr/bin/Xvfb", displayName, "-nolisten", "tcp", "-noreset", "-screen",
                        "0", "800x600x24"},
                       {});
        ASSERT_TRUE(WaitFor([&] {
            probe = std::make_unique<XProbe>(displayName.c_str());
            return probe->display() != nullptr;
        }));
        SetTime("10:15:01");
    }
    void TearDown() override {
        EndProcess(clock);
        EndProcess(manager);
        probe.reset();
        AskToEnd(server);
    }

    void SetTime(const std::string& time) {
        std::ofstream(stamp.string() + ".new") << "2026-03-14 " << time << "\n";
        fs::rename(stamp.string() + ".new", stamp);
    }
    void StartClock() {
        clock = Spawn({TICKORA_CLOCK_PATH},
                      {"DISPLAY=" + displayName, "XDG_CONFIG_HOME=" + (home / "config").string(),
                       "XDG_RUNTIME_DIR=" + (home / "run").string(), "TZ=UTC",
                       "TICKORA_FRAME_TALLY=" + tally.string(), "LD_PRELOAD=" + kFakeTime,
                       "FAKETIME_TIMESTAMP_FILE=" + stamp.string(), "FAKETIME_NO_CACHE=1",
                       "FAKETIME_DONT_FAKE_MONOTONIC=1",
                       "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"});
        window = probe->WaitForClock(clock);
        ASSERT_NE(window, 0u);
    }
    std::uintmax_t Frames() const {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(tally, error);
        return error ? 0 : size;
    }

    // Waits until the window's opaque pixels (no compositing manager: the
    // window is cut to shape) are the preview's for the time and settings.
    ::testing::AssertionResult Shows(const std::string& time, int scale, bool seconds) {
        const int size = 290 * scale / 100;
        const fs::path png = home / "preview.png";
        if (WaitForExit(
                Spawn({TICKORA_PREVIEW_PATH, "--time", time, "--scale", std::to_string(scale),
                       "--seconds", seconds ? "on" : "off", png.string()},
                      {})) != 0) {
            return ::testing::AssertionFailure() << "no preview";
        }
        cairo_surface_t* expected = cairo_image_surface_create_from_png(png.c_str());
        int worst = 256;
        const bool same = WaitFor([&] {
            worst = LargestByteDifference(expected, probe->WindowPixels(window, size, size), size,
                                          false);
            return worst <= 1;
        });
        cairo_surface_destroy(expected);
        if (same) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << time << " at Scale " << scale << (seconds ? " with" : " without")
               << " seconds: a byte differs by " << worst;
    }

    // Opens the menu on the clock and walks it by keys.
    ::testing::AssertionResult Choose(const std::vector<const char*>& keys) {
        const XProbe::Geometry at = probe->GeometryOf(window);
        probe->ClickAt(at.x + at.width / 2, at.y + at.height / 2, 3);
        if (!WaitFor([&] { return probe->PopupShown(); })) {
            return ::testing::AssertionFailure() << "no menu";
        }
        if (!probe->PressKeys(keys)) return ::testing::AssertionFailure() << "a key did nothing";
        return ::testing::AssertionSuccess();
    }

    // Over a few seconds in which a seen clock would draw a frame at each
    // step of the time, the clock draws none: the span is what is observed,
    // not a wait for something to happen.
    ::testing::AssertionResult DrawsNothingWhileTheTimeRuns(int fromSecond) {
        const std::uintmax_t before = Frames();
        for (int second = fromSecond; second < fromSecond + 12; ++second) {
            char time[16];
            std::snprintf(time, sizeof time, "10:15:%02d", second);
            SetTime(time);
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        if (Frames() == before) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << Frames() - before << " frames drawn unseen";
    }

    std::string displayName;
    pid_t server = -1;
    pid_t manager = -1;
    std::unique_ptr<XProbe> probe;
    pid_t clock = -1;
    Window window = 0;
    fs::path stamp = home / "faketime";
    fs::path tally = home / "frames";
};

// The hands stand still (seconds hidden, the time frozen right after a
// five-second step): each choice must make its own frame.
TEST_F(X11Seen, AMenuChoiceIsShownAtOnceWhileTheHandsStandStill) {
    StoreSettings("ShowSeconds=dword:00000000\n");
    StartClock();
    ASSERT_TRUE(Shows("10:15:01", 100, false));
    // Scale > 80%.
    ASSERT_TRUE(
        Choose({"Down", "Right", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}));
    EXPECT_TRUE(probe->WaitForSize(window, 232, 232));
    EXPECT_TRUE(Shows("10:15:01", 80, false));
    // Seconds (Glass is the item before it).
    ASSERT_TRUE(Choose({"Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}));
    ASSERT_TRUE(WaitFor(
        [&] { return Settings().find("ShowSeconds=dword:00000001") != std::string::npos; }));
    EXPECT_TRUE(Shows("10:15:01", 80, true));
}

TEST_F(X11Seen, NothingIsDrawnWhileMinimisedOrBlankedAndTheRightTimeWhenBack) {
    Display* display = probe->display();
    manager = Spawn({"/usr/bin/openbox"}, {"DISPLAY=" + displayName, "HOME=" + home.string()});
    ASSERT_TRUE(WaitFor([&] {
        return CardinalProperty(display, DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK",
                                XA_WINDOW) > 0;
    })) << "openbox did not start";
    StartClock();
    ASSERT_TRUE(WaitFor([&] {
        return CardinalProperty(display, window, "WM_STATE", AnyPropertyType) == NormalState;
    }));
    ASSERT_TRUE(Shows("10:15:01", 100, true));
    // The tally counts the frames of a clock that can be seen.
    const std::uintmax_t seen = Frames();
    SetTime("10:15:02");
    ASSERT_TRUE(WaitFor([&] { return Frames() > seen; }));

    // Minimised, as a taskbar asks the window manager to.
    XIconifyWindow(display, window, DefaultScreen(display));
    XSync(display, False);
    ASSERT_TRUE(WaitFor([&] {
        return CardinalProperty(display, window, "WM_STATE", AnyPropertyType) == IconicState;
    }));
    EXPECT_TRUE(DrawsNothingWhileTheTimeRuns(3));
    SetTime("10:15:20");
    // Shown again: mapping an iconic window makes it normal.
    XMapWindow(display, window);
    XSync(display, False);
    EXPECT_TRUE(Shows("10:15:20", 100, true)) << "back from minimised";

    // The screen saver comes on (lockers and blankers drive it so).
    ASSERT_EQ(WaitForExit(Spawn({"/usr/bin/xset", "s", "activate"}, {"DISPLAY=" + displayName})),
              0);
    ASSERT_TRUE(WaitFor([&] {
        XScreenSaverInfo info{};
        return XScreenSaverQueryInfo(display, DefaultRootWindow(display), &info) != 0 &&
               info.state == ScreenSaverOn;
    }));
    EXPECT_TRUE(DrawsNothingWhileTheTimeRuns(21));
    SetTime("10:15:40");
    ASSERT_EQ(WaitForExit(Spawn({"/usr/bin/xset", "s", "reset"}, {"DISPLAY=" + displayName})), 0);
    EXPECT_TRUE(Shows("10:15:40", 100, true)) << "back from the screen saver";
}

}  // namespace
}  // namespace tickora::linux_e2e
