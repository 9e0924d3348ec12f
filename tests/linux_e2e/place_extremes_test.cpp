// The Linux clock (the sanitizer build) on places at the ends of what a
// settings file can hold: shown whole on the screen, ended by a session end or
// by a close, dragged; it ends cleanly (any sanitizer report would end it with
// status 1) and saves the place it should. An X server of its own, no window
// manager: GDK carries out the move.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/x_probe.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/extensions/XTest.h>

namespace tickora::linux_e2e {
namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kFace = 290;

std::string Place(int x, int y) {
    char text[64];
    std::snprintf(text, sizeof text, "PosX=dword:%08x\nPosY=dword:%08x\n", static_cast<unsigned>(x),
                  static_cast<unsigned>(y));
    return text;
}

// As a window manager's close button does.
void AskToClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

class PlaceExtremes : public ::testing::Test, public ClockUser {
  protected:
    void SetUp() override {
        // Another server may take the number meanwhile: then this one ends,
        // and the next free number is tried.
        for (int from = 230; from < 260 && display.empty(); ++from) {
            const std::string name = FreeDisplayName(from);
            from = std::stoi(name.substr(1));
            server =
                Spawn({"/usr/bin/Xvfb", name, "-screen", "0",
                       std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24",
                       "-nolisten", "tcp", "-noreset"},
                      {});
            if (WaitFor([&] { return fs::exists("/tmp/.X11-unix/X" + name.substr(1)); }, 10000) &&
                waitpid(server, nullptr, WNOHANG) == 0) {
                display = name;
            } else {
                EndProcess(server);
            }
        }
        ASSERT_FALSE(display.empty());
        probe = std::make_unique<XProbe>(display.c_str());
        ASSERT_NE(probe->display(), nullptr);
    }
    void TearDown() override {
        EndProcess(clock);
        probe.reset();
        AskToEnd(server);
    }

    // The clock's window, once it stands at x, y.
    Window StartClockAt(int x, int y) {
        std::vector<std::string> env = Env();
        env.push_back("DISPLAY=" + display);
        clock = Spawn({TICKORA_CLOCK_PATH}, env);
        const Window window = probe->WaitForClock(clock);
        EXPECT_NE(window, 0u);
        const bool there = WaitFor([&] {
            const XProbe::Geometry at = probe->GeometryOf(window);
            return at.x == x && at.y == y && at.width == kFace;
        });
        EXPECT_TRUE(there) << "not shown whole at " << x << ", " << y;
        return window;
    }
    int ClockExit() {
        const int status = WaitForExit(clock);
        if (status >= 0) clock = -1;
        return status;
    }

    // Drags the window from its middle by dx, dy as a user would; until GDK's
    // move has taken the pointer the motion reaches the clock instead, so the
    // pointer is nudged until the window follows. How far it moved.
    std::pair<int, int> Drag(Window window, int dx, int dy) {
        Display* x11 = probe->display();
        const XProbe::Geometry before = probe->GeometryOf(window);
        const int x = before.x + before.width / 2;
        const int y = before.y + before.height / 2;
        XTestFakeMotionEvent(x11, -1, x, y, CurrentTime);
        XTestFakeButtonEvent(x11, 1, True, CurrentTime);
        XSync(x11, False);
        int nudge = 0;
        EXPECT_TRUE(WaitFor(
            [&] {
                XTestFakeMotionEvent(x11, -1, x - ++nudge, y, CurrentTime);
                XSync(x11, False);
                return probe->GeometryOf(window).x != before.x;
            },
            10000, 50));
        XTestFakeMotionEvent(x11, -1, x + dx, y + dy, CurrentTime);
        XSync(x11, False);
        WaitFor([&] { return probe->GeometryOf(window).y != before.y; });
        XTestFakeButtonEvent(x11, 1, False, CurrentTime);
        XSync(x11, False);
        const XProbe::Geometry after = probe->GeometryOf(window);
        return {after.x - before.x, after.y - before.y};
    }

    std::string display;
    pid_t server = -1;
    pid_t clock = -1;
    std::unique_ptr<XProbe> probe;
};

TEST_F(PlaceExtremes, EachEndOfTheRangeIsShownWholeKeptAndDraggedFrom) {
    constexpr int kMax = 0x7fffffff;
    constexpr int kMin = -kMax - 1;
    const std::pair<int, int> places[] = {{kMax, kMin}, {kMin, kMax}, {kMax, kMax}, {kMin, kMin}};
    for (const auto& [storedX, storedY] : places) {
        SCOPED_TRACE(Place(storedX, storedY));
        // Whole on the screen, at the edges nearest to the stored place.
        const int shownX = storedX > 0 ? kScreenWidth - kFace : 0;
        const int shownY = storedY > 0 ? kScreenHeight - kFace : 0;
        for (const bool dragged : {false, true}) {
            for (const bool closed : {false, true}) {
                SCOPED_TRACE(std::string(dragged ? "dragged, " : "") +
                             (closed ? "closed" : "SIGTERM"));
                StoreSettings(Place(storedX, storedY));
                const Window window = StartClockAt(shownX, shownY);
                // Untouched, the stored place is kept; dragged towards the
                // middle, the place let go at is saved at once and at the end.
                std::string saved = Place(storedX, storedY);
                if (dragged) {
                    const auto [dx, dy] =
                        Drag(window, storedX > 0 ? -120 : 120, storedY > 0 ? -80 : 80);
                    EXPECT_NE(dy, 0);
                    saved = Place(shownX + dx, shownY + dy);
                    EXPECT_TRUE(WaitFor([&] {
                        return Settings().find(saved) != std::string::npos;
                    })) << Settings();
                }
                if (closed) {
                    AskToClose(probe->display(), window);
                } else {
                    kill(clock, SIGTERM);
                }
                EXPECT_EQ(ClockExit(), 0);
                EXPECT_NE(Settings().find(saved), std::string::npos) << Settings();
            }
        }
    }
}

}  // namespace
}  // namespace tickora::linux_e2e
