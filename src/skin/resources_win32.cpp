#include <windows.h>

#include "app/process.h"
#include "skin/resources.h"

namespace tickora {

ResourceBytes FindPngResource(const char16_t* name) {
    auto module = static_cast<HMODULE>(moduleInstance);
    HRSRC found = FindResourceW(module, reinterpret_cast<const wchar_t*>(name), L"PNG_FILE");
    if (found == nullptr) return {};
    const DWORD size = SizeofResource(module, found);
    if (size == 0) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return {};
    return ResourceBytes{data, size};
}

}  // namespace tickora
