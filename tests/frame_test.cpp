// Frame composition with exact times fed through the time source and the
// presentations recorded where the window would receive them.
#include "render/frame.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "menu/menu_model.h"
#include "render/clock_positions.h"
#include "settings/settings.h"
#include "skin/skin.h"

namespace tickora {
namespace {

struct Presentation {
    std::int32_t width, height;
    std::uint8_t alpha;
};

std::vector<Presentation> presentations;
LocalTime now;

LocalTime Now() {
    return now;
}

// A frame attempt, recording what would be presented.
void Attempt() {
    if (const std::optional<Frame> frame = RenderClock()) {
        EXPECT_NE(frame->target, nullptr);
        EXPECT_FALSE(frame->damage.Empty());
        presentations.push_back({frame->width, frame->height, frame->constantAlpha});
    }
}

class Frames : public ::testing::Test {
  protected:
    void SetUp() override {
        clockSettings = ClockSettings{};
        presentations.clear();
        now = LocalTime{12, 0, 0, 0};
        SetTimeSource(&Now);
        LoadSkin();
    }
    void TearDown() override {
        ReleaseSkin();
        SetTimeSource(nullptr);
    }
    // Frame attempts every 20 ms for this many milliseconds, from the current time.
    void RunFor(int milliseconds) {
        for (int elapsed = 0; elapsed < milliseconds; elapsed += 20) {
            Attempt();
            Advance(20);
        }
    }
    static void Advance(int milliseconds) {
        int total = ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds +
                    milliseconds;
        now.wMilliseconds = static_cast<std::uint16_t>(total % 1000);
        total /= 1000;
        now.wSecond = static_cast<std::uint16_t>(total % 60);
        total /= 60;
        now.wMinute = static_cast<std::uint16_t>(total % 60);
        now.wHour = static_cast<std::uint16_t>(total / 60 % 24);
    }
};

TEST_F(Frames, TwoAttemptsInOneTickDrawOnce) {
    Attempt();
    Attempt();
    EXPECT_EQ(presentations.size(), 1u);
    now.wMilliseconds = 83;  // still the first twelfth of the second
    Attempt();
    EXPECT_EQ(presentations.size(), 1u);
    now.wMilliseconds = 84;
    Attempt();
    EXPECT_EQ(presentations.size(), 2u);
}

TEST_F(Frames, WithoutSecondsOrGlassOneFramePerFiveSeconds) {
    clockSettings.ShowSeconds = false;
    clockSettings.ShowGlass = false;
    RunFor(10000);
    // The first frame after loading, then at 12:00:05.
    EXPECT_EQ(presentations.size(), 2u);
    RunFor(5000);
    EXPECT_EQ(presentations.size(), 3u);
}

TEST_F(Frames, GlassAlonePresentsOnlyWhatChanges) {
    clockSettings.ShowSeconds = false;
    RunFor(2000);
    // Windows presents every tick while the glass is shown; where only damaged
    // areas are composed, a still glass over a still background changes nothing.
    EXPECT_EQ(presentations.size(), imaging::ComposesDamagedAreas() ? 1u : 24u);
}

TEST_F(Frames, TurningSecondsOffRedrawsOnTheNextTick) {
    clockSettings.ShowGlass = false;
    RunFor(1000);
    const std::size_t before = presentations.size();

    class NoWindow : public MenuHost {
        void Quit() override {}
        void ShowPassThroughNote() override {}
        void ApplyWindowMode() override {}
        std::u16string SkinItemText(std::uint32_t) override { return {}; }
    } host;
    CarryOutCommand(IDM_SECONDS, host);
    EXPECT_FALSE(clockSettings.ShowSeconds);
    Attempt();  // the next tick draws the background again
    EXPECT_EQ(presentations.size(), before + 1);
    RunFor(3000);  // and nothing more until the minute hand moves at :05
    EXPECT_EQ(presentations.size(), before + 1);
}

TEST_F(Frames, AfterASkinLoadTheFirstAttemptPresents) {
    clockSettings.ShowSeconds = false;
    clockSettings.ShowGlass = false;
    RunFor(1000);
    const std::size_t before = presentations.size();
    LoadSkin();
    Attempt();
    EXPECT_EQ(presentations.size(), before + 1);
}

TEST_F(Frames, ConstantOpacityForEveryMenuValue) {
    const std::pair<int, int> bytes[] = {{100, 255}, {85, 216}, {80, 204}, {75, 191}, {68, 173},
                                         {60, 153},  {50, 127}, {37, 94},  {20, 51}};
    for (const auto& [alpha, expected] : bytes) {
        clockSettings.Alpha = alpha;
        EXPECT_EQ(ConstantAlpha(), expected) << alpha;
    }
    clockSettings.Alpha = 37;
    Attempt();
    ASSERT_EQ(presentations.size(), 1u);
    EXPECT_EQ(presentations[0].alpha, 94);
}

TEST_F(Frames, StoredValuesOutOfRangeAreDrawnAtTheNearestEnd) {
    for (const auto& [alpha, expected] : {std::pair{-1, 51}, {0, 51}, {101, 255}, {1000, 255}}) {
        clockSettings.Alpha = alpha;
        EXPECT_EQ(ConstantAlpha(), expected) << alpha;
    }
    for (const auto& [scale, side] :
         {std::pair{0, 58}, {-5, 58}, {201, 580}, {100000, 580}, {19, 58}}) {
        clockSettings.Scale = scale;
        EXPECT_EQ(ScaledFaceWidth(), side) << scale;
        EXPECT_EQ(ScaledFaceHeight(), side) << scale;
    }
    // The ends of int and their neighbours, times the largest device scale too.
    for (const int stored : {INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX}) {
        clockSettings.Alpha = stored;
        clockSettings.Scale = stored;
        const bool low = stored < 0;
        EXPECT_EQ(ConstantAlpha(), low ? 51 : 255) << stored;
        EXPECT_EQ(ScaledFaceWidth(), low ? 58 : 580) << stored;
        EXPECT_EQ(ScaledFaceHeight(), low ? 58 : 580) << stored;
    }
    SetDeviceScale(INT_MAX);
    EXPECT_EQ(DrawingScale(), 800);
    SetDeviceScale(INT_MIN);
    EXPECT_EQ(DrawingScale(), 200);
    SetDeviceScale(1);
    clockSettings.Scale = 100000;
    Attempt();
    ASSERT_EQ(presentations.size(), 1u);
    EXPECT_EQ(presentations[0].width, 580);
    EXPECT_EQ(clockSettings.Scale, 100000) << "the stored value is kept";
}

TEST_F(Frames, ScaleGivesTruncatedWindowSizes) {
    clockSettings.Scale = 32;
    Attempt();
    clockSettings.Scale = 25;
    clockPositions.lastMinuteStep = -1;
    Advance(100);
    Attempt();
    ASSERT_EQ(presentations.size(), 2u);
    EXPECT_EQ(presentations[0].width, 92);
    EXPECT_EQ(presentations[0].height, 92);
    EXPECT_EQ(presentations[1].width, 72);
}

TEST(GlassPlacement, CentredOnTheUnroundedFace) {
    const GlassRect at32 = PlaceGlass(290, 290, 290, 290, 32);
    EXPECT_FLOAT_EQ(at32.x, 0);
    EXPECT_FLOAT_EQ(at32.y, 0);
    EXPECT_FLOAT_EQ(at32.width, 92.8f);
    EXPECT_FLOAT_EQ(PlaceGlass(290, 290, 290, 290, 25).width, 72.5f);

    const GlassRect small = PlaceGlass(180, 160, 200, 200, 150);
    EXPECT_FLOAT_EQ(small.x, 15);
    EXPECT_FLOAT_EQ(small.y, 30);
    EXPECT_FLOAT_EQ(small.width, 270);
    EXPECT_FLOAT_EQ(small.height, 240);
}

}  // namespace
}  // namespace tickora
