#include <windows.h>
#include <shlwapi.h>

#include "skin/files.h"

namespace tickora {
namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

std::u16string ExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::u16string(reinterpret_cast<const char16_t*>(path));
}

std::u16string ExecutableFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    return std::u16string(reinterpret_cast<const char16_t*>(path));
}

bool AppendPath(std::u16string& path, const char16_t* more) {
    wchar_t buffer[MAX_PATH] = {};
    if (path.size() >= MAX_PATH) return false;
    path.copy(reinterpret_cast<char16_t*>(buffer), path.size());
    if (!PathAppendW(buffer, reinterpret_cast<const wchar_t*>(more))) return false;
    path.assign(reinterpret_cast<const char16_t*>(buffer));
    return true;
}

void MakeCurrentDirectory(const std::u16string& path) {
    SetCurrentDirectoryW(Wide(path));
}

bool PathExists(const std::u16string& path) {
    return PathFileExistsW(Wide(path)) != FALSE;
}

bool IsFolder(const std::u16string& path) {
    return PathIsDirectoryW(Wide(path)) != FALSE;
}

bool ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) {
    std::u16string pattern = folder;
    if (!AppendPath(pattern, u"*.*")) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Wide(pattern), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

// Skins live beside the program only.
std::vector<std::u16string> SharedDataFolders() {
    return {};
}

}  // namespace tickora
