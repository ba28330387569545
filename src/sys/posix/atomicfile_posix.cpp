#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>

#include "sys/atomicfile.h"

namespace velmora::sys {

namespace {

bool write_all(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
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

ReadFailure failure_of_open(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return ReadFailure::missing;
        // What a socket, or a device with nothing behind it, answers.
        case ENXIO: return ReadFailure::not_regular;
        default: return ReadFailure::io_error;
    }
}

// Stops one byte past the limit: that byte is enough to know the file is
// too large, and a file that grows while it is read never ends otherwise.
ReadFailure read_up_to(int fd, std::size_t max_bytes, std::string& content) {
    const std::size_t cap = max_bytes == SIZE_MAX ? max_bytes : max_bytes + 1;
    char buffer[65536];
    while (content.size() < cap) {
        const std::size_t wanted = std::min(sizeof buffer, cap - content.size());
        const ssize_t got = read(fd, buffer, wanted);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ReadFailure::io_error;
        if (got == 0) return ReadFailure::none;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return ReadFailure::too_large;
}

ReadFailure read_regular(int fd, std::size_t max_bytes, std::string& content) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return ReadFailure::io_error;
    if (!S_ISREG(info.st_mode)) return ReadFailure::not_regular;
    if (static_cast<std::uintmax_t>(info.st_size) > max_bytes) return ReadFailure::too_large;
    // Non-blocking mode only served the open; a regular file is read plainly.
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return ReadFailure::io_error;
    content.reserve(static_cast<std::size_t>(info.st_size));
    return read_up_to(fd, max_bytes, content);
}

// Who may read a new file: the program's own files are their owner's
// alone; a file the user saves to pass on follows the user's umask, as any
// other program's files do.
enum class NewFile { owner_only, as_umask };

// The permission bits of the file being replaced, so a rewrite never widens
// or narrows who may read it. Set-id bits are not carried over to content
// this program wrote.
std::optional<mode_t> mode_of_replaced(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 0777;
    return std::nullopt;
}

// Removes what a failed write left behind; errno still tells the caller why
// the write failed, not how the clean-up went.
bool discard(const std::string& temporary, int fd) {
    const int error = errno;
    if (fd >= 0) close(fd);
    unlink(temporary.c_str());
    errno = error;
    return false;
}

// A hard link fails on any entry already at `to`, a dangling link included,
// which makes it an exclusive rename where the file system has no such call.
bool link_then_unlink(const std::string& from, const std::string& to) {
    if (link(from.c_str(), to.c_str()) != 0) return false;
    if (unlink(from.c_str()) == 0) return true;
    const int error = errno;
    unlink(to.c_str());
    errno = error;
    return false;
}

WriteTarget kind_of_entry(const std::string& path, const struct stat& info) {
    if (S_ISLNK(info.st_mode)) {
        struct stat target {};
        return stat(path.c_str(), &target) == 0 ? WriteTarget::symbolic_link
                                                : WriteTarget::dangling_link;
    }
    if (S_ISDIR(info.st_mode)) return WriteTarget::folder;
    if (S_ISFIFO(info.st_mode)) return WriteTarget::fifo;
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return WriteTarget::device;
    if (S_ISSOCK(info.st_mode)) return WriteTarget::socket;
    if (!S_ISREG(info.st_mode)) return WriteTarget::not_regular;
    if (info.st_nlink > 1) return WriteTarget::hard_linked;
    // No write bit at all is read-only for root as well, whom access() lets
    // write anything.
    if ((info.st_mode & 0222) == 0) return WriteTarget::read_only;
    if (access(path.c_str(), W_OK) != 0 && errno == EACCES) return WriteTarget::read_only;
    return WriteTarget::regular;
}

// What stands at a path. One that cannot be looked at (a missing folder,
// one that may not be searched) counts as a new name: the write then fails
// with the reason, and the exclusive rename replaces nothing in any case.
// errno is left as it was.
WriteTarget look_at(const std::string& path) {
    const int error = errno;
    WriteTarget kind = WriteTarget::new_name;
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) kind = kind_of_entry(path, info);
    errno = error;
    return kind;
}

// The temporary file with the complete content, its permissions those of
// the file it is to replace; on failure errno tells why, and nothing is
// left behind.
bool write_temporary(const std::string& temporary, const std::string& path,
                     std::string_view content, bool durable, NewFile new_file) {
    const std::optional<mode_t> replaced = mode_of_replaced(path);
    const bool by_umask = !replaced && new_file == NewFile::as_umask;
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, by_umask ? 0666 : 0600);
    if (fd < 0) return false;
    // Through the descriptor, so the umask has no say in the final bits.
    const bool moded = by_umask || fchmod(fd, replaced.value_or(0600)) == 0;
    if (!moded || !write_all(fd, content) || (durable && fsync(fd) != 0)) {
        return discard(temporary, fd);
    }
    if (close(fd) != 0) return discard(temporary, -1);
    return true;
}

}  // namespace

WriteTarget inspect_write_target(const std::string& path) {
    return look_at(path);
}

TargetWrite write_to_target(const std::string& path, std::string_view content,
                            bool replace_read_only) {
    const WriteTarget before = look_at(path);
    if (!may_write(before, replace_read_only)) return {before, false, true};
    const std::string temporary = temporary_sibling(path);
    if (!write_temporary(temporary, path, content, true, NewFile::as_umask)) {
        return {before, false, false};
    }
    // The second look, now that the content is complete: whatever took the
    // path meanwhile is judged again, and a name still free is only taken
    // while nothing is there.
    const WriteTarget now = look_at(path);
    if (!may_write(now, replace_read_only)) {
        discard(temporary, -1);
        return {now, false, true};
    }
    const bool moved = now == WriteTarget::new_name ? rename_no_replace(temporary, path)
                                                    : rename(temporary.c_str(), path.c_str()) == 0;
    if (!moved) {
        discard(temporary, -1);
        if (errno != EEXIST) return {now, false, false};
        const WriteTarget taken = look_at(path);
        return {taken, false, !may_write(taken, replace_read_only)};
    }
    sync_folder(folder_of(path));
    return {now, true, false};
}

std::optional<std::string> read_file(const std::string& path, std::size_t max_bytes,
                                     ReadFailure* failure) {
    ReadFailure unused = ReadFailure::none;
    ReadFailure& why = failure ? *failure : unused;
    // Non-blocking, so opening a FIFO never waits for a writer to appear.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        why = failure_of_open(errno);
        return std::nullopt;
    }
    std::string content;
    why = read_regular(fd, max_bytes, content);
    close(fd);
    if (why != ReadFailure::none) return std::nullopt;
    return content;
}

bool write_file_atomic(const std::string& path, std::string_view content, bool durable) {
    const std::string temporary = temporary_sibling(path);
    if (!write_temporary(temporary, path, content, durable, NewFile::owner_only)) return false;
    if (rename(temporary.c_str(), path.c_str()) != 0) return discard(temporary, -1);
    if (durable) sync_folder(folder_of(path));
    return true;
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
    if (mkdir(path.c_str(), 0700) != 0) return false;
    // The umask may have taken bits away from mkdir's mode.
    if (chmod(path.c_str(), 0700) == 0) return true;
    const int error = errno;
    rmdir(path.c_str());
    errno = error;
    return false;
}

bool rename_no_replace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    // Only a kernel or file system without the call goes on to the fallback.
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    return link_then_unlink(from, to);
}

}  // namespace velmora::sys
