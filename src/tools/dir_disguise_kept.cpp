// The folders the lock leaves alone. On Linux the lock takes every
// permission away from a folder; on the program's own folders that would
// fail its next save and keep it from starting again, on the home folder or
// a system folder it would lock out the desktop or the system itself.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "sys/program_layout.h"
#include "sys/sysutil.h"
#include "tools/dir_disguise.h"

namespace velmora::tools {

namespace fs = std::filesystem;

namespace {

// The path with every symbolic link resolved, as far as it exists; the
// rest as written, without "." and "..".
fs::path real_path(const std::string& path) {
    std::error_code failure;
    fs::path resolved = fs::weakly_canonical(fs::path(path), failure);
    if (failure) resolved = fs::absolute(fs::path(path), failure).lexically_normal();
    // "/a/b/" and "/a/b" are one folder.
    if (!resolved.has_filename() && resolved.has_parent_path() &&
        resolved != resolved.root_path()) {
        resolved = resolved.parent_path();
    }
    return resolved;
}

std::string text_of(const fs::path& path) {
    return path.string();
}

// The path's components, the root first; "/a/b/" and "/a/b" have the same.
std::vector<std::string> parts(const fs::path& path) {
    std::vector<std::string> found;
    for (const fs::path& part : path) {
        if (!part.empty()) found.push_back(part.string());
    }
    return found;
}

bool same_folder(const fs::path& a, const fs::path& b) {
    return parts(a) == parts(b);
}

// True when `inner` lies below `outer` (not the same folder).
bool is_below(const fs::path& inner, const fs::path& outer) {
    const std::vector<std::string> in = parts(inner);
    const std::vector<std::string> out = parts(outer);
    return in.size() > out.size() && std::equal(out.begin(), out.end(), in.begin());
}

// How many folders below the root.
std::size_t depth(const fs::path& path) {
    const std::size_t count = parts(path).size();
    return path.has_root_path() && count > 0 ? count - 1 : count;
}

#ifndef _WIN32
struct SystemRule {
    const char* folder;
    bool with_everything_inside;
};

// The system's own folders (every top folder whose name starts with "lib"
// counts as well), and the folders the users keep their own folders in.
constexpr SystemRule system_rules[] = {
    {"/bin", true},   {"/boot", true}, {"/dev", true},    {"/etc", true},        {"/opt", true},
    {"/proc", true},  {"/run", true},  {"/sbin", true},   {"/srv", true},        {"/sys", true},
    {"/usr", true},   {"/var", true},  {"/snap", true},   {"/lost+found", true}, {"/root", false},
    {"/home", false}, {"/tmp", false}, {"/media", false}, {"/mnt", false},
};

// Inside a system folder, what the users keep as their own: /var/tmp's
// folders, and the drives mounted below /run/media/<user>.
bool users_own_inside_system(const fs::path& real) {
    if (is_below(real, "/var/tmp")) return true;
    return is_below(real, "/run/media") && depth(real) >= 4;
}
#endif

// The system folder `real` is (true), or lies inside (false); nothing when none.
std::optional<std::pair<fs::path, bool>> system_folder_of(const fs::path& real) {
#ifdef _WIN32
    // A drive's root; the rest of Windows keeps its access under the lock.
    if (depth(real) == 0) return std::pair{real, true};
    return std::nullopt;
#else
    if (depth(real) == 0) return std::pair{real, true};
    const std::vector<std::string> components = parts(real);
    if (components[1].starts_with("lib")) {
        const fs::path top_folder = fs::path("/") / components[1];
        return std::pair{top_folder, same_folder(real, top_folder)};
    }
    for (const SystemRule& rule : system_rules) {
        const fs::path folder(rule.folder);
        if (same_folder(real, folder)) return std::pair{folder, true};
        if (rule.with_everything_inside && is_below(real, folder) &&
            !users_own_inside_system(real)) {
            return std::pair{folder, false};
        }
    }
    return std::nullopt;
#endif
}

// The folder as the user chose it; a link also says where it leads.
std::string quoted(const std::string& shown, const fs::path& real) {
    std::error_code failure;
    const fs::path written = fs::absolute(fs::path(shown), failure).lexically_normal();
    std::string text = "“" + shown + "”";
    if (!failure && !same_folder(written, real)) text += "（它指向“" + text_of(real) + "”）";
    return text;
}

constexpr const char* refused = "不能对它加锁！";

}  // namespace

KeptFolders kept_folders(const std::string& program_dir, const std::string& data_dir,
                         const std::string& system_temp_dir) {
    KeptFolders kept;
    for (const std::string& folder : {program_dir, data_dir}) {
        if (!folder.empty()) kept.program.push_back(folder);
    }
    if (!program_dir.empty()) {
        kept.working.push_back(sys::path_join(program_dir, sys::working_folder_name));
    }
    if (!system_temp_dir.empty()) {
        kept.working.push_back(system_temp_dir);
        kept.working.push_back(sys::path_join(system_temp_dir, sys::working_folder_name));
    }
    const char* home = std::getenv("HOME");  // NOLINT(concurrency-mt-unsafe): read once
    if (home && *home) kept.home = home;
    return kept;
}

KeptFolders kept_folders_of_this_program() {
    const sys::ProgramLayout& layout = sys::program_layout();
    return kept_folders(layout.lib_dir, layout.data_dir, sys::system_temp_dir());
}

namespace {

// `real` is one of the program's folders, or lies inside a working folder.
std::string refusal_as_own(const fs::path& real, const std::string& named,
                           const KeptFolders& kept) {
    for (const std::string& folder : kept.program) {
        if (same_folder(real, real_path(folder))) {
            return named +
                   "是本软件（或它的数据）所在的文件夹。加锁会拿走它的全部权限：软件下次保存就会"
                   "失败，退出后也无法再启动。" +
                   refused;
        }
    }
    for (const std::string& folder : kept.working) {
        const fs::path work = real_path(folder);
        if (same_folder(real, work)) {
            return named + "是本软件的工作文件夹，软件每次启动都要用它。" + refused;
        }
        if (is_below(real, work)) {
            return named + "在本软件的工作文件夹“" + text_of(work) +
                   "”里，软件每次启动都要清空那里。" + refused;
        }
    }
    if (!kept.home.empty() && same_folder(real, real_path(kept.home))) {
        return named + "是您的主文件夹。加锁后桌面、各个程序的设置和本软件都将无法使用。" + refused;
    }
    return {};
}

std::string refusal_as_system(const fs::path& real, const std::string& named) {
    const auto system = system_folder_of(real);
    if (!system) return {};
    if (system->second) {
        return named + "是系统文件夹，加锁会使系统和其他程序无法正常工作。" + refused;
    }
    return named + "在系统文件夹“" + text_of(system->first) +
           "”里，加锁会使系统和其他程序无法正常工作。" + refused;
}

// `real` holds one of the program's folders, or the home folder.
std::string refusal_as_above(const fs::path& real, const std::string& named,
                             const KeptFolders& kept) {
    for (const std::string& folder : kept.program) {
        const fs::path inside = real_path(folder);
        if (is_below(inside, real)) {
            return named + "里面有本软件的文件夹“" + text_of(inside) +
                   "”。加锁后软件无法读写它的数据，退出后也无法再启动。" + refused;
        }
    }
    for (const std::string& folder : kept.working) {
        const fs::path inside = real_path(folder);
        if (is_below(inside, real)) {
            return named + "里面有本软件的工作文件夹“" + text_of(inside) +
                   "”，软件每次启动都要用它。" + refused;
        }
    }
    if (!kept.home.empty() && is_below(real_path(kept.home), real)) {
        return named + "里面有您的主文件夹“" + text_of(real_path(kept.home)) +
               "”。加锁后桌面、各个程序的设置和本软件都将无法使用。" + refused;
    }
    return {};
}

}  // namespace

std::string lock_refusal(const std::string& target, const KeptFolders& kept) {
    std::string shown = target;
    while (shown.size() > 1 && (shown.back() == '/' || shown.back() == sys::path_separator)) {
        shown.pop_back();
    }
    const fs::path real = real_path(target);
    const std::string named = quoted(shown, real);
    std::string refusal = refusal_as_own(real, named, kept);
    if (refusal.empty()) refusal = refusal_as_system(real, named);
    if (refusal.empty()) refusal = refusal_as_above(real, named, kept);
    return refusal;
}

}  // namespace velmora::tools
