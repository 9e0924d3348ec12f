#include "linux_e2e/clock_user.h"

#include <glib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "linux_e2e/x_probe.h"

extern char** environ;

namespace tickora::linux_e2e {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> env;
    const auto named = [&](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        return std::any_of(extraEnv.begin(), extraEnv.end(),
                           [&](const std::string& extra) { return extra.rfind(name, 0) == 0; });
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!named(*entry)) env.emplace_back(*entry);
    }
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> args, envp;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    for (const auto& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = -1;
    posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), envp.data());
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 30000);
    if (!ended) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void EndProcess(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

void AskToEnd(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (WaitFor([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 10000)) {
        pid = -1;
        return;
    }
    EndProcess(pid);
}

bool DisplayNumberFree(int number) {
    return !fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) &&
           !fs::exists("/tmp/.X" + std::to_string(number) + "-lock");
}

std::string FreeDisplayName(int from) {
    int number = from;
    while (!DisplayNumberFree(number)) ++number;
    return ":" + std::to_string(number);
}

ClockUser::ClockUser() {
    gchar* folder = g_dir_make_tmp("tickora-clock-XXXXXX", nullptr);
    home = folder;
    g_free(folder);
    fs::create_directories(home / "config");
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
}

ClockUser::~ClockUser() {
    fs::remove_all(home);
}

std::vector<std::string> ClockUser::Env() const {
    return {"XDG_CONFIG_HOME=" + (home / "config").string(),
            "XDG_RUNTIME_DIR=" + (home / "run").string(),
            // GTK keeps memory until the process ends; leaks are checked elsewhere.
            "ASAN_OPTIONS=detect_leaks=0"};
}

void ClockUser::StoreSettings(const std::string& lines) {
    fs::create_directories(home / "config/tickora");
    std::ofstream(home / "config/tickora/settings.ini") << "[Software\\Velmarck\\Tickora]\n"
                                                        << lines;
}

std::string ClockUser::Settings() const {
    return ReadFile(home / "config/tickora/settings.ini");
}

}  // namespace tickora::linux_e2e
