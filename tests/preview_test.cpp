// The skin preview renderer, run as skin authors run it, at fixed times.
#include <cairo.h>
#include <glib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/png_maker.h"

namespace tickora {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string errors;
};

class Preview : public ::testing::Test {
  protected:
    void SetUp() override {
        gchar* folder = g_dir_make_tmp("tickora-preview-XXXXXX", nullptr);
        scratch = folder;
        g_free(folder);
    }
    void TearDown() override {
        for (cairo_surface_t* image : images) cairo_surface_destroy(image);
        fs::remove_all(scratch);
    }

    Outcome Render(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), TICKORA_PREVIEW_PATH);
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        gchar* errors = nullptr;
        gint status = 0;
        g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr, nullptr,
                     nullptr, &errors, &status, nullptr);
        Outcome run{g_spawn_check_wait_status(status, nullptr) ? 0 : 1, errors ? errors : ""};
        g_free(errors);
        return run;
    }

    // Renders into a PNG and loads it; the arguments come before the file name.
    cairo_surface_t* Image(std::vector<std::string> arguments) {
        const std::string file = (scratch / ("frame" + std::to_string(images.size()) + ".png"));
        arguments.push_back(file);
        const Outcome run = Render(arguments);
        EXPECT_EQ(run.status, 0) << run.errors;
        images.push_back(cairo_image_surface_create_from_png(file.c_str()));
        return images.back();
    }

    static std::uint32_t Pixel(cairo_surface_t* image, int x, int y) {
        const unsigned char* row =
            cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    }
    // A hand is light grey; the internal dial's field is dark.
    static bool Light(cairo_surface_t* image, int x, int y) {
        return (Pixel(image, x, y) & 0xFF) > 200;
    }

    fs::path scratch;
    std::vector<cairo_surface_t*> images;
};

const std::vector<std::string> kPlain = {"--seconds", "off", "--glass", "off"};

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST_F(Preview, AtThreeTheHourHandPointsRightAndTheMinuteHandUp) {
    cairo_surface_t* frame = Image(With(kPlain, {"--time", "03:00:00"}));
    ASSERT_EQ(cairo_image_surface_get_width(frame), 290);
    EXPECT_TRUE(Light(frame, 145 + 50, 145));   // hour hand, reaching 69
    EXPECT_FALSE(Light(frame, 145 + 80, 145));  // beyond it
    EXPECT_TRUE(Light(frame, 145, 145 - 80));   // minute hand, reaching 93
    EXPECT_FALSE(Light(frame, 145 - 50, 145));
    EXPECT_FALSE(Light(frame, 145, 145 + 50));
}

TEST_F(Preview, SecondHandAtFifteenSecondsReachesTheThreeOClockSide) {
    cairo_surface_t* with = Image({"--glass", "off", "--time", "06:30:15"});
    cairo_surface_t* without = Image(With(kPlain, {"--time", "06:30:15"}));
    // Short of the 3 o'clock marker, which starts 95 pixels out.
    for (int x = 145 + 20; x <= 145 + 90; x += 10) {
        EXPECT_TRUE(Light(with, x, 145)) << x;
        EXPECT_FALSE(Light(without, x, 145)) << x;
    }
    EXPECT_FALSE(Light(with, 145 - 70, 145));
    EXPECT_FALSE(Light(with, 145, 145 - 60));
}

TEST_F(Preview, ScaleTwoHundredDoublesTheImage) {
    cairo_surface_t* frame = Image(With(kPlain, {"--scale", "200"}));
    EXPECT_EQ(cairo_image_surface_get_width(frame), 580);
    EXPECT_EQ(cairo_image_surface_get_height(frame), 580);
    EXPECT_EQ(Pixel(frame, 2, 2) >> 24, 0u);
    EXPECT_EQ(Pixel(frame, 290, 290) >> 24, 255u);
}

TEST_F(Preview, GlassChangesOnlyTheGlassRegion) {
    cairo_surface_t* on = Image({"--time", "10:08:37"});
    cairo_surface_t* off = Image({"--time", "10:08:37", "--glass", "off"});
    int changedInside = 0;
    for (int y = 0; y < 290; ++y) {
        for (int x = 0; x < 290; ++x) {
            const bool differs = Pixel(on, x, y) != Pixel(off, x, y);
            const bool inGlass = x >= 28 && x <= 260 && y >= 28 && y <= 260;
            if (!inGlass) {
                ASSERT_FALSE(differs) << x << "," << y;
            }
            changedInside += differs;
        }
    }
    EXPECT_GT(changedInside, 1000);
}

TEST_F(Preview, FiveTimesHandsAreDrawnAtOneFifth) {
    const fs::path skin = scratch / "Big Hands";
    fs::create_directories(skin);
    testing::WriteBytes(skin / "main.png", testing::MakeSolidPng(300, 300, 0xFF101010));
    // 500 wide: pivot at 166.7, reaching 333 at full size, 66.7 at one fifth.
    testing::WriteBytes(skin / "hour.png", testing::MakeSolidPng(500, 40, 0xFFFFFFFF));
    cairo_surface_t* frame = Image({"--skin", skin.string(), "--time", "03:00:00"});
    ASSERT_EQ(cairo_image_surface_get_width(frame), 300);
    EXPECT_TRUE(Light(frame, 150 + 60, 150));
    EXPECT_FALSE(Light(frame, 150 + 72, 150));
    EXPECT_FALSE(Light(frame, 150 - 40, 150));
}

TEST_F(Preview, BadArgumentsAreRefusedWithAMessage) {
    const std::string out = (scratch / "x.png").string();
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--scale", "big", out},
        {"--time", "25:00:00", out},
        {"--time", "12:00", out},
        {"--seconds", "maybe", out},
        {"--colour", "red", out},
        {"--skin", (scratch / "none").string(), out},
        {out, out},
        {"--scale"},
    };
    for (const auto& arguments : bad) {
        const Outcome run = Render(arguments);
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.errors.find("tickora_preview: "), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(Preview, ASkinWhoseFaceDoesNotLoadIsReported) {
    const fs::path skin = scratch / "Broken";
    fs::create_directories(skin);
    testing::WriteBytes(skin / "main.png", {'n', 'o', 't'});
    const Outcome run = Render({"--skin", skin.string(), (scratch / "y.png").string()});
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.errors.find("internal skin"), std::string::npos) << run.errors;
}

}  // namespace
}  // namespace tickora
