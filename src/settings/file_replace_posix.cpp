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
#include <climits>
#include <cstdio>
#include <memory>
#include <set>

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

using GString_ = std::unique_ptr<gchar, GFreeDeleter>;

bool Fail(std::string* error, const std::string& what, int number) {
    if (error != nullptr) *error = what + ": " + g_strerror(number);
    return false;
}

bool WriteThrough(const std::string& path, std::string_view contents, std::string* error) {
    // No O_CREAT: should the name have changed since it was looked at, nothing
    // new is made; a FIFO waits here for its reader.
    const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Fail(error, path, errno);
    struct stat info {};
    bool written = fstat(fd, &info) == 0 && (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode))
                       ? WriteAll(fd, contents, error)
                       : Fail(error, path, EINVAL);
    // A device may report a failed write only when it is closed.
    if (close(fd) != 0 && written) written = Fail(error, path, errno);
    return written;
}

bool ReplaceAtomically(const std::string& path, std::string_view contents, int mode,
                       std::string* error) {
    GString_ folder{g_path_get_dirname(path.c_str())};
    GString_ name{g_path_get_basename(path.c_str())};
    const FolderLock lock(folder.get());
    if (lock.held()) RemoveLeftTemporaries(folder.get(), name.get());
    GError* failure = nullptr;
    if (!g_file_set_contents_full(path.c_str(), contents.data(),
                                  static_cast<gssize>(contents.size()),
                                  G_FILE_SET_CONTENTS_CONSISTENT, mode, &failure)) {
        // GLib's message names its temporary file, a new name each time: only
        // the reason it ends with is kept, after the name written.
        if (error != nullptr) {
            const std::string message = failure->message;
            const auto reason = message.rfind(": ");
            *error =
                path + ": " + (reason == std::string::npos ? message : message.substr(reason + 2));
        }
        g_error_free(failure);
        return false;
    }
    return true;
}

}  // namespace

bool FollowLinks(std::string& path, std::string* error) {
    // As many links as the kernel follows in one path.
    for (int hop = 0; hop < 40; ++hop) {
        GStatBuf info;
        if (g_lstat(path.c_str(), &info) != 0) {
            return errno == ENOENT ? true : Fail(error, path, errno);
        }
        if (!S_ISLNK(info.st_mode)) return true;
        char target[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
        if (length < 0) return Fail(error, path, errno);
        target[length] = '\0';
        if (target[0] == '/') {
            path = target;
        } else {
            GString_ folder{g_path_get_dirname(path.c_str())};
            path = std::string(folder.get()) + "/" + target;
        }
    }
    return Fail(error, path, ELOOP);
}

bool WriteAll(int fd, std::string_view contents, std::string* error) {
    while (!contents.empty()) {
        const ssize_t written = write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return Fail(error, "write", errno);
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool FindTarget(const std::string& path, FileTarget* target, std::string* error) {
    *target = FileTarget{path};
    if (!FollowLinks(target->path, error)) return false;
    GStatBuf info;
    if (g_lstat(target->path.c_str(), &info) != 0) {
        return errno == ENOENT ? true : Fail(error, target->path, errno);
    }
    target->exists = true;
    target->regular = S_ISREG(info.st_mode);
    target->kind = S_ISREG(info.st_mode)                            ? ""
                   : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                   : S_ISFIFO(info.st_mode)                         ? "a FIFO"
                   : S_ISSOCK(info.st_mode)                         ? "a socket"
                   : S_ISDIR(info.st_mode)                          ? "a folder"
                                                                    : "not a regular file";
    return true;
}

bool ReplaceFile(const std::string& path, std::string_view contents, int mode, std::string* error) {
    GString_ folder{g_path_get_dirname(path.c_str())};
    if (g_mkdir_with_parents(folder.get(), 0700) != 0) return Fail(error, folder.get(), errno);
    FileTarget target;
    if (!FindTarget(path, &target, error)) return false;
    if (target.exists && !target.regular) {
        if (error != nullptr) *error = target.path + " is " + target.kind;
        return false;
    }
    return ReplaceAtomically(target.path, contents, mode, error);
}

void ReportOnce(const std::string& line) {
    // The clock's files are written from its one thread only.
    static std::set<std::string> said;
    if (said.insert(line).second) std::fprintf(stderr, "tickora: %s\n", line.c_str());
}

bool WriteOutput(const std::string& path, std::string_view contents, int mode, std::string* error) {
    std::string target = path;
    if (!FollowLinks(target, error)) return false;
    GStatBuf info;
    if (g_stat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) return Fail(error, target, errno);
        return ReplaceAtomically(target, contents, mode, error);
    }
    if (S_ISREG(info.st_mode)) return ReplaceAtomically(target, contents, mode, error);
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)) {
        return WriteThrough(target, contents, error);
    }
    return Fail(error, target, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
}

}  // namespace tickora
