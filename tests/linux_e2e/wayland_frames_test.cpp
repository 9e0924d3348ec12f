// What the compositor shows of the clock on its layer surface, and what the
// clock's frames cost it: the screen holds the preview renderer's frame for the
// same time at every scale, and the clock draws in a fixed few buffers of its
// own, even when the compositor gives them back late.
#include <sys/wait.h>

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "linux_e2e/sway_desktop.h"

namespace tickora::wayland_e2e {
namespace {

constexpr const char* kFakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

// A frame of the preview renderer: premultiplied ARGB, width x height.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

class WaylandFrames : public SwayDesktop {
  protected:
    // The clock's local time is read from a file (libfaketime): a fixed time,
    // or "+0" for the real one.
    void SetTime(const std::string& time) {
        const fs::path file = root / "home/faketime";
        std::ofstream(file.string() + ".new") << time << "\n";
        fs::rename(file.string() + ".new", file);
    }
    std::vector<std::string> ClockEnv() {
        return {std::string("LD_PRELOAD=") + kFakeTime,
                "FAKETIME_TIMESTAMP_FILE=" + (root / "home/faketime").string(),
                "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1",
                // The sanitizers' runtime then is not the first library.
                "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"};
    }

    bool SetOutputScale(int scale) {
        // -r: a JSON answer, so that success is not an empty output.
        return !SwayMessage({"-r", "output", "HEADLESS-1", "scale", std::to_string(scale)})
                    .empty() &&
               // The compositor draws the pointer into the screenshots: away
               // from the clock (a new scale leaves it elsewhere).
               pointer.Tell("move 1200 700");
    }

    Picture Preview(const std::string& time, int scale) {
        const fs::path png = root / ("preview-" + std::to_string(scale) + ".png");
        const pid_t preview = Spawn(
            {TICKORA_PREVIEW_PATH, "--time", time, "--scale", std::to_string(scale), png.string()},
            {}, root / "preview.log");
        int status = -1;
        waitpid(preview, &status, 0);
        Picture picture;
        cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
        if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
            picture.width = cairo_image_surface_get_width(image);
            picture.height = cairo_image_surface_get_height(image);
            const unsigned char* data = cairo_image_surface_get_data(image);
            for (int y = 0; y < picture.height; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(
                    data + y * cairo_image_surface_get_stride(image));
                picture.pixels.insert(picture.pixels.end(), row, row + picture.width);
            }
        }
        cairo_surface_destroy(image);
        return picture;
    }

    // The largest difference of a colour byte between the screen at x, y
    // (screenshot pixels) and the frame laid over the desktop's colour.
    static int Difference(const Shot& shot, int x, int y, const Picture& frame) {
        if (shot.Empty() || frame.pixels.empty() || x + frame.width > shot.width ||
            y + frame.height > shot.height) {
            return 256;
        }
        const std::uint32_t desktop = shot.pixels.back();
        int worst = 0;
        for (int row = 0; row < frame.height; ++row) {
            for (int column = 0; column < frame.width; ++column) {
                const std::uint32_t source =
                    frame.pixels[static_cast<std::size_t>(row) * frame.width + column];
                const int alpha = static_cast<int>(source >> 24);
                const std::uint32_t seen = shot.At(x + column, y + row);
                for (int shift = 0; shift < 24; shift += 8) {
                    const int under = static_cast<int>(desktop >> shift & 0xFF);
                    const int expected = static_cast<int>(source >> shift & 0xFF) +
                                         (under * (255 - alpha) + 127) / 255;
                    worst = std::max(worst,
                                     std::abs(expected - static_cast<int>(seen >> shift & 0xFF)));
                }
            }
        }
        return worst;
    }

    // The screen comes to hold the frame (the PNG's straight alpha and the
    // blending each round a byte: 2 of 255 at most).
    bool Shows(int x, int y, const Picture& frame, int* worst) {
        return WaitFor([&] { return (*worst = Difference(Screenshot(), x, y, frame)) <= 2; });
    }

    std::string Protocol() const { return ReadFile(root / "home/protocol.log"); }
    static int Count(const std::string& text, const std::string& what) {
        int count = 0;
        for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; ++at) ++count;
        return count;
    }
};

TEST_F(WaylandFrames, TheScreenHoldsThePreviewsFrameAtEveryScale) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    SetTime("2026-12-07 10:08:30");
    ASSERT_TRUE(pointer.Tell("move 1200 700"));  // out of the screenshots' way
    clock = RunAsUser({TICKORA_CLOCK_PATH}, ClockEnv());
    const Picture at100 = Preview("10:08:30", 100);
    const Picture at200 = Preview("10:08:30", 200);
    int worst = 0;
    EXPECT_TRUE(Shows(100, 50, at100, &worst)) << "Scale 100: " << worst;

    // Output scale 2: twice the device pixels, the Scale 200 frame; and back.
    ASSERT_TRUE(SetOutputScale(2));
    EXPECT_TRUE(Shows(200, 100, at200, &worst)) << "output scale 2: " << worst;
    ASSERT_TRUE(SetOutputScale(1));
    EXPECT_TRUE(Shows(100, 50, at100, &worst)) << "back at output scale 1: " << worst;

    // Scale 200 in the settings, then Scale 100 again.
    clock.End();
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\nScale=dword:000000c8\n");
    clock = RunAsUser({TICKORA_CLOCK_PATH}, ClockEnv());
    EXPECT_TRUE(Shows(100, 50, at200, &worst)) << "Scale 200: " << worst;
    clock.End();
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\nScale=dword:00000064\n");
    clock = RunAsUser({TICKORA_CLOCK_PATH}, ClockEnv());
    EXPECT_TRUE(Shows(100, 50, at100, &worst)) << "Scale 100 again: " << worst;
}

// Hundreds of frames in a fixed few buffers; and a compositor that gives
// buffers back late (simulated in the clock by a delay before it takes a
// release as done) makes the clock wait or use another of its few buffers,
// never draw over one still shown, show a stale one or drop the last frame.
TEST_F(WaylandFrames, AFewBuffersServeEveryFrameEvenWhenTheCompositorHoldsThemLate) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    ASSERT_TRUE(pointer.Tell("move 1200 700"));  // out of the screenshots' way
    const auto start = [&](const std::string& hold) {
        std::vector<std::string> env = ClockEnv();
        env.push_back("TICKORA_HOLD_BUFFERS_MS=" + hold);
        env.push_back("WAYLAND_DEBUG=1");
        fs::remove(root / "home/protocol.log");
        return RunAsUser({"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", TICKORA_CLOCK_PATH,
                          (root / "home/protocol.log").string()},
                         env);
    };
    SetTime("+0");
    clock = start("0");
    // Twelve frames a second with the second hand: a few hundred of them.
    ASSERT_TRUE(WaitFor([&] { return Count(Protocol(), ".attach(") >= 40; }, 120000));
    const int early = Count(Protocol(), ".create_buffer(");
    ASSERT_TRUE(WaitFor([&] { return Count(Protocol(), ".attach(") >= 300; }, 180000));
    const int late = Count(Protocol(), ".create_buffer(");
    EXPECT_EQ(late, early) << "buffers made while the frames went on";
    EXPECT_LE(late, 5) << "buffers made (three of the clock's, GTK's for its own surface)";

    // Each buffer held five seconds after the compositor let it go: frames
    // in quick turn take the other buffers, then wait for one; the last must
    // not be lost. (sway copies the damaged area at each commit, so what a
    // buffer holds outside it never reaches the screen here.)
    clock.End();
    clock = start("5000");
    for (const char* time : {"10:08:10", "10:08:14", "10:08:11", "10:08:13", "10:08:12"}) {
        SetTime(std::string("2026-12-07 ") + time);
        int worst = 0;
        EXPECT_TRUE(Shows(100, 50, Preview(time, 100), &worst)) << time << ": " << worst;
    }
    EXPECT_LE(Count(Protocol(), ".create_buffer("), 5);
}

}  // namespace
}  // namespace tickora::wayland_e2e
