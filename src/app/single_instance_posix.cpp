// One clock per user session: an exclusive lock on a file in the user's runtime
// folder, or in the temporary folder with the user id where there is none. The
// file names the process that holds it, so that a second start can ask that
// clock for the mouse back (SIGUSR1).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/single_instance.h"

namespace tickora {
namespace {

bool Unprotected(const std::string& why) {
    std::fprintf(stderr, "tickora: not checking for another clock: %s\n", why.c_str());
    return true;
}

}  // namespace

bool ClaimSingleInstance() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string path = runtime != nullptr && runtime[0] == '/'
                                 ? std::string(runtime) + "/tickora.lock"
                                 : "/tmp/tickora-" + std::to_string(getuid()) + ".lock";
    // Never follow a link someone else may have planted in a shared folder, and
    // never open anything but a regular file of this user's: opening a device
    // can do something of its own, and a file of another user's could name any
    // process for the signal below. Without a lock file the clock runs
    // unprotected rather than not at all.
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return Unprotected(path + " is not a regular file");
    }
    const int lock =
        open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (lock < 0) return Unprotected(path + ": " + std::strerror(errno));
    if (fstat(lock, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        close(lock);
        return Unprotected(path + " is not a regular file of this user's");
    }
    if (flock(lock, LOCK_EX | LOCK_NB) == 0) {
        const std::string pid = std::to_string(getpid());
        if (ftruncate(lock, 0) == 0 && write(lock, pid.data(), pid.size()) < 0) {
            // Unnamed, the clock still runs; only the call for the mouse is lost.
        }
        return true;
    }
    char text[16] = {};
    const ssize_t length = pread(lock, text, sizeof text - 1, 0);
    close(lock);
    const long holder = length > 0 ? std::strtol(text, nullptr, 10) : 0;
    // The holder of the lock is alive (the lock ends with it) and is ours.
    if (holder > 0) kill(static_cast<pid_t>(holder), SIGUSR1);
    return false;
}

}  // namespace tickora
