#include "settings/saturating.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace tickora {
namespace {

// Sums that leave int stop at its ends; those within it are exact.
TEST(Saturating, SumsProductsAndEdgesStopAtTheEndsOfInt) {
    EXPECT_EQ(FarEdge(INT_MAX, 290), INT_MAX);
    EXPECT_EQ(FarEdge(INT_MAX - 290, 290), INT_MAX);
    EXPECT_EQ(FarEdge(INT_MAX - 291, 290), INT_MAX - 1);
    EXPECT_EQ(FarEdge(INT_MIN, 290), INT_MIN + 290);
    EXPECT_EQ(FarEdge(INT_MIN, -1), INT_MIN);
    EXPECT_EQ(SaturatingAdd(INT_MAX, INT_MAX), INT_MAX);
    EXPECT_EQ(SaturatingAdd(INT_MIN, INT_MIN), INT_MIN);
    EXPECT_EQ(SaturatingAdd(INT_MIN, INT_MAX), -1);
    EXPECT_EQ(SaturatingSub(INT_MIN, 1), INT_MIN);
    EXPECT_EQ(SaturatingSub(INT_MIN + 1, 1), INT_MIN);
    EXPECT_EQ(SaturatingSub(INT_MAX, -1), INT_MAX);
    EXPECT_EQ(SaturatingSub(0, INT_MIN), INT_MAX);
    EXPECT_EQ(SaturatingSub(-1, INT_MIN), INT_MAX);
    EXPECT_EQ(SaturatingMul(INT_MAX, 4), INT_MAX);
    EXPECT_EQ(SaturatingMul(INT_MIN, 2), INT_MIN);
    EXPECT_EQ(SaturatingMul(INT_MIN, -1), INT_MAX);
    EXPECT_EQ(SaturatingMul(580, 4), 2320);
    // Truncated toward zero, as the window sizes are.
    EXPECT_EQ(PercentOf(290, 32), 92);
    EXPECT_EQ(PercentOf(-290, 32), -92);
    EXPECT_EQ(PercentOf(INT_MAX, 200), INT_MAX);
    EXPECT_EQ(PercentOf(INT_MAX, 100), INT_MAX);
    EXPECT_EQ(PercentOf(INT_MAX, INT_MIN), INT_MIN);
    EXPECT_EQ(PercentOf(255, INT_MAX), INT_MAX);
}

TEST(Saturating, DistancesRoundToTheNearestInt) {
    EXPECT_EQ(RoundToInt(2.5), 3);
    EXPECT_EQ(RoundToInt(-2.5), -3);
    EXPECT_EQ(RoundToInt(2147483646.6), INT_MAX);
    EXPECT_EQ(RoundToInt(2147483647.4), INT_MAX);
    EXPECT_EQ(RoundToInt(1e300), INT_MAX);
    EXPECT_EQ(RoundToInt(-2147483648.4), INT_MIN);
    EXPECT_EQ(RoundToInt(-INFINITY), INT_MIN);
    EXPECT_EQ(RoundToInt(NAN), 0);
}

}  // namespace
}  // namespace tickora
