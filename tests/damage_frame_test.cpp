// Frames composed only where they changed must show exactly what a whole frame
// shows, tick after tick, through background redraws and size changes; and a
// frame at device scale 2 is the frame of twice the Scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "render/clock_positions.h"
#include "render/frame.h"
#include "imaging/imaging_cairo.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

LocalTime now;

LocalTime Now() {
    return now;
}

void SetTick(int tick) {  // within 10:08
    now = LocalTime{10, 8, static_cast<std::uint16_t>(tick / 12),
                    static_cast<std::uint16_t>((tick % 12) * 250 / 3 + 1)};
}

// The shown pixels of a frame, row by row.
std::vector<std::uint32_t> Shown(const Frame& frame) {
    cairo_surface_t* surface = imaging::FrameSurface(frame.target);
    cairo_surface_flush(surface);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(frame.width) * frame.height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < frame.height; ++y) {
        std::memcpy(&pixels[static_cast<std::size_t>(y) * frame.width], data + y * stride,
                    static_cast<std::size_t>(frame.width) * 4);
    }
    return pixels;
}

class DamagedFrames : public ::testing::Test {
  protected:
    void SetUp() override {
        clockSettings = ClockSettings{};
        SetTimeSource(&Now);
        SetDeviceScale(1);
    }
    void TearDown() override {
        ReleaseSkin();
        SetTimeSource(nullptr);
        SetDeviceScale(1);
    }

    // The frame of this tick as composed in part, then composed whole again;
    // every pixel that differs from the frame before lies in what the frame
    // says it changed (the window is given only that).
    void ExpectTickMatchesWholeFrame(int tick) {
        SetTick(tick);
        const std::optional<Frame> partial = RenderClock();
        ASSERT_TRUE(partial.has_value()) << tick;
        const std::vector<std::uint32_t> pixels = Shown(*partial);
        if (before.size() == pixels.size()) ExpectChangesWithin(*partial, pixels, tick);
        RedrawWholeFrame();
        clockPositions.lastSecondTick = -1;
        const std::optional<Frame> whole = RenderClock();
        ASSERT_TRUE(whole.has_value());
        ASSERT_EQ(whole->damage, (PixelRect{0, 0, whole->width, whole->height}));
        ASSERT_TRUE(pixels == Shown(*whole)) << "tick " << tick << " scale " << clockSettings.Scale;
        before = pixels;
    }

    void ExpectChangesWithin(const Frame& frame, const std::vector<std::uint32_t>& pixels,
                             int tick) {
        const ChangedAreas& changed = frame.changed;
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const std::size_t at = static_cast<std::size_t>(y) * frame.width + x;
                if (pixels[at] == before[at]) continue;
                const bool within = std::any_of(changed.begin(), changed.end(), [&](auto& area) {
                    return x >= area.x && x < area.x + area.width && y >= area.y &&
                           y < area.y + area.height;
                });
                ASSERT_TRUE(within) << x << "," << y << " changed outside, tick " << tick;
            }
        }
    }

    std::vector<std::uint32_t> before;  // the frame of the tick before
};

TEST_F(DamagedFrames, EveryTickOfAMinuteEqualsTheWholeFrame) {
    for (const bool glass : {true, false}) {
        for (const int scale : {32, 100, 200}) {
            clockSettings.ShowGlass = glass;
            clockSettings.Scale = scale;
            LoadSkin();
            for (int tick = 0; tick < 720; ++tick) {
                ExpectTickMatchesWholeFrame(tick);
                if (HasFatalFailure()) return;
            }
        }
    }
}

// A clock that misses ticks (a busy machine) or whose time jumps back moves
// the hand far between frames: where it was must be redrawn as well.
TEST_F(DamagedFrames, HandsThatJumpLeaveNothingBehind) {
    for (const int scale : {100, 200}) {
        clockSettings.Scale = scale;
        LoadSkin();
        for (const int tick : {0, 7, 14, 23, 59, 60, 47, 11, 10, 3, 58}) {
            ExpectTickMatchesWholeFrame(tick);
            if (HasFatalFailure()) return;
        }
    }
}

// Backgrounds move the hour and minute hands on the face they were drawn on;
// after steps, hours and jumps back they show what a freshly loaded clock shows.
TEST_F(DamagedFrames, BackgroundsMovedInPlaceEqualFreshOnes) {
    const LocalTime times[] = {{10, 8, 5, 0}, {10, 8, 10, 0}, {10, 9, 30, 0}, {10, 59, 55, 0},
                               {11, 0, 0, 0}, {3, 17, 42, 0}, {10, 8, 5, 0},  {6, 30, 0, 0}};
    for (const int scale : {100, 200}) {
        clockSettings.Scale = scale;
        LoadSkin();
        std::vector<std::vector<std::uint32_t>> moved;
        for (const LocalTime& time : times) {
            now = time;
            const std::optional<Frame> frame = RenderClock();
            ASSERT_TRUE(frame.has_value());
            moved.push_back(Shown(*frame));
        }
        for (std::size_t i = 0; i < std::size(times); ++i) {
            now = times[i];
            LoadSkin();
            const std::optional<Frame> fresh = RenderClock();
            ASSERT_TRUE(fresh.has_value());
            EXPECT_TRUE(Shown(*fresh) == moved[i]) << "time " << i << " scale " << scale;
        }
    }
}

TEST_F(DamagedFrames, OnlyTheSecondHandsPathIsDamagedAndSizeChangesRedrawAll) {
    LoadSkin();
    SetTick(13);
    RenderClock();
    SetTick(14);
    const std::optional<Frame> frame = RenderClock();
    ASSERT_TRUE(frame.has_value());
    // A second hand of 162 x 17 at 00:01: a narrow strip from the centre up.
    EXPECT_LT(frame->damage.width * frame->damage.height, 290 * 290 / 8);
    EXPECT_LT(frame->damage.y, 145 - 100);

    clockSettings.Scale = 80;
    clockPositions.lastMinuteStep = -1;
    SetTick(15);
    const std::optional<Frame> resized = RenderClock();
    ASSERT_TRUE(resized.has_value());
    EXPECT_EQ(resized->damage, (PixelRect{0, 0, 232, 232}));
    for (int tick = 16; tick < 100; ++tick) ExpectTickMatchesWholeFrame(tick);
}

// Once drawn at the shown size the face, glass and second hand let their
// pixels go; a Scale change takes them back and draws what a fresh clock does.
TEST_F(DamagedFrames, ScaleChangesRedrawFromParkedArtAsAFreshClockDoes) {
    for (const auto& [from, to] : {std::pair{100, 200}, std::pair{200, 50}, std::pair{50, 100}}) {
        clockSettings.Scale = from;
        LoadSkin();
        SetTick(100);
        ASSERT_TRUE(RenderClock().has_value());
        clockSettings.Scale = to;
        SetTick(101);
        const std::optional<Frame> changed = RenderClock();
        ASSERT_TRUE(changed.has_value());
        const std::vector<std::uint32_t> pixels = Shown(*changed);
        LoadSkin();
        clockPositions.lastSecondTick = -1;
        const std::optional<Frame> fresh = RenderClock();
        ASSERT_TRUE(fresh.has_value());
        EXPECT_TRUE(Shown(*fresh) == pixels) << from << " to " << to;
    }
}

TEST_F(DamagedFrames, DeviceScaleTwoDrawsTheFrameOfTwiceTheScale) {
    LoadSkin();
    clockSettings.Scale = 200;
    SetTick(100);
    const std::optional<Frame> doubled = RenderClock();
    ASSERT_TRUE(doubled.has_value());
    const std::vector<std::uint32_t> expected = Shown(*doubled);

    clockSettings.Scale = 100;
    SetDeviceScale(2);
    LoadSkin();
    const std::optional<Frame> sharp = RenderClock();
    ASSERT_TRUE(sharp.has_value());
    EXPECT_EQ(ScaledFaceWidth(), 290) << "the window keeps its size";
    EXPECT_EQ(sharp->width, 580);
    EXPECT_TRUE(Shown(*sharp) == expected);
}

}  // namespace
}  // namespace tickora
