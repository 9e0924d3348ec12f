#include <glib.h>
#include <glib/gstdio.h>

#include <cstdlib>
#include <filesystem>

#include "support/scratch_store.h"

namespace tickora::testing {

ScratchStore::ScratchStore() {
    if (const char* previous = std::getenv("XDG_CONFIG_HOME")) {
        hadConfigHome_ = true;
        previousConfigHome_ = previous;
    }
    gchar* folder = g_dir_make_tmp("tickora-test-XXXXXX", nullptr);
    configHome_ = folder;
    g_free(folder);
    setenv("XDG_CONFIG_HOME", configHome_.c_str(), 1);
}

ScratchStore::~ScratchStore() {
    std::error_code ignored;
    std::filesystem::remove_all(configHome_, ignored);
    if (hadConfigHome_) {
        setenv("XDG_CONFIG_HOME", previousConfigHome_.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace tickora::testing
