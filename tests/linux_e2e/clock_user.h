// A user of the clock in end-to-end tests on X11: a home of its own with config
// and runtime folders, and the processes started for it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tickora::linux_e2e {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path);

// A process with this environment and the extra entries (which replace those
// of the same name).
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv);
// Exit status, or -1 when the process is still running after thirty seconds.
int WaitForExit(pid_t pid);
// Kills it outright and reaps it; nothing when pid is not a process.
void EndProcess(pid_t& pid);
// Asks it to end (SIGTERM) and reaps it, killing it only when it has not ended
// within ten seconds: an X server asked removes its lock and socket, which a
// killed one leaves behind, taking its display number for good.
void AskToEnd(pid_t& pid);
// Whether no X server holds (or left behind) display number `number`.
bool DisplayNumberFree(int number);
// ":N" for the first free display number from `from` on.
std::string FreeDisplayName(int from);

class ClockUser {
  public:
    ClockUser();
    ~ClockUser();
    ClockUser(const ClockUser&) = delete;
    ClockUser& operator=(const ClockUser&) = delete;

    std::vector<std::string> Env() const;
    void StoreSettings(const std::string& lines);
    std::string Settings() const;
    fs::path AutostartEntry() const { return home / "config/autostart/tickora.desktop"; }

    fs::path home;
};

}  // namespace tickora::linux_e2e
