// The layer surface of the Linux clock (the sanitizer build) on places at the
// ends of what a settings file can hold: shown whole on the output, dragged by
// its margins, ended by a session end; it ends cleanly (a sanitizer report
// would end it with status 1) and saves the place it should.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <utility>

#include "linux_e2e/sway_desktop.h"

namespace tickora::wayland_e2e {
namespace {

TEST_F(SwayDesktop, EachEndOfTheRangeIsShownWholeKeptAndDraggedFrom) {
    constexpr int kMax = 0x7fffffff;
    constexpr int kMin = -kMax - 1;
    const std::pair<int, int> places[] = {{kMax, kMin}, {kMin, kMax}, {kMax, kMax}, {kMin, kMin}};
    for (const auto& [storedX, storedY] : places) {
        SCOPED_TRACE(PlaceLines(storedX, storedY));
        const int shownX = storedX > 0 ? kWidth - kFace : 0;
        const int shownY = storedY > 0 ? kHeight - kFace : 0;
        StoreSettings(PlaceLines(storedX, storedY));
        clock = StartClock();
        EXPECT_TRUE(WaitFor([&] { return DialShownAt(shownX, shownY); }));
        kill(clock.pid, SIGTERM);
        EXPECT_EQ(clock.Wait(), 0);
        EXPECT_NE(Settings().find(PlaceLines(storedX, storedY)), std::string::npos) << Settings();

        // Towards the middle of the output, in two steps.
        const int dx = storedX > 0 ? -100 : 100;
        const int dy = storedY > 0 ? -60 : 60;
        clock = StartClock();
        ASSERT_TRUE(WaitFor([&] { return DialShownAt(shownX, shownY); }));
        const auto to = [&](int x, int y) {
            return "move " + std::to_string(shownX + 145 + x) + " " +
                   std::to_string(shownY + 145 + y);
        };
        ASSERT_TRUE(pointer.Tell(to(0, 0)));
        ASSERT_TRUE(pointer.Tell("press 272"));
        ASSERT_TRUE(pointer.Tell(to(dx / 2, dy / 2)));
        ASSERT_TRUE(pointer.Tell(to(dx, dy)));
        ASSERT_TRUE(pointer.Tell("release 272"));
        const std::string dragged = PlaceLines(shownX + dx, shownY + dy);
        EXPECT_TRUE(WaitFor([&] { return Settings().find(dragged) != std::string::npos; }))
            << Settings();
        EXPECT_TRUE(WaitFor([&] { return DialShownAt(shownX + dx, shownY + dy); }));
        kill(clock.pid, SIGTERM);
        EXPECT_EQ(clock.Wait(), 0);
        EXPECT_NE(Settings().find(dragged), std::string::npos) << Settings();
    }
}

}  // namespace
}  // namespace tickora::wayland_e2e
