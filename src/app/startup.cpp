#include "app/startup.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "store/container_names.h"
#include "store/kx_efs.h"
#include "sys/atomicfile.h"
#include "sys/diagnostic.h"
#include "sys/inifile.h"
#include "sys/sysutil.h"

namespace velmora::app {

namespace {

namespace fs = std::filesystem;

// A working folder is only ever a real folder of the user's own, readable
// by nobody else: the plans and notes staged in it are private, and a link
// planted in its place would send them somewhere else.
bool claim_private_folder(const std::string& path) {
    std::error_code error;
    const fs::file_status found = fs::symlink_status(path, error);
    if (fs::is_symlink(found)) {
        sys::diagnostic("working folder " + path + " was a link; replaced by a real folder");
        fs::remove(path, error);
        return !error && sys::make_folder(path);
    }
    if (!fs::is_directory(found)) return sys::make_folder(path);
#ifndef _WIN32
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || info.st_uid != ::geteuid()) {
        sys::diagnostic("working folder " + path + " belongs to another user; not used");
        errno = 0;  // not a matter of rights on the program folder
        return false;
    }
    // A folder that cannot take the mode (a read-only disk) is still used:
    // nothing can be staged in it anyway, and the open of the data file
    // beside it then says what is wrong.
    if ((info.st_mode & 07777) != 0700 && ::chmod(path.c_str(), 0700) != 0) {
        sys::diagnostic("working folder " + path + " keeps its mode: " + std::strerror(errno));
    }
#endif
    return true;
}

// After a failure errno tells why, or is 0 when no system call refused.
bool prepare_folder(const std::string& path) {
    errno = 0;
    if (!claim_private_folder(path)) return false;
    sys::empty_folder(path);
    return sys::folder_exists(path);
}

bool something_at(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

// The copy appears under the data file's name only when it is complete, and
// never replaces anything that is there.
store::FxError copy_template(const AppPaths& paths) {
    const std::string partial = paths.data_file() + ".copying";
    auto bytes = sys::read_file(paths.template_file());
    if (!bytes) return store::FxError::io_error;
    if (!sys::write_file_atomic(partial, *bytes, true)) return store::classify_folder_errno(errno);
    // The user's records are the user's alone (SQLite gives its journal the
    // database's mode).
    std::error_code unchanged;
    fs::permissions(partial, fs::perms::owner_read | fs::perms::owner_write,
                    fs::perm_options::replace, unchanged);
    const bool placed = sys::rename_no_replace(partial, paths.data_file());
    std::error_code ignored;
    fs::remove(partial, ignored);
    return placed || something_at(paths.data_file()) ? store::FxError::none
                                                     : store::FxError::io_error;
}

std::string folder_of(const std::string& path) {
    const std::string parent = fs::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

void keep_template_copy(const AppPaths& paths) {
    if (FX_Directory_Changenodenametoindex(store::template_record) >= 0) return;
    if (!sys::file_exists(paths.template_file())) return;
    const int files = FX_Directory_Changenodenametoindex(store::files_folder);
    if (files < 0) return;
    FX_Inputall(0, files, {paths.template_file()}, "", "", 2, "", 0);
}

}  // namespace

std::string unable_to_write(const std::string& path, int system_errno) {
    const std::string_view text = messages::unable_to_write;
    const std::size_t slot = text.find("%s");
    std::string message(text.substr(0, slot));
    message.append(path).append(text.substr(slot + 2));
    // Only reasons a user can act on; "a folder is where the file goes" and
    // the like would read as a disk fault.
    const store::FxError reason = store::classify_errno(system_errno);
    if (system_errno != 0 && (reason != store::FxError::io_error || system_errno == EIO)) {
        message.append("（").append(store::describe(reason)).append("）");
    }
    return message;
}

// The temporary working folder lives beside the data file: when the
// program folder refuses it, the user is told that, not merely that a
// folder could not be made.
bool create_vrx_temp(const AppPaths& paths, sys::Prompts& prompts) {
    if (prepare_folder(paths.temp_work())) return true;
    const store::FxError why = store::classify_folder_errno(errno);
    const bool refused =
        why == store::FxError::folder_not_writable || why == store::FxError::read_only_fs;
    prompts.inform(refused ? container_message(why, paths) : messages::temp_folder_failed);
    return false;
}

bool create_vrx_sys_temp(const AppPaths& paths, bool write_desktop_ini, sys::Prompts& prompts) {
    if (!prepare_folder(paths.sys_work())) {
        prompts.inform(messages::sys_folder_failed);
        return false;
    }
    if (write_desktop_ini) {
        const std::string ini = sys::path_join(paths.sys_work(), "desktop.ini");
        ini::IniDocument note;
        note.write(".ShellClassInfo", "CLSID", "{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
        // The folder was emptied just now and is emptied again at every
        // close: the note is replaced whole, but needs no sync to the disk,
        // which cost the start a millisecond or more.
        if (!sys::write_file_atomic(ini, note.bytes(), false)) {
            prompts.inform(unable_to_write(ini, errno));
        }
        // The folder's system attribute ("attrib +s") means something only to
        // the Windows shell.
#ifdef _WIN32
        sys::run_hidden_command("attrib +s \"" + paths.sys_work() + "\"");
#endif
    }
    return true;
}

std::string container_message(store::FxError error, const AppPaths& paths) {
    using store::FxError;
    const std::string file = paths.data_file();
    const std::string folder = folder_of(file);
    const std::string untouched = "软件没有改动它，将退出。";
    switch (error) {
        case FxError::foreign:
            return "数据文件zenqdata.fx无法打开：" + file + "不是本软件的数据文件。" + untouched;
        case FxError::damaged:
            return "数据文件zenqdata.fx已损坏，无法打开：" + file + "。" + untouched +
                   "请用备份的数据文件替换它。";
        case FxError::unreachable:
            return "数据文件zenqdata.fx无法访问：" + file +
                   "是一个链接，它指向的文件不存在（所在的磁盘或同步文件夹可能没有连接）。" +
                   untouched + "请连接后再启动软件。";
        case FxError::not_writable:
            return "数据文件zenqdata.fx无法写入：" + file +
                   "是只读的。软件将退出；请让它可写后再启动软件。";
        case FxError::folder_not_writable:
            return "数据文件所在的文件夹无法写入：" + folder +
                   "。软件需要在那里保存您的资料，将退出；请让该文件夹可写后再启动软件。";
        case FxError::read_only_fs:
            return "数据文件所在的磁盘是只读的：" + folder +
                   "。软件需要在那里保存您的资料，将退出。";
        case FxError::in_use:
            return "数据文件zenqdata.fx正被另一个程序使用：" + file + "。软件将退出。";
        case FxError::disk_full:
            return "数据文件zenqdata.fx无法打开或创建：磁盘空间已满（" + folder +
                   "）。软件将退出。";
        default:
            return "数据文件zenqdata.fx无法打开：" + std::string(store::describe(error)) + "（" +
                   file + "）。软件将退出。";
    }
}

EarlyOpen::EarlyOpen(const AppPaths& paths) {
    if (!something_at(paths.data_file())) return;
    opening_ = std::async(std::launch::async, [file = paths.data_file()] {
        if (FX_Createoropenfx(file, store::container_password, 0, "fileX", "ccc") == 1) {
            return store::FxError::none;
        }
        const store::FxError error = FX_Getlasterror();
        return error == store::FxError::none ? store::FxError::io_error : error;
    });
}

std::optional<store::FxError> EarlyOpen::wait() {
    if (opening_.valid()) answer_ = opening_.get();
    return answer_;
}

void EarlyOpen::abandon() {
    if (wait() == store::FxError::none) FX_Closefx(1);
}

namespace {

// An open that found an index out of step with the items: the user learns
// at once why nothing will be saved, and where the repair is.
ContainerStart start_with(const AppPaths& paths, sys::Prompts& prompts) {
    keep_template_copy(paths);
    if (FX_Needsrepair() == 1) prompts.inform(messages::needs_repair);
    return ContainerStart::opened;
}

}  // namespace

ContainerStart initapp_fromfx(const AppPaths& paths, sys::Prompts& prompts, EarlyOpen* early) {
    if (const std::optional<store::FxError> opened = early ? early->wait() : std::nullopt) {
        if (*opened != store::FxError::none) {
            prompts.inform(container_message(*opened, paths));
            return ContainerStart::unusable;
        }
        return start_with(paths, prompts);
    }
    if (!something_at(paths.data_file())) {
        if (!sys::file_exists(paths.template_file())) {
            prompts.inform(messages::data_files_missing);
            return ContainerStart::files_missing;
        }
        const store::FxError copied = copy_template(paths);
        if (copied != store::FxError::none) {
            prompts.inform(container_message(copied, paths));
            return ContainerStart::unusable;
        }
    }
    if (FX_Createoropenfx(paths.data_file(), store::container_password, 0, "fileX", "ccc") != 1) {
        prompts.inform(container_message(FX_Getlasterror(), paths));
        return ContainerStart::unusable;
    }
    return start_with(paths, prompts);
}

void clearoldver(const AppPaths& paths) {
    for (const char* old : {"vrx_games_tgz.exe", "zenqreg.exe", "kx_update.exe"}) {
        const std::string path = paths.program_dir + old;
        if (sys::file_exists(path)) sys::remove_file(path);
    }
}

void close_container() {
    FX_Closefx(1);
}

}  // namespace velmora::app
