// The start-up and close steps that need no window: the working folders,
// the container made from its template, and the clean-up of files that
// older versions left behind.
#pragma once

#include <future>
#include <optional>
#include <string>

#include "app/settings.h"
#include "calendar/holidays.h"
#include "store/container_names.h"
#include "store/fx_error.h"
#include "sys/prompts.h"
#include "sys/sysutil.h"

namespace velmora::app {

// Every folder ends in a separator. `program_dir` holds the user's data:
// the program's own folder when it runs from there, the user's data folder
// for an installed program (sys::program_layout), which reads its
// read-only parts from `parts_dir` and `shipped_dir` instead.
struct AppPaths {
    std::string program_dir;
    std::string system_temp_dir;
    std::string lib_dir = {};    // the helper and the modules; empty: program_dir
    std::string share_dir = {};  // the template and the shipped holidays; empty: program_dir

    std::string parts_dir() const { return lib_dir.empty() ? program_dir : lib_dir; }
    std::string shipped_dir() const { return share_dir.empty() ? program_dir : share_dir; }
    // Records staged in and out of the container.
    std::string temp_work() const { return program_dir + sys::working_folder_name; }
    // desktop.ini and the staging folders of the store-bound tree.
    std::string sys_work() const { return system_temp_dir + sys::working_folder_name; }
    std::string data_file() const { return program_dir + store::data_file_name; }
    std::string template_file() const { return shipped_dir() + store::template_file_name; }
    std::string shipped_holidays() const { return shipped_dir() + calendar::holiday_file_name; }
    std::string local_settings() const { return program_dir + local_settings_file; }
    std::string remote_settings() const { return program_dir + remote_settings_file; }
    std::string renewed_holidays() const {
        return program_dir + calendar::renewed_holiday_file_name;
    }
};

// The helper that brings the logon start and the desktop shortcut in line
// with the settings, beside the program.
#ifdef _WIN32
inline constexpr const char* vrx_reg_program = "vrx_reg.exe";
#else
inline constexpr const char* vrx_reg_program = "vrx_reg";
#endif

namespace messages {
inline constexpr const char* already_running = "“Velmora”已运行！";
inline constexpr const char* temp_folder_failed = "创建缓冲文件夹出错！";
inline constexpr const char* sys_folder_failed = "创建系统缓冲文件夹出错！";
inline constexpr const char* data_files_missing = "数据文件和数据模板文件均丢失！";
inline constexpr const char* unsaved_plans_question =
    "\n\n仍要退出吗？选“否”留在窗口中，稍后再保存。";
inline constexpr const char* unable_to_write = "无法写入文件：%s";
inline constexpr const char* needs_repair =
    "数据文件zenqdata.fx的索引与记录不一致（可能是磁盘出错所致）。所有记录都还在，也都能查看；"
    "但为免把看不到的记录覆盖，修复之前软件不保存任何改动。\n\n请在菜单“数据管理”中点"
    "“检查修复”：软件会先把数据文件原样备份，再修复索引。";
}  // namespace messages

// "无法写入文件：<path>", with the reason in brackets when the system gave
// one (`system_errno` not 0).
std::string unable_to_write(const std::string& path, int system_errno = 0);

// Empties the folder, or makes it when missing. False (after the message)
// when it cannot be made.
bool create_vrx_temp(const AppPaths& paths, sys::Prompts& prompts);
// The same for the system working folder; with `write_desktop_ini` it also
// gets its desktop.ini (a failed write is reported and start-up goes on).
bool create_vrx_sys_temp(const AppPaths& paths, bool write_desktop_ini, sys::Prompts& prompts);

// The open of an existing data file, with its password and page checks, on
// a worker thread: it runs while the window is built and the settings are
// read. Nothing starts when there is no data file yet; the first start
// copies the template in its place in the sequence. Until wait() has
// answered, nothing else may touch the container.
class EarlyOpen {
public:
    explicit EarlyOpen(const AppPaths& paths);
    ~EarlyOpen() { wait(); }
    EarlyOpen(const EarlyOpen&) = delete;
    EarlyOpen& operator=(const EarlyOpen&) = delete;

    // The open's answer (none: the container is open); nothing when no
    // open was started. Waits for the worker the first time.
    std::optional<store::FxError> wait();
    // The start ended before the open's place in the sequence: the
    // container it opened is closed again, as if never opened.
    void abandon();

private:
    std::future<store::FxError> opening_;
    std::optional<store::FxError> answer_;
};

enum class ContainerStart { opened, files_missing, unusable };
// Copies the template when nothing is at the data file's path (never over
// a file, nor over a link whose target is missing), opens the container (or
// takes the answer of an early open), and stores the template's own copy
// inside it once.
ContainerStart initapp_fromfx(const AppPaths& paths, sys::Prompts& prompts,
                              EarlyOpen* early = nullptr);
// What the user is told when the data file cannot be opened or made: what
// is true of it, where, and that it was left as it was.
std::string container_message(store::FxError error, const AppPaths& paths);

// The close sequence's last use of the container: its log checkpointed into
// the file and the file closed.
void close_container();

// Deletes files of older versions from the program folder.
void clearoldver(const AppPaths& paths);

}  // namespace velmora::app
