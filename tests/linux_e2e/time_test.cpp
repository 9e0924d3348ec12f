// The Linux clock in Xvfb following jumps of the local time, read off the
// window's pixels with a skin whose hands have colours of their own: a new time
// zone linked over /etc/localtime (in a mount namespace of the clock's own, with
// an overlay over /etc), and the wall clock set by whole hours (libfaketime,
// preloaded into the clock alone).
#include <stdlib.h>
#include <time.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/x_probe.h"
#include "support/png_maker.h"

namespace tickora::linux_e2e {
namespace {

constexpr int kFace = 200;
constexpr double kPi = 3.14159265358979323846;
const std::string kFakeTime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

// A grey face with a red hour hand, a green minute hand and a blue second hand.
// On a circle of radius 48 about the centre only their fronts pass: the tails
// reach 30 (hour) and 40 pixels back.
void MakeHandsSkin(const fs::path& folder) {
    fs::create_directories(folder);
    testing::WriteBytes(folder / "main.png", testing::MakeSolidPng(kFace, kFace, 0xFF808080));
    testing::WriteBytes(folder / "hour.png", testing::MakeSolidPng(90, 8, 0xFFFF0000));
    testing::WriteBytes(folder / "min.png", testing::MakeSolidPng(120, 4, 0xFF00FF00));
    testing::WriteBytes(folder / "sec.png", testing::MakeSolidPng(120, 2, 0xFF0000FF));
}

// Where the hour hand's red pixels lie on the circle, as a dial reading in hours
// (0 at the top, clockwise, below 12); nullopt when there are none.
std::optional<double> HourHandReading(const std::vector<std::uint32_t>& pixels) {
    double x = 0, y = 0;
    for (int tenth = 0; tenth < 3600; ++tenth) {
        const double angle = tenth * kPi / 1800;
        const auto px = std::lround(kFace / 2 + 48 * std::sin(angle));
        const auto py = std::lround(kFace / 2 - 48 * std::cos(angle));
        const std::uint32_t pixel = pixels[static_cast<std::size_t>(py * kFace + px)];
        if ((pixel >> 16 & 0xFF) > 190 && (pixel >> 8 & 0xFF) < 70 && (pixel & 0xFF) < 70) {
            x += std::sin(angle);
            y += std::cos(angle);
        }
    }
    if (x == 0 && y == 0) return std::nullopt;
    const double hours = std::atan2(x, y) * 6 / kPi;
    return hours < 0 ? hours + 12 : hours;
}

// The dial reading of the hour hand for the present time at this offset from UTC.
double UtcDialHours(int offsetHours) {
    const time_t now = time(nullptr);
    tm utc{};
    gmtime_r(&now, &utc);
    return (utc.tm_hour + offsetHours) % 12 + utc.tm_min / 60.0;
}

class TimeJumps : public ::testing::TestWithParam<bool>, public ClockUser {
  protected:
    void SetUp() override {
        ASSERT_NE(probe.display(), nullptr) << "these tests need DISPLAY";
        MakeHandsSkin(home / "data/tickora/skins/Hands");
        StoreSettings(std::string("Skin=sz:Hands\nShowSeconds=dword:0000000") +
                      (GetParam() ? "1" : "0") + "\n");
    }
    void TearDown() override { EndProcess(clock); }

    // The user's environment with these entries put in (or in place of others).
    std::vector<std::string> ClockEnv(const std::vector<std::string>& more) const {
        std::vector<std::string> env = Env();
        env.push_back("XDG_DATA_HOME=" + (home / "data").string());
        for (const std::string& entry : more) {
            const std::string name = entry.substr(0, entry.find('=') + 1);
            std::erase_if(env, [&](const std::string& old) { return old.rfind(name, 0) == 0; });
            env.push_back(entry);
        }
        return env;
    }
    void Start(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
        clock = Spawn(argv, env);
        window = probe.WaitForClock(clock);
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(probe.WaitForSize(window, kFace, kFace));
    }
    std::optional<double> ShownHours() {
        const std::vector<std::uint32_t> pixels = probe.WindowPixels(window, kFace, kFace);
        if (pixels.size() != static_cast<std::size_t>(kFace * kFace)) return std::nullopt;
        return HourHandReading(pixels);
    }
    // Waits (generously) until the hour hand shows the reading; says how long it took.
    ::testing::AssertionResult WaitForHours(const std::function<double()>& expected,
                                            const char* what) {
        const auto start = std::chrono::steady_clock::now();
        std::optional<double> shown;
        const bool seen = WaitFor(
            [&] {
                shown = ShownHours();
                return shown && std::abs(std::remainder(*shown - expected(), 12.0)) < 0.1;
            },
            15000);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
        if (!seen) {
            return ::testing::AssertionFailure()
                   << what << ": the hour hand shows " << (shown ? *shown : -1.0)
                   << " h on the dial, not " << expected();
        }
        std::cout << "[ time ] " << what << (GetParam() ? " (seconds shown)" : " (seconds hidden)")
                  << ": shown after " << ms << " ms\n";
        return ::testing::AssertionSuccess();
    }

    XProbe probe;
    pid_t clock = -1;
    Window window = 0;
};

TEST_P(TimeJumps, ANewZoneLinkedOverLocaltimeIsShownAtOnce) {
    // /etc in the clock's namespace is an overlay with its upper layer on a
    // tmpfs there: the machine's /etc is never written.
    const char* script =
        "set -e\n"
        "mount -t tmpfs tmpfs \"$1\"\n"
        "mkdir \"$1/upper\" \"$1/work\"\n"
        "mount -t overlay overlay -o "
        "lowerdir=/etc,upperdir=\"$1/upper\",workdir=\"$1/work\" /etc\n"
        "ln -sfn /usr/share/zoneinfo/Etc/UTC /etc/localtime\n"
        "exec \"$2\"\n";
    fs::create_directories(home / "layers");
    unsetenv("TZ");  // the zone is /etc/localtime's
    Start({"/usr/bin/unshare", "--mount", "--", "/bin/sh", "-c", script, "sh",
           (home / "layers").string(), TICKORA_CLOCK_PATH},
          ClockEnv({}));
    ASSERT_TRUE(WaitForHours([] { return UtcDialHours(0); }, "UTC at start"));

    // As timedatectl does it: a new link beside the old one, renamed over it.
    const pid_t mover = Spawn(
        {"/usr/bin/nsenter", "--mount", "--target", std::to_string(clock), "--", "/bin/sh", "-c",
         "ln -s /usr/share/zoneinfo/Asia/Tokyo /etc/.localtime.new && "
         "mv -T /etc/.localtime.new /etc/localtime"},
        {});
    ASSERT_EQ(WaitForExit(mover), 0);
    EXPECT_TRUE(WaitForHours([] { return UtcDialHours(9); }, "UTC+9 after the zone change"));
}

TEST_P(TimeJumps, TheWallClockSetByWholeHoursMovesTheHourHand) {
    // A frozen fake time: the minute hand's five-second step stays, only the
    // second moves on with each change, so nothing but a redraw for the hour
    // can bring the hour hand to the new hour.
    const fs::path stamp = home / "faketime";
    std::ofstream(stamp) << "2026-03-14 10:15:02\n";
    Start(
        {TICKORA_CLOCK_PATH},
        ClockEnv({"TZ=UTC", "LD_PRELOAD=" + kFakeTime, "FAKETIME_TIMESTAMP_FILE=" + stamp.string(),
                  "FAKETIME_NO_CACHE=1", "FAKETIME_DONT_FAKE_MONOTONIC=1",
                  // ASan wants to be first of the libraries; libfaketime is.
                  "ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0"}));
    ASSERT_TRUE(WaitForHours([] { return 10.25; }, "the fake time"));

    std::ofstream(stamp) << "2026-03-14 13:15:03\n";
    EXPECT_TRUE(WaitForHours([] { return 1.25; }, "three hours on"));
    std::ofstream(stamp) << "2026-03-14 09:15:04\n";
    EXPECT_TRUE(WaitForHours([] { return 9.25; }, "four hours back"));
}

INSTANTIATE_TEST_SUITE_P(SecondsShownOrHidden, TimeJumps, ::testing::Values(true, false));

}  // namespace
}  // namespace tickora::linux_e2e
