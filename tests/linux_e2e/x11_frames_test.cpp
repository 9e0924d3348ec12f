// What the clock's X11 window holds, pixel for pixel, while it ticks: the
// preview renderer's frame for the same time, after frames that changed only
// the second hand's area, after the window was covered and uncovered, and
// after a change of Scale. On a 32-bit visual without and with a compositing
// manager (with one, at 80 % opacity), with a shared-memory segment the server
// cannot attach, and on a server with neither a 32-bit visual nor MIT-SHM (a
// 24-bit window, its pixels sent in the requests). The time is frozen by
// libfaketime (preloaded into the clock alone) and moved on by whole seconds.
#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/window_pixels.h"
#include "linux_e2e/x_probe.h"

namespace tickora::linux_e2e {
namespace {

const std::string kFakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

// kShmRefused: the clock in an IPC namespace of its own, so the server cannot
// attach its segment (BadAccess) and it sends its pixels in the requests.
enum class Server { kPlain, kComposited, kShmRefused, kDepth24WithoutShm };

class X11Frames : public ::testing::TestWithParam<Server>, public ClockUser {
  protected:
    void SetUp() override {
        if (GetParam() == Server::kDepth24WithoutShm) {
            displayName = FreeDisplayName(160);
            // Without Composite the server offers no 32-bit visual.
            server = Spawn({"/usr/bin/Xvfb", displayName, "-nolisten", "tcp", "-noreset", "-screen",
                            "0", "800x600x24", "-extension", "Composite", "-extension", "MIT-SHM"},
                           {});
            ASSERT_TRUE(WaitFor([&] {
                probe = std::make_unique<XProbe>(displayName.c_str());
                return probe->display() != nullptr;
            }));
        } else {
            probe = std::make_unique<XProbe>();
            ASSERT_NE(probe->display(), nullptr) << "these tests need DISPLAY";
            displayName = DisplayString(probe->display());
        }
        if (GetParam() == Server::kComposited) {
            compositor = Spawn({"/usr/bin/xcompmgr"}, {});
            ASSERT_TRUE(WaitFor([&] { return probe->CompositorRunning(); }));
            // The blended pixels are readable: the constant opacity too.
            alpha = 80;
            StoreSettings("Alpha=dword:00000050\n");
        }
        std::ofstream(stamp) << "2026-03-14 10:15:01\n";
    }
    void TearDown() override {
        EndProcess(clock);
        EndProcess(compositor);
        probe.reset();
        AskToEnd(server);
    }

    void SetTime(const char* time) { std::ofstream(stamp) << "2026-03-14 " << time << "\n"; }

    // Waits until the window holds the preview's frame for the time and Scale:
    // every byte within one (the PNG keeps straight alpha). Without a
    // compositing manager only opaque pixels count (the window is cut to shape
    // and the server shows no alpha; a 24-bit window has no alpha byte).
    ::testing::AssertionResult Shows(const std::string& time, int scale, int size) {
        const fs::path png = home / "preview.png";
        if (WaitForExit(
                Spawn({TICKORA_PREVIEW_PATH, "--time", time, "--scale", std::to_string(scale),
                       "--alpha", std::to_string(alpha), png.string()},
                      {})) != 0) {
            return ::testing::AssertionFailure() << "no preview";
        }
        cairo_surface_t* expected = cairo_image_surface_create_from_png(png.c_str());
        const bool composited = GetParam() == Server::kComposited;
        int worst = 256;
        const bool same = WaitFor([&] {
            worst = LargestByteDifference(expected, probe->WindowPixels(window, size, size), size,
                                          composited);
            return worst <= 1;
        });
        cairo_surface_destroy(expected);
        if (same) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << time << " at Scale " << scale << ": a byte differs by " << worst;
    }

    std::string displayName;
    pid_t server = -1;
    std::unique_ptr<XProbe> probe;
    pid_t compositor = -1;
    pid_t clock = -1;
    Window window = 0;
    int alpha = 100;
    fs::path stamp = home / "faketime";
};

TEST_P(X11Frames, HoldThePreviewFrameThroughTicksExposesAndAScaleChange) {
    std::vector<std::string> argv{TICKORA_CLOCK_PATH};
    if (GetParam() == Server::kShmRefused) {
        argv.insert(argv.begin(), {"/usr/bin/unshare", "--ipc", "--"});
    }
    clock = Spawn(argv, {"DISPLAY=" + displayName, "XDG_CONFIG_HOME=" + (home / "config").string(),
                         "XDG_RUNTIME_DIR=" + (home / "run").string(), "TZ=UTC",
                         "LD_PRELOAD=" + kFakeTime, "FAKETIME_TIMESTAMP_FILE=" + stamp.string(),
                         "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1",
                         "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"});
    window = probe->WaitForClock(clock);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(probe->WaitForSize(window, 290, 290));
    EXPECT_EQ(probe->GeometryOf(window).depth, GetParam() == Server::kDepth24WithoutShm ? 24 : 32);
    ASSERT_TRUE(Shows("10:15:01", 100, 290));

    // Within one five-second step: each tick changes the second hand's area alone.
    for (const char* time : {"10:15:02", "10:15:03", "10:15:04"}) {
        SetTime(time);
        EXPECT_TRUE(Shows(time, 100, 290));
    }
    // Another client's window over the clock, then gone again.
    Display* display = probe->display();
    const Window cover =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 50, 400, 400, 0, 0, 0xFF00FF);
    XMapRaised(display, cover);
    XSync(display, False);
    XDestroyWindow(display, cover);
    XSync(display, False);
    EXPECT_TRUE(Shows("10:15:04", 100, 290)) << "after an expose";

    // Scale > 20% ... 80% from the menu: drawn from the next tick on (whole, at
    // the new size), then a tick that changes the second hand's area alone.
    probe->ClickAt(150 + 145, 100 + 145, 3);
    ASSERT_TRUE(WaitFor([&] { return probe->PopupShown(); }));
    ASSERT_TRUE(probe->PressKeys(
        {"Down", "Right", "Down", "Down", "Down", "Down", "Down", "Down", "Return"}));
    // Chosen (saved at once) before the time moves on.
    ASSERT_TRUE(
        WaitFor([&] { return Settings().find("Scale=dword:00000050") != std::string::npos; }));
    SetTime("10:15:03");
    ASSERT_TRUE(probe->WaitForSize(window, 232, 232));
    EXPECT_TRUE(Shows("10:15:03", 80, 232));
    SetTime("10:15:02");
    EXPECT_TRUE(Shows("10:15:02", 80, 232));
}

std::string ServerName(const ::testing::TestParamInfo<Server>& info) {
    const char* names[] = {"Plain", "Composited", "ShmRefused", "Depth24WithoutShm"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Servers, X11Frames,
                         ::testing::Values(Server::kPlain, Server::kComposited, Server::kShmRefused,
                                           Server::kDepth24WithoutShm),
                         ServerName);

}  // namespace
}  // namespace tickora::linux_e2e
