// The start-up and close steps that need no window: the working folders,
// the container made from its template, and the clean-up of files that
// older versions left behind.
#pragma once

#include <string>

#include "sys/prompts.h"

namespace velmora::app {

struct AppPaths {
    std::string program_dir;      // with a trailing separator
    std::string system_temp_dir;  // with a trailing separator

    // Records staged in and out of the container.
    std::string temp_work() const { return program_dir + "zenqplumora"; }
    // desktop.ini and the staging folders of the store-bound tree.
    std::string sys_work() const { return system_temp_dir + "zenqplumora"; }
    std::string data_file() const { return program_dir + "zenqdata.fx"; }
    std::string template_file() const { return program_dir + "zenqmodal.fx"; }
    std::string local_settings() const { return program_dir + "zenqset.kxi"; }
    std::string remote_settings() const { return program_dir + "zenqrset.kxi"; }
};

namespace messages {
inline constexpr const char* already_running = "“Velmora”已运行！";
inline constexpr const char* temp_folder_failed = "创建缓冲文件夹出错！";
inline constexpr const char* sys_folder_failed = "创建系统缓冲文件夹出错！";
inline constexpr const char* data_files_missing = "数据文件和数据模板文件均丢失！";
inline constexpr const char* data_file_unusable =
    "数据文件zenqdata.fx无法打开：它已损坏，或不是本软件的数据文件。为免丢失您的资料，软件将退出。";
inline constexpr const char* unable_to_write = "Unable to write to %s";
}  // namespace messages

std::string unable_to_write(const std::string& path);

// Empties the folder, or makes it when missing. False (after the message)
// when it cannot be made.
bool create_vrx_temp(const AppPaths& paths, sys::Prompts& prompts);
// The same for the system working folder; with `write_desktop_ini` it also
// gets its desktop.ini (a failed write is reported and start-up goes on).
bool create_vrx_sys_temp(const AppPaths& paths, bool write_desktop_ini, sys::Prompts& prompts);

enum class ContainerStart { opened, files_missing, unusable };
// Copies the template when the data file is missing (never over an existing
// file), opens the container, and stores the template's own copy inside it
// once.
ContainerStart initapp_fromfx(const AppPaths& paths, sys::Prompts& prompts);

// Deletes files of older versions from the program folder.
void clearoldver(const AppPaths& paths);

}  // namespace velmora::app
