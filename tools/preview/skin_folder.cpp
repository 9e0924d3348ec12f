#include "skin_folder.h"

#include <glib.h>

#include <memory>

#include "settings/settings.h"
#include "skin/skin_catalogue.h"

namespace preview {
namespace {

struct GFree {
    void operator()(void* memory) const { g_free(memory); }
};
using GText = std::unique_ptr<gchar, GFree>;

}  // namespace

std::u16string Utf16(const char* text) {
    std::unique_ptr<gunichar2, GFree> wide{g_utf8_to_utf16(text, -1, nullptr, nullptr, nullptr)};
    return wide ? std::u16string(reinterpret_cast<const char16_t*>(wide.get())) : std::u16string();
}

std::string SelectSkinFolder(const std::string& folder) {
    const GText canonical{g_canonicalize_filename(folder.c_str(), nullptr)};
    if (!g_file_test(canonical.get(), G_FILE_TEST_IS_DIR))
        return "'" + folder + "' is not a folder";
    const GText parent{g_path_get_dirname(canonical.get())};
    const GText name{g_path_get_basename(canonical.get())};
    tickora::SetSkinsRoot(Utf16(parent.get()));
    tickora::SetSkinName(Utf16(name.get()));
    return {};
}

}  // namespace preview
