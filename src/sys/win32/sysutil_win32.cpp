// System helpers on Windows: the wide system calls behind the UTF-8
// interface of sysutil.h and platform.h.
#include <windows.h>
// The shell header needs the types of windows.h.
#include <shellapi.h>

#include <cwchar>
#include <exception>
#include <mutex>
#include <set>
#include <system_error>

#include "sys/platform.h"
#include "sys/sysutil.h"
#include "sys/win32/wide.h"

namespace velmora::sys {

namespace {

using win32::to_utf8;
using win32::to_wide;

std::wstring with_backslash(std::wstring path) {
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path;
}

std::wstring module_file_name() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return {};
        if (length < size) return buffer.substr(0, length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring wide_temp_dir() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    return with_backslash(std::wstring(buffer, length));
}

// Creates a new empty temporary file in `folder`; answers its path, or ""
// when the system refused.
std::wstring new_temp_file(const std::wstring& folder) {
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(folder.c_str(), L"", 0, name) == 0) return {};
    return name;
}

constexpr std::size_t max_held_temp_files = 64;

std::mutex& temp_names_mutex() {
    static std::mutex mutex;
    return mutex;
}

std::set<std::wstring>& answered_temp_names() {
    static std::set<std::wstring> names;
    return names;
}

// A new temporary file whose name this run has not answered before. The
// system numbers its names from the clock and skips only names whose file
// exists, so within one clock tick it would answer a deleted name again; a
// repeated name therefore stays on disk while the next one is asked for.
std::wstring unanswered_temp_file(const std::wstring& folder) {
    std::lock_guard lock(temp_names_mutex());
    std::vector<std::wstring> held;
    std::wstring name = new_temp_file(folder);
    while (!name.empty() && !answered_temp_names().insert(name).second &&
           held.size() < max_held_temp_files) {
        held.push_back(name);
        name = new_temp_file(folder);
    }
    for (const std::wstring& file : held) DeleteFileW(file.c_str());
    return name;
}

// --- Token groups -------------------------------------------------------------

// The thread's own token when it impersonates, else the process's token.
HANDLE open_own_token() {
    HANDLE token = nullptr;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) return token;
    if (GetLastError() != ERROR_NO_TOKEN) return nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return token;
    return nullptr;
}

// Any entry counts, whatever its attributes: an Administrators entry that a
// restricted token marks "deny only" still says the user is an administrator.
bool groups_hold(const TOKEN_GROUPS& groups, PSID sid) {
    for (DWORD i = 0; i < groups.GroupCount; ++i) {
        if (EqualSid(groups.Groups[i].Sid, sid)) return true;
    }
    return false;
}

bool token_holds_administrators() {
    HANDLE token = open_own_token();
    if (!token) return false;
    alignas(TOKEN_GROUPS) unsigned char buffer[1024];
    DWORD size = 0;
    const bool read = GetTokenInformation(token, TokenGroups, buffer, sizeof buffer, &size);
    CloseHandle(token);
    if (!read) return false;
    SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    const bool found = groups_hold(*reinterpret_cast<const TOKEN_GROUPS*>(buffer), administrators);
    FreeSid(administrators);
    return found;
}

OSVERSIONINFOW version_record() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExW(&info);
    return info;
}

// --- Folder trees ---------------------------------------------------------------

struct FolderEntry {
    std::wstring name;
    DWORD attributes;

    bool is_link() const { return attributes & FILE_ATTRIBUTE_REPARSE_POINT; }
    bool is_folder() const { return attributes & FILE_ATTRIBUTE_DIRECTORY; }
    bool is_dot_folder() const { return is_folder() && name.front() == L'.'; }
};

bool is_self_or_parent(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Every entry but "." and "..", hidden and system ones included. Answers
// false with the system's error when the folder cannot be read.
bool read_entries(const std::wstring& folder, std::vector<FolderEntry>& entries, DWORD& error) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND;  // a drive root with nothing on it
    }
    do {
        if (!is_self_or_parent(data.cFileName)) {
            entries.push_back({data.cFileName, data.dwFileAttributes});
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

std::vector<FolderEntry> entries_of(const std::wstring& folder) {
    std::vector<FolderEntry> entries;
    DWORD ignored = 0;
    read_entries(folder, entries, ignored);
    return entries;
}

[[noreturn]] void throw_system_error(DWORD error, const std::string& what) {
    throw std::system_error(static_cast<int>(error), std::system_category(), what);
}

// The entries list_folder answers; throws when the folder cannot be entered.
std::vector<FolderEntry> entries_to_list(const std::string& folder) {
    const std::wstring wide = to_wide(folder);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw_system_error(GetLastError(), folder);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) throw_system_error(ERROR_DIRECTORY, folder);
    std::vector<FolderEntry> entries;
    DWORD error = 0;
    if (!read_entries(wide + L'\\', entries, error)) throw_system_error(error, folder);
    return entries;
}

// A junction or symbolic link goes as an entry of its own; what it points at
// is never entered, so emptying a folder never reaches outside it.
void remove_link(const std::wstring& path, const FolderEntry& entry) {
    if (entry.is_folder()) {
        RemoveDirectoryW(path.c_str());
    } else {
        DeleteFileW(path.c_str());
    }
}

// A real folder (not a link to one) that the tree functions may work in.
// `folder` ends in "\\"; the name without it is looked at, since through a
// trailing separator the system shows the target of a link.
bool is_plain_folder(const std::wstring& folder) {
    const bool drive_root = folder.size() == 3 && folder[1] == L':';
    const std::wstring name = drive_root ? folder : folder.substr(0, folder.size() - 1);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// `folder` ends in "\". Removes the subfolders that hold no files, then the
// folder itself when it is empty; files stay, and so does their chain.
void remove_tree_at(const std::wstring& folder) {
    for (const FolderEntry& entry : entries_of(folder)) {
        const std::wstring path = folder + entry.name;
        if (entry.is_link()) {
            remove_link(path, entry);
        } else if (entry.is_folder() && !entry.is_dot_folder()) {
            remove_tree_at(path + L'\\');
        }
    }
    RemoveDirectoryW(folder.c_str());
}

void empty_at(const std::wstring& folder) {
    for (const FolderEntry& entry : entries_of(folder)) {
        const std::wstring path = folder + entry.name;
        if (entry.is_link()) {
            remove_link(path, entry);
        } else if (entry.is_dot_folder()) {
            continue;
        } else if (entry.is_folder()) {
            empty_at(path + L'\\');
            remove_tree_at(path + L'\\');
        } else {
            DeleteFileW(path.c_str());  // a read-only file stays, silently
        }
    }
}

// --- Drives ---------------------------------------------------------------------

bool is_fixed_drive(char letter) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_FIXED;
}

bool has_free_space_query(UINT drive_type) {
    return drive_type == DRIVE_REMOVABLE || drive_type == DRIVE_FIXED ||
           drive_type == DRIVE_REMOTE || drive_type == DRIVE_CDROM;
}

std::uint64_t free_bytes_on(const std::string& path) {
    if (path.size() < 2) return 0;  // names no drive
    const std::wstring root = to_wide(path.substr(0, 2)) + L'\\';
    if (!has_free_space_query(GetDriveTypeW(root.c_str()))) return 0;
    ULARGE_INTEGER free_to_caller{};
    if (!GetDiskFreeSpaceExW(root.c_str(), &free_to_caller, nullptr, nullptr)) return 0;
    return free_to_caller.QuadPart;
}

// --- Platform -------------------------------------------------------------------

// SEE_MASK_NOASYNC (the start is handed over before the call returns) and
// SEE_MASK_FLAG_NO_UI (the shell shows no error box of its own).
constexpr ULONG elevated_start_mask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
static_assert(elevated_start_mask == 0x500);

bool start_elevated(const ShellStart& start, int& error_code) {
    const std::wstring file = to_wide(start.file);
    const std::wstring parameters = to_wide(start.parameters);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = elevated_start_mask;
    info.hwnd = reinterpret_cast<HWND>(start.window);
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) return true;
    error_code = static_cast<int>(GetLastError());
    return false;
}

bool start_with_verb(const ShellStart& start, int& error_code) {
    HINSTANCE result = ShellExecuteW(reinterpret_cast<HWND>(start.window),
                                     to_wide(start.verb).c_str(), to_wide(start.file).c_str(),
                                     to_wide(start.parameters).c_str(), nullptr, SW_SHOW);
    // Values above 32 mean success; the others are the system's error numbers.
    const auto code = reinterpret_cast<INT_PTR>(result);
    if (code > 32) return true;
    error_code = static_cast<int>(code);
    return false;
}

class Win32Platform final : public Platform {
public:
    bool is_admin() override { return token_holds_administrators(); }

    bool shell_start(const ShellStart& start, int& error_code) override {
        if (start.verb == "runas") return start_elevated(start, error_code);
        return start_with_verb(start, error_code);
    }

    bool open_address(const std::string& address, int& error_code) override {
        return start_with_verb(ShellStart{"open", 0, address, {}}, error_code);
    }

    void show_message(const std::string& text, const std::string& caption) override {
        show_native_message(text, caption);
    }

    bool is_nt_family() override { return version_record().dwPlatformId == VER_PLATFORM_WIN32_NT; }

    bool enable_shutdown_privilege() override;

    void exit_system(unsigned flags) override { ExitWindowsEx(flags, 0); }

    void set_power_state(bool suspend, bool force) override { SetSystemPowerState(suspend, force); }
};

bool Win32Platform::enable_shutdown_privilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled = LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    // AdjustTokenPrivileges also succeeds when the token lacks the privilege;
    // only the last error then tells that nothing was enabled.
    enabled = enabled && AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
              GetLastError() != ERROR_NOT_ALL_ASSIGNED;
    CloseHandle(token);
    return enabled;
}

}  // namespace

std::string program_dir() {
    const std::wstring exe = module_file_name();
    return to_utf8(with_backslash(exe.substr(0, exe.rfind(L'\\') + 1)));
}

std::string system_temp_dir() {
    return to_utf8(wide_temp_dir());
}

std::string temp_file_name() {
    const std::wstring folder = wide_temp_dir();
    if (folder.empty()) return {};
    const std::wstring name = unanswered_temp_file(folder);
    if (!name.empty()) DeleteFileW(name.c_str());
    return to_utf8(name);
}

bool is_admin() {
    return native_platform().is_admin();
}

std::string os_version_name() {
    const OSVERSIONINFOW info = version_record();
    OsPlatform platform = OsPlatform::other;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) platform = OsPlatform::nt;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) platform = OsPlatform::win9x;
    return os_version_name_for(platform, info.dwMajorVersion, info.dwMinorVersion,
                               to_utf8(info.szCSDVersion));
}

std::string shell_folder(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER,
                      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return {};
    }
    const std::wstring value_name = to_wide(name);
    const DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD size = 0;
    LSTATUS status = RegGetValueW(key, nullptr, value_name.c_str(), types, nullptr, nullptr, &size);
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (status == ERROR_SUCCESS && size > 0) {
        status =
            RegGetValueW(key, nullptr, value_name.c_str(), types, nullptr, value.data(), &size);
        value.resize(status == ERROR_SUCCESS ? wcslen(value.c_str()) : 0);
    }
    RegCloseKey(key);
    if (status == ERROR_FILE_NOT_FOUND) return "\\";
    return status == ERROR_SUCCESS ? to_utf8(value) + "\\" : std::string();
}

void fixed_drives(std::vector<std::string>& list) {
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        if (is_fixed_drive(letter)) list.push_back({letter, ':', '\\'});
    }
    if (is_fixed_drive('C')) list.push_back("C:\\");
}

std::uint64_t disk_free(const std::string& path) {
    try {
        return free_bytes_on(path);
    } catch (const std::exception& error) {
        show_native_message(std::string("GetDiskInfo") + error.what(), "");
        return 0;
    }
}

void empty_folder(const std::string& path) {
    if (path.empty()) return;
    const std::wstring folder = with_backslash(to_wide(path));
    if (is_plain_folder(folder)) empty_at(folder);
}

void remove_folder_tree(const std::string& path) {
    if (path.empty()) return;
    const std::wstring folder = with_backslash(to_wide(path));
    if (is_plain_folder(folder)) remove_tree_at(folder);
}

void list_folder(const std::string& path, std::vector<std::string>& list) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    for (const FolderEntry& entry : entries_to_list(folder)) {
        list.push_back(folder + '\\' + to_utf8(entry.name));
    }
}

void run_hidden_command(const std::string& command_line) {
    std::wstring line = win32::to_wide(command_line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

Platform& native_platform() {
    static Win32Platform platform;
    return platform;
}

void show_native_message(const std::string& text, const std::string& caption) {
    if (deliver_to_message_sink(text, caption)) return;
    MessageBoxW(nullptr, to_wide(text).c_str(), to_wide(caption).c_str(),
                MB_OK | MB_ICONINFORMATION);
}

}  // namespace velmora::sys
