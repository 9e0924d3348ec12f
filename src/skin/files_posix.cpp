#include <glib.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "skin/files.h"

namespace tickora {
namespace {

struct GFree {
    void operator()(void* memory) const { g_free(memory); }
};

std::unique_ptr<gchar, GFree> Utf8(const std::u16string& text) {
    return std::unique_ptr<gchar, GFree>(g_utf16_to_utf8(
        reinterpret_cast<const gunichar2*>(text.c_str()), -1, nullptr, nullptr, nullptr));
}

std::u16string Utf16(const gchar* text) {
    std::unique_ptr<gunichar2, GFree> wide{g_utf8_to_utf16(text, -1, nullptr, nullptr, nullptr)};
    return wide ? std::u16string(reinterpret_cast<const char16_t*>(wide.get())) : std::u16string();
}

std::u16string ReadExecutableLink() {
    std::unique_ptr<gchar, GFree> target{g_file_read_link("/proc/self/exe", nullptr)};
    return target ? Utf16(target.get()) : std::u16string();
}

// Read once, as the program is loaded: after a package upgrade has put a new
// file at the same path, /proc/self/exe names "<path> (deleted)", while the
// path the program was started as holds the new program.
const std::u16string& StartedAs() {
    static const std::u16string path = ReadExecutableLink();
    return path;
}
[[maybe_unused]] const bool startedAsRead = !StartedAs().empty();

}  // namespace

std::u16string ExecutablePath() {
    return StartedAs();
}

std::u16string ExecutableFolder() {
    std::u16string path = ExecutablePath();
    const auto slash = path.rfind(u'/');
    return slash == std::u16string::npos ? std::u16string()
                                         : path.substr(0, slash == 0 ? 1 : slash);
}

bool AppendPath(std::u16string& path, const char16_t* more) {
    const std::u16string part(more);
    if (part.empty()) return true;
    if (!path.empty() && path.back() != u'/') path += u'/';
    path += part;
    return true;
}

void MakeCurrentDirectory(const std::u16string& path) {
    if (auto name = Utf8(path)) {
        [[maybe_unused]] const int ignored = chdir(name.get());
    }
}

bool PathExists(const std::u16string& path) {
    auto name = Utf8(path);
    return name && g_file_test(name.get(), G_FILE_TEST_EXISTS);
}

bool IsFolder(const std::u16string& path) {
    auto name = Utf8(path);
    return name && g_file_test(name.get(), G_FILE_TEST_IS_DIR);
}

bool ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) {
    auto name = Utf8(folder);
    GDir* listing = name ? g_dir_open(name.get(), 0, nullptr) : nullptr;
    if (listing == nullptr) return false;
    // readdir has no stable order; the menu lists skins by name.
    std::vector<std::u16string> found;
    while (const gchar* entry = g_dir_read_name(listing)) {
        std::u16string wide = Utf16(entry);
        if (!wide.empty()) found.push_back(std::move(wide));
    }
    g_dir_close(listing);
    std::sort(found.begin(), found.end());
    names.insert(names.end(), found.begin(), found.end());
    return true;
}

std::vector<std::u16string> SharedDataFolders() {
    std::vector<std::u16string> folders;
    // Relative entries (and names that are not UTF-8) would resolve against the
    // current directory, which is the last skin folder tried: they are skipped.
    auto add = [&folders](const gchar* folder) {
        if (g_path_is_absolute(folder)) {
            std::u16string wide = Utf16(folder);
            if (!wide.empty()) folders.push_back(std::move(wide));
        }
    };
    add(g_get_user_data_dir());
    for (const gchar* const* folder = g_get_system_data_dirs(); *folder != nullptr; ++folder) {
        add(*folder);
    }
    return folders;
}

}  // namespace tickora
