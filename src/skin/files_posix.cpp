#include <glib.h>

#include <memory>

#include "skin/files.h"

namespace tickora {

std::u16string ExecutablePath() {
    std::unique_ptr<gchar, decltype(&g_free)> target{g_file_read_link("/proc/self/exe", nullptr),
                                                    &g_free};
    if (!target) return {};
    std::unique_ptr<gunichar2, decltype(&g_free)> wide{
        g_utf8_to_utf16(target.get(), -1, nullptr, nullptr, nullptr), &g_free};
    if (!wide) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(wide.get()));
}

}  // namespace tickora
