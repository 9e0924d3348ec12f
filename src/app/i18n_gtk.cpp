#include "app/i18n_gtk.h"

#include <clocale>
#include <memory>
#include <string>

#include "app/glib_text_gtk.h"
#include "skin/files.h"

namespace tickora {
namespace {

// The catalogues that belong to this program file: "locale" beside it in a
// build tree (the build puts them there), "../share/locale" beside an
// installed program under any prefix (/usr, /usr/local, an unpacked package).
// Neither there: gettext's own default, the system's locale folder.
std::string CatalogueFolder() {
    const std::string folder = Utf8(ExecutableFolder());
    if (folder.empty()) return {};
    for (const char* relative : {"/locale", "/../share/locale"}) {
        std::string candidate = folder + relative;
        if (g_file_test(candidate.c_str(), G_FILE_TEST_IS_DIR)) return candidate;
    }
    return {};
}

}  // namespace

void StartTranslations() {
    std::setlocale(LC_ALL, "");
    const std::string folder = CatalogueFolder();
    if (!folder.empty()) bindtextdomain(kTextDomain, folder.c_str());
    // GTK takes UTF-8 whatever the locale's own character set.
    bind_textdomain_codeset(kTextDomain, "UTF-8");
    textdomain(kTextDomain);
}

}  // namespace tickora
