// Arbitrary bytes as the Linux clock's settings.ini: the clock loads its nine
// settings from them, reads values of the wrong type and size, saves, and must
// read back exactly what it saved.
#include <glib.h>
#include <glib/gstdio.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/key_store.h"
#include "settings/registry.h"
#include "settings/settings.h"
#include "settings/store_keyfile.h"
#include "scratch_folder.h"

using namespace tickora;

namespace {

// Each input starts from a folder holding nothing but that input.
void EmptyFolder(const std::string& folder) {
    GDir* listing = g_dir_open(folder.c_str(), 0, nullptr);
    if (listing == nullptr) return;
    while (const gchar* name = g_dir_read_name(listing)) {
        g_remove((folder + "/" + name).c_str());
    }
    g_dir_close(listing);
}

bool SameSettings(const ClockSettings& a, const ClockSettings& b) {
    return a.PosX == b.PosX && a.PosY == b.PosY && a.Scale == b.Scale && a.Alpha == b.Alpha &&
           std::memcmp(a.Skin, b.Skin, sizeof a.Skin) == 0 && a.Transparent == b.Transparent &&
           a.TopMost == b.TopMost && a.ShowSeconds == b.ShowSeconds && a.ShowGlass == b.ShowGlass;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("XDG_CONFIG_HOME", fuzz::MakeScratchFolder().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = keystore::StoreFilePath();
    gchar* folder = g_path_get_dirname(path.c_str());
    g_mkdir_with_parents(folder, 0700);
    EmptyFolder(folder);
    g_free(folder);
    if (!g_file_set_contents(path.c_str(), reinterpret_cast<const gchar*>(data),
                             static_cast<gssize>(size), nullptr)) {
        std::abort();
    }

    LoadSettings();
    const ClockSettings loaded = clockSettings;
    unsigned char buffer[8];
    ReadRegValue(keystore::kCurrentUser, kSettingsKey, u"Skin", keystore::kTypeDword, buffer,
                 sizeof buffer);
    ReadRegValue(keystore::kCurrentUser, kSettingsKey, u"PosX", 3, buffer, 2);
    ReadRegString(keystore::kCurrentUser, kSettingsKey, u"Alpha", u"");

    SaveSettings(WindowRect{loaded.PosX, loaded.PosY, loaded.PosX + 1, loaded.PosY + 1});
    clockSettings = ClockSettings{};
    LoadSettings();
    if (!SameSettings(clockSettings, loaded)) std::abort();
    return 0;
}
