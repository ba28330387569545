#include "tools/dir_disguise.h"
#include "sys/error_text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "sys/atomicfile.h"
#include "sys/inifile.h"
#include "sys/sysutil.h"
#include "sys/text_util.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace velmora::tools {

namespace fs = std::filesystem;

namespace {

bool ends_with_separator(const std::string& path) {
    return !path.empty() && (path.back() == sys::path_separator || path.back() == '/');
}

std::string with_separator(std::string path) {
    if (!ends_with_separator(path)) path += sys::path_separator;
    return path;
}

std::string without_separator(std::string path) {
    while (path.size() > 1 && ends_with_separator(path)) path.pop_back();
    return path;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

#ifdef _WIN32
std::wstring wide(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

// attrib +s / -s: the shell honours desktop.ini in system folders only.
bool set_system_attribute(const std::string& folder, bool on, std::string& error) {
    const std::wstring path = wide(without_separator(folder));
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const DWORD wanted = on ? (attributes | FILE_ATTRIBUTE_SYSTEM)
                            : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_SYSTEM));
    if (attributes != INVALID_FILE_ATTRIBUTES && SetFileAttributesW(path.c_str(), wanted)) {
        return true;
    }
    error = "无法更改文件夹“" + folder + "”的属性！";
    return false;
}

void hide_file(const std::string& path) {
    const std::wstring name = wide(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(name.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
    }
}

// Folders keep their access on Windows; nothing to open up.
class OwnerAccess {
public:
    explicit OwnerAccess(const std::string&) {}
    void keep_current_mode() {}
};
#else
std::optional<unsigned> folder_mode(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return std::nullopt;
    return static_cast<unsigned>(info.st_mode) & 07777U;
}

bool set_folder_mode(const std::string& folder, unsigned mode, std::string& error) {
    if (::chmod(without_separator(folder).c_str(), static_cast<mode_t>(mode)) == 0) return true;
    error = "无法更改文件夹“" + folder + "”的权限：" + sys::error_text(errno);
    return false;
}

// A locked folder has no permission bits left, so not even its owner can
// read its desktop.ini. While this lives the owner can; afterwards the
// folder gets its locked mode back unless the caller settled another one.
class OwnerAccess {
public:
    explicit OwnerAccess(std::string folder) : folder_(std::move(folder)) {
        const std::optional<unsigned> mode = folder_mode(folder_);
        opened_ = mode == 0U && ::chmod(folder_.c_str(), S_IRWXU) == 0;
    }
    ~OwnerAccess() {
        if (opened_) ::chmod(folder_.c_str(), 0);
    }
    OwnerAccess(const OwnerAccess&) = delete;
    OwnerAccess& operator=(const OwnerAccess&) = delete;
    void keep_current_mode() { opened_ = false; }

private:
    std::string folder_;
    bool opened_ = false;
};

std::string octal(unsigned mode) {
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + (mode & 7U)));
        mode >>= 3;
    } while (mode != 0);
    return "0" + text;
}
#endif

std::string ini_path(const std::string& target) {
    return with_separator(target) + "desktop.ini";
}

// The file's bytes, nothing when there is none; false when it is there but
// cannot be used.
bool read_ini(const std::string& path, std::optional<std::string>& bytes, std::string& error) {
    sys::ReadFailure failure = sys::ReadFailure::none;
    bytes = sys::read_file(path, desktop_ini::read_limit, &failure);
    if (bytes || failure == sys::ReadFailure::missing) return true;
    error = "无法读取“" + path + "”" +
            (failure == sys::ReadFailure::too_large ? std::string("：文件太大")
                                                    : "：" + sys::error_text(errno));
    return false;
}

std::string read_key(const ini::IniDocument& ini, const char* key) {
    return ini.read(desktop_ini::section, key, "");
}

bool save_ini(const std::string& path, const ini::IniDocument& ini, std::string& error) {
    if (ini.save(path)) return true;
    error = "无法写入“" + path + "”：" + sys::error_text(errno);
    return false;
}

// Puts the file back as it was before a change that could not be finished.
void put_back(const std::string& path, const std::optional<std::string>& bytes) {
    if (bytes) {
        sys::write_file_atomic(path, *bytes);
    } else {
        sys::remove_file(path);
    }
}

ini::IniDocument disguised_ini(const std::optional<std::string>& bytes, std::string_view clsid,
                               std::string_view stored_password) {
    // A new desktop.ini starts as the bare section line, so the keys follow
    // it in the order they are written.
    ini::IniDocument ini = ini::IniDocument::from_bytes(bytes ? *bytes : "[.ShellClassInfo]");
    const std::string old_clsid = read_key(ini, desktop_ini::clsid);
    const std::string backup = read_key(ini, desktop_ini::clsid_backup);
    ini.write(desktop_ini::section, desktop_ini::clsid, clsid);
    if (sys::trimmed(backup).empty()) {
        ini.write(desktop_ini::section, desktop_ini::clsid_backup, old_clsid);
    }
    ini.write(desktop_ini::section, desktop_ini::mark, desktop_ini::mark_value);
    ini.write(desktop_ini::section, desktop_ini::password, stored_password);
    return ini;
}

bool lock_folder(const std::string& target, std::string& error) {
#ifdef _WIN32
    return set_system_attribute(target, true, error);
#else
    return set_folder_mode(target, 0, error);
#endif
}

struct RestoreState {
    bool disguised = false;
    bool locked = false;  // no permission bits left when the state was read
    std::string password;
    std::string mode;
    std::optional<std::string> bytes;
};

bool read_state(const std::string& target, RestoreState& state, std::string& error) {
#ifndef _WIN32
    state.locked = folder_mode(target) == 0U;
#endif
    OwnerAccess access(target);
    if (!read_ini(ini_path(target), state.bytes, error)) return false;
    if (!state.bytes) return true;
    const auto ini = ini::IniDocument::from_bytes(*state.bytes);
    state.disguised = !sys::trimmed(read_key(ini, desktop_ini::mark)).empty();
    state.password = read_key(ini, desktop_ini::password);
    state.mode = read_key(ini, desktop_ini::mode);
    return true;
}

bool unlock_folder(const std::string& target, const RestoreState& state, std::string& error) {
#ifdef _WIN32
    (void)state;
    return set_system_attribute(target, false, error);
#else
    std::optional<unsigned> mode = parse_folder_mode(state.mode);
    // Without a usable remembered mode a locked folder still must not stay
    // shut to its owner; an unlocked one is left as it is.
    if (!mode && state.locked) mode = fallback_folder_mode;
    return !mode || set_folder_mode(target, *mode, error);
#endif
}

bool apply_restore(const std::string& target, const RestoreState& state,
                   const std::string& kept_password, std::string& error) {
    OwnerAccess access(target);
    auto ini = ini::IniDocument::from_bytes(*state.bytes);
    ini.write(desktop_ini::section, desktop_ini::clsid, "");
    ini.write(desktop_ini::section, desktop_ini::mark, "");
    if (kept_password != state.password) {
        ini.write(desktop_ini::section, desktop_ini::password, kept_password);
    }
    const std::string path = ini_path(target);
    if (!save_ini(path, ini, error)) return false;
    if (!unlock_folder(target, state, error)) {
        put_back(path, state.bytes);
        return false;
    }
    access.keep_current_mode();
    return true;
}

}  // namespace

std::string target_folder(const std::string& current_folder, const std::string& entry_name) {
    std::string target = with_separator(current_folder);
    if (!entry_name.empty()) target += with_separator(entry_name);
    return target;
}

bool is_folder(const std::string& target) {
    std::error_code ignored;
    return fs::is_directory(fs::path(without_separator(target)), ignored);
}

std::string entry_caption(const FolderEntry& entry) {
    return entry.is_folder ? "[" + entry.name + "]" : entry.name;
}

std::vector<FolderEntry> list_entries(const std::string& folder, bool with_files,
                                      std::size_t limit) {
    std::vector<FolderEntry> entries;
    std::error_code failure;
    for (fs::directory_iterator it(fs::path(folder), failure), end; !failure && it != end;
         it.increment(failure)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.') continue;
        std::error_code ignored;
        const bool is_folder = it->is_directory(ignored);
        if (!is_folder && !with_files) continue;
        entries.push_back({std::move(name), is_folder});
        if (entries.size() >= limit) break;
    }
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (a.is_folder != b.is_folder) return a.is_folder;
        return lower(a.name) < lower(b.name);
    });
    return entries;
}

std::vector<std::string> folder_chain(const std::string& folder) {
    std::vector<std::string> chain;
    const fs::path path = fs::path(folder).lexically_normal();
    fs::path walked;
    for (const fs::path& part : path) {
        if (part.empty()) continue;
        walked /= part;
        const std::string text = walked.string();
        if (chain.empty() || text != without_separator(chain.back())) {
            chain.push_back(with_separator(text));
        }
    }
    return chain;
}

std::optional<unsigned> parse_folder_mode(std::string_view text) {
    const std::string digits = sys::trimmed(text);
    if (digits.empty() || digits.size() > 6) return std::nullopt;
    unsigned mode = 0;
    for (char c : digits) {
        if (c < '0' || c > '7') return std::nullopt;
        mode = mode * 8 + static_cast<unsigned>(c - '0');
    }
    if (mode > 07777U) return std::nullopt;
    return mode;
}

bool is_disguised(const std::string& target) {
    RestoreState state;
    std::string ignored;
    return read_state(target, state, ignored) && state.disguised;
}

int dir_hide(const std::string& target, std::string_view clsid, std::string_view stored_password,
             const KeptFolders& kept, std::string& error) {
    if (!is_folder(target)) {
        error = not_a_folder_message(target);
        return 0;
    }
    error = lock_refusal(target, kept);
    if (!error.empty()) return 0;
#ifndef _WIN32
    // Taken before anything changes, so it is the mode a restore gives back.
    const std::string mode = octal(folder_mode(target).value_or(0700));
#endif
    OwnerAccess access(target);
    const std::string path = ini_path(target);
    std::optional<std::string> bytes;
    if (!read_ini(path, bytes, error)) return 0;
    ini::IniDocument ini = disguised_ini(bytes, clsid, stored_password);
#ifndef _WIN32
    ini.write(desktop_ini::section, desktop_ini::mode, mode);
#endif
    if (!save_ini(path, ini, error)) return 0;
#ifdef _WIN32
    if (!bytes) hide_file(path);
#endif
    if (!lock_folder(target, error)) {
        put_back(path, bytes);
        return 0;
    }
    access.keep_current_mode();
    return 1;
}

RestoreCode dir_restore(const std::string& target, const PasswordAsker& ask,
                        std::string& kept_password, std::string& error) {
    RestoreState state;
    if (!read_state(target, state, error)) return RestoreCode::failed;
    if (!state.disguised) return RestoreCode::not_disguised;
    kept_password = state.password;
    if (!sys::trimmed(state.password).empty()) {
        const std::optional<std::string> entered = ask();
        if (!entered) return RestoreCode::cancelled;
        if (!password_matches(state.password, *entered)) return RestoreCode::wrong_password;
        // A password an older version kept in plain text is stored as a
        // verifier from now on.
        if (!is_password_verifier(state.password)) {
            kept_password = make_password_verifier(state.password);
        }
    }
    if (!apply_restore(target, state, kept_password, error)) return RestoreCode::failed;
    return RestoreCode::done;
}

}  // namespace velmora::tools
