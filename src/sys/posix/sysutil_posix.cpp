// System helpers on POSIX desktops. Where the Windows facility has no
// counterpart (drive letters, token groups, version names) the nearest real
// equivalent is used: mount points, the root user, "osUnknown".
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "sys/atomicfile.h"
#include "sys/error_text.h"
#include "sys/platform.h"
#include "sys/sysutil.h"

namespace velmora::sys {

namespace {

std::string with_separator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A folder is private when it is a real directory (not a link), owned by us
// and closed to everybody else.
bool is_private_folder(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == geteuid() && (info.st_mode & 077) == 0;
}

bool ensure_private_folder(const std::string& path) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    return is_private_folder(path);
}

bool ensure_private_chain(const std::string& base, const std::vector<std::string>& parts) {
    std::string path = base;
    for (const auto& part : parts) {
        path += "/" + part;
        if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return is_private_folder(path);
}

// Entries of an open directory, without "." and "..".
struct Entry {
    std::string name;
    bool is_folder = false;
    bool is_link = false;
};

std::vector<Entry> read_entries(int dir_fd) {
    std::vector<Entry> entries;
    int dup_fd = dup(dir_fd);
    if (dup_fd < 0) return entries;
    DIR* dir = fdopendir(dup_fd);
    if (!dir) {
        close(dup_fd);
        return entries;
    }
    while (dirent* item = readdir(dir)) {
        std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        if (fstatat(dir_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        entries.push_back({name, S_ISDIR(info.st_mode), S_ISLNK(info.st_mode)});
    }
    closedir(dir);
    return entries;
}

// Opens a folder without following a link, at any level.
int open_folder_at(int parent_fd, const std::string& name) {
    return openat(parent_fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void remove_tree_at(int dir_fd);

void empty_at(int dir_fd) {
    for (const Entry& entry : read_entries(dir_fd)) {
        if (entry.is_link || !entry.is_folder) {
            unlinkat(dir_fd, entry.name.c_str(), 0);  // a link itself, never its target
            continue;
        }
        if (entry.name[0] == '.') continue;
        int sub = open_folder_at(dir_fd, entry.name);
        if (sub < 0) continue;
        empty_at(sub);
        remove_tree_at(sub);
        close(sub);
        unlinkat(dir_fd, entry.name.c_str(), AT_REMOVEDIR);
    }
}

void remove_tree_at(int dir_fd) {
    for (const Entry& entry : read_entries(dir_fd)) {
        if (entry.is_link) {
            unlinkat(dir_fd, entry.name.c_str(), 0);
        } else if (entry.is_folder && entry.name[0] != '.') {
            int sub = open_folder_at(dir_fd, entry.name);
            if (sub < 0) continue;
            remove_tree_at(sub);
            close(sub);
            unlinkat(dir_fd, entry.name.c_str(), AT_REMOVEDIR);
        }
    }
}

int open_top_folder(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return open(trimmed.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool is_local_block_device_fs(const std::string& source, const std::string& type) {
    static const char* const virtual_types[] = {
        "proc",       "sysfs",      "tmpfs",    "devtmpfs", "devpts",   "cgroup",
        "cgroup2",    "overlay",    "squashfs", "autofs",   "mqueue",   "debugfs",
        "tracefs",    "securityfs", "pstore",   "configfs", "fusectl",  "binfmt_misc",
        "hugetlbfs",  "bpf",        "nfs",      "nfs4",     "cifs",     "smb3",
        "fuse.sshfs", "iso9660",    "udf",      "ramfs",    "efivarfs", "nsfs"};
    if (std::find(std::begin(virtual_types), std::end(virtual_types), type) !=
        std::end(virtual_types)) {
        return false;
    }
    return source.rfind("/dev/", 0) == 0;
}

// A device is removable when the kernel says so for it or its parent disk.
bool is_removable_device(const std::string& source) {
    char resolved[PATH_MAX];
    if (!realpath(source.c_str(), resolved)) return false;
    std::string name = path_last(resolved);
    for (std::string candidate = name; !candidate.empty(); candidate.pop_back()) {
        std::ifstream flag("/sys/class/block/" + candidate + "/removable");
        int value = 0;
        if (flag >> value) return value != 0;
    }
    return false;
}

// Undoes the octal escapes (\040 for a space) of the mount table.
std::string unescape_mount_path(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool escaped = text[i] == '\\' && i + 3 < text.size();
        if (escaped) {
            for (std::size_t k = 1; k <= 3; ++k)
                escaped = escaped && text[i + k] >= '0' && text[i + k] <= '7';
        }
        if (!escaped) {
            out += text[i];
            continue;
        }
        out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                 (text[i + 3] - '0'));
        i += 3;
    }
    return out;
}

class PosixPlatform final : public Platform {
public:
    bool is_admin() override { return geteuid() == 0; }
    bool shell_start(const ShellStart& start, int& error_code) override;
    bool open_address(const std::string& address, int& error_code) override;
    void show_message(const std::string& text, const std::string& caption) override {
        show_native_message(text, caption);
    }
    // No privilege to enable: the session manager decides over power-off.
    bool is_nt_family() override { return false; }
    bool enable_shutdown_privilege() override { return true; }
    void exit_system(unsigned flags) override;
    void set_power_state(bool suspend, bool force) override;
};

std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// execvp's argument array over `argv`'s strings.
std::vector<char*> exec_arguments(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    return args;
}

// A child with a pipe back to the parent, both ends closed on exec; -1
// with `error_code` set when either cannot be made.
pid_t fork_with_pipe(int (&pipe_fds)[2], int& error_code) {
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        error_code = errno;
        return -1;
    }
    const pid_t child = fork();
    if (child < 0) {
        error_code = errno;
        close(pipe_fds[0]);
        close(pipe_fds[1]);
    }
    return child;
}

// Starts a program without a shell, so no argument is ever interpreted.
bool spawn_detached(const std::vector<std::string>& argv, int& error_code) {
    // Made before the fork: a child of a threaded program may not allocate.
    std::vector<char*> args = exec_arguments(argv);
    int pipe_fds[2];
    const pid_t child = fork_with_pipe(pipe_fds, error_code);
    if (child < 0) return false;
    if (child == 0) {
        if (fork() == 0) {  // the grandchild is reparented, so nothing waits for it
            execvp(args[0], args.data());
            int failure = errno;
            ssize_t ignored = write(pipe_fds[1], &failure, sizeof failure);
            (void)ignored;
        }
        _exit(0);
    }
    close(pipe_fds[1]);
    int status = 0;
    waitpid(child, &status, 0);
    int failure = 0;
    ssize_t got = read(pipe_fds[0], &failure, sizeof failure);
    close(pipe_fds[0]);
    if (got == static_cast<ssize_t>(sizeof failure)) {
        error_code = failure;
        return false;
    }
    return true;
}

bool PosixPlatform::shell_start(const ShellStart& start, int& error_code) {
    // Per-user autostart and shortcuts need no elevation here: "runas" and
    // "open" both start the program as the user.
    std::vector<std::string> argv{unquoted(start.file)};
    std::string parameters = unquoted(start.parameters);
    if (!parameters.empty()) argv.push_back(parameters);
    return spawn_detached(argv, error_code);
}

// The desktop's opener hands the address to the user's default browser or
// file viewer; it is one argument, never read by a shell.
// What the watching child tells the program: the opener could not be
// started (an errno), or it ended with a failure (its exit status).
struct OpenerReport {
    int kind;  // 1: exec failed, 2: ended with a failure
    int value;
};

void report_opener(int fd, OpenerReport report) {
    ssize_t ignored = write(fd, &report, sizeof report);
    (void)ignored;
}

// In the watching child: waits up to `patience_ms` for the opener to end
// and reports a failure; an opener still running by then (a browser kept
// in the foreground) is taken to have worked and left to itself.
[[noreturn]] void watch_opener(pid_t opener, int fd, int patience_ms) {
    for (int waited = 0; waited < patience_ms; waited += 20) {
        int status = 0;
        if (waitpid(opener, &status, WNOHANG) == opener) {
            const bool failed = !WIFEXITED(status) || WEXITSTATUS(status) != 0;
            if (failed) report_opener(fd, {2, WIFEXITED(status) ? WEXITSTATUS(status) : -1});
            _exit(0);
        }
        const timespec pause{0, 20L * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
    _exit(0);
}

// The desktop's opener reports a missing browser or a failed hand-over by
// its exit status, within a moment; the program waits that moment, so the
// user is told instead of the address silently going nowhere.
bool start_opener(const std::vector<std::string>& argv, int& error_code) {
    constexpr int patience_ms = 1500;
    // Made before the fork: a child of a threaded program may not allocate.
    std::vector<char*> args = exec_arguments(argv);
    int pipe_fds[2];
    const pid_t child = fork_with_pipe(pipe_fds, error_code);
    if (child < 0) return false;
    if (child == 0) {
        const pid_t opener = fork();
        if (opener == 0) {
            execvp(args[0], args.data());
            report_opener(pipe_fds[1], {1, errno});
            _exit(127);
        }
        if (opener < 0) _exit(0);
        watch_opener(opener, pipe_fds[1], patience_ms);
    }
    close(pipe_fds[1]);
    OpenerReport report{0, 0};
    OpenerReport first{0, 0};
    while (read(pipe_fds[0], &report, sizeof report) == static_cast<ssize_t>(sizeof report)) {
        if (first.kind == 0) first = report;
    }
    close(pipe_fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (first.kind == 0) return true;
    error_code = first.kind == 1 ? first.value : no_opener_error;
    return false;
}

bool PosixPlatform::open_address(const std::string& address, int& error_code) {
    return start_opener({"xdg-open", address}, error_code);
}

void call_login_manager(const std::string& method, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"dbus-send",
                                  "--system",
                                  "--print-reply",
                                  "--dest=org.freedesktop.login1",
                                  "/org/freedesktop/login1",
                                  "org.freedesktop.login1.Manager." + method};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    int ignored = 0;
    spawn_detached(argv, ignored);
}

void PosixPlatform::exit_system(unsigned flags) {
    const unsigned action = flags & ~exit_flags::force;
    if (action == exit_flags::logoff) {
        std::string session = env("XDG_SESSION_ID");
        if (!session.empty()) call_login_manager("TerminateSession", {"string:" + session});
    } else if (action & exit_flags::reboot) {
        call_login_manager("Reboot", {"boolean:true"});
    } else {
        call_login_manager("PowerOff", {"boolean:true"});
    }
}

void PosixPlatform::set_power_state(bool suspend, bool /*force*/) {
    call_login_manager(suspend ? "Suspend" : "Hibernate", {"boolean:true"});
}

std::string user_dir_from_config(const std::string& key) {
    std::string home = env("HOME");
    std::string config = env("XDG_CONFIG_HOME");
    if (config.empty()) config = home + "/.config";
    std::ifstream file(config + "/user-dirs.dirs");
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind(key + "=", 0) != 0) continue;
        std::string value = unquoted(line.substr(key.size() + 1));
        if (value.rfind("$HOME", 0) == 0) value.replace(0, 5, home);
        return value;
    }
    return {};
}

}  // namespace

std::string program_dir() {
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "./";
    std::string exe(buffer, static_cast<std::size_t>(length));
    return with_separator(exe.substr(0, exe.rfind('/') + 1));
}

std::string system_temp_dir() {
    // Never a shared world-writable path as it is: the program empties its
    // working folder there at every start, and another local user could
    // otherwise plant a link in it.
    std::string runtime = env("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime[0] == '/' && is_private_folder(runtime) &&
        ensure_private_folder(runtime + "/velmora")) {
        return runtime + "/velmora/";
    }
    std::string tmp = env("TMPDIR");
    if (tmp.empty() || tmp[0] != '/') tmp = "/tmp";
    std::string per_user = with_separator(tmp) + "velmora-" + std::to_string(geteuid());
    if (ensure_private_folder(per_user)) return per_user + "/";
    std::string home = env("HOME");
    if (!home.empty() && ensure_private_chain(home, {".cache", "velmora", "tmp"})) {
        return home + "/.cache/velmora/tmp/";
    }
    return {};
}

std::string temp_file_name() {
    std::string pattern = system_temp_dir() + "XXXXXX.tmp";
    int fd = mkstemps(pattern.data(), 4);
    if (fd < 0) return {};
    close(fd);
    unlink(pattern.c_str());
    return pattern;
}

bool is_admin() {
    return native_platform().is_admin();
}

std::string os_version_name() {
    return "osUnknown";
}

std::string shell_folder(const std::string& name) {
    std::string home = env("HOME");
    if (home.empty()) return {};
    std::string folder;
    if (name == "desktop") {
        folder = user_dir_from_config("XDG_DESKTOP_DIR");
        if (folder.empty()) folder = home + "/Desktop";
    } else if (name == "personal") {
        folder = user_dir_from_config("XDG_DOCUMENTS_DIR");
        if (folder.empty()) folder = home + "/Documents";
    } else {
        return {};
    }
    return with_separator(folder);
}

void fixed_drives(std::vector<std::string>& list) {
    std::ifstream mounts("/proc/self/mounts");
    std::string line;
    bool root_is_fixed = false;
    std::vector<std::string> found;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string source, target, type;
        if (!(fields >> source >> target >> type)) continue;
        target = unescape_mount_path(target);
        if (!is_local_block_device_fs(source, type) || is_removable_device(source)) continue;
        if (target == "/") {
            root_is_fixed = true;
        } else if (std::find(found.begin(), found.end(), with_separator(target)) == found.end()) {
            found.push_back(with_separator(target));
        }
    }
    list.insert(list.end(), found.begin(), found.end());
    if (root_is_fixed) list.push_back("/");
}

std::uint64_t disk_free(const std::string& path) {
    struct statvfs info {};
    if (path.empty() || statvfs(path.c_str(), &info) != 0) return 0;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

void empty_folder(const std::string& path) {
    if (path.empty()) return;
    int fd = open_top_folder(path);
    if (fd < 0) return;
    empty_at(fd);
    close(fd);
}

void remove_folder_tree(const std::string& path) {
    if (path.empty()) return;
    int fd = open_top_folder(path);
    if (fd < 0) return;
    remove_tree_at(fd);
    close(fd);
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    rmdir(trimmed.c_str());
}

void list_folder(const std::string& path, std::vector<std::string>& list) {
    std::string folder = path;
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), folder);
    for (const Entry& entry : read_entries(fd)) list.push_back(folder + "/" + entry.name);
    close(fd);
}

Platform& native_platform() {
    static PosixPlatform platform;
    return platform;
}

void show_native_message(const std::string& text, const std::string& caption) {
    if (deliver_to_message_sink(text, caption)) return;
    std::cerr << (caption.empty() ? "" : caption + ": ") << text << '\n';
}

}  // namespace velmora::sys
