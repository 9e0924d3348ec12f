// Writers of one folder take turns through an exclusive lock on the folder
// itself, held for the whole of a write. A temporary file exists only while its
// writer holds that lock, so one found by the holder belongs to a writer that
// is gone. When the lock cannot be had within a second (a peer stopped in the
// middle of a write) the file is still written, but nothing is removed.
#include "settings/file_replace_posix.h"

#include <fcntl.h>
#include <glib.h>
#include <glib/gstdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace tickora {
namespace {

struct GFreeDeleter {
    void operator()(void* memory) const { g_free(memory); }
};

class FolderLock {
  public:
    explicit FolderLock(const char* folder)
        : fd_(open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        for (int attempt = 0; fd_ >= 0 && attempt < 100; ++attempt) {
            if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                held_ = true;
                return;
            }
            // Where folders cannot be locked at all (some network file systems)
            // there is nothing to wait for.
            if (errno != EWOULDBLOCK) return;
            g_usleep(10000);
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) close(fd_);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return held_; }

  private:
    int fd_;
    bool held_ = false;
};

// GLib names a temporary "<name>.XXXXXX", the X being letters and digits.
bool IsTemporaryName(std::string_view entry, std::string_view name) {
    if (entry.size() != name.size() + 7 || entry.substr(0, name.size()) != name ||
        entry[name.size()] != '.') {
        return false;
    }
    for (char c : entry.substr(name.size() + 1)) {
        if (!g_ascii_isalnum(c)) return false;
    }
    return true;
}

void RemoveLeftTemporaries(const char* folder, const char* name) {
    GDir* listing = g_dir_open(folder, 0, nullptr);
    if (listing == nullptr) return;
    while (const gchar* entry = g_dir_read_name(listing)) {
        if (!IsTemporaryName(entry, name)) continue;
        std::unique_ptr<gchar, GFreeDeleter> path{g_build_filename(folder, entry, nullptr)};
        // Only plain files of this user with no other name: never a link, a
        // folder or something that is also known elsewhere.
        GStatBuf info;
        if (g_lstat(path.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid() &&
            info.st_nlink == 1) {
            g_unlink(path.get());
        }
    }
    g_dir_close(listing);
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view contents, int mode) {
    std::unique_ptr<gchar, GFreeDeleter> folder{g_path_get_dirname(path.c_str())};
    std::unique_ptr<gchar, GFreeDeleter> name{g_path_get_basename(path.c_str())};
    if (g_mkdir_with_parents(folder.get(), 0700) != 0) return false;
    const FolderLock lock(folder.get());
    if (lock.held()) RemoveLeftTemporaries(folder.get(), name.get());
    return g_file_set_contents_full(path.c_str(), contents.data(),
                                    static_cast<gssize>(contents.size()),
                                    G_FILE_SET_CONTENTS_CONSISTENT, mode, nullptr);
}

}  // namespace tickora
