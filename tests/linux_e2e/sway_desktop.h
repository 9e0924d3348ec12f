// A headless sway for end-to-end tests: run as an unprivileged user of the
// tests' own (sway will not run as root), with the clock and its helpers as
// that user, a virtual pointer for a mouse and grim screenshots for eyes.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tickora::wayland_e2e {

namespace fs = std::filesystem;

constexpr const char* kUser = "tickora-e2e";
// The size of each headless output, in logical pixels.
constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kFace = 290;
// What the application window shows (solid_window.cpp).
constexpr std::uint32_t kWindowColour = 0x00BF00;

bool WaitFor(const std::function<bool()>& check, int milliseconds = 60000);
std::string ReadFile(const fs::path& path);
// The lines of a settings file that hold this place.
std::string PlaceLines(int x, int y);

// A process of the test user's, with its stdin and stdout as pipes.
struct Child {
    pid_t pid = -1;
    int in = -1;
    int out = -1;
    std::string buffered;

    Child() = default;
    Child(Child&& other) noexcept { *this = std::move(other); }
    Child& operator=(Child&& other) noexcept;
    ~Child() { End(); }

    // Asked first, so that a compositor removes its sockets and locks.
    void End();
    // The next line of its output that starts with `prefix`; empty after the timeout.
    std::string WaitForLine(const std::string& prefix, int milliseconds = 60000);
    // Writes a line and waits for the child's "ok".
    bool Tell(const std::string& line);
    // Exit status (128 + signal when killed); -1 if it still runs after a minute.
    int Wait();
};

// A process with this environment alone, its output appended to `log`.
pid_t Spawn(const std::vector<std::string>& command, const std::vector<std::string>& env,
            const fs::path& log);

// The whole desktop as grim sees it: every output, 0xRRGGBB per pixel.
struct Shot {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool Empty() const { return pixels.empty(); }
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

struct SwayOptions {
    int outputs = 1;  // WLR_HEADLESS_OUTPUTS: HEADLESS-1, HEADLESS-2, ...
    // Lines added to sway's configuration (output positions, scales...).
    std::string config;
    // The bounding box of all outputs, which the virtual pointer's absolute
    // positions and grim's screenshots span.
    int layoutWidth = kWidth;
    int layoutHeight = kHeight;
};

class SwayDesktop : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;
    // What the desktop is made of; a fixture of several outputs overrides it.
    virtual SwayOptions Options() const { return {}; }

    Child RunAsUser(const std::vector<std::string>& command, const std::vector<std::string>& env);
    // swaymsg as the test user; its output, or empty on failure.
    std::string SwayMessage(const std::vector<std::string>& arguments);

    void StoreSettings(const std::string& lines);
    std::string Settings() const;

    // Empty if grim failed.
    Shot Screenshot();
    // The dial is shown with its top-left corner at x, y (desktop coordinates):
    // most of the face's square differs from the desktop around it (the far
    // corner of the last output), but its transparent corner does not.
    bool DialShownAt(int x, int y, int face = kFace);

    Child StartClock(const std::vector<std::string>& env = {});
    // An application window, tiled over the whole output.
    void OpenWindow();
    void Click(int x, int y, int button = 272);

    uid_t uid = 0;
    gid_t gid = 0;
    fs::path root;
    Child sway, pointer, clock, window;
};

}  // namespace tickora::wayland_e2e
