// Arbitrary bytes as the Linux clock's settings.ini, and the promise the store
// makes about any file: none of its bytes are ever lost. Bytes the store reads
// read back the same after a save; bytes it cannot read survive byte for byte
// under a settings.ini.corrupt name when the next save replaces them.
// The store decides in memory, as it does when it loads the file; files are
// written only for unreadable inputs, whose move aside is the promise.
#include <glib.h>
#include <glib/gstdio.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "scratch_folder.h"
#include "settings/key_store.h"
#include "settings/settings.h"
#include "settings/store_keyfile.h"

using namespace tickora;

namespace {

// Entry lines of a file read as the format is written by hand: every line is
// blank, a # comment, a [group] or an entry=value. Any other line would be
// silently dropped by a save, so a file holding one must not count as readable.
bool CountEntries(std::string_view bytes, std::size_t* entries) {
    *entries = 0;
    while (!bytes.empty()) {
        const auto end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        while (!line.empty() && g_ascii_isspace(line.front())) line.remove_prefix(1);
        if (line.empty() || line.front() == '#' || line.front() == '[') continue;
        if (line.find('=') == std::string_view::npos) return false;
        ++*entries;
    }
    return true;
}

std::size_t Lines(const std::string& text, char first) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text[at] != first) ++count;
    }
    return count;
}

std::string ReadAll(const std::string& path) {
    gchar* contents = nullptr;
    gsize length = 0;
    if (!g_file_get_contents(path.c_str(), &contents, &length, nullptr)) std::abort();
    std::string bytes(contents, length);
    g_free(contents);
    return bytes;
}

// Files are the slow part (some forty system calls an input), and what they
// add does not depend on the bytes: the store reads a file whole by its
// length and moves it aside by renaming it. A long run may therefore put only
// every Nth unreadable input through the files (TICKORA_FUZZ_FILE_EVERY=N,
// chosen by the input's bytes, so that a failure repeats); every input is
// still decided in memory. By default every one goes through the files.
std::size_t fileEvery = 1;

bool ThroughFiles(std::string_view bytes) {
    if (fileEvery <= 1) return true;
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash % fileEvery == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* every = std::getenv("TICKORA_FUZZ_FILE_EVERY")) {
        fileEvery = std::strtoul(every, nullptr, 10);
    }
    setenv("XDG_CONFIG_HOME", fuzz::MakeScratchFolder().c_str(), 1);
    g_mkdir_with_parents((fuzz::ScratchFolderName() + "/tickora").c_str(), 0700);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const keystore::StoreBytes read = keystore::ExamineStoreBytes(bytes);
    if (read.readable) {
        // Every entry was read (none dropped by the reading), and the saved file
        // reads back as the same values.
        std::size_t entries = 0;
        if (!CountEntries(bytes, &entries) || entries != Lines(read.values, '[')) std::abort();
        const keystore::StoreBytes again = keystore::ExamineStoreBytes(read.saved);
        if (!again.readable || again.values != read.values) std::abort();
        return 0;
    }
    if (!ThroughFiles(bytes)) return 0;
    // The first save moves the file aside before it writes a fresh one.
    const std::string path = keystore::StoreFilePath();
    const std::string aside = path + ".corrupt";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, size, file) != size ||
        std::fclose(file) != 0) {
        std::abort();
    }
    keystore::Key key = nullptr;
    if (keystore::CreateKey(keystore::kCurrentUser, kSettingsKey, &key) != keystore::kSuccess) {
        std::abort();
    }
    keystore::CloseKey(key);
    if (ReadAll(aside) != bytes || !keystore::ExamineStoreBytes(ReadAll(path)).readable) {
        std::abort();
    }
    g_remove(aside.c_str());
    g_remove(path.c_str());
    return 0;
}
