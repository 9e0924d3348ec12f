// Quantised hand positions from one reading of the local time. Every hand moves
// in steps of 1/720 turn; a turn is a clockwise fraction of a revolution from 12.
#pragma once

#include <cstdint>

namespace tickora {

// The fields of the platform's local-time record that the clock uses.
struct LocalTime {
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

struct ClockPositions {
    // -1: nothing drawn yet; never equal to a computed position (0..719).
    std::int32_t lastSecondTick = -1;
    std::int32_t lastMinuteStep = -1;
    // Where the hour hand stood (HourPosition) when the background was drawn.
    std::int32_t lastHourPosition = -1;
};

extern ClockPositions clockPositions;

// Twelfths of a second within the minute: 0..719.
std::int32_t SecondTick(const LocalTime& time);
// Five-second steps within the hour: 0..719.
std::int32_t MinuteStep(const LocalTime& time);
// The hour hand's turn, 0 <= turn < 2 (hours are not reduced modulo 12).
double HourTurn(const LocalTime& time);
// What the hour hand's turn depends on, as one number: hour * 60 + minute, 0..1439.
std::int32_t HourPosition(const LocalTime& time);

// Whether the background (face, hour and minute hands) must be drawn again for
// this time. The step of the minute hand changes in normal running; a jump of
// the wall clock or the time zone by whole hours leaves the step as it was and
// moves the hour hand alone.
bool BackgroundMoved(const ClockPositions& drawn, const LocalTime& time);

// Turn of the second or minute hand for a position of 0..719.
double StepTurn(std::int32_t step);

// Milliseconds from this time until the hands can next stand elsewhere: the
// next tick of the second hand when it is shown, else the next five-second step
// of the minute hand. Between 1 and 5000.
std::int32_t MillisecondsToNextChange(const LocalTime& time, bool secondHandShown);

// Forgets what was drawn, so the next frame draws everything again.
void ResetClockPositions();

// Reads the local wall-clock time. Tests replace the source to feed exact times.
using TimeSource = LocalTime (*)();
LocalTime ReadLocalTime();
void SetTimeSource(TimeSource source);  // nullptr restores the platform's clock
LocalTime PlatformLocalTime();

}  // namespace tickora
