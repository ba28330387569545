#include "app/startup.h"

#include <filesystem>

#include "store/container_names.h"
#include "store/kx_efs.h"
#include "sys/atomicfile.h"
#include "sys/inifile.h"
#include "sys/sysutil.h"

namespace velmora::app {

namespace {

namespace fs = std::filesystem;

bool prepare_folder(const std::string& path) {
    if (sys::folder_exists(path)) sys::empty_folder(path);
    return sys::folder_exists(path) || sys::make_folder(path);
}

// The copy appears under the data file's name only when it is complete, and
// never replaces a file that is there.
bool copy_template(const AppPaths& paths) {
    const std::string partial = paths.data_file() + ".copying";
    auto bytes = sys::read_file(paths.template_file());
    if (!bytes || !sys::write_file_atomic(partial, *bytes, true)) return false;
    std::error_code error;
    if (!sys::file_exists(paths.data_file())) fs::rename(partial, paths.data_file(), error);
    fs::remove(partial, error);
    return sys::file_exists(paths.data_file());
}

void keep_template_copy(const AppPaths& paths) {
    if (FX_Directory_Changenodenametoindex("plumora_files/zenqmodal.fx") >= 0) return;
    if (!sys::file_exists(paths.template_file())) return;
    const int files = FX_Directory_Changenodenametoindex("plumora_files");
    if (files < 0) return;
    FX_Inputall(0, files, {paths.template_file()}, "", "", 2, "", 0);
}

}  // namespace

std::string unable_to_write(const std::string& path) {
    const std::string_view text = messages::unable_to_write;
    const std::size_t slot = text.find("%s");
    std::string message(text.substr(0, slot));
    message.append(path).append(text.substr(slot + 2));
    return message;
}

bool create_vrx_temp(const AppPaths& paths, sys::Prompts& prompts) {
    if (prepare_folder(paths.temp_work())) return true;
    prompts.inform(messages::temp_folder_failed);
    return false;
}

bool create_vrx_sys_temp(const AppPaths& paths, bool write_desktop_ini, sys::Prompts& prompts) {
    if (!prepare_folder(paths.sys_work())) {
        prompts.inform(messages::sys_folder_failed);
        return false;
    }
    if (write_desktop_ini) {
        const std::string ini = sys::path_join(paths.sys_work(), "desktop.ini");
        if (!ini::write_profile_string(ini, ".ShellClassInfo", "CLSID",
                                       "{20D04FE0-3AEA-1069-A2D8-08002B30309D}")) {
            prompts.inform(unable_to_write(ini));
        }
        // The folder's system attribute ("attrib +s") means something only to
        // the Windows shell.
#ifdef _WIN32
        sys::run_hidden_command("attrib +s \"" + paths.sys_work() + "\"");
#endif
    }
    return true;
}

ContainerStart initapp_fromfx(const AppPaths& paths, sys::Prompts& prompts) {
    if (!sys::file_exists(paths.data_file())) {
        if (!sys::file_exists(paths.template_file())) {
            prompts.inform(messages::data_files_missing);
            return ContainerStart::files_missing;
        }
        copy_template(paths);
    }
    if (FX_Createoropenfx(paths.data_file(), store::container_password, 0, "fileX", "ccc") != 1) {
        prompts.inform(messages::data_file_unusable);
        return ContainerStart::unusable;
    }
    keep_template_copy(paths);
    return ContainerStart::opened;
}

void clearoldver(const AppPaths& paths) {
    for (const char* old : {"vrx_games_tgz.exe", "zenqreg.exe", "kx_update.exe"}) {
        const std::string path = paths.program_dir + old;
        if (sys::file_exists(path)) sys::remove_file(path);
    }
}

}  // namespace velmora::app
