// The Linux clock on a Wayland desktop: a headless sway (layer-shell and
// XWayland), run with the clock as an unprivileged user of the test's own. What
// the user sees is read from grim screenshots; the mouse is a virtual pointer.
#include <cairo.h>
#include <fcntl.h>
#include <glib.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

#include <chrono>
#include <cstdint>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "linux_e2e/x_probe.h"

namespace tickora::wayland_e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUser = "tickora-e2e";
constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kFace = 290;
// What the application window shows (solid_window.cpp).
constexpr std::uint32_t kWindowColour = 0x00BF00;

bool WaitFor(const std::function<bool()>& check, int milliseconds = 60000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (check()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return check();
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A process of the test user's, with its stdin and stdout as pipes.
struct Child {
    pid_t pid = -1;
    int in = -1;
    int out = -1;
    std::string buffered;

    Child() = default;
    Child(Child&& other) noexcept { *this = std::move(other); }
    Child& operator=(Child&& other) noexcept {
        End();
        std::swap(pid, other.pid);
        std::swap(in, other.in);
        std::swap(out, other.out);
        buffered = std::move(other.buffered);
        return *this;
    }
    ~Child() { End(); }

    // Asked first, so that a compositor removes its sockets and locks.
    void End() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            if (!WaitFor([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 5000)) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
        pid = -1;
        for (int* fd : {&in, &out}) {
            if (*fd >= 0) close(*fd);
            *fd = -1;
        }
    }
    // The next line of its output that starts with `prefix`; empty after the timeout.
    std::string WaitForLine(const std::string& prefix, int milliseconds = 60000) {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            for (std::size_t end; (end = buffered.find('\n')) != std::string::npos;) {
                const std::string line = buffered.substr(0, end);
                buffered.erase(0, end + 1);
                if (line.rfind(prefix, 0) == 0) return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            pollfd ready{out, POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return {};
            char chunk[256];
            const ssize_t got = read(out, chunk, sizeof chunk);
            if (got <= 0) return {};
            buffered.append(chunk, static_cast<std::size_t>(got));
        }
    }
    bool Tell(const std::string& line) {
        const std::string text = line + "\n";
        return write(in, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
               !WaitForLine("ok").empty();
    }
    int Wait() {
        int status = 0;
        const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; });
        if (!ended) return -1;
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

pid_t Spawn(const std::vector<std::string>& command, const std::vector<std::string>& env,
            const fs::path& log) {
    std::vector<std::string> argv = command, envCopy = env;
    std::vector<char*> args, envp;
    for (auto& arg : argv) args.push_back(arg.data());
    for (auto& entry : envCopy) envp.push_back(entry.data());
    args.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

class SwayDesktop : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (getpwnam(kUser) == nullptr) {
            const std::string add = std::string("useradd --system --no-create-home --shell ") +
                                    "/usr/sbin/nologin " + kUser;
            ASSERT_EQ(std::system(add.c_str()), 0) << "the test user is made as root";
        }
    }

    void SetUp() override {
        const passwd* user = getpwnam(kUser);
        ASSERT_NE(user, nullptr);
        uid = user->pw_uid;
        gid = user->pw_gid;
        gchar* folder = g_dir_make_tmp("tickora-sway-XXXXXX", nullptr);
        root = folder;
        g_free(folder);
        fs::permissions(root,
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        for (const char* sub : {"run", "home", "home/config/tickora"}) {
            fs::create_directories(root / sub);
        }
        fs::permissions(root / "run", fs::perms::owner_all);
        std::ofstream(root / "sway.conf") << "output HEADLESS-1 resolution " << kWidth << "x"
                                          << kHeight << "\nxwayland enable\ndefault_border none\n";
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            ASSERT_EQ(chown(entry.path().c_str(), uid, gid), 0);
        }
        sway = RunAsUser(
            {"/usr/bin/sway", "-c", (root / "sway.conf").string()},
            {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
        ASSERT_TRUE(WaitFor([&] { return fs::exists(root / "run/wayland-1"); }))
            << "sway did not start";
        pointer =
            RunAsUser({TICKORA_POINTER_PATH, std::to_string(kWidth), std::to_string(kHeight)}, {});
        ASSERT_FALSE(pointer.WaitForLine("ready").empty()) << "no virtual pointer";
    }

    void TearDown() override {
        for (Child* child : {&clock, &window, &pointer, &sway}) child->End();
        fs::remove_all(root);
    }

    Child RunAsUser(const std::vector<std::string>& command, const std::vector<std::string>& env) {
        std::vector<std::string> argv{
            "/usr/bin/setpriv", "--reuid=" + std::to_string(uid), "--regid=" + std::to_string(gid),
            "--clear-groups", "/usr/bin/env", "-i", "PATH=/usr/bin:/bin",
            "HOME=" + (root / "home").string(), "XDG_RUNTIME_DIR=" + (root / "run").string(),
            "XDG_CONFIG_HOME=" + (root / "home/config").string(), "WAYLAND_DISPLAY=wayland-1",
            // GTK keeps memory until the process ends.
            "ASAN_OPTIONS=detect_leaks=0"};
        argv.insert(argv.end(), env.begin(), env.end());
        argv.insert(argv.end(), command.begin(), command.end());
        int toChild[2], fromChild[2];
        if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) return {};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
        std::vector<char*> args;
        for (auto& arg : argv) args.push_back(arg.data());
        args.push_back(nullptr);
        char* noEnv[] = {nullptr};
        Child child;
        posix_spawn(&child.pid, args[0], &actions, nullptr, args.data(), noEnv);
        posix_spawn_file_actions_destroy(&actions);
        close(toChild[0]);
        close(fromChild[1]);
        child.in = toChild[1];
        child.out = fromChild[0];
        return child;
    }

    void StoreSettings(const std::string& lines) {
        const fs::path file = root / "home/config/tickora/settings.ini";
        std::ofstream(file) << "[Software\\Velmarck\\Tickora]\n" << lines;
        ASSERT_EQ(chown(file.c_str(), uid, gid), 0);
    }
    std::string Settings() const { return ReadFile(root / "home/config/tickora/settings.ini"); }

    // The output as the user sees it, 0xRRGGBB per pixel; empty if grim failed.
    std::vector<std::uint32_t> Screenshot() {
        const fs::path shot = root / "home/shot.png";
        fs::remove(shot);
        Child grim = RunAsUser({"/usr/bin/grim", shot.string()}, {});
        if (grim.Wait() != 0) return {};
        cairo_surface_t* image = cairo_image_surface_create_from_png(shot.c_str());
        std::vector<std::uint32_t> pixels;
        if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS &&
            cairo_image_surface_get_width(image) == kWidth &&
            cairo_image_surface_get_height(image) == kHeight) {
            cairo_surface_flush(image);
            const int stride = cairo_image_surface_get_stride(image);
            const unsigned char* data = cairo_image_surface_get_data(image);
            for (int y = 0; y < kHeight; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
                for (int x = 0; x < kWidth; ++x) pixels.push_back(row[x] & 0xFFFFFF);
            }
        }
        cairo_surface_destroy(image);
        return pixels;
    }

    // The dial is shown with its top-left corner at x, y: most of the face's
    // square differs from the desktop around it (the far corner of the output),
    // but its transparent corner does not.
    bool DialShownAt(int x, int y) {
        const std::vector<std::uint32_t> pixels = Screenshot();
        if (pixels.empty()) return false;
        const std::uint32_t desktop = pixels.back();
        if (pixels[(y + 2) * kWidth + x + 2] != desktop) return false;
        int differing = 0;
        for (int row = y; row < y + kFace; ++row) {
            for (int column = x; column < x + kFace; ++column) {
                differing += pixels[row * kWidth + column] != desktop ? 1 : 0;
            }
        }
        return differing > kFace * kFace / 2;
    }

    Child StartClock(const std::vector<std::string>& env = {}) {
        return RunAsUser({TICKORA_CLOCK_PATH}, env);
    }
    // An application window, tiled over the whole output.
    void OpenWindow() {
        window = RunAsUser({TICKORA_SOLID_WINDOW_PATH}, {});
        ASSERT_TRUE(WaitFor([&] {
            const std::vector<std::uint32_t> pixels = Screenshot();
            return !pixels.empty() && pixels.back() == kWindowColour;
        })) << "the window did not appear";
    }
    void Click(int x, int y, int button = 272) {
        ASSERT_TRUE(pointer.Tell("move " + std::to_string(x) + " " + std::to_string(y)));
        ASSERT_TRUE(pointer.Tell("press " + std::to_string(button)));
        ASSERT_TRUE(pointer.Tell("release " + std::to_string(button)));
    }

    uid_t uid = 0;
    gid_t gid = 0;
    fs::path root;
    Child sway, pointer, clock, window;
};

TEST_F(SwayDesktop, LayerSurfaceAtItsPlaceIsMovedByDraggingAndSaved) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); })) << "not at PosX, PosY";

    ASSERT_TRUE(pointer.Tell("move 245 195"));
    ASSERT_TRUE(pointer.Tell("press 272"));
    ASSERT_TRUE(pointer.Tell("move 305 235"));
    ASSERT_TRUE(pointer.Tell("move 345 265"));
    ASSERT_TRUE(pointer.Tell("release 272"));
    EXPECT_TRUE(WaitFor([&] {
        return Settings().find("PosX=dword:000000c8") != std::string::npos &&
               Settings().find("PosY=dword:00000078") != std::string::npos;
    })) << Settings();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(200, 120); }));
}

TEST_F(SwayDesktop, AlwaysOnTopPutsTheClockAboveWindows) {
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\n");
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); }));
    // On the bottom layer an application window hides the clock.
    OpenWindow();
    EXPECT_TRUE(WaitFor([&] { return Screenshot()[195 * kWidth + 245] == kWindowColour; }));

    clock.End();
    StoreSettings("PosX=dword:00000064\nPosY=dword:00000032\nTopMost=dword:00000001\n");
    clock = StartClock();
    EXPECT_TRUE(WaitFor([&] { return DialShownAt(100, 50); })) << "not on the top layer";
}

TEST_F(SwayDesktop, PassThroughLetsClicksThroughUntilASecondStart) {
    OpenWindow();
    StoreSettings(
        "PosX=dword:00000064\nPosY=dword:00000032\nTopMost=dword:00000001\n"
        "Transparent=dword:00000001\n");
    clock = StartClock();
    ASSERT_TRUE(WaitFor([&] { return DialShownAt(100, 50); }));
    // The click lands on the window below the clock: its input region is empty.
    Click(245, 195);
    EXPECT_EQ(window.WaitForLine("press"), "press 245 195");

    // The way back: starting the clock again, which ends at once. The running
    // clock takes the mouse when it gets to it: until then a drag on it is a
    // click on the window below.
    Child second = StartClock();
    EXPECT_EQ(second.Wait(), 0);
    const auto moved = [&] { return Settings().find("PosX=dword:00000064") == std::string::npos; };
    EXPECT_TRUE(WaitFor([&] {
        return pointer.Tell("move 245 195") && pointer.Tell("press 272") &&
               pointer.Tell("move 275 215") && pointer.Tell("release 272") && WaitFor(moved, 500);
    })) << "the clock did not take the mouse";
    EXPECT_NE(Settings().find("PosX=dword:00000082"), std::string::npos) << Settings();
}

// A compositor without layer-shell but with XWayland (weston, as GNOME is):
// the clock takes X11 there, where it has a place, and saves the place its
// window has rather than an unknown one.
TEST(WestonDesktop, TheClockTakesXWaylandAndSavesItsPlace) {
    gchar* folder = g_dir_make_tmp("tickora-weston-XXXXXX", nullptr);
    const fs::path root = folder;
    g_free(folder);
    fs::create_directories(root / "run");
    fs::permissions(root / "run", fs::perms::owner_all);
    fs::create_directories(root / "config/tickora");
    std::ofstream(root / "config/tickora/settings.ini")
        << "[Software\\Velmarck\\Tickora]\nPosX=dword:00000064\nPosY=dword:00000032\n";
    const auto run = [&](std::vector<std::string> command, const std::string& log) {
        std::vector<std::string> env{"PATH=/usr/bin:/bin",
                                     "XDG_RUNTIME_DIR=" + (root / "run").string(),
                                     "XDG_CONFIG_HOME=" + (root / "config").string(),
                                     "WAYLAND_DISPLAY=wayland-1", "ASAN_OPTIONS=detect_leaks=0"};
        Child child;
        child.pid = Spawn(command, env, root / log);
        return child;
    };
    Child weston = run({"/usr/bin/weston", "--backend=headless-backend.so", "--xwayland",
                        "--socket=wayland-1", "--width=1280", "--height=800"},
                       "weston.log");
    std::string display;
    ASSERT_TRUE(WaitFor([&] {
        const std::string log = ReadFile(root / "weston.log");
        const std::size_t at = log.find("xserver listening on display ");
        if (at == std::string::npos) return false;
        display = log.substr(at + 29, log.find('\n', at) - at - 29);
        return true;
    })) << ReadFile(root / "weston.log");

    std::vector<std::string> clockCommand{"/usr/bin/env", "DISPLAY=" + display, TICKORA_CLOCK_PATH};
    Child clock = run(clockCommand, "clock.log");
    linux_e2e::XProbe::Geometry place{};
    {
        // Closed before weston ends: a connection to a server that is gone ends the test.
        linux_e2e::XProbe probe(display.c_str());
        ASSERT_NE(probe.display(), nullptr);
        // The clock starts at idle priority, behind XWayland's own start.
        Window window = 0;
        WaitFor([&] { return (window = probe.WaitForClock(clock.pid)) != 0; });
        ASSERT_NE(window, 0u) << "no X11 window: " << ReadFile(root / "clock.log") << " pid "
                              << clock.pid << " on " << display;
        place = probe.GeometryOf(window);
    }
    kill(clock.pid, SIGTERM);
    EXPECT_EQ(clock.Wait(), 0);
    const std::string settings = ReadFile(root / "config/tickora/settings.ini");
    char expected[64];
    std::snprintf(expected, sizeof expected, "PosX=dword:%08x\nPosY=dword:%08x", place.x, place.y);
    EXPECT_NE(settings.find(expected), std::string::npos) << settings;
    clock.End();
    weston.End();
    fs::remove_all(root);
}

}  // namespace
}  // namespace tickora::wayland_e2e
