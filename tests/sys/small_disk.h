// A tiny file system of its own for tests of a full or read-only disk: a
// tmpfs mounted over a folder. Mounting needs root; where it is refused,
// mounted() is false and the test skips.
#pragma once

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

namespace velmora::testing {

class SmallDisk {
public:
    explicit SmallDisk(std::string folder, std::size_t kib = 512) : folder_(std::move(folder)) {
        std::filesystem::create_directories(folder_);
        const std::string options = "size=" + std::to_string(kib) + "k,mode=0700";
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& folder() const { return folder_; }

    // Takes every free block, as another program filling the disk would.
    void fill() {
        const std::string filler = folder_ + "/.filler";
        int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        static const char block[4096] = {};
        while (fd >= 0 && ::write(fd, block, sizeof block) > 0) {
        }
        // The last partial block too: a byte at a time until nothing fits.
        while (fd >= 0 && ::write(fd, block, 1) == 1) {
        }
        if (fd >= 0) ::close(fd);
    }
    void free_space() { ::unlink((folder_ + "/.filler").c_str()); }
    bool make_read_only() {
        return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    std::string folder_;
    bool mounted_ = false;
};

// Runs `check` in a child process without root's right to write anything
// (as "nobody" when the tests run as root), so that file modes apply as
// they do for a user; answers its exit status.
inline int as_ordinary_user(const std::function<int()>& check) {
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        _exit(check());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

}  // namespace velmora::testing
