// One clock per user session: an exclusive lock on a file in the user's runtime
// folder, or in the temporary folder with the user id where there is none.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/single_instance.h"

namespace tickora {

bool ClaimSingleInstance() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string path = runtime != nullptr && runtime[0] == '/'
                                 ? std::string(runtime) + "/tickora.lock"
                                 : "/tmp/tickora-" + std::to_string(getuid()) + ".lock";
    // Never follow a link someone else may have planted in a shared folder.
    const int lock = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    // Without a lock file the clock runs unprotected rather than not at all.
    if (lock < 0) return true;
    return flock(lock, LOCK_EX | LOCK_NB) == 0;
}

}  // namespace tickora
