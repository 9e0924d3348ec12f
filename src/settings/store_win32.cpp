// Key store over advapi32: each primitive is the registry call of the same name.
#include <windows.h>

#include "settings/key_store.h"

namespace tickora::keystore {
namespace {

HKEY AsHkey(std::uintptr_t root) {
    return reinterpret_cast<HKEY>(root);
}
HKEY AsHkey(Key key) {
    return static_cast<HKEY>(key);
}
const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

}  // namespace

long OpenKey(std::uintptr_t root, const char16_t* path, std::uint32_t access, Key* key) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(AsHkey(root), Wide(path), 0, access, &opened);
    *key = opened;
    return status;
}

long CreateKey(std::uintptr_t root, const char16_t* path, Key* key) {
    HKEY created = nullptr;
    const LONG status = RegCreateKeyW(AsHkey(root), Wide(path), &created);
    *key = created;
    return status;
}

long QueryValue(Key key, const char16_t* name, std::uint32_t* type, void* data,
                std::uint32_t* size) {
    DWORD storedType = 0;
    DWORD bytes = *size;
    const LONG status = RegQueryValueExW(AsHkey(key), Wide(name), nullptr, &storedType,
                                         static_cast<BYTE*>(data), &bytes);
    *type = storedType;
    *size = bytes;
    return status;
}

long SetValue(Key key, const char16_t* name, std::uint32_t type, const void* data,
              std::uint32_t size) {
    return RegSetValueExW(AsHkey(key), Wide(name), 0, type, static_cast<const BYTE*>(data), size);
}

long DeleteValue(Key key, const char16_t* name) {
    return RegDeleteValueW(AsHkey(key), Wide(name));
}

long CloseKey(Key key) {
    return RegCloseKey(AsHkey(key));
}

}  // namespace tickora::keystore
