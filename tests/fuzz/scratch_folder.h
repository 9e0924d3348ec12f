// A folder of a fuzz target's own for the files each input becomes, removed when
// the target ends. In memory where possible: saves sync every file to disk,
// which would otherwise make fuzzing a hundred times slower.
#pragma once

#include <glib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tickora::fuzz {

inline std::string& ScratchFolderName() {
    static std::string name;
    return name;
}

inline std::string MakeScratchFolder() {
    gchar* folder = g_file_test("/dev/shm", G_FILE_TEST_IS_DIR)
                        ? g_strdup("/dev/shm/tickora-fuzz-XXXXXX")
                        : g_build_filename(g_get_tmp_dir(), "tickora-fuzz-XXXXXX", nullptr);
    if (g_mkdtemp(folder) == nullptr) std::abort();
    ScratchFolderName() = folder;
    g_free(folder);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFolderName(), ignored);
    });
    return ScratchFolderName();
}

}  // namespace tickora::fuzz
