// What the clock costs the machine: a frame attempt that finds nothing to do,
// a frame with second hand and glass (twelve a second), a background with face
// and hands (every five seconds), and a skin load.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>

#include "render/clock_positions.h"
#include "render/frame.h"
#include "imaging/imaging.h"
#include "settings/settings.h"
#include "skin/skin.h"
#include "skin/skin_catalogue.h"

namespace {

using namespace tickora;

LocalTime now{10, 8, 37, 0};
LocalTime Now() {
    return now;
}

struct Clock {
    Clock() {
        token = imaging::StartImaging();
        LoadSkin();
        SetTimeSource(&Now);
        benchmark::DoNotOptimize(RenderClock());
    }
    ~Clock() {
        ReleaseSkin();
        imaging::StopImaging(token);
    }
    std::uintptr_t token;
};

void IdleFrameAttempt(benchmark::State& state) {
    Clock clock;
    for (auto _ : state) benchmark::DoNotOptimize(RenderClock());
}
BENCHMARK(IdleFrameAttempt);

// With the platform's clock: what every attempt between two ticks costs.
void IdleFrameAttemptReadingTheClock(benchmark::State& state) {
    Clock clock;
    SetTimeSource(nullptr);
    for (auto _ : state) benchmark::DoNotOptimize(RenderClock());
}
BENCHMARK(IdleFrameAttemptReadingTheClock);

// Every tick of one five-second step in turn, from 10:08:35: the second hand
// moves, the background stays.
void TickThroughOneStep(benchmark::State& state) {
    int tick = 0;
    for (auto _ : state) {
        tick = (tick + 1) % 60;
        now.wSecond = static_cast<std::uint16_t>(35 + tick / 12);
        now.wMilliseconds = static_cast<std::uint16_t>((tick % 12) * 84);
        benchmark::DoNotOptimize(RenderClock());
    }
}

void FrameWithSecondsAndGlass(benchmark::State& state) {
    Clock clock;
    clockSettings.Scale = static_cast<std::int32_t>(state.range(0));
    now = LocalTime{10, 8, 35, 0};
    benchmark::DoNotOptimize(RenderClock());
    TickThroughOneStep(state);
}
BENCHMARK(FrameWithSecondsAndGlass)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond);

void BackgroundAndFrame(benchmark::State& state) {
    Clock clock;
    clockSettings.Scale = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state) {
        ResetClockPositions();
        benchmark::DoNotOptimize(RenderClock());
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

// Skins with images as large as the decoder takes: what they cost once loaded.
// Made once, in a folder of their own; the clock is pointed at it.
struct HugeSkins {
    HugeSkins() {
        gchar* made = g_dir_make_tmp("tickora-bench-XXXXXX", nullptr);
        root = made;
        g_free(made);
        // An 8000-pixel glass and second hand on the internal-sized face.
        Write("BigParts/main.png", 290, 290, 0xFF203040);
        Write("BigParts/sec.png", 8000, 8000, 0x80F0F0F0);
        Write("BigParts/attach.png", 8000, 8000, 0x30FFFFFF);
        Write("BigFace/main.png", 4096, 4096, 0xFF405060);
        Write("BigFace/hour.png", 1400, 60, 0xFFF0F0F0);
        Write("BigFace/min.png", 1900, 60, 0xFFF0F0F0);
        Write("BigFace/sec.png", 2200, 30, 0xFFF0F0F0);
        Write("BigFace/attach.png", 4096, 4096, 0x30FFFFFF);
        SetSkinsRoot(std::u16string(root.begin(), root.end()));
    }
    ~HugeSkins() {
        SetSkinsRoot({});
        for (const char* file :
             {"BigParts/main.png", "BigParts/sec.png", "BigParts/attach.png", "BigFace/main.png",
              "BigFace/hour.png", "BigFace/min.png", "BigFace/sec.png", "BigFace/attach.png"}) {
            g_remove((root + "/" + file).c_str());
        }
        for (const char* folder : {"/BigParts", "/BigFace", ""}) g_rmdir((root + folder).c_str());
    }
    void Write(const std::string& file, int width, int height, std::uint32_t argb) {
        const std::string path = root + "/" + file;
        gchar* folder = g_path_get_dirname(path.c_str());
        g_mkdir_with_parents(folder, 0700);
        g_free(folder);
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_t* cr = cairo_create(image);
        cairo_set_source_rgba(cr, (argb >> 16 & 0xFF) / 255.0, (argb >> 8 & 0xFF) / 255.0,
                              (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
        cairo_arc(cr, width / 2.0, height / 2.0, std::min(width, height) / 2.0, 0, 6.3);
        cairo_fill(cr);
        cairo_destroy(cr);
        cairo_surface_write_to_png(image, path.c_str());
        cairo_surface_destroy(image);
    }
    std::string root;
};

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
    }
    return 0;
}

// A frame each tick with a huge skin; the counters tell the load time and what
// stays resident afterwards.
void HugeSkinFrame(benchmark::State& state, const char16_t* skin) {
    static HugeSkins skins;
    const std::uintptr_t token = imaging::StartImaging();
    clockSettings = ClockSettings{};
    clockSettings.Scale = static_cast<std::int32_t>(state.range(0));
    SetSkinName(skin);
    SetTimeSource(&Now);
    const auto start = std::chrono::steady_clock::now();
    LoadSkin();
    now = LocalTime{10, 8, 35, 0};
    benchmark::DoNotOptimize(RenderClock());
    state.counters["load_and_first_frame_ms"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    TickThroughOneStep(state);
    state.counters["resident_MB"] = ResidentMegabytes();
    ReleaseSkin();
    clockSettings = ClockSettings{};
    imaging::StopImaging(token);
}
BENCHMARK_CAPTURE(HugeSkinFrame, BigGlassAndSecondHand, u"BigParts")
    ->Arg(100)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(HugeSkinFrame, BigFace, u"BigFace")
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
