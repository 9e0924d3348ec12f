#include "linux_e2e/sway_desktop.h"

#include <cairo.h>
#include <fcntl.h>
#include <glib.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

namespace tickora::wayland_e2e {

bool WaitFor(const std::function<bool()>& check, int milliseconds) {
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

Child& Child::operator=(Child&& other) noexcept {
    End();
    std::swap(pid, other.pid);
    std::swap(in, other.in);
    std::swap(out, other.out);
    buffered = std::move(other.buffered);
    return *this;
}

void Child::End() {
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

std::string Child::WaitForLine(const std::string& prefix, int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        for (std::size_t end; (end = buffered.find('\n')) != std::string::npos;) {
            const std::string line = buffered.substr(0, end);
            buffered.erase(0, end + 1);
            if (line.rfind(prefix, 0) == 0) return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        pollfd ready{out, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0) return {};
        char chunk[256];
        const ssize_t got = read(out, chunk, sizeof chunk);
        if (got <= 0) return {};
        buffered.append(chunk, static_cast<std::size_t>(got));
    }
}

bool Child::Tell(const std::string& line) {
    const std::string text = line + "\n";
    return write(in, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
           !WaitForLine("ok").empty();
}

int Child::Wait() {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) return -1;
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

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

void SwayDesktop::SetUpTestSuite() {
    if (getpwnam(kUser) == nullptr) {
        const std::string add =
            std::string("useradd --system --no-create-home --shell /usr/sbin/nologin ") + kUser;
        ASSERT_EQ(std::system(add.c_str()), 0) << "the test user is made as root";
    }
}

void SwayDesktop::SetUp() {
    const passwd* user = getpwnam(kUser);
    ASSERT_NE(user, nullptr);
    uid = user->pw_uid;
    gid = user->pw_gid;
    gchar* folder = g_dir_make_tmp("tickora-sway-XXXXXX", nullptr);
    root = folder;
    g_free(folder);
    fs::permissions(root, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    for (const char* sub : {"run", "home", "home/config/tickora"}) {
        fs::create_directories(root / sub);
    }
    fs::permissions(root / "run", fs::perms::owner_all);
    const SwayOptions options = Options();
    std::ofstream config(root / "sway.conf");
    for (int output = 1; output <= options.outputs; ++output) {
        config << "output HEADLESS-" << output << " resolution " << kWidth << "x" << kHeight
               << "\n";
    }
    config << "xwayland enable\ndefault_border none\n" << options.config << "\n";
    config.close();
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        ASSERT_EQ(chown(entry.path().c_str(), uid, gid), 0);
    }
    sway = RunAsUser({"/usr/bin/sway", "-c", (root / "sway.conf").string()},
                     {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman",
                      "WLR_HEADLESS_OUTPUTS=" + std::to_string(options.outputs),
                      // Where SwayMessage looks for it.
                      "SWAYSOCK=" + (root / "run/sway.sock").string()});
    ASSERT_TRUE(WaitFor([&] { return fs::exists(root / "run/wayland-1"); }))
        << "sway did not start";
    pointer = RunAsUser({TICKORA_POINTER_PATH, std::to_string(options.layoutWidth),
                         std::to_string(options.layoutHeight)},
                        {});
    ASSERT_FALSE(pointer.WaitForLine("ready").empty()) << "no virtual pointer";
}

void SwayDesktop::TearDown() {
    for (Child* child : {&clock, &window, &pointer, &sway}) child->End();
    fs::remove_all(root);
}

Child SwayDesktop::RunAsUser(const std::vector<std::string>& command,
                             const std::vector<std::string>& env) {
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

std::string SwayDesktop::SwayMessage(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"/usr/bin/swaymsg"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    Child message = RunAsUser(command, {"SWAYSOCK=" + (root / "run/sway.sock").string()});
    std::string output;
    char chunk[4096];
    for (ssize_t got; (got = read(message.out, chunk, sizeof chunk)) > 0;) {
        output.append(chunk, static_cast<std::size_t>(got));
    }
    return message.Wait() == 0 ? output : std::string();
}

void SwayDesktop::StoreSettings(const std::string& lines) {
    const fs::path file = root / "home/config/tickora/settings.ini";
    std::ofstream(file) << "[Software\\Velmarck\\Tickora]\n" << lines;
    ASSERT_EQ(chown(file.c_str(), uid, gid), 0);
}

std::string SwayDesktop::Settings() const {
    return ReadFile(root / "home/config/tickora/settings.ini");
}

Shot SwayDesktop::Screenshot() {
    const fs::path shot = root / "home/shot.png";
    fs::remove(shot);
    Child grim = RunAsUser({"/usr/bin/grim", shot.string()}, {});
    if (grim.Wait() != 0) return {};
    cairo_surface_t* image = cairo_image_surface_create_from_png(shot.c_str());
    Shot result;
    if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
        cairo_surface_flush(image);
        result.width = cairo_image_surface_get_width(image);
        result.height = cairo_image_surface_get_height(image);
        const int stride = cairo_image_surface_get_stride(image);
        const unsigned char* data = cairo_image_surface_get_data(image);
        for (int y = 0; y < result.height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
            for (int x = 0; x < result.width; ++x) result.pixels.push_back(row[x] & 0xFFFFFF);
        }
    }
    cairo_surface_destroy(image);
    return result;
}

bool SwayDesktop::DialShownAt(int x, int y, int face) {
    const Shot shot = Screenshot();
    if (shot.Empty() || x < 0 || y < 0 || x + face > shot.width || y + face > shot.height) {
        return false;
    }
    const std::uint32_t desktop = shot.pixels.back();
    if (shot.At(x + 2, y + 2) != desktop) return false;
    int differing = 0;
    for (int row = y; row < y + face; ++row) {
        for (int column = x; column < x + face; ++column) {
            differing += shot.At(column, row) != desktop ? 1 : 0;
        }
    }
    return differing > face * face / 2;
}

Child SwayDesktop::StartClock(const std::vector<std::string>& env) {
    return RunAsUser({TICKORA_CLOCK_PATH}, env);
}

void SwayDesktop::OpenWindow() {
    window = RunAsUser({TICKORA_SOLID_WINDOW_PATH}, {});
    ASSERT_TRUE(WaitFor([&] {
        const Shot shot = Screenshot();
        return !shot.Empty() && shot.pixels.back() == kWindowColour;
    })) << "the window did not appear";
}

void SwayDesktop::Click(int x, int y, int button) {
    ASSERT_TRUE(pointer.Tell("move " + std::to_string(x) + " " + std::to_string(y)));
    ASSERT_TRUE(pointer.Tell("press " + std::to_string(button)));
    ASSERT_TRUE(pointer.Tell("release " + std::to_string(button)));
}

std::string PlaceLines(int x, int y) {
    char text[64];
    std::snprintf(text, sizeof text, "PosX=dword:%08x\nPosY=dword:%08x\n", static_cast<unsigned>(x),
                  static_cast<unsigned>(y));
    return text;
}

}  // namespace tickora::wayland_e2e
