#include <windows.h>

#include "support/scratch_store.h"

namespace tickora::testing {

namespace {

void RemoveClockKeys() {
    RegDeleteTreeW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(kScratchKey));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmarck");
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(kRunKey), 0, KEY_WRITE,
                      &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, L"Tickora");
        RegCloseKey(run);
    }
}

}  // namespace

ScratchStore::ScratchStore() {
    RemoveClockKeys();
}

ScratchStore::~ScratchStore() {
    RemoveClockKeys();
}

}  // namespace tickora::testing
