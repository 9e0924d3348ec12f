#include <windows.h>

#include "skin/files.h"

namespace tickora {

std::u16string ExecutablePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::u16string(reinterpret_cast<const char16_t*>(path));
}

}  // namespace tickora
