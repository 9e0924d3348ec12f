// X servers and window managers of a test's own, ended with the test: no
// window manager or screen change of one test reaches another's display.
#pragma once

#include <sys/wait.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "linux_e2e/clock_user.h"
#include "linux_e2e/x_probe.h"

// Last: Xlib's macros (None, Status...) would clash with names above.
#include <X11/Xatom.h>

namespace tickora::linux_e2e {

// A process of the test's own, ended with the test.
struct Owned {
    pid_t pid = -1;
    Owned() = default;
    explicit Owned(pid_t started) : pid(started) {}
    Owned(const Owned&) = delete;
    Owned& operator=(Owned&& other) noexcept {
        EndProcess(pid);
        std::swap(pid, other.pid);
        return *this;
    }
    ~Owned() { EndProcess(pid); }
};

// A program run to its end; its exit status.
inline int RunTool(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    Owned tool(Spawn(argv, env));
    const int status = WaitForExit(tool.pid);
    if (status >= 0) tool.pid = -1;
    return status;
}

// An X server on the first free display number from 160 on.
struct OwnX {
    Owned server;
    std::string name;

    explicit OwnX(const std::vector<std::string>& command,
                  const std::vector<std::string>& env = {}) {
        for (int number = 160; number < 220 && name.empty(); ++number) {
            const std::string candidate = ":" + std::to_string(number);
            if (!DisplayNumberFree(number)) continue;
            std::vector<std::string> argv{command[0], candidate};
            argv.insert(argv.end(), command.begin() + 1, command.end());
            // -noreset: a server left by its last client does not start over,
            // which would turn away a client connecting meanwhile.
            argv.insert(argv.end(), {"-nolisten", "tcp", "-noreset"});
            server = Owned(Spawn(argv, env));
            // Another server may have taken the number meanwhile: then this one ends.
            if (WaitFor([&] { return fs::exists("/tmp/.X11-unix/X" + std::to_string(number)); },
                        10000) &&
                waitpid(server.pid, nullptr, WNOHANG) == 0) {
                name = candidate;
            }
        }
    }
    ~OwnX() { AskToEnd(server.pid); }
};

// A window manager on the display, once it has taken the screen. xfwm4 reads
// its settings over D-Bus and ends without them: it gets a bus of its own.
struct WindowManager {
    Owned bus;
    Owned manager;
    bool started = false;

    WindowManager(XProbe& probe, const std::string& name, const std::string& display,
                  const fs::path& home, std::vector<std::string> env) {
        env.insert(env.end(), {"DISPLAY=" + display, "HOME=" + home.string()});
        std::vector<std::string> command{"/usr/bin/" + name};
        if (name == "i3") {
            const fs::path config = home / "i3.conf";
            std::ofstream(config) << "# i3 config file (v4)\nfont pango:monospace 8\n";
            command.insert(command.end(), {"-c", config.string()});
        } else if (name == "xfwm4") {
            const fs::path socket = home / "bus";
            bus = Owned(Spawn({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                               "--address=unix:path=" + socket.string()},
                              env));
            if (!WaitFor([&] { return fs::exists(socket); })) return;
            // No accessibility bus: nothing reads the window manager here.
            env.insert(env.end(),
                       {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + socket.string(), "NO_AT_BRIDGE=1"});
        }
        manager = Owned(Spawn(command, env));
        started = WaitFor(
            [&] {
                return CardinalProperty(probe.display(), DefaultRootWindow(probe.display()),
                                        "_NET_SUPPORTING_WM_CHECK", XA_WINDOW) > 0;
            },
            20000);
    }
};

}  // namespace tickora::linux_e2e
