// A /dev of the test process's own: a tmpfs mounted over /dev in a mount
// namespace of its own, holding only the character devices a test makes, so
// that whatever a program under test does to them never reaches the machine's.
#pragma once

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <initializer_list>
#include <utility>

namespace tickora::testing {

class PrivateDev {
  public:
    PrivateDev() = default;
    PrivateDev(const PrivateDev&) = delete;
    PrivateDev& operator=(const PrivateDev&) = delete;
    ~PrivateDev() {
        if (mounted_) umount2("/dev", MNT_DETACH);
    }

    // False where the process may not have a namespace and a tmpfs of its own
    // or make devices: the test is then skipped.
    bool Make(std::initializer_list<std::pair<const char*, dev_t>> devices) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tickora-test", "/dev", "tmpfs", 0, "mode=0755") != 0) {
            return false;
        }
        mounted_ = true;
        for (const auto& [name, device] : devices) {
            if (mknod(name, S_IFCHR | 0666, device) != 0) return false;
        }
        return true;
    }

    // Whether name is still the character device it was made as.
    static bool StillDevice(const char* name, dev_t device) {
        struct stat info {};
        return stat(name, &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == device;
    }

  private:
    bool mounted_ = false;
};

}  // namespace tickora::testing
