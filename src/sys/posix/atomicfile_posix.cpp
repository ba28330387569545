#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "sys/atomicfile.h"

namespace velmora::sys {

namespace {

bool write_all(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string folder_of(const std::string& path) {
    std::size_t cut = path.rfind('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

// The rename itself is only durable once the folder entry is on disk.
void sync_folder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

std::string temporary_sibling(const std::string& path) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    return path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(random() % 1000000007);
}

}  // namespace

std::optional<std::string> read_file(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return content;
}

bool write_file_atomic(const std::string& path, std::string_view content, bool durable) {
    std::string temporary = temporary_sibling(path);
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = write_all(fd, content) && (!durable || fsync(fd) == 0);
    ok = close(fd) == 0 && ok;
    if (ok && rename(temporary.c_str(), path.c_str()) == 0) {
        if (durable) sync_folder(folder_of(path));
        return true;
    }
    unlink(temporary.c_str());
    return false;
}

bool file_exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool folder_exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool remove_file(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

bool make_folder(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0;
}

}  // namespace velmora::sys
