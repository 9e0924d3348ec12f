#include "settings/autostart.h"

#include "settings/key_store.h"
#include "settings/registry.h"

namespace tickora {
namespace {

constexpr const char16_t* kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char16_t* kRunValue = u"Tickora";

}  // namespace

void DeleteAutostart() {
    DeleteRegValue(keystore::kCurrentUser, kRunKey, kRunValue);
}

void WriteAutostart(const char16_t* exePath) {
    WriteRegString(keystore::kCurrentUser, kRunKey, kRunValue, exePath);
}

}  // namespace tickora
