#include "render/clock_positions.h"

#include <gtest/gtest.h>

namespace tickora {
namespace {

LocalTime At(int hour, int minute, int second, int milliseconds) {
    return LocalTime{static_cast<std::uint16_t>(hour), static_cast<std::uint16_t>(minute),
                     static_cast<std::uint16_t>(second), static_cast<std::uint16_t>(milliseconds)};
}

TEST(ClockPositions, WorkedTimes) {
    EXPECT_EQ(SecondTick(At(0, 0, 0, 0)), 0);
    EXPECT_EQ(MinuteStep(At(0, 0, 0, 0)), 0);
    EXPECT_EQ(HourTurn(At(0, 0, 0, 0)), 0.0);

    const LocalTime afternoon = At(12, 34, 56, 789);
    EXPECT_EQ(SecondTick(afternoon), 681);
    EXPECT_EQ(MinuteStep(afternoon), 419);
    EXPECT_NEAR(HourTurn(afternoon), 1.0472222222, 1e-9);

    const LocalTime lastMoment = At(23, 59, 59, 999);
    EXPECT_EQ(SecondTick(lastMoment), 719);
    EXPECT_EQ(MinuteStep(lastMoment), 719);
    EXPECT_NEAR(HourTurn(lastMoment), 1.9986111111, 1e-9);
}

TEST(ClockPositions, MillisecondBoundariesOfTheTicks) {
    const int boundaries[][2] = {{83, 0},  {84, 1},  {166, 1},  {167, 2},  {249, 2}, {250, 3},
                                 {499, 5}, {500, 6}, {916, 10}, {917, 11}, {999, 11}};
    for (const auto& [milliseconds, offset] : boundaries) {
        EXPECT_EQ(SecondTick(At(9, 0, 0, milliseconds)), offset) << milliseconds << " ms";
    }
    EXPECT_EQ(SecondTick(At(9, 0, 30, 0)), 360);
}

TEST(ClockPositions, MinuteStepMovesEveryFiveSecondsAndIgnoresMilliseconds) {
    EXPECT_EQ(MinuteStep(At(3, 7, 4, 999)), 84);
    EXPECT_EQ(MinuteStep(At(3, 7, 5, 0)), 85);
    EXPECT_EQ(HourTurn(At(3, 7, 4, 0)), HourTurn(At(3, 7, 59, 999)));
}

TEST(ClockPositions, HourTurnKeepsTheAfternoonPastOne) {
    EXPECT_GE(HourTurn(At(12, 0, 0, 0)), 1.0);
    EXPECT_LT(HourTurn(At(23, 59, 0, 0)), 2.0);
    // 13:00 points where 1:00 does.
    EXPECT_NEAR(HourTurn(At(13, 0, 0, 0)) - 1.0, HourTurn(At(1, 0, 0, 0)), 1e-15);
}

TEST(ClockPositions, QuarterPositionsAreExact) {
    EXPECT_EQ(StepTurn(0), 0.0);
    EXPECT_EQ(StepTurn(180), 0.25);
    EXPECT_EQ(StepTurn(360), 0.5);
    EXPECT_EQ(StepTurn(540), 0.75);
    for (int hour = 0; hour < 24; hour += 3) {
        EXPECT_EQ(HourTurn(At(hour, 0, 0, 0)), hour / 12.0) << hour << ":00";
    }
}

TEST(ClockPositions, ResetForgetsEveryMemory) {
    clockPositions = ClockPositions{12, 34, 56};
    ResetClockPositions();
    EXPECT_EQ(clockPositions.lastSecondTick, -1);
    EXPECT_EQ(clockPositions.lastMinuteStep, -1);
    EXPECT_EQ(clockPositions.lastHourPosition, -1);
}

// The memory of a background drawn at this time.
ClockPositions DrawnAt(const LocalTime& time) {
    return ClockPositions{SecondTick(time), MinuteStep(time), HourPosition(time)};
}

TEST(ClockPositions, BackgroundIsDrawnAgainWhenTheStepOrTheHourHandMoves) {
    const ClockPositions drawn = DrawnAt(At(10, 15, 3, 0));
    EXPECT_FALSE(BackgroundMoved(drawn, At(10, 15, 3, 0)));
    EXPECT_FALSE(BackgroundMoved(drawn, At(10, 15, 4, 999))) << "within the step";
    EXPECT_TRUE(BackgroundMoved(drawn, At(10, 15, 5, 0))) << "the next step";
    EXPECT_TRUE(BackgroundMoved(drawn, At(10, 16, 3, 0))) << "a minute on";
    // The wall clock set an hour on, or back, or a day on: the step stays.
    EXPECT_TRUE(BackgroundMoved(drawn, At(11, 15, 3, 500)));
    EXPECT_TRUE(BackgroundMoved(drawn, At(9, 15, 3, 0)));
    EXPECT_TRUE(BackgroundMoved(DrawnAt(At(23, 59, 0, 0)), At(0, 59, 0, 0)));
    EXPECT_FALSE(BackgroundMoved(DrawnAt(At(0, 0, 0, 0)), At(0, 0, 0, 0)));
    EXPECT_TRUE(BackgroundMoved(ClockPositions{}, At(0, 0, 0, 0))) << "nothing drawn yet";
}

TEST(ClockPositions, ZoneChangeMovesTheBackgroundAsItsLocalHourDoes) {
    // 01:30:02 UTC shown first; the zone becomes UTC+9, then UTC+5:30.
    const LocalTime utc = At(1, 30, 2, 0);
    const ClockPositions drawn = DrawnAt(utc);
    const LocalTime tokyo = At(10, 30, 2, 40);
    EXPECT_EQ(MinuteStep(tokyo), drawn.lastMinuteStep) << "only the hour differs";
    EXPECT_TRUE(BackgroundMoved(drawn, tokyo));
    EXPECT_TRUE(BackgroundMoved(DrawnAt(tokyo), At(7, 0, 2, 80)));
    EXPECT_FALSE(BackgroundMoved(DrawnAt(tokyo), At(10, 30, 3, 0))) << "back in steady running";
}

LocalTime FixedNoon() {
    return LocalTime{12, 0, 0, 0};
}

TEST(ClockPositions, TimeSourceCanBeReplacedAndRestored) {
    SetTimeSource(&FixedNoon);
    EXPECT_EQ(ReadLocalTime().wHour, 12);
    SetTimeSource(nullptr);
    const LocalTime now = ReadLocalTime();
    EXPECT_LT(now.wHour, 24);
    EXPECT_LT(now.wMinute, 60);
    EXPECT_LT(now.wSecond, 60);
    EXPECT_LT(now.wMilliseconds, 1000);
}

}  // namespace
}  // namespace tickora

namespace tickora {
namespace {

// The same wall-clock time this many milliseconds later (across midnight too).
LocalTime Later(const LocalTime& time, int milliseconds) {
    int total = ((time.wHour * 60 + time.wMinute) * 60 + time.wSecond) * 1000 + time.wMilliseconds +
                milliseconds;
    total %= 24 * 3600 * 1000;
    return At(total / 3600000, total / 60000 % 60, total / 1000 % 60, total % 1000);
}

// Waking after the delay finds the next tick (or step), and waking a millisecond
// sooner would not: none is skipped, none is drawn late.
TEST(WakeUps, LandOnTheFirstMillisecondOfTheNextChange) {
    for (const LocalTime start : {At(10, 8, 0, 0), At(10, 8, 59, 0), At(23, 59, 55, 0)}) {
        for (int ms = 0; ms < 5000; ++ms) {
            const LocalTime now = Later(start, ms);
            const int toTick = MillisecondsToNextChange(now, true);
            ASSERT_GE(toTick, 1);
            ASSERT_NE(SecondTick(Later(now, toTick)), SecondTick(now)) << ms;
            ASSERT_EQ(SecondTick(Later(now, toTick - 1)), SecondTick(now)) << ms;

            const int toStep = MillisecondsToNextChange(now, false);
            ASSERT_NE(MinuteStep(Later(now, toStep)), MinuteStep(now)) << ms;
            ASSERT_EQ(MinuteStep(Later(now, toStep - 1)), MinuteStep(now)) << ms;
        }
    }
}

TEST(WakeUps, ExactDelays) {
    EXPECT_EQ(MillisecondsToNextChange(At(10, 0, 0, 0), true), 84);
    EXPECT_EQ(MillisecondsToNextChange(At(10, 0, 0, 83), true), 1);
    EXPECT_EQ(MillisecondsToNextChange(At(10, 0, 0, 84), true), 83);
    EXPECT_EQ(MillisecondsToNextChange(At(23, 59, 59, 917), true), 83);  // to midnight
    EXPECT_EQ(MillisecondsToNextChange(At(10, 0, 4, 999), false), 1);
    EXPECT_EQ(MillisecondsToNextChange(At(10, 0, 5, 0), false), 5000);
    EXPECT_EQ(MillisecondsToNextChange(At(23, 59, 57, 500), false), 2500);
}

}  // namespace
}  // namespace tickora
