#include "app/command_line_gtk.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/glib_text_gtk.h"
#include "app/i18n_gtk.h"
#include "settings/autostart_xdg.h"
#include "settings/store_keyfile.h"
#include "skin/files.h"

namespace tickora {
namespace {

// The skin folders in the order the Skin menu takes them: Skins beside the
// program, then tickora/skins in each XDG data folder.
std::string SkinFolders() {
    std::vector<std::u16string> folders{ExecutableFolder() + u"/Skins"};
    for (std::u16string data : SharedDataFolders()) {
        AppendPath(data, u"tickora/skins");
        folders.push_back(std::move(data));
    }
    std::string lines;
    for (const std::u16string& folder : folders) lines += "  " + Utf8(folder) + "\n";
    return lines;
}

void PrintHelp() {
    std::fputs(_("Usage: tickora [--help | --version]\n"
                 "\n"
                 "Tickora shows an analog clock on the desktop, drawn from a skin. Drag it\n"
                 "with the left mouse button; the right mouse button or the menu key opens\n"
                 "its menu. One clock runs per session: starting it again gives the running\n"
                 "clock the mouse back (to switch Mouse Pass Through off).\n"
                 "\n"
                 "  --help     show this help and exit\n"
                 "  --version  show the version and exit\n"
                 "Other arguments are ignored.\n"),
               stdout);
    std::printf("\n%s\n  %s\n", _("Settings:"), keystore::StoreFilePath().c_str());
    std::printf("%s\n%s", _("Skins, the first of a name wins:"), SkinFolders().c_str());
    std::printf("%s\n  %s\n",
                _("Autostart entry, written when the session ends with the clock running:"),
                AutostartEntryPath().c_str());
    std::printf("\n%s\n", _("Environment:"));
    std::printf("  GDK_BACKEND          %s\n",
                _("x11 or wayland: the display to use (otherwise the clock chooses)"));
    std::printf("  TICKORA_LAYER_SHELL  %s\n", _("0: ignore the compositor's layer-shell"));
    std::printf("  WAYLAND_DISPLAY, DISPLAY  %s\n", _("the desktops the clock can use"));
    std::printf("  XDG_CONFIG_HOME      %s\n",
                _("where the settings and the autostart entry live"));
    std::printf("  XDG_DATA_HOME, XDG_DATA_DIRS  %s\n", _("where skins are looked for"));
    std::printf("  XDG_RUNTIME_DIR      %s\n", _("where the lock of the one running clock lives"));
    std::printf("  LANGUAGE, LC_ALL, LC_MESSAGES, LANG  %s\n", _("the language of the menu"));
    std::printf("  LC_TIME              %s\n",
                _("12- or 24-hour time in what a screen reader hears"));
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const bool help = std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
        const bool version = std::strcmp(argument, "--version") == 0;
        if (!help && !version) continue;
        StartTranslations();
        if (help) {
            PrintHelp();
        } else {
            std::printf("Tickora %s\n", TICKORA_VERSION);
        }
        // An answer that did not reach its reader is no answer (a full disk, a
        // closed pipe).
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            std::fprintf(stderr, "tickora: %s\n", _("cannot write the answer"));
            return 1;
        }
        return 0;
    }
    return std::nullopt;
}

}  // namespace tickora
