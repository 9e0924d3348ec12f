// Where the clock's layer surface goes on a headless sway: on the output that
// shows its place, across outputs when dragged, whole on the nearest output
// when its place is on none, and at its place at an output scale of 2.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "linux_e2e/sway_desktop.h"

namespace tickora::wayland_e2e {
namespace {

// The clock stopped for the whole drag handles all its events late, in one
// go: the surface has not moved under them, and the release's position wins.
TEST_F(SwayDesktop, ADragHandledLateEndsWhereThePointerLetGo) {
    StoreSettings(PlaceLines(100, 50));
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); }));
    ASSERT_TRUE(pointer.Tell("move 245 195"));
    kill(clock.pid, SIGSTOP);
    ASSERT_TRUE(pointer.Tell("press 272"));
    for (const char* to : {"move 265 205", "move 285 225", "move 305 245", "move 345 265"}) {
        ASSERT_TRUE(pointer.Tell(to));
    }
    ASSERT_TRUE(pointer.Tell("release 272"));
    kill(clock.pid, SIGCONT);
    EXPECT_TRUE(WaitFor([&] { return Settings().find(PlaceLines(200, 120)) != std::string::npos; }))
        << Settings();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(200, 120); }));
}

// A slow drag: the clock follows the pointer at each step before it goes on,
// however the compositor counts pointer positions while a surface moves.
TEST_F(SwayDesktop, ASlowDragFollowsThePointerStepByStep) {
    StoreSettings(PlaceLines(100, 50));
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); }));
    ASSERT_TRUE(pointer.Tell("move 245 195"));
    ASSERT_TRUE(pointer.Tell("press 272"));
    for (const int step : {20, 40, 60, 80}) {
        ASSERT_TRUE(pointer.Tell("move " + std::to_string(245 + step) + " " +
                                 std::to_string(195 + step / 2)));
        ASSERT_TRUE(WaitFor([&] { return DialShownAt(100 + step, 50 + step / 2); }))
            << "not under the pointer after " << step;
    }
    ASSERT_TRUE(pointer.Tell("release 272"));
    EXPECT_TRUE(WaitFor([&] { return Settings().find(PlaceLines(180, 90)) != std::string::npos; }))
        << Settings();
    // Nothing of it is left where it was.
    const Shot shot = Screenshot();
    ASSERT_FALSE(shot.Empty());
    EXPECT_EQ(shot.At(140, 195), shot.pixels.back());
    EXPECT_TRUE(DialShownAt(180, 90));
}

// Two outputs side by side: HEADLESS-1 at 0,0 and HEADLESS-2 at 1280,0.
class TwoOutputs : public SwayDesktop {
  protected:
    SwayOptions Options() const override {
        return {2, "output HEADLESS-1 position 0 0\noutput HEADLESS-2 position 1280 0", 2 * kWidth,
                kHeight};
    }
};

// The drag crosses onto the first output step by step; while the pointer is
// still on the second output the clock is under it. Let go on the first
// output, the clock is shown and saved there.
TEST_F(TwoOutputs, PlacedOnTheSecondOutputAndDraggedOntoTheFirst) {
    StoreSettings(PlaceLines(1500, 100));
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(1500, 100); })) << "not on the second output";
    ASSERT_TRUE(pointer.Tell("move 1645 245"));
    ASSERT_TRUE(pointer.Tell("press 272"));
    for (const int x : {1545, 1445, 1345, 1245, 1145, 1045}) {
        ASSERT_TRUE(pointer.Tell("move " + std::to_string(x) + " 245"));
        if (x - 145 >= kWidth) {
            ASSERT_TRUE(WaitFor([&] { return DialShownAt(x - 145, 100); })) << x;
        }
    }
    ASSERT_TRUE(pointer.Tell("release 272"));
    EXPECT_TRUE(WaitFor([&] { return Settings().find(PlaceLines(900, 100)) != std::string::npos; }))
        << Settings();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(900, 100); }));
}

TEST_F(TwoOutputs, APlaceOnNoOutputIsShownWholeOnTheNearestAndKept) {
    StoreSettings(PlaceLines(5000, 3000));
    clock = StartClock();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(2 * kWidth - kFace, kHeight - kFace); }));
    clock.End();
    EXPECT_NE(Settings().find(PlaceLines(5000, 3000)), std::string::npos) << Settings();

    // Outputs rearranged while it runs: the second output moves down, away
    // from the place, and back.
    StoreSettings(PlaceLines(1500, 100));
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(1500, 100); }));
    ASSERT_FALSE(SwayMessage({"-r", "output", "HEADLESS-2", "position", "1280", "400"}).empty());
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(1500, 400); })) << "not brought onto the output";
    ASSERT_FALSE(SwayMessage({"-r", "output", "HEADLESS-2", "position", "1280", "0"}).empty());
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(1500, 100); })) << "not back at its place";
    clock.End();
    EXPECT_NE(Settings().find(PlaceLines(1500, 100)), std::string::npos) << Settings();
}

// An output scale of 2: places are in logical pixels, screenshots in device pixels.
class ScaleTwo : public SwayDesktop {
  protected:
    SwayOptions Options() const override {
        return {1, "output HEADLESS-1 scale 2", kWidth / 2, kHeight / 2};
    }
};

TEST_F(ScaleTwo, ThePlaceRoundTripsAndADragMovesItInLogicalPixels) {
    StoreSettings(PlaceLines(100, 50));
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(200, 100, 2 * kFace); }));
    clock.End();
    EXPECT_NE(Settings().find(PlaceLines(100, 50)), std::string::npos) << Settings();

    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(200, 100, 2 * kFace); }));
    ASSERT_TRUE(pointer.Tell("move 245 195"));
    ASSERT_TRUE(pointer.Tell("press 272"));
    ASSERT_TRUE(pointer.Tell("move 275 215"));
    ASSERT_TRUE(pointer.Tell("move 285 225"));
    ASSERT_TRUE(pointer.Tell("release 272"));
    EXPECT_TRUE(WaitFor([&] { return Settings().find(PlaceLines(140, 80)) != std::string::npos; }))
        << Settings();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(280, 160, 2 * kFace); }));
}

}  // namespace
}  // namespace tickora::wayland_e2e
