// Child of the checkpoint test: fills a container's write-ahead log with
// records, then closes the container and kills itself right after its N-th
// write to the container file during that close, as a logout or a power cut
// stops a program in the middle of the checkpoint.
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "store/container_names.h"
#include "store/kx_efs.h"

namespace {

using Pwrite64 = ssize_t (*)(int, const void*, size_t, off_t);
using Write = ssize_t (*)(int, const void*, size_t);

Pwrite64 real_pwrite64 = nullptr;
Pwrite64 real_pwrite = nullptr;
Write real_write = nullptr;
ino_t container_inode = 0;
long writes_left = -1;  // writes to the container file before the kill; -1: not armed

void count_write(int fd) {
    struct stat info {};
    if (writes_left < 0 || fstat(fd, &info) != 0 || info.st_ino != container_inode) return;
    if (--writes_left == 0) raise(SIGKILL);
}

ssize_t counted_pwrite64(int fd, const void* data, size_t size, off_t offset) {
    const ssize_t written = real_pwrite64(fd, data, size, offset);
    count_write(fd);
    return written;
}

ssize_t counted_pwrite(int fd, const void* data, size_t size, off_t offset) {
    const ssize_t written = real_pwrite(fd, data, size, offset);
    count_write(fd);
    return written;
}

ssize_t counted_write(int fd, const void* data, size_t size) {
    const ssize_t written = real_write(fd, data, size);
    count_write(fd);
    return written;
}

// SQLite's own seam for tests: the unix VFS calls the system through a
// table that can be redirected.
void watch_writes() {
    sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
    real_pwrite64 = reinterpret_cast<Pwrite64>(vfs->xGetSystemCall(vfs, "pwrite64"));
    real_pwrite = reinterpret_cast<Pwrite64>(vfs->xGetSystemCall(vfs, "pwrite"));
    real_write = reinterpret_cast<Write>(vfs->xGetSystemCall(vfs, "write"));
    vfs->xSetSystemCall(vfs, "pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(counted_pwrite64));
    vfs->xSetSystemCall(vfs, "pwrite", reinterpret_cast<sqlite3_syscall_ptr>(counted_pwrite));
    vfs->xSetSystemCall(vfs, "write", reinterpret_cast<sqlite3_syscall_ptr>(counted_write));
}

}  // namespace

// Arguments: container, staging folder, number of records, writes before the kill.
int main(int argc, char** argv) {
    if (argc != 5) return 2;
    const std::string container = argv[1];
    const std::string stage = argv[2];
    const int records = std::atoi(argv[3]);
    watch_writes();
    if (FX_Createoropenfx(container, velmora::store::container_password, 0, "", "") != 1) return 3;
    const int plans = FX_Directory_Changenodenametoindex("plumora_plan");
    for (int i = 0; i < records; ++i) {
        const std::string file = stage + "/" + std::to_string(i) + ".txt";
        std::ofstream(file, std::ios::binary) << std::string(2000, static_cast<char>('a' + i % 26));
        if (FX_Inputall(1, plans, {file}, "", "", 1, "", 0) != 1) return 4;
    }
    struct stat info {};
    if (stat(container.c_str(), &info) != 0) return 5;
    container_inode = info.st_ino;
    writes_left = std::atol(argv[4]);
    FX_Closefx(1);
    return 6;  // the close wrote fewer pages than asked for
}
