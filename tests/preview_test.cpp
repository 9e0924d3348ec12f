// The skin preview renderer and checker, run as skin authors run them.
#include <cairo.h>
#include <glib.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/png_maker.h"
#include "support/private_dev_posix.h"

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

// The face and glass drawn larger than their own size come from the copies at
// twice the size: exactly what a skin made of those pictures shows at its own
// size. At 100 % and below, and where a copy does not fit, the plain files.
TEST_F(Preview, CopiesAtTwiceTheSizeAreDrawnWhenTheFaceIsShownLarger) {
    using testing::MakePng;
    // Fine detail that no enlargement of the plain pictures can give.
    const auto face =
        MakePng(40, 40, [](int x, int y) { return 0xFF000000u | (x * 6 << 8) | y * 6; });
    const auto faceAt2x =
        MakePng(80, 80, [](int x, int y) { return (x + y) % 2 != 0 ? 0xFF102030u : 0xFFE0D0C0u; });
    // Glasses larger than the face: the clock trims them, the copy alike.
    const auto glass = testing::MakeSolidPng(100, 100, 0x40FFFFFF);
    const auto glassAt2x = MakePng(200, 200, [](int x, int y) {
        return (x % 3 == 0 || y % 5 == 0 ? 0x70000000u : 0x20000000u) | 0xFFFFFFu;
    });
    auto skin = [&](const char* name,
                    const std::map<std::string, std::vector<std::uint8_t>>& files) {
        const fs::path folder = scratch / name;
        fs::create_directories(folder);
        for (const auto& [file, bytes] : files) testing::WriteBytes(folder / file, bytes);
        return std::vector<std::string>{"--skin", folder.string(), "--time", "03:00:00"};
    };
    const auto dense = skin("Dense", {{"main.png", face},
                                      {"main@2x.png", faceAt2x},
                                      {"attach.png", glass},
                                      {"attach@2x.png", glassAt2x}});
    const auto plain = skin("Plain", {{"main.png", face}, {"attach.png", glass}});
    const auto large = skin("Large", {{"main.png", faceAt2x}, {"attach.png", glassAt2x}});
    const auto misfit =
        skin("Misfit", {{"main.png", face},
                        {"attach.png", glass},
                        {"main@2x.png", MakePng(82, 80, [](int, int) { return 0xFF102030u; })},
                        {"attach@2x.png", {'n', 'o', 't'}}});
    const auto same = [](cairo_surface_t* a, cairo_surface_t* b) {
        const int height = cairo_image_surface_get_height(a);
        if (cairo_image_surface_get_width(a) != cairo_image_surface_get_width(b) ||
            height != cairo_image_surface_get_height(b)) {
            return false;
        }
        const int bytes = cairo_image_surface_get_stride(a) * height;
        return std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b),
                           bytes) == 0;
    };
    cairo_surface_t* sharp = Image(large);
    ASSERT_EQ(cairo_image_surface_get_width(sharp), 80);
    EXPECT_TRUE(same(Image(With(dense, {"--device-scale", "2"})), sharp));
    EXPECT_TRUE(same(Image(With(dense, {"--scale", "200"})), sharp));
    for (const auto& scale : {std::vector<std::string>{"--scale", "100"},
                              {"--scale", "50", "--device-scale", "2"},
                              {"--scale", "40"}}) {
        EXPECT_TRUE(same(Image(With(dense, scale)), Image(With(plain, scale)))) << scale[1];
    }
    cairo_surface_t* enlarged = Image(With(plain, {"--device-scale", "2"}));
    EXPECT_FALSE(same(enlarged, sharp));
    EXPECT_TRUE(same(Image(With(misfit, {"--device-scale", "2"})), enlarged));

    const Outcome fits = Render({"--check", (scratch / "Dense").string()});
    EXPECT_EQ(fits.status, 0) << fits.output;
    EXPECT_NE(fits.output.find(": 0 errors"), std::string::npos) << fits.output;
    const Outcome misfits = Render({"--check", (scratch / "Misfit").string()});
    EXPECT_EQ(misfits.status, 1);
    for (const char* finding :
         {"error: main@2x.png is 82 x 80 pixels, not twice main.png (80 x 80); the clock draws "
          "main.png enlarged instead.",
          "error: attach@2x.png does not decode as a PNG image; the clock draws attach.png "
          "enlarged instead."}) {
        EXPECT_NE(misfits.output.find(finding), std::string::npos) << misfits.output;
    }
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

// Outputs that are not plain files are written through and stay what they
// were. The test holds the FIFO open for writing too, so that its reader gets to
// the end once the test lets go, whatever the preview did to the name.
TEST_F(Preview, AFifoALinkAndStandardOutputReceiveThePng) {
    const std::string plain = (scratch / "plain.png").string();
    ASSERT_EQ(Render({plain}).status, 0);
    const auto expected = ReadAll(plain);
    ASSERT_GT(expected.size(), 1000u);

    const std::string fifo = (scratch / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int held = open(fifo.c_str(), O_RDWR);
    const int in = open(fifo.c_str(), O_RDONLY);
    ASSERT_TRUE(held >= 0 && in >= 0);
    std::vector<std::uint8_t> received;
    std::thread reader([&] {
        std::uint8_t chunk[4096];
        for (ssize_t got; (got = read(in, chunk, sizeof chunk)) > 0;) {
            received.insert(received.end(), chunk, chunk + got);
        }
    });
    const Outcome toFifo = Render({fifo});
    close(held);
    reader.join();
    close(in);
    EXPECT_EQ(toFifo.status, 0) << toFifo.errors;
    EXPECT_EQ(received, expected);
    struct stat info {};
    EXPECT_TRUE(stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));

    const fs::path link = scratch / "link.png";
    fs::create_directories(scratch / "kept");
    testing::WriteBytes(scratch / "kept" / "clock.png", {'o', 'l', 'd'});
    fs::create_symlink("kept/clock.png", link);
    const Outcome toLink = Render({link.string()});
    EXPECT_EQ(toLink.status, 0) << toLink.errors;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadAll(scratch / "kept" / "clock.png"), expected);

    // Standard output goes to a file by the shell, which keeps every byte.
    const std::string piped = (scratch / "piped.png").string();
    gint status = -1;
    const char* shell[] = {"/bin/sh",
                           "-c",
                           "cd \"$2\" && exec \"$0\" - >\"$1\"",
                           TICKORA_PREVIEW_PATH,
                           piped.c_str(),
                           scratch.c_str(),
                           nullptr};
    g_spawn_sync(nullptr, const_cast<gchar**>(shell), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                 nullptr, nullptr, &status, nullptr);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadAll(piped), expected);
    EXPECT_FALSE(fs::exists(scratch / "-"));
}

// The devices live in /dev of a mount namespace of this test's own: a tmpfs
// holding only the null and full devices made here, so whatever the preview does
// to them can never reach the machine's own. Without the rights to make them,
// the test is skipped.
TEST_F(Preview, DevicesAreWrittenThroughAndAFullOneIsAnError) {
    const std::pair<const char*, dev_t> null{"/dev/null", makedev(1, 3)};
    const std::pair<const char*, dev_t> full{"/dev/full", makedev(1, 7)};
    testing::PrivateDev dev;
    if (!dev.Make({null, full})) GTEST_SKIP() << "no /dev of a namespace's own can be made here";
    const Outcome toFull = Render({"/dev/full"});
    EXPECT_EQ(toFull.status, 1);
    EXPECT_NE(toFull.errors.find("cannot write /dev/full: "), std::string::npos) << toFull.errors;
    EXPECT_NE(toFull.errors.find(g_strerror(ENOSPC)), std::string::npos) << toFull.errors;
    const Outcome toNull = Render({"/dev/null"});
    EXPECT_EQ(toNull.status, 0) << toNull.errors;
    for (const auto& [name, device] : {null, full}) {
        EXPECT_TRUE(testing::PrivateDev::StillDevice(name, device)) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator("/dev"), fs::directory_iterator()), 2);
}

TEST_F(Preview, EveryBundledSkinPassesTheCheck) {
    int count = 0;
    for (const auto& skin : fs::directory_iterator(TICKORA_SKINS_DIR)) {
        // Each with its copies at twice the size, which the check finds fitting.
        EXPECT_TRUE(fs::exists(skin.path() / "main@2x.png")) << skin.path();
        EXPECT_EQ(fs::exists(skin.path() / "attach@2x.png"), fs::exists(skin.path() / "attach.png"))
            << skin.path();
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
