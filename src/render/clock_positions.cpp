#include "render/clock_positions.h"

namespace tickora {

ClockPositions clockPositions;

namespace {

constexpr double kTwelfth = 1.0 / 12.0;
constexpr double kSevenHundredTwentieth = 1.0 / 720.0;

TimeSource timeSource = nullptr;

}  // namespace

std::int32_t SecondTick(const LocalTime& time) {
    const std::int32_t second = time.wSecond;
    const std::int32_t milliseconds = time.wMilliseconds;
    return second * 12 + (milliseconds * 3) / 250;
}

std::int32_t MinuteStep(const LocalTime& time) {
    const std::int32_t minute = time.wMinute;
    const std::int32_t second = time.wSecond;
    return minute * 12 + second / 5;
}

double HourTurn(const LocalTime& time) {
    const std::int32_t hour = time.wHour;
    const std::int32_t minute = time.wMinute;
    return static_cast<double>(hour) * kTwelfth +
           static_cast<double>(minute) * kSevenHundredTwentieth;
}

std::int32_t HourPosition(const LocalTime& time) {
    return std::int32_t{time.wHour} * 60 + std::int32_t{time.wMinute};
}

bool BackgroundMoved(const ClockPositions& drawn, const LocalTime& time) {
    return MinuteStep(time) != drawn.lastMinuteStep || HourPosition(time) != drawn.lastHourPosition;
}

double StepTurn(std::int32_t step) {
    return static_cast<double>(step) * kSevenHundredTwentieth;
}

std::int32_t MillisecondsToNextChange(const LocalTime& time, bool secondHandShown) {
    const std::int32_t milliseconds = time.wMilliseconds;
    if (secondHandShown) {
        // Tick k of a second starts at the first millisecond m with m * 3 / 250 == k.
        const std::int32_t nextTick = (milliseconds * 3) / 250 + 1;
        return (nextTick * 250 + 2) / 3 - milliseconds;
    }
    const std::int32_t second = time.wSecond;
    return (5 - second % 5) * 1000 - milliseconds;
}

void ResetClockPositions() {
    clockPositions.lastSecondTick = -1;
    clockPositions.lastMinuteStep = -1;
    clockPositions.lastHourPosition = -1;
}

LocalTime ReadLocalTime() {
    return timeSource != nullptr ? timeSource() : PlatformLocalTime();
}

void SetTimeSource(TimeSource source) {
    timeSource = source;
}

}  // namespace tickora
