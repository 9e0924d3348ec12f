#include "render/hand_placement.h"

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "skin/skin.h"
#include "support/pixels.h"

namespace tickora {
namespace {

using imaging::PointF;

constexpr HandGeometry kFace200{200, 200, 100, 1.0};

void ExpectPoints(const std::array<PointF, 3>& actual, const PointF (&expected)[3]) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(actual[i].X, expected[i].X, 0.0015) << "P" << i + 1 << ".x";
        EXPECT_NEAR(actual[i].Y, expected[i].Y, 0.0015) << "P" << i + 1 << ".y";
    }
}

TEST(HandPoints, OneOClockIsRotatedNotNudged) {
    ExpectPoints(HandPoints(1.0 / 12, 120, 10, kFace200),
                 {{75.670f, 132.141f}, {135.670f, 28.218f}, {84.330f, 137.141f}});
}

TEST(HandPoints, QuarterPositionsAreNudgedClockwise) {
    ExpectPoints(HandPoints(0.25, 120, 10, kFace200),
                 {{60.008f, 94.939f}, {180.008f, 95.123f}, {59.992f, 104.939f}});
    ExpectPoints(HandPoints(0, 120, 10, kFace200),
                 {{94.939f, 139.992f}, {95.123f, 19.992f}, {104.939f, 140.008f}});
    ExpectPoints(HandPoints(0.5, 120, 10, kFace200),
                 {{105.061f, 60.008f}, {104.877f, 180.008f}, {95.061f, 59.992f}});
}

TEST(HandPoints, AfternoonHourTurnsPointLikeTheMorning) {
    const auto one = HandPoints(1.0 / 12, 120, 10, kFace200);
    const auto thirteen = HandPoints(1 + 1.0 / 12, 120, 10, kFace200);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(thirteen[i].X, one[i].X, 1e-3);
        EXPECT_NEAR(thirteen[i].Y, one[i].Y, 1e-3);
    }
    // 15:00 is nudged like 3:00.
    ExpectPoints(HandPoints(1.25, 120, 10, kFace200),
                 {{60.008f, 94.939f}, {180.008f, 95.123f}, {59.992f, 104.939f}});
}

TEST(HandPoints, ScaleAndLengthFactorShrinkTheHand) {
    ExpectPoints(HandPoints(1.0 / 12, 120, 10, HandGeometry{200, 200, 50, 1.0}),
                 {{37.835f, 66.071f}, {67.835f, 14.109f}, {42.165f, 68.571f}});
    // A five-times hand at factor 0.2 lands where the plain one does.
    ExpectPoints(HandPoints(1.0 / 12, 600, 50, HandGeometry{200, 200, 100, 0.2}),
                 {{75.670f, 132.141f}, {135.670f, 28.218f}, {84.330f, 137.141f}});
}

TEST(HandPoints, OddFaceWidthPutsTheCentreBetweenPixels) {
    const auto points = HandPoints(0.25, 120, 10, HandGeometry{201, 200, 100, 1.0});
    // The pivot is a third along the top edge's middle line.
    const float pivotX =
        points[0].X + (points[1].X - points[0].X) / 3 + (points[2].X - points[0].X) / 2;
    EXPECT_NEAR(pivotX, 100.5, 1e-3);
}

TEST(HandPoints, AnUnreadableImageGivesADegenerateParallelogram) {
    const auto points = HandPoints(0.1, 0, 0, kFace200);
    for (const PointF& point : points) {
        EXPECT_FLOAT_EQ(point.X, 100);
        EXPECT_FLOAT_EQ(point.Y, 100);
    }
}

// Draws the internal hour hand into a real 200 x 200 surface, as the background
// drawing does, and looks where its opaque pixels are.
class HandPixels : public ::testing::Test {
  protected:
    void SetUp() override {
        hand = LoadPngResource(u"HOUR");
        ASSERT_NE(hand, nullptr);
        surface = imaging::CreateBitmap(200, 200);
        graphics = imaging::CreateImageGraphics(surface);
        imaging::SetInterpolationMode(graphics, imaging::kInterpolationHighQualityBicubic);
        imaging::GraphicsClear(graphics, 0);
        skinSet.faceWidth = 200;
        skinSet.faceHeight = 200;
        clockSettings.Scale = 100;
        HandLengthFactor = 1.0;
    }
    void TearDown() override {
        imaging::DeleteGraphics(graphics);
        imaging::DisposeImage(surface);
        imaging::DisposeImage(hand);
        skinSet = SkinSet{};
    }
    std::uint32_t Alpha(int x, int y) { return testing::AlphaOf(testing::PixelAt(surface, x, y)); }

    imaging::Image* hand = nullptr;
    imaging::Image* surface = nullptr;
    imaging::Graphics* graphics = nullptr;
};

TEST_F(HandPixels, ThreeOClockPointsRight) {
    DrawHand(0.25, graphics, hand);
    // The hand reaches 2/3 of 104 = 69.3 pixels out, its tail 34.7 back.
    for (int x = 110; x <= 160; x += 10) {
        EXPECT_GT(Alpha(x, 100), 200u) << "x " << x;
    }
    EXPECT_EQ(Alpha(175, 100), 0u);
    EXPECT_EQ(Alpha(60, 100), 0u);
    EXPECT_EQ(Alpha(100, 80), 0u);
    EXPECT_EQ(Alpha(100, 120), 0u);
}

TEST_F(HandPixels, TwelveOClockPointsUp) {
    DrawHand(0.0, graphics, hand);
    for (int y = 90; y >= 40; y -= 10) {
        EXPECT_GT(Alpha(100, y), 200u) << "y " << y;
    }
    EXPECT_EQ(Alpha(100, 25), 0u);
    EXPECT_EQ(Alpha(100, 140), 0u);
    EXPECT_EQ(Alpha(120, 100), 0u);
}

TEST_F(HandPixels, HalfScaleHalvesTheReach) {
    clockSettings.Scale = 50;
    DrawHand(0.25, graphics, hand);
    // Centre (50, 50); reach 34.7.
    EXPECT_GT(Alpha(70, 50), 200u);
    EXPECT_EQ(Alpha(90, 50), 0u);
    EXPECT_EQ(Alpha(120, 100), 0u);
}

TEST_F(HandPixels, AnEmptyImageDrawsNothing) {
    imaging::Image* empty = imaging::CreateImageFromBytes("not a png", 9);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(imaging::ImageWidth(empty), 0u);
    DrawHand(0.3, graphics, empty);
    for (int x = 0; x < 200; x += 7) {
        for (int y = 0; y < 200; y += 7) ASSERT_EQ(Alpha(x, y), 0u);
    }
    imaging::DisposeImage(empty);
}

}  // namespace
}  // namespace tickora
