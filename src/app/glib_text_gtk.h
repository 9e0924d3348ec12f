// Text that GLib hands over (freed with g_free), and the program's UTF-16 text
// as GLib and GTK take it (UTF-8).
#pragma once

#include <glib.h>

#include <memory>
#include <string>

namespace tickora {

struct GFree {
    void operator()(void* memory) const { g_free(memory); }
};
using GText = std::unique_ptr<gchar, GFree>;

// Empty when the text is not valid UTF-16.
inline std::string Utf8(const std::u16string& text) {
    const GText utf8{g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.c_str()), -1, nullptr,
                                     nullptr, nullptr)};
    return utf8 ? utf8.get() : "";
}

}  // namespace tickora
