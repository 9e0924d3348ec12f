// Autostart on a Linux desktop: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/tickora.desktop, whose Exec is the executable's path.
#include <glib.h>
#include <glib/gstdio.h>

#include <memory>
#include <string>
#include <string_view>

#include "settings/autostart.h"
#include "settings/autostart_xdg.h"
#include "settings/file_replace_posix.h"
#include "settings/store_keyfile.h"

namespace tickora {
namespace {

struct GFreeDeleter {
    void operator()(void* memory) const { g_free(memory); }
};

// Exec takes a command line: the path goes in double quotes with the characters
// that are special inside them escaped, and a literal % doubled.
std::string QuoteExec(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        if (c == '%') quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

std::string AutostartEntryPath() {
    return keystore::ConfigHome() + "/autostart/tickora.desktop";
}

// The entry, or a link that leads to a regular file or to nothing, is removed.
// A link to anything else (most often /dev/null, to keep the clock from
// starting by itself) is the user's own and stays, as does a device, FIFO or
// folder by that name: writing would keep nothing there either.
void DeleteAutostart() {
    const std::string entry = AutostartEntryPath();
    FileTarget target;
    std::string error;
    if (!FindTarget(entry, &target, &error)) {
        ReportOnce("autostart entry left as it is: " + error);
    } else if (target.exists && !target.regular) {
        ReportOnce("autostart entry left as it is: " + target.path + " is " + target.kind);
    } else {
        g_unlink(entry.c_str());
    }
}

void WriteAutostart(const char16_t* exePath) {
    std::unique_ptr<gchar, GFreeDeleter> path{g_utf16_to_utf8(
        reinterpret_cast<const gunichar2*>(exePath), -1, nullptr, nullptr, nullptr)};
    if (!path) return;
    GKeyFile* entry = g_key_file_new();
    const char* group = G_KEY_FILE_DESKTOP_GROUP;
    g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_TYPE, "Application");
    g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_NAME, "Tickora");
    g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_COMMENT, "Analog desktop clock");
    // The key file layer escapes the backslashes once more, as the format requires.
    g_key_file_set_string(entry, group, G_KEY_FILE_DESKTOP_KEY_EXEC, QuoteExec(path.get()).c_str());
    g_key_file_set_boolean(entry, group, G_KEY_FILE_DESKTOP_KEY_TERMINAL, FALSE);
    g_key_file_set_boolean(entry, group, G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY, TRUE);
    gsize length = 0;
    std::unique_ptr<gchar, GFreeDeleter> data{g_key_file_to_data(entry, &length, nullptr)};
    std::string error;
    if (!ReplaceFile(AutostartEntryPath(), std::string_view(data.get(), length), 0644, &error)) {
        ReportOnce("autostart entry not written: " + error);
    }
    g_key_file_free(entry);
}

}  // namespace tickora
