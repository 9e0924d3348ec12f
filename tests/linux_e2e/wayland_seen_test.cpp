// When the clock on its layer surface draws: a menu choice at once even while
// the hands stand still, nothing while the compositor holds its frame callback
// (sway does under a fullscreen window), and the right time as soon as the
// callback comes back. Frames are counted through the
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

    // The screen comes to hold the preview's frame for the time and settings
    // at 100, 50 (laid over the desktop's colour; the PNG's straight alpha and
    // the blending each round a byte: 2 of 255 at most).
    ::testing::AssertionResult Shows(const std::string& time, int scale = 100,
                                     bool seconds = true) {
        const fs::path png = root / "preview.png";
        const int size = kFace * scale / 100;
        int status = -1;
        waitpid(Spawn({TICKORA_PREVIEW_PATH, "--time", time, "--scale", std::to_string(scale),
                       "--seconds", seconds ? "on" : "off", png.string()},
                      {}, root / "preview.log"),
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
            for (int row = 0; row < size; ++row) {
                const auto* line = reinterpret_cast<const std::uint32_t*>(
                    cairo_image_surface_get_data(image) +
                    row * cairo_image_surface_get_stride(image));
                for (int column = 0; column < size; ++column) {
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
        return ::testing::AssertionFailure()
               << time << " at Scale " << scale << (seconds ? " with" : " without")
               << " seconds: a byte differs by " << worst;
    }

    // A menu that has just come up: what changed on the screen right of and
    // below x, y, and the middles of its rows of text (dark pixels where the
    // labels are, away from its edges and the check boxes).
    struct MenuShown {
        int left = 0;
        int right = 0;
        std::vector<int> rows;
    };
    static MenuShown FindMenu(const Shot& before, const Shot& after, int x, int y) {
        MenuShown menu{after.width, x, {}};
        int top = after.height;
        int bottom = y;
        for (int row = y; row < after.height; ++row) {
            for (int column = x; column < after.width; ++column) {
                if (before.At(column, row) == after.At(column, row)) continue;
                menu.left = std::min(menu.left, column);
                menu.right = std::max(menu.right, column);
                top = std::min(top, row);
                bottom = std::max(bottom, row);
            }
        }
        int first = -1;
        for (int row = top + 4; row <= bottom - 3; ++row) {
            bool dark = false;
            for (int column = menu.left + 28;
                 row < bottom - 3 && column < menu.left + 90 && column < menu.right - 4; ++column) {
                const std::uint32_t pixel = after.At(column, row);
                dark = dark || (pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF) < 300;
            }
            if (dark && first < 0) first = row;
            if (!dark && first >= 0) {
                menu.rows.push_back((first + row) / 2);
                first = -1;
            }
        }
        return menu;
    }

    // Clicks the item of a menu at `left` whose text is at row `y`, once the
    // menu has taken the pointer there (the item lights up).
    ::testing::AssertionResult ClickItem(int left, int y) {
        int nudge = 0;
        if (!WaitFor([&] {
                // Moved a little each time, until the menu takes the pointer.
                nudge = (nudge + 1) % 8;
                return pointer.Tell("move " + std::to_string(left + 30 + nudge) + " " +
                                    std::to_string(y)) &&
                       (Screenshot().At(left + 10, y) & 0xFF) < 0xF0;
            })) {
            return ::testing::AssertionFailure() << "the item did not light up";
        }
        // A release soon after the menu came up would be taken for the end of
        // a press-drag-release on the menu's own button, and ignored.
        if (!pointer.Tell("later 1000") || !pointer.Tell("press 272") ||
            !pointer.Tell("release 272")) {
            return ::testing::AssertionFailure() << "no click";
        }
        return ::testing::AssertionSuccess();
    }

    // Opens the clock's menu with the right button and clicks its item at
    // `index` (counting commands and submenus), or in the submenu of that
    // item the item at `subIndex`.
    // (The pointer waits in the top-left corner, out of the menus' way.)
    ::testing::AssertionResult Choose(std::size_t index, int subIndex = -1) {
        if (!pointer.Tell("move 5 5")) return ::testing::AssertionFailure() << "no pointer";
        const Shot plain = Screenshot();
        Click(245, 195, 273);
        MenuShown menu;
        Shot withMenu;
        if (!pointer.Tell("move 5 5") || !WaitFor([&] {
                withMenu = Screenshot();
                menu = FindMenu(plain, withMenu, 240, 190);
                return menu.rows.size() == 8;
            })) {
            return ::testing::AssertionFailure() << menu.rows.size() << " menu rows";
        }
        if (subIndex < 0) return ClickItem(menu.left, menu.rows[index]);
        Click(menu.left + 30, menu.rows[index]);
        MenuShown submenu;
        if (!pointer.Tell("move 5 5") || !WaitFor([&] {
                submenu = FindMenu(withMenu, Screenshot(), menu.right + 1, 0);
                return submenu.rows.size() == 11;
            })) {
            return ::testing::AssertionFailure() << submenu.rows.size() << " submenu rows";
        }
        return ClickItem(submenu.left, submenu.rows[static_cast<std::size_t>(subIndex)]);
        return ::testing::AssertionSuccess();
    }

    bool Fullscreen() {
        return SwayMessage({"-t", "get_tree"}).find("\"fullscreen_mode\": 1") != std::string::npos;
    }
};

// The hands stand still (seconds hidden, the time frozen right after a
// five-second step): each choice must make its own frame.
TEST_F(WaylandSeen, AMenuChoiceIsShownAtOnceWhileTheHandsStandStill) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\nShowSeconds=dword:00000000\n");
    ASSERT_TRUE(pointer.Tell("move 1200 700"));  // out of the screenshots' way
    SetTime("10:08:31");
    StartClock();
    ASSERT_TRUE(Shows("10:08:31", 100, false));
    ASSERT_TRUE(Choose(0, 6)) << "Scale > 80%";
    ASSERT_TRUE(
        WaitFor([&] { return Settings().find("Scale=dword:00000050") != std::string::npos; }));
    EXPECT_TRUE(Shows("10:08:31", 80, false));
    ASSERT_TRUE(Choose(6)) << "Seconds";
    EXPECT_TRUE(Shows("10:08:31", 80, true));
}

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
