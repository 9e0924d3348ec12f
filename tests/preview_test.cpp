// The skin preview renderer and checker, run as skin authors run them.
#include <cairo.h>
#include <glib.h>
#include <sys/mount.h>
#include <sched.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/png_maker.h"

namespace tickora {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status;
    std::string errors;
    std::string output;
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
        gchar* output = nullptr;
        gint status = 0;
        g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, &output,
                     &errors, &status, nullptr);
        Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1, errors ? errors : "",
                    output ? output : ""};
        g_free(errors);
        g_free(output);
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

TEST_F(Preview, HelpPrintsTheUsage) {
    const Outcome run = Render({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("--check FOLDER"), std::string::npos) << run.output;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A full disk: a tmpfs of 64 KiB, mounted in a mount namespace of this test's
// own, so nothing outside sees it and it goes when the test ends.
TEST_F(Preview, AWriteThatFailsLeavesTheEarlierImageWholeAndNoTemporaryFile) {
    const fs::path disk = scratch / "small-disk";
    fs::create_directories(disk);
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        mount("tickora-test", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "no small file system can be mounted here";
    }
    const std::string out = (disk / "clock.png").string();
    ASSERT_EQ(Render({"--scale", "20", out}).status, 0);
    const auto earlier = ReadAll(out);
    ASSERT_GT(earlier.size(), 1000u);

    const Outcome run = Render({"--scale", "200", out});  // far more than 64 KiB
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("cannot write " + out + ": "), std::string::npos) << run.errors;
    EXPECT_EQ(ReadAll(out), earlier);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(disk)) left.push_back(entry.path().string());
    EXPECT_EQ(left, std::vector<std::string>{out});
    umount2(disk.c_str(), MNT_DETACH);
}

TEST_F(Preview, EveryBundledSkinPassesTheCheck) {
    int count = 0;
    for (const auto& skin : fs::directory_iterator(TICKORA_SKINS_DIR)) {
        const Outcome run = Render({"--check", skin.path().string()});
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find(": 0 errors, 0 warnings"), std::string::npos) << run.output;
        ++count;
    }
    EXPECT_GE(count, 3);
}

cairo_surface_t* Disc(int side, double cx, double cy, double radius) {
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
    cairo_t* cr = cairo_create(image);
    cairo_arc(cr, cx, cy, radius, 0, 6.3);
    cairo_fill(cr);
    cairo_destroy(cr);
    return image;
}

void Save(cairo_surface_t* image, const fs::path& path) {
    cairo_surface_write_to_png(image, path.c_str());
    cairo_surface_destroy(image);
}

TEST_F(Preview, BrokenSkinsGiveTheirFindings) {
    using testing::MakeSolidPng;
    using testing::WriteBytes;
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        int status;
        std::vector<std::string> findings;
    };
    const std::vector<Case> cases = {
        {"NoFace",
         [](const fs::path& f) { WriteBytes(f / "hour.png", MakeSolidPng(60, 5)); },
         1,
         {"error: main.png is missing"}},
        {"Garbage",
         [](const fs::path& f) {
             WriteBytes(f / "main.png", {'n', 'o'});
         },
         1,
         {"error: main.png does not decode"}},
        {"Huge",
         [](const fs::path& f) {
             WriteBytes(f / "main.png", testing::MakePngHeaderOnly(5000, 90));
         },
         1,
         {"error: main.png is 5000 x 90 pixels; faces over 4096"}},
        {"OffCentre",
         [](const fs::path& f) { Save(Disc(100, 40, 50, 30), f / "main.png"); },
         1,
         {"error: main.png has its dial centred on (40.0, 50.0)"}},
        {"Overreaching",
         [](const fs::path& f) {
             Save(Disc(100, 50, 50, 30), f / "main.png");
             WriteBytes(f / "hour.png", MakeSolidPng(60, 6));  // reaches 40
             WriteBytes(f / "min.png", MakeSolidPng(6, 40));
             WriteBytes(f / "sec.png", {'x'});
         },
         1,
         {"error: hour.png reaches 40.0 pixels from the centre, beyond the dial's radius of 30.0",
          "error: min.png is 6 x 40 pixels, taller than it is long",
          "error: sec.png does not decode"}},
        {"Sloppy",
         [](const fs::path& f) {
             WriteBytes(f / "main.png", MakeSolidPng(300, 300));
             WriteBytes(f / "hour.png", MakeSolidPng(500, 40));  // five times: reaches 66.7
             cairo_surface_t* opaque = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 90, 9);
             Save(opaque, f / "min.png");
             WriteBytes(f / "attach.png", MakeSolidPng(320, 100, 0x40FFFFFF));
             WriteBytes(f / "Sec.png", MakeSolidPng(90, 3));
             WriteBytes(f / "notes.txt", {'h', 'i'});
         },
         0,
         {"note: hour.png is 500 pixels wide, more than two thirds of the face (200.0)",
          "warning: min.png has no alpha channel", "warning: attach.png is 320 x 100 pixels",
          "warning: Sec.png is ignored: the clock looks for its name in lower case",
          "warning: notes.txt is not one of", ": 0 errors, 4 warnings, 1 notes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = scratch / c.name;
        fs::create_directories(folder);
        c.make(folder);
        const Outcome run = Render({"--check", folder.string()});
        EXPECT_EQ(run.status, c.status) << run.output << run.errors;
        for (const std::string& finding : c.findings) {
            EXPECT_NE(run.output.find(finding), std::string::npos) << finding << "\n" << run.output;
        }
    }
}

}  // namespace
}  // namespace tickora
