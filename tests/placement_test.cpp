#include "app/placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>

namespace tickora {
namespace {

constexpr int kFace = 290;
PlaceRect Clock(int x, int y) {
    return {x, y, kFace, kFace};
}

// Two 1280x800 monitors side by side, as a desktop with two outputs has them.
const std::vector<PlaceRect> kTwo{{0, 0, 1280, 800}, {1280, 0, 1280, 800}};

TEST(Placement, AClockOnAMonitorIsShownWhereItIsStoredAndOnIt) {
    EXPECT_EQ(PlaceToShow(kTwo, Clock(150, 100)).monitor, 0);
    const ShownPlace second = PlaceToShow(kTwo, Clock(1500, 100));
    EXPECT_EQ(second.monitor, 1);
    EXPECT_EQ(second.place, (PlacePoint{1500, 100}));
    EXPECT_EQ(MarginsOn(kTwo[1], second.place), (PlacePoint{220, 100}));
    EXPECT_EQ(PlaceFromMargins(kTwo[1], {220, 100}), (PlacePoint{1500, 100}));
    // Across the edge: the monitor with the larger part of it.
    EXPECT_EQ(PlaceToShow(kTwo, Clock(1100, 100)).monitor, 0);
    EXPECT_EQ(PlaceToShow(kTwo, Clock(1200, 100)).monitor, 1);
    // Dragged partly off the desktop, it stays where it was left.
    EXPECT_EQ(PlaceToShow(kTwo, Clock(-40, -200)).place, (PlacePoint{-40, -200}));
    EXPECT_EQ(PlaceToShow(kTwo, Clock(2560 - kGripPixels, 800 - kGripPixels)).place,
              (PlacePoint{2560 - kGripPixels, 800 - kGripPixels}));
}

TEST(Placement, APlaceOnNoMonitorIsShownWholeOnTheNearest) {
    // The second monitor gone: a clock stored on it comes to the first one's edge.
    const std::vector<PlaceRect> one{{0, 0, 1280, 800}};
    EXPECT_EQ(PlaceToShow(one, Clock(1500, 100)).place, (PlacePoint{990, 100}));
    // Only a sliver on a monitor is not enough to grab it.
    EXPECT_EQ(PlaceToShow(one, Clock(1280 - kGripPixels + 1, 700)).place, (PlacePoint{990, 510}));
    EXPECT_EQ(PlaceToShow(one, Clock(-5000, -5000)).place, (PlacePoint{0, 0}));
    EXPECT_EQ(PlaceToShow(kTwo, Clock(INT_MAX, INT_MIN)).place, (PlacePoint{2270, 0}));
    EXPECT_EQ(PlaceToShow(kTwo, Clock(INT_MAX, INT_MIN)).monitor, 1);
    // A screen that shrank to 800x600.
    EXPECT_EQ(PlaceToShow({{0, 0, 800, 600}}, Clock(1000, 700)).place, (PlacePoint{510, 310}));
    // Monitors of different sizes with a gap: the nearest, not the first.
    const std::vector<PlaceRect> apart{{0, 0, 1024, 768}, {3000, 200, 1920, 1080}};
    const ShownPlace between = PlaceToShow(apart, Clock(2500, 0));
    EXPECT_EQ(between.monitor, 1);
    EXPECT_EQ(between.place, (PlacePoint{3000, 200}));
    EXPECT_EQ(MarginsOn(apart[1], between.place), (PlacePoint{0, 0}));
    // A monitor at negative coordinates (left of the primary one).
    const std::vector<PlaceRect> left{{0, 0, 1280, 800}, {-1920, -280, 1920, 1080}};
    EXPECT_EQ(PlaceToShow(left, Clock(-2500, 900)).place, (PlacePoint{-1920, 510}));
    EXPECT_EQ(PlaceToShow(left, Clock(-1000, 0)).monitor, 1);
}

TEST(Placement, ClampingAndPointsAtTheEdges) {
    // Larger than the monitor: the top-left stays on it.
    EXPECT_EQ(ClampOnto({0, 0, 200, 200}, Clock(500, -500)), (PlacePoint{0, 0}));
    EXPECT_EQ(ClampOnto({100, 100, 640, 480}, Clock(0, 0)), (PlacePoint{100, 100}));
    EXPECT_EQ(MonitorAt(kTwo, {1279, 799}), 0);
    EXPECT_EQ(MonitorAt(kTwo, {1280, 0}), 1);
    EXPECT_EQ(MonitorAt(kTwo, {2560, 0}), -1);
    EXPECT_EQ(MonitorAt(kTwo, {-1, 0}), -1);
    // No monitor known: shown where it is stored.
    EXPECT_EQ(PlaceToShow({}, Clock(-9000, 5)).place, (PlacePoint{-9000, 5}));
    EXPECT_EQ(PlaceToShow({}, Clock(-9000, 5)).monitor, -1);
}

// Any 32-bit place a settings file can hold, and monitors up to the ends of
// int: the decisions stay exact where they fit and stop at the ends where not.
TEST(Placement, PlacesAndMarginsAtTheEndsOfInt) {
    const std::pair<PlaceRect, PlacePoint> shown[] = {
        {Clock(INT_MAX, INT_MIN), {2270, 0}},
        {Clock(INT_MIN, INT_MAX), {0, 510}},
        {Clock(INT_MAX, INT_MAX), {2270, 510}},
        {Clock(INT_MIN, INT_MIN), {0, 0}},
        {Clock(INT_MAX - 1, INT_MIN + 1), {2270, 0}},
        {Clock(INT_MIN + 1, INT_MAX - 1), {0, 510}},
        {{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {1280, 0}}};
    for (const auto& [clock, place] : shown) {
        EXPECT_EQ(PlaceToShow(kTwo, clock).place, place) << clock.x << ", " << clock.y;
        EXPECT_EQ(MonitorShowing(kTwo, clock), -1);
    }
    // A monitor whose right edge is one past the largest int, at the smallest y.
    const std::vector<PlaceRect> far{{INT_MAX - 1279, INT_MIN, 1280, 800}};
    const ShownPlace there = PlaceToShow(far, Clock(INT_MAX, INT_MIN));
    EXPECT_EQ(there.place, (PlacePoint{INT_MAX - 289, INT_MIN}));
    EXPECT_EQ(MarginsOn(far[0], there.place), (PlacePoint{990, 0}));
    EXPECT_EQ(PlaceFromMargins(far[0], {990, 0}), there.place);
    EXPECT_EQ(MonitorAt(far, {INT_MAX, INT_MIN}), 0);
    EXPECT_EQ(PlaceToShow(far, Clock(INT_MAX - 289, INT_MIN + 510)).monitor, 0);
    EXPECT_EQ(ClampOnto(far[0], Clock(INT_MIN, INT_MAX)),
              (PlacePoint{INT_MAX - 1279, INT_MIN + 510}));
    // Margins of a place that cannot be reached from the monitor stop at the ends.
    EXPECT_EQ(MarginsOn(kTwo[1], {INT_MIN, INT_MIN + 1}), (PlacePoint{INT_MIN, INT_MIN + 1}));
    EXPECT_EQ(MarginsOn(far[0], {INT_MIN + 1, INT_MAX}), (PlacePoint{INT_MIN, INT_MAX}));
    EXPECT_EQ(PlaceFromMargins(kTwo[1], {INT_MAX, INT_MAX - 1}),
              (PlacePoint{INT_MAX, INT_MAX - 1}));
    EXPECT_EQ(PlaceFromMargins(far[0], {INT_MAX, INT_MIN + 1}), (PlacePoint{INT_MAX, INT_MIN}));
}

}  // namespace
}  // namespace tickora
