// What the clock costs the machine: a frame attempt that finds nothing to do
// (up to fifty a second), a frame with second hand and glass (twelve a second),
// a background with face and hands (every five seconds), and a skin load.
#include <benchmark/benchmark.h>

#include "render/clock_positions.h"
#include "render/frame.h"
#include "render/imaging.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace {

using namespace tickora;

LocalTime now{10, 8, 37, 0};
LocalTime Now() {
    return now;
}
void Discard(void*, imaging::FrameTarget*, std::int32_t, std::int32_t, std::uint8_t) {}

struct Clock {
    Clock() {
        token = imaging::StartImaging();
        LoadSkin();
        SetTimeSource(&Now);
        SetPresenter(&Discard);
        RenderClock(nullptr);
    }
    ~Clock() {
        ReleaseSkin();
        imaging::StopImaging(token);
    }
    std::uintptr_t token;
};

void IdleFrameAttempt(benchmark::State& state) {
    Clock clock;
    for (auto _ : state) RenderClock(nullptr);
}
BENCHMARK(IdleFrameAttempt);

void FrameWithSecondsAndGlass(benchmark::State& state) {
    Clock clock;
    for (auto _ : state) {
        // A new tick within the same five seconds: no new background.
        clockPositions.lastSecondTick = -1;
        RenderClock(nullptr);
    }
}
BENCHMARK(FrameWithSecondsAndGlass)->Unit(benchmark::kMicrosecond);

void BackgroundAndFrame(benchmark::State& state) {
    Clock clock;
    clockSettings.Scale = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        ResetClockPositions();
        RenderClock(nullptr);
    }
}
BENCHMARK(BackgroundAndFrame)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void LoadInternalSkin(benchmark::State& state) {
    const std::uintptr_t token = imaging::StartImaging();
    for (auto _ : state) LoadSkin();
    ReleaseSkin();
    imaging::StopImaging(token);
}
BENCHMARK(LoadInternalSkin)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
