// Starts the real Tickora.exe from a folder of its own and watches its window.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace tickora::e2e {

// A scratch folder holding a copy of Tickora.exe (and whatever Skins a test puts
// beside it), removed again at the end.
class ClockFolder {
  public:
    ClockFolder();
    ~ClockFolder();
    const std::filesystem::path& path() const { return folder_; }
    std::filesystem::path exe() const { return folder_ / "Tickora.exe"; }
    // A skin folder with a solid face of side x side pixels and a second hand.
    void AddSkin(const std::wstring& name, int side);

  private:
    std::filesystem::path folder_;
};

class RunningClock {
  public:
    explicit RunningClock(const std::filesystem::path& exe);
    ~RunningClock();
    RunningClock(const RunningClock&) = delete;
    RunningClock& operator=(const RunningClock&) = delete;

    // The clock's window, once it exists (nullptr after ten seconds without one).
    HWND WaitForWindow();
    // The exit code, or STILL_ACTIVE when the process has not ended in time.
    DWORD WaitForExit(DWORD milliseconds = 30000);
    bool Running() { return WaitForExit(0) == STILL_ACTIVE; }

  private:
    PROCESS_INFORMATION process_{};
};

RECT WindowRectOf(HWND window);
LONG ExtendedStyle(HWND window);
// Waits until the window has this size; false after fifteen seconds.
bool WaitForSize(HWND window, int width, int height);
// Waits until the window is in the topmost band; false after fifteen seconds.
bool WaitForTopMost(HWND window);

// The context menu of the clock, opened as the keyboard's menu key would, and
// driven by keys posted to the menu window.
HWND OpenMenu(HWND clock);
void PressKeys(HWND menu, std::initializer_list<WORD> keys);
// A top-level window of this class and title, or nullptr after fifteen seconds.
HWND WaitForTopLevel(const wchar_t* className, const wchar_t* title);

}  // namespace tickora::e2e
