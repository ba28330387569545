// A lock file in the user's private runtime folder, held with flock: the
// kernel drops it when the process ends, so a crashed instance never blocks
// the next start.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "sys/instance_lock.h"
#include "sys/sysutil.h"

namespace velmora::sys {

InstanceLock::InstanceLock(const std::string& name) {
    const std::string folder = system_temp_dir();
    if (folder.empty()) return;
    int fd =
        open((folder + name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    handle_ = fd;
    held_ = true;
}

InstanceLock::~InstanceLock() {
    if (handle_ >= 0) close(static_cast<int>(handle_));
}

}  // namespace velmora::sys
