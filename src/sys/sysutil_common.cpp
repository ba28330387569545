// The parts of the system helpers that are the same on every system: path
// splitting, the version-name table, and the decisions of the elevated start
// and the power family, which run against the Platform seam so that tests
// can check them without elevating or powering anything off.
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "sys/atomicfile.h"
#include "sys/platform.h"
#include "sys/sysutil.h"

namespace velmora::sys {

namespace {

bool is_separator(char c) {
#ifdef _WIN32
    return c == '\\';
#else
    return c == '\\' || c == '/';
#endif
}

// One leading "\" and one trailing separator are not part of any component.
// A leading "/" on POSIX marks an absolute path and stays with the parent.
std::string_view trimmed_path(std::string_view path) {
    if (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    if (!path.empty() && is_separator(path.back())) path.remove_suffix(1);
    return path;
}

std::size_t last_separator(std::string_view path) {
    for (std::size_t i = path.size(); i-- > 0;) {
        if (is_separator(path[i])) return i;
    }
    return std::string_view::npos;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::mutex& sink_mutex() {
    static std::mutex mutex;
    return mutex;
}

MessageSink& message_sink() {
    static MessageSink sink;
    return sink;
}

}  // namespace

std::string path_last(const std::string& path) {
    std::string_view rest = trimmed_path(path);
    std::size_t cut = last_separator(rest);
    return std::string(cut == std::string_view::npos ? rest : rest.substr(cut + 1));
}

std::string path_parent(const std::string& path) {
    std::string_view rest = trimmed_path(path);
    std::size_t cut = last_separator(rest);
    if (cut == std::string_view::npos) return {};
    if (cut == 0 && rest.front() == '/') return "/";
    return std::string(rest.substr(0, cut));
}

std::string path_ext(const std::string& path) {
    std::string last = path_last(path);
    std::size_t dot = last.rfind('.');
    return dot == std::string::npos ? std::string() : last.substr(dot);
}

std::string path_base_name(const std::string& path) {
    std::string last = path_last(path);
    return last.substr(0, last.size() - path_ext(path).size());
}

std::string path_join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (is_separator(folder.back())) return folder + name;
    return folder + path_separator + name;
}

std::string staging_folder() {
    std::string work = system_temp_dir() + working_folder_name;
    if (!folder_exists(work)) make_folder(work);
    return work + path_separator + path_base_name(temp_file_name()) + path_separator;
}

StagingFolder::StagingFolder() : path_(staging_folder()) {
    std::error_code failure;
    std::filesystem::create_directories(path_, failure);
    error_ = failure.value();
}

StagingFolder::~StagingFolder() {
    if (error_ != 0) return;
    empty_folder(path_);
    remove_folder_tree(path_);
}

std::string os_version_name_for(OsPlatform platform, unsigned major, unsigned minor,
                                const std::string& service_text) {
    std::string service = service_text;
    service.erase(0, service.find_first_not_of(" \t"));
    service.erase(service.find_last_not_of(" \t") + 1);
    if (platform == OsPlatform::nt) {
        if (major == 3) return "osNT3";
        if (major == 4) return "osNT4";
        if (major == 5) return minor == 1 ? "osXP" : "os2K";
    } else if (platform == OsPlatform::win9x && major == 4) {
        if (minor == 0) return service == "B" ? "os95OSR2" : "os95";
        if (minor == 10) return service == "A" ? "os98SE" : "os98";
        if (minor == 90) return "osME";
    }
    return "osUnknown";
}

void run_elevated(Platform& platform, WindowHandle window, const std::string& file,
                  const std::string& parameters, const std::string& os_name) {
    ShellStart start{"runas", window, quoted(file), quoted(parameters)};
    auto start_elevated = [&] {
        int error = 0;
        if (!platform.shell_start(start, error)) {
            throw std::system_error(error, std::system_category(), "runas " + file);
        }
    };
    if (os_name == "osUnknown") {
        start_elevated();
    } else if (platform.is_admin()) {
        start.verb = "open";
        int ignored = 0;
        platform.shell_start(start, ignored);
    } else {
        platform.show_message(
            "当前用户权限不够！请选择具有管理员权限的用户（如Administrator）运行本软件！",
            "请注意");
        start_elevated();
    }
}

void run_elevated(WindowHandle window, const std::string& file, const std::string& parameters,
                  const std::string& os_name) {
    run_elevated(native_platform(), window, file, parameters, os_name);
}

void exit_windows(Platform& platform, int mode, bool force) {
    if (platform.is_nt_family() && !platform.enable_shutdown_privilege()) return;
    const unsigned flags = force ? exit_flags::force : 0u;
    switch (mode) {
        case 1: platform.exit_system(flags + exit_flags::poweroff); break;
        case 2: platform.exit_system(flags + exit_flags::shutdown); break;
        case 3: platform.exit_system(flags + exit_flags::reboot); break;
        case 4: platform.exit_system(flags + exit_flags::logoff); break;
        case 5: platform.set_power_state(true, force); break;
        case 6: platform.set_power_state(false, force); break;
        default: break;
    }
}

void exit_windows(int mode, bool force) {
    exit_windows(native_platform(), mode, force);
}

void set_message_sink(MessageSink sink) {
    std::lock_guard lock(sink_mutex());
    message_sink() = std::move(sink);
}

bool deliver_to_message_sink(const std::string& text, const std::string& caption) {
    std::lock_guard lock(sink_mutex());
    if (!message_sink()) return false;
    message_sink()(text, caption);
    return true;
}

}  // namespace velmora::sys
