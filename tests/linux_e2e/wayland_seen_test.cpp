// When the clock on its layer surface draws: nothing while the compositor
// holds its frame callback (sway does under a fullscreen window), and the right
// time as soon as the callback comes back. Frames are counted through the
// clock's TICKORA_FRAME_TALLY hook; the time is libfaketime's, preloaded into
// the clock alone.
#include <sys/wait.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "linux_e2e/sway_desktop.h"

namespace tickora::wayland_e2e {
namespace {

constexpr const char* kFakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

class WaylandSeen : public SwayDesktop {
  protected:
    void SetTime(const std::string& time) {
        const fs::path file = root / "home/faketime";
        std::ofstream(file.string() + ".new") << "2026-12-07 " << time << "\n";
        fs::rename(file.string() + ".new", file);
    }
    void StartClock() {
        clock = RunAsUser({TICKORA_CLOCK_PATH},
                          {std::string("LD_PRELOAD=") + kFakeTime,
                           "FAKETIME_TIMESTAMP_FILE=" + (root / "home/faketime").string(),
                           "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1",
                           "TICKORA_FRAME_TALLY=" + (root / "home/frames").string(),
                           "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"});
    }
    std::uintmax_t Frames() const {
        std::error_code error;
        const std::uintmax_t size = fs::file_size(root / "home/frames", error);
        return error ? 0 : size;
    }

    // The screen comes to hold the preview's frame for the time at 100, 50
    // (laid over the desktop's colour; the PNG's straight alpha and the
    // blending each round a byte: 2 of 255 at most).
    ::testing::AssertionResult Shows(const std::string& time) {
        const fs::path png = root / "preview.png";
        int status = -1;
        waitpid(
            Spawn({TICKORA_PREVIEW_PATH, "--time", time, png.string()}, {}, root / "preview.log"),
            &status, 0);
        cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(image);
            return ::testing::AssertionFailure() << "no preview";
        }
        int worst = 256;
        const bool same = WaitFor([&] {
            const Shot shot = Screenshot();
            if (shot.Empty()) return false;
            const std::uint32_t desktop = shot.pixels.back();
            worst = 0;
            for (int row = 0; row < kFace; ++row) {
                const auto* line = reinterpret_cast<const std::uint32_t*>(
                    cairo_image_surface_get_data(image) +
                    row * cairo_image_surface_get_stride(image));
                for (int column = 0; column < kFace; ++column) {
                    const int alpha = static_cast<int>(line[column] >> 24);
                    for (int shift = 0; shift < 24; shift += 8) {
                        const int under = static_cast<int>(desktop >> shift & 0xFF);
                        const int expected = static_cast<int>(line[column] >> shift & 0xFF) +
                                             (under * (255 - alpha) + 127) / 255;
                        const int seen =
                            static_cast<int>(shot.At(100 + column, 50 + row) >> shift & 0xFF);
                        worst = std::max(worst, std::abs(expected - seen));
                    }
                }
            }
            return worst <= 2;
        });
        cairo_surface_destroy(image);
        if (same) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << time << ": a byte differs by " << worst;
    }

    bool Fullscreen() {
        return SwayMessage({"-t", "get_tree"}).find("\"fullscreen_mode\": 1") != std::string::npos;
    }
};

TEST_F(WaylandSeen, NothingIsDrawnUnderAFullscreenWindowAndTheRightTimeWhenBack) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    ASSERT_TRUE(pointer.Tell("move 1200 700"));  // out of the screenshots' way
    SetTime("10:08:30");
    StartClock();
    ASSERT_TRUE(Shows("10:08:30"));
    // The tally counts the frames of a clock that can be seen.
    const std::uintmax_t seen = Frames();
    SetTime("10:08:31");
    ASSERT_TRUE(WaitFor([&] { return Frames() > seen; }));

    OpenWindow();
    ASSERT_FALSE(SwayMessage({"-r", "fullscreen", "enable"}).empty());
    ASSERT_TRUE(WaitFor([&] { return Fullscreen(); }));
    // Over a few seconds in which a seen clock would draw a frame at each step
    // of the time (twelve), next to none: the span is what is observed, not a wait for
    // something to happen.
    const std::uintmax_t hidden = Frames();
    for (int second = 32; second < 44; ++second) {
        SetTime("10:08:" + std::to_string(second));
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    // At most one: the frame whose callback the compositor holds back tells
    // the clock that it cannot be seen.
    EXPECT_LE(Frames(), hidden + 1) << "frames drawn under the fullscreen window";

    SetTime("10:08:50");
    window.End();
    EXPECT_TRUE(Shows("10:08:50")) << "when the window has gone";
}

}  // namespace
}  // namespace tickora::wayland_e2e
