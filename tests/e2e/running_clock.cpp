#include "e2e/running_clock.h"

#include <chrono>
#include <string>
#include <thread>

#include "support/png_maker.h"

namespace tickora::e2e {
namespace {

namespace fs = std::filesystem;

// The build hands over the Unix path of Tickora.exe; Wine shows Unix paths on Z:.
fs::path BuiltExe() {
    std::wstring path = L"Z:";
    for (const char* c = TICKORA_EXE_UNIX_PATH; *c != '\0'; ++c) {
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    }
    return path;
}

template <typename Check>
bool Poll(Check check, int milliseconds = 15000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until) {
        if (check()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return check();
}

}  // namespace

ClockFolder::ClockFolder() {
    static int count = 0;
    folder_ =
        fs::temp_directory_path() / (L"tickora-e2e-" + std::to_wstring(GetCurrentProcessId()) +
                                     L"-" + std::to_wstring(++count));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(BuiltExe(), exe());
}

ClockFolder::~ClockFolder() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

void ClockFolder::AddSkin(const std::wstring& name, int side) {
    const fs::path skin = folder_ / "Skins" / name;
    fs::create_directories(skin);
    testing::WriteBytes(skin / "main.png", testing::MakeSolidPng(side, side, 0xFF303030));
    testing::WriteBytes(skin / "sec.png", testing::MakeSolidPng(side / 2, 3, 0xFFF0F0F0));
}

RunningClock::RunningClock(const fs::path& exe) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                   exe.parent_path().c_str(), &startup, &process_);
}

RunningClock::~RunningClock() {
    if (process_.hProcess == nullptr) return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND RunningClock::WaitForWindow() {
    HWND found = nullptr;
    Poll(
        [&] {
            for (HWND window = FindWindowW(L"TickoraWindowClass", L"Tickora"); window != nullptr;
                 window = FindWindowExW(nullptr, window, L"TickoraWindowClass", L"Tickora")) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process_.dwProcessId && IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        10000);
    return found;
}

DWORD RunningClock::WaitForExit(DWORD milliseconds) {
    if (process_.hProcess == nullptr) return 0xDEAD;
    WaitForSingleObject(process_.hProcess, milliseconds);
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

LONG ExtendedStyle(HWND window) {
    return GetWindowLongW(window, GWL_EXSTYLE);
}

bool WaitForSize(HWND window, int width, int height) {
    return Poll([&] {
        const RECT rect = WindowRectOf(window);
        return rect.right - rect.left == width && rect.bottom - rect.top == height;
    });
}

bool WaitForTopMost(HWND window) {
    return Poll([&] { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; });
}

HWND WaitForTopLevel(const wchar_t* className, const wchar_t* title) {
    HWND found = nullptr;
    Poll([&] {
        found = FindWindowW(className, title);
        return found != nullptr && IsWindowVisible(found);
    });
    return found;
}

HWND OpenMenu(HWND clock) {
    PostMessageW(clock, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(clock), MAKELPARAM(-1, -1));
    return WaitForTopLevel(L"#32768", nullptr);
}

void PressKeys(HWND menu, std::initializer_list<WORD> keys) {
    for (WORD key : keys) {
        PostMessageW(menu, WM_KEYDOWN, key, 0);
        PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
}

}  // namespace tickora::e2e
