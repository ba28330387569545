#include <pwd.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "sys/error_text.h"
#include "sys/program_layout.h"
#include "velmora_install_layout.h"

namespace velmora::sys {

namespace {

std::string with_slash(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

// A folder as the system knows it, whatever name it is reached by: /usr/bin
// through a link (/bin on merged-/usr systems) is still /usr/bin. Resolving
// the names instead would read every link along them, a dozen system calls
// at each start where this takes one per folder.
using FolderId = std::pair<dev_t, ino_t>;

std::optional<FolderId> folder_id(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

bool is_install_folder(const std::string& exe_dir, const InstallPlaces& install) {
    if (exe_dir == install.bin_dir || exe_dir == install.lib_dir) return true;
    const std::optional<FolderId> here = folder_id(exe_dir);
    return here && (here == folder_id(install.bin_dir) || here == folder_id(install.lib_dir));
}

std::string user_home() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* entry = getpwuid(geteuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

// The running program's file as the system resolves it. The name it was
// started by, resolved, names that file; /proc/self/exe is asked only when
// the name does not resolve (a program started through a descriptor, or
// moved since): the first look into /proc, which makes the process's
// entries there, costs more than all the rest of finding the layout.
std::string executable_path() {
    char buffer[PATH_MAX];
    // The auxiliary vector holds the name's address as a number.
    const auto* started =
        reinterpret_cast<const char*>(getauxval(AT_EXECFN));  // NOLINT(performance-no-int-to-ptr)
    if (started != nullptr && realpath(started, buffer) != nullptr) return buffer;
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string executable_dir() {
    const std::string exe = executable_path();
    if (exe.empty()) return "./";
    return exe.substr(0, exe.rfind('/') + 1);
}

// mkdir -p with 0700 for what it makes.
bool make_folders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

}  // namespace

ProgramLayout layout_of(const std::string& exe_dir, const InstallPlaces& install,
                        const std::function<std::string(const char*)>& env,
                        const std::string& home) {
    ProgramLayout layout{false, exe_dir, exe_dir, exe_dir, exe_dir};
    if (!is_install_folder(exe_dir, install)) return layout;
    layout.installed = true;
    layout.program_dir = install.bin_dir;
    layout.lib_dir = install.lib_dir;
    layout.share_dir = install.share_dir;
    const std::string data_home = env("XDG_DATA_HOME");
    // The base directory specification ignores a relative value.
    if (!data_home.empty() && data_home[0] == '/') {
        layout.data_dir = with_slash(data_home) + "velmora/";
    } else {
        layout.data_dir = home.empty() ? std::string() : with_slash(home) + ".local/share/velmora/";
    }
    return layout;
}

const ProgramLayout& program_layout() {
    static const ProgramLayout layout = layout_of(
        executable_dir(),
        {with_slash(install::bin_dir), with_slash(install::lib_dir), with_slash(install::data_dir)},
        [](const char* name) {
            const char* value = std::getenv(name);
            return value ? std::string(value) : std::string();
        },
        user_home());
    return layout;
}

std::string prepare_data_dir(const ProgramLayout& layout) {
    if (!layout.installed) return {};
    if (layout.data_dir.empty()) return "找不到用户的主文件夹，无法确定数据文件夹。";
    std::string folder = layout.data_dir;
    folder.pop_back();
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) {
        if (errno != ENOENT || !make_folders(layout.data_dir)) {
            return "无法创建数据文件夹 " + folder + "：" + error_text(errno) + "。";
        }
        if (lstat(folder.c_str(), &info) != 0) {
            return "无法创建数据文件夹 " + folder + "：" + error_text(errno) + "。";
        }
    }
    if (S_ISLNK(info.st_mode)) {
        return "数据文件夹 " + folder +
               " 是一个符号链接。为免把数据写到别处，软件不使用它；请把它换成真正的文件夹。";
    }
    if (!S_ISDIR(info.st_mode)) return "数据文件夹 " + folder + " 不是文件夹。";
    if (info.st_uid != geteuid()) {
        return "数据文件夹 " + folder + " 属于另一个用户，软件不使用它。";
    }
    if ((info.st_mode & 077) != 0 && chmod(folder.c_str(), 0700) != 0) {
        return "无法把数据文件夹 " + folder + " 设为只有自己可用：" + error_text(errno) + "。";
    }
    return {};
}

}  // namespace velmora::sys
