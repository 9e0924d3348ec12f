// Key store in a per-user GLib key file, $XDG_CONFIG_HOME/tickora/settings.ini.
// Each registry key is a group named by its path, each value an entry that keeps
// its type and exact bytes:
//   PosX=dword:00000096          a 4-byte REG_DWORD
//   Skin=sz:Classic              REG_SZ / REG_EXPAND_SZ whose bytes are clean UTF-16 text
//   Odd=hex(1):41,00,42          anything else, byte for byte
// Every primitive reads the file afresh and every change rewrites it atomically
// (temporary file, fsync, rename) with mode 0600, so a killed clock leaves either
// the old file or the new one; temporary files that a killed clock left are
// removed at the next write. A file that cannot be read as a key file (a NUL
// anywhere included), or that holds entries that do not decode or an entry
// twice, is moved aside whole to a free name (settings.ini.corrupt,
// settings.ini.corrupt.2, ...) before the first write replaces it. Settings are
// kept only in a regular file: a link to a device, a FIFO or a folder reads as
// no settings and keeps none, with one line on standard error.
#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_replace_posix.h"
#include "settings/key_store.h"
#include "settings/store_keyfile.h"

namespace tickora::keystore {
namespace {

// Larger files are not settings this program wrote.
constexpr goffset kMaxStoreBytes = 1 << 20;
// What a hand put in the file beside the values (comments, entries translated
// to other languages) goes back into it with every save.
constexpr auto kKeepAll =
    static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS);
// Names tried for an unreadable file before giving up on saving.
constexpr int kMaxAsideNames = 1000;

struct KeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};
using KeyFilePtr = std::unique_ptr<GKeyFile, KeyFileDeleter>;

struct GFreeDeleter {
    void operator()(void* memory) const { g_free(memory); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GFreeDeleter>;

struct StrvDeleter {
    void operator()(gchar** list) const { g_strfreev(list); }
};
using StrvPtr = std::unique_ptr<gchar*, StrvDeleter>;

struct OpenedKey {
    std::string group;
    bool writable;
};

struct Value {
    std::uint32_t type;
    std::vector<unsigned char> bytes;
};

struct Store {
    KeyFilePtr file{g_key_file_new()};
    bool damaged = false;
};

std::optional<std::string> Utf8(const char16_t* text) {
    GPtr<gchar> utf8{
        g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text), -1, nullptr, nullptr, nullptr)};
    if (!utf8) return std::nullopt;
    return std::string(utf8.get());
}

// Registry text as stored: an even byte count of UTF-16 with no null unit and no
// lone surrogate. Anything else is kept as hex.
std::optional<std::string> TextOf(const Value& value) {
    if (value.bytes.size() % 2 != 0) return std::nullopt;
    std::u16string units(value.bytes.size() / 2, u'\0');
    if (!units.empty()) std::memcpy(units.data(), value.bytes.data(), value.bytes.size());
    if (units.find(u'\0') != std::u16string::npos) return std::nullopt;
    return Utf8(units.c_str());
}

std::string Encode(const Value& value) {
    if (value.type == kTypeDword && value.bytes.size() == 4) {
        std::uint32_t number = 0;
        std::memcpy(&number, value.bytes.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", number);
        return text;
    }
    if (value.type == kTypeSz || value.type == kTypeExpandSz) {
        if (auto text = TextOf(value)) {
            return (value.type == kTypeSz ? "sz:" : "expand_sz:") + *text;
        }
    }
    std::string encoded = "hex(" + std::to_string(value.type) + "):";
    for (std::size_t i = 0; i < value.bytes.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i == 0 ? "%02x" : ",%02x", value.bytes[i]);
        encoded += pair;
    }
    return encoded;
}

bool ParseHexByte(std::string_view text, unsigned char* out) {
    if (text.size() != 2 || !g_ascii_isxdigit(text[0]) || !g_ascii_isxdigit(text[1])) return false;
    *out = static_cast<unsigned char>(g_ascii_xdigit_value(text[0]) * 16 +
                                      g_ascii_xdigit_value(text[1]));
    return true;
}

std::optional<Value> DecodeText(std::uint32_t type, std::string_view text) {
    glong units = 0;
    GPtr<gunichar2> utf16{
        g_utf8_to_utf16(text.data(), static_cast<glong>(text.size()), nullptr, &units, nullptr)};
    if (!utf16) return std::nullopt;
    Value value{type, std::vector<unsigned char>(static_cast<std::size_t>(units) * 2)};
    if (units > 0) std::memcpy(value.bytes.data(), utf16.get(), value.bytes.size());
    return value;
}

std::optional<Value> DecodeDword(std::string_view digits) {
    if (digits.size() != 8) return std::nullopt;
    std::uint32_t number = 0;
    for (char digit : digits) {
        if (!g_ascii_isxdigit(digit)) return std::nullopt;
        number = number * 16 + static_cast<std::uint32_t>(g_ascii_xdigit_value(digit));
    }
    Value value{kTypeDword, std::vector<unsigned char>(4)};
    std::memcpy(value.bytes.data(), &number, 4);
    return value;
}

std::optional<Value> DecodeHex(std::string_view text) {
    // hex(<decimal type>):aa,bb,...
    const auto close = text.find("):");
    if (close == std::string_view::npos || close < 1 || close > 10) return std::nullopt;
    std::uint64_t type = 0;
    for (char digit : text.substr(0, close)) {
        if (!g_ascii_isdigit(digit)) return std::nullopt;
        type = type * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    if (type > 0xFFFFFFFFu) return std::nullopt;
    Value value{static_cast<std::uint32_t>(type), {}};
    std::string_view bytes = text.substr(close + 2);
    while (!bytes.empty()) {
        unsigned char byte = 0;
        if (!ParseHexByte(bytes.substr(0, 2), &byte)) return std::nullopt;
        value.bytes.push_back(byte);
        bytes.remove_prefix(2);
        if (!bytes.empty()) {
            if (bytes.front() != ',' || bytes.size() == 1) return std::nullopt;
            bytes.remove_prefix(1);
        }
    }
    return value;
}

std::optional<Value> Decode(std::string_view text) {
    auto starts = [&](std::string_view prefix) {
        if (text.substr(0, prefix.size()) != prefix) return false;
        text.remove_prefix(prefix.size());
        return true;
    };
    if (starts("dword:")) return DecodeDword(text);
    if (starts("sz:")) return DecodeText(kTypeSz, text);
    if (starts("expand_sz:")) return DecodeText(kTypeExpandSz, text);
    if (starts("hex(")) return DecodeHex(text);
    return std::nullopt;
}

std::optional<Value> ReadEntry(GKeyFile* file, const std::string& group, const std::string& name) {
    GPtr<gchar> text{g_key_file_get_string(file, group.c_str(), name.c_str(), nullptr)};
    if (!text) return std::nullopt;
    return Decode(text.get());
}

// A key file has no call that adds an empty group; adding an entry and taking it
// away again leaves the group behind.
void AddGroup(GKeyFile* file, const std::string& group) {
    g_key_file_set_string(file, group.c_str(), "placeholder", "");
    g_key_file_remove_key(file, group.c_str(), "placeholder", nullptr);
}

// A key file that holds an entry that does not decode, or an entry twice (the
// parser keeps both, reads the later and writes both back), is damaged: the
// entries that decode go into a fresh key file, read as the parser reads them,
// and the file itself is moved aside whole at the next save.
void KeepDecodable(Store& store) {
    KeyFilePtr clean{g_key_file_new()};
    GKeyFile* file = store.file.get();
    StrvPtr groups{g_key_file_get_groups(file, nullptr)};
    for (gchar** group = groups.get(); *group != nullptr; ++group) {
        AddGroup(clean.get(), *group);
        StrvPtr keys{g_key_file_get_keys(file, *group, nullptr, nullptr)};
        std::set<std::string_view> seen;
        for (gchar** key = keys.get(); key != nullptr && *key != nullptr; ++key) {
            const auto value =
                seen.insert(*key).second ? ReadEntry(file, *group, *key) : std::nullopt;
            if (!value) {
                store.damaged = true;
                continue;
            }
            // Written back as this store writes values: a hand-written one may
            // hold what the parser takes away on the next read (a raw carriage
            // return at the end of a line), and every save must read back the same.
            const std::string encoded = Encode(*value);
            g_key_file_set_string(file, *group, *key, encoded.c_str());
            g_key_file_set_string(clean.get(), *group, *key, encoded.c_str());
        }
    }
    if (store.damaged) store.file = std::move(clean);
}

// Bytes of the file, by their length: a key file parser reads lines as C
// strings, so a NUL would end a line early (a line that starts with one reads as
// a comment, and a zero-filled file as an empty one). No settings file this
// program writes holds a NUL, so one anywhere makes the file unreadable.
Store ParseStore(std::string_view bytes) {
    Store store;
    if (bytes.size() > static_cast<std::size_t>(kMaxStoreBytes) ||
        bytes.find('\0') != std::string_view::npos ||
        !g_key_file_load_from_data(store.file.get(), bytes.data(), bytes.size(), kKeepAll,
                                   nullptr)) {
        store.file.reset(g_key_file_new());
        store.damaged = true;
        return store;
    }
    KeepDecodable(store);
    return store;
}

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

// At most one byte more than a settings file may hold, so that a file that
// grows while it is read is still seen to be too large.
std::optional<std::string> ReadBounded(int fd) {
    std::string bytes;
    char chunk[1 << 16];
    while (bytes.size() <= static_cast<std::size_t>(kMaxStoreBytes)) {
        const std::size_t wanted =
            std::min(sizeof chunk, static_cast<std::size_t>(kMaxStoreBytes) + 1 - bytes.size());
        const ssize_t got = read(fd, chunk, wanted);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
    return bytes;
}

// Only a regular file holds settings. Anything else the name leads to (a
// device, a FIFO, a folder) is not opened at all: opening a device can do
// something of its own, /dev/zero never ends, and a FIFO may wait for a writer.
// It reads as no settings, and saving says why it keeps nothing there. The
// file is opened without waiting, and checked once more, should the name have
// changed since it was looked at.
Store LoadStore() {
    Store store;
    const std::string path = StoreFilePath();
    GStatBuf info;
    if (g_stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return store;
    const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (file.get() < 0 || fstat(file.get(), &opened) != 0) {
        store.damaged = true;
        return store;
    }
    if (!S_ISREG(opened.st_mode)) return store;
    const auto bytes = opened.st_size > kMaxStoreBytes ? std::nullopt : ReadBounded(file.get());
    if (!bytes) {
        store.damaged = true;
        return store;
    }
    return ParseStore(*bytes);
}

// The unreadable file goes to the first free name of settings.ini.corrupt,
// settings.ini.corrupt.2, settings.ini.corrupt.3 ... and never replaces what a
// name already holds (an earlier incident's file, a folder, anything).
bool MoveAside(const std::string& path) {
    for (int number = 1; number <= kMaxAsideNames; ++number) {
        // Appended piece by piece: GCC 12 at -O3 takes "." + to_string() for an
        // overlapping copy (-Wrestrict) and the release build fails.
        std::string aside = path + ".corrupt";
        if (number > 1) {
            aside += '.';
            aside += std::to_string(number);
        }
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        // A file system without that flag: a second name, which never replaces
        // one either; the save that follows replaces the first.
        if ((errno == EINVAL || errno == ENOSYS) && link(path.c_str(), aside.c_str()) == 0) {
            return true;
        }
        if (errno != EEXIST && errno != ENOTEMPTY && errno != EISDIR) return false;
    }
    return false;
}

long NotSaved(const std::string& why) {
    ReportOnce("settings not saved: " + why);
    return kCannotWrite;
}

long SaveStore(const Store& store) {
    const std::string path = StoreFilePath();
    // Settings linked from elsewhere are kept there: the unreadable file goes
    // aside beside itself, and the link stays for the file that replaces it.
    // Only a regular file is ever moved or replaced; a link to anything else
    // keeps nothing.
    FileTarget target;
    std::string error;
    if (!FindTarget(path, &target, &error)) return NotSaved(error);
    if (target.exists && !target.regular) return NotSaved(target.path + " is " + target.kind);
    // With no free name the unreadable file stays where it is, unwritten.
    if (store.damaged && target.exists && !MoveAside(target.path)) {
        return NotSaved("the unreadable " + target.path + " cannot be moved aside");
    }
    gsize length = 0;
    GPtr<gchar> data{g_key_file_to_data(store.file.get(), &length, nullptr)};
    if (!ReplaceFile(path, std::string_view(data.get(), length), 0600, &error)) {
        return NotSaved(error);
    }
    return kSuccess;
}

// Group names are key paths; the few characters a key file cannot hold in a
// group name are refused, as a registry refuses names it cannot store.
std::optional<std::string> GroupOf(std::uintptr_t root, const char16_t* path) {
    if (root != kCurrentUser || path == nullptr) return std::nullopt;
    auto group = Utf8(path);
    if (!group || group->empty() || group->find_first_of("[]\n\r") != std::string::npos) {
        return std::nullopt;
    }
    return group;
}

std::optional<std::string> EntryOf(const char16_t* name) {
    if (name == nullptr) return std::nullopt;
    auto entry = Utf8(name);
    if (!entry || entry->empty() || entry->find_first_of("=[]\n\r") != std::string::npos ||
        g_ascii_isspace(entry->front()) || g_ascii_isspace(entry->back())) {
        return std::nullopt;
    }
    return entry;
}

OpenedKey* Opened(Key key) {
    return static_cast<OpenedKey*>(key);
}

}  // namespace

std::string ConfigHome() {
    // Relative values are invalid by the base directory rules and are ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return config;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && home[0] != '\0' ? home : g_get_home_dir()) + "/.config";
}

std::string StoreFilePath() {
    return ConfigHome() + "/tickora/settings.ini";
}

StoreBytes ExamineStoreBytes(std::string_view bytes) {
    const Store store = ParseStore(bytes);
    StoreBytes result;
    result.readable = !store.damaged;
    gsize length = 0;
    GPtr<gchar> data{g_key_file_to_data(store.file.get(), &length, nullptr)};
    result.saved.assign(data.get(), length);
    StrvPtr groups{g_key_file_get_groups(store.file.get(), nullptr)};
    for (gchar** group = groups.get(); *group != nullptr; ++group) {
        result.values += std::string("[") + *group + "]\n";
        StrvPtr keys{g_key_file_get_keys(store.file.get(), *group, nullptr, nullptr)};
        for (gchar** key = keys.get(); key != nullptr && *key != nullptr; ++key) {
            const auto value = ReadEntry(store.file.get(), *group, *key);
            if (!value) continue;
            GPtr<gchar> escaped{g_strescape(Encode(*value).c_str(), nullptr)};
            result.values += std::string(*key) + "=" + escaped.get() + "\n";
        }
    }
    return result;
}

long OpenKey(std::uintptr_t root, const char16_t* path, std::uint32_t access, Key* key) {
    *key = nullptr;
    const auto group = GroupOf(root, path);
    if (!group) return kFileNotFound;
    const Store store = LoadStore();
    if (!g_key_file_has_group(store.file.get(), group->c_str())) return kFileNotFound;
    *key = new OpenedKey{*group, (access & kWrite & ~kRead) != 0};
    return kSuccess;
}

long CreateKey(std::uintptr_t root, const char16_t* path, Key* key) {
    *key = nullptr;
    const auto group = GroupOf(root, path);
    if (!group) return kInvalidParameter;
    Store store = LoadStore();
    bool added = false;
    for (std::size_t end = 0; end != std::string::npos;) {
        end = group->find('\\', end + 1);
        const std::string level = group->substr(0, end);
        if (!g_key_file_has_group(store.file.get(), level.c_str())) {
            AddGroup(store.file.get(), level);
            added = true;
        }
    }
    if (added || store.damaged) {
        const long status = SaveStore(store);
        if (status != kSuccess) return status;
    }
    *key = new OpenedKey{*group, true};
    return kSuccess;
}

long QueryValue(Key key, const char16_t* name, std::uint32_t* type, void* data,
                std::uint32_t* size) {
    const auto entry = EntryOf(name);
    if (!entry) return kFileNotFound;
    const Store store = LoadStore();
    const auto value = ReadEntry(store.file.get(), Opened(key)->group, *entry);
    if (!value) return kFileNotFound;
    *type = value->type;
    const auto needed = static_cast<std::uint32_t>(value->bytes.size());
    if (data != nullptr && needed > *size) {
        *size = needed;
        return kMoreData;
    }
    if (data != nullptr && needed > 0) std::memcpy(data, value->bytes.data(), needed);
    *size = needed;
    return kSuccess;
}

long SetValue(Key key, const char16_t* name, std::uint32_t type, const void* data,
              std::uint32_t size) {
    if (!Opened(key)->writable) return kAccessDenied;
    const auto entry = EntryOf(name);
    if (!entry || (data == nullptr && size > 0)) return kInvalidParameter;
    Store store = LoadStore();
    Value value{type, std::vector<unsigned char>(size)};
    if (size > 0) std::memcpy(value.bytes.data(), data, size);
    const std::string encoded = Encode(value);
    g_key_file_set_string(store.file.get(), Opened(key)->group.c_str(), entry->c_str(),
                          encoded.c_str());
    return SaveStore(store);
}

long DeleteValue(Key key, const char16_t* name) {
    if (!Opened(key)->writable) return kAccessDenied;
    const auto entry = EntryOf(name);
    if (!entry) return kFileNotFound;
    Store store = LoadStore();
    if (!g_key_file_remove_key(store.file.get(), Opened(key)->group.c_str(), entry->c_str(),
                               nullptr)) {
        return kFileNotFound;
    }
    return SaveStore(store);
}

long CloseKey(Key key) {
    delete Opened(key);
    return kSuccess;
}

}  // namespace tickora::keystore
