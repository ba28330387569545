// The Windows side of the system helpers, run under Wine on the build
// machines. Elevation and power-off are left to the decision tests with the
// fake platform; nothing here prompts, starts or shuts anything down.
#include <windows.h>
// These need the types of windows.h.
#include <sddl.h>
#include <winioctl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

#include "sys/atomicfile.h"
#include "sys/platform.h"
#include "sys/sysutil.h"
#include "sys/win32/wide.h"
#include "temp_folder.h"

using namespace velmora::sys;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using velmora::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

bool running_under_wine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool is_reparse_point(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// --- Folder links ----------------------------------------------------------

struct MountPointReparseBuffer {
    DWORD tag;
    WORD data_length;
    WORD reserved;
    WORD substitute_offset;
    WORD substitute_length;
    WORD print_offset;
    WORD print_length;
    wchar_t names[512];
};

bool make_junction(const fs::path& link, const fs::path& target) {
    if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
    HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const std::wstring substitute = L"\\??\\" + target.wstring();
    MountPointReparseBuffer buffer{};
    buffer.tag = IO_REPARSE_TAG_MOUNT_POINT;
    buffer.substitute_length = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    buffer.print_offset = static_cast<WORD>(buffer.substitute_length + sizeof(wchar_t));
    std::memcpy(buffer.names, substitute.c_str(), buffer.substitute_length);
    buffer.data_length = static_cast<WORD>(8 + buffer.print_offset + sizeof(wchar_t));
    DWORD returned = 0;
    const bool made = handle != INVALID_HANDLE_VALUE &&
                      DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, &buffer,
                                      buffer.data_length + 8u, nullptr, 0, &returned, nullptr);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (!made) RemoveDirectoryW(link.c_str());
    return made && is_reparse_point(link);
}

using UnixNameOf = char*(CDECL*)(const wchar_t*);
using DosNameOf = wchar_t*(CDECL*)(const char*);

// A function that only Wine's kernel32 exports, or null elsewhere.
template <typename Function>
Function wine_function(const char* name) {
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

std::string unix_name(const fs::path& path) {
    auto convert = wine_function<UnixNameOf>("wine_get_unix_file_name");
    char* name = convert ? convert(path.c_str()) : nullptr;
    std::string result = name ? name : "";
    if (name) HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Wine starts host programs too. Such a program cannot be waited for, so
// callers poll for its effect.
bool start_host_program(const char* program, const std::vector<std::string>& arguments) {
    auto dos_name_of = wine_function<DosNameOf>("wine_get_dos_file_name");
    wchar_t* dos_name = dos_name_of ? dos_name_of(program) : nullptr;
    if (!dos_name) return false;
    std::wstring command = fs::path(program).filename().wstring();
    for (const std::string& argument : arguments)
        command += L" \"" + fs::path(argument).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(dos_name, command.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    HeapFree(GetProcessHeap(), 0, dos_name);
    if (!started) return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

template <typename Condition>
bool wait_until(Condition condition) {
    for (int i = 0; i < 500 && !condition(); ++i) Sleep(10);
    return condition();
}

bool is_gone(const fs::path& path) {
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string unix_link_name(const fs::path& link) {
    return unix_name(link.parent_path()) + "/" + link.filename().string();
}

// A folder link for the length of one test: a junction, or under Wine (which
// makes no junctions, and whose CreateSymbolicLinkW answers success without
// making anything) a host link, which Wine shows as a reparse point. The link
// goes before the test's folders do: the library's remove_all would loop on
// a host link that Wine cannot remove.
class FolderLink {
public:
    FolderLink(const fs::path& link, const fs::path& target) : link_(link) {
        made_ = make_junction(link, target) || (running_under_wine() && make_host_link(target));
    }
    ~FolderLink() {
        if (is_gone(link_) || RemoveDirectoryW(link_.c_str()) || !running_under_wine()) return;
        if (start_host_program("/bin/rm", {unix_link_name(link_)})) {
            wait_until([this] { return is_gone(link_); });
        }
    }
    FolderLink(const FolderLink&) = delete;
    FolderLink& operator=(const FolderLink&) = delete;

    bool made() const { return made_; }

private:
    bool make_host_link(const fs::path& target) {
        return start_host_program("/bin/ln", {"-s", unix_name(target), unix_link_name(link_)}) &&
               wait_until([this] { return is_reparse_point(link_); });
    }

    fs::path link_;
    bool made_ = false;
};

// --- Other helpers ------------------------------------------------------------

class RecordedMessages {
public:
    RecordedMessages() {
        set_message_sink([this](const std::string& text, const std::string& caption) {
            messages.emplace_back(text, caption);
        });
    }
    ~RecordedMessages() { set_message_sink(nullptr); }
    std::vector<std::pair<std::string, std::string>> messages;
};

std::vector<std::string> token_group_sids() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    std::vector<std::string> sids;
    if (GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) {
        const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
        for (DWORD i = 0; i < groups->GroupCount; ++i) {
            char* text = nullptr;
            if (!ConvertSidToStringSidA(groups->Groups[i].Sid, &text)) continue;
            sids.push_back(text);
            LocalFree(text);
        }
    }
    CloseHandle(token);
    return sids;
}

bool shutdown_privilege_enabled() {
    HANDLE token = nullptr;
    LUID shutdown{};
    if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown) ||
        !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
            if (entry.Luid.LowPart == shutdown.LowPart &&
                entry.Luid.HighPart == shutdown.HighPart) {
                enabled = entry.Attributes & SE_PRIVILEGE_ENABLED;
            }
        }
    }
    CloseHandle(token);
    return enabled;
}

// A value of the shell-folder key, there for the life of one test.
class ShellFolderValue {
public:
    ShellFolderValue(const wchar_t* name, const std::wstring& value) : name_(name) {
        RegCreateKeyExW(HKEY_CURRENT_USER, key_path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_,
                        nullptr);
        RegSetValueExW(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    ~ShellFolderValue() {
        RegDeleteValueW(key_, name_);
        RegCloseKey(key_);
    }

private:
    static constexpr const wchar_t* key_path =
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const wchar_t* name_;
    HKEY key_ = nullptr;
};

std::size_t entry_count(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// --- Folder paths -------------------------------------------------------------

TEST(FolderPaths, ProgramDirIsTheFolderOfTheRunningTestProgram) {
    const std::string dir = program_dir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_TRUE(file_exists(dir + "sys_tests.exe"));
}

TEST(FolderPaths, TempDirEndsWithABackslashAndTakesFiles) {
    const std::string dir = system_temp_dir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '\\');
    EXPECT_NE(dir.substr(0, dir.size() - 1).back(), '\\');
    EXPECT_TRUE(folder_exists(dir));
    const std::string probe = temp_file_name();
    ASSERT_TRUE(write_file_atomic(probe, "x"));
    EXPECT_TRUE(remove_file(probe));
}

TEST(FolderPaths, TempNamesAreUniqueAndLeaveNoFileBehind) {
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        const std::string name = temp_file_name();
        EXPECT_TRUE(name.starts_with(system_temp_dir())) << name;
        EXPECT_TRUE(name.ends_with(".tmp")) << name;
        EXPECT_EQ(path_parent(name) + "\\", system_temp_dir());
        EXPECT_FALSE(fs::exists(name)) << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
}

TEST(FolderPaths, StagingFolderIsAFreshNameInsideTheWorkFolder) {
    const std::string work = system_temp_dir() + "zenqplumora\\";
    const std::string staging = staging_folder();
    EXPECT_TRUE(folder_exists(work));
    ASSERT_TRUE(staging.starts_with(work)) << staging;
    EXPECT_EQ(staging.back(), '\\');
    const std::string unique = staging.substr(work.size(), staging.size() - work.size() - 1);
    EXPECT_FALSE(unique.empty());
    EXPECT_EQ(unique.find_first_not_of("0123456789ABCDEFabcdef"), std::string::npos) << unique;
    EXPECT_FALSE(folder_exists(staging));
    EXPECT_NE(staging_folder(), staging);
}

// --- Folder trees -------------------------------------------------------------

TEST(EmptyFolder, RemovesFilesAndFoldersButKeepsDotFolders) {
    TempFolder root;
    root.write("work\\file.txt", "x");
    root.write("work\\sub\\inner.txt", "y");
    root.write("work\\sub\\deeper\\deepest.txt", "y");
    root.write("work\\.keep\\kept.txt", "z");
    root.write("work\\hidden.txt", "h");
    SetFileAttributesW((root.path() / "work\\hidden.txt").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    empty_folder(root.file("work"));
    EXPECT_TRUE(fs::is_directory(root.path() / "work"));
    EXPECT_EQ(entry_count(root.path() / "work"), 1u);
    EXPECT_EQ(root.read("work\\.keep\\kept.txt"), "z");
}

TEST(EmptyFolder, LeavesAReadOnlyFileAndItsFolderQuietly) {
    TempFolder root;
    root.write("work\\locked\\ro.txt", "r");
    root.write("work\\locked\\plain.txt", "p");
    SetFileAttributesW((root.path() / "work\\locked\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_NO_THROW(empty_folder(root.file("work") + "\\"));
    EXPECT_EQ(root.read("work\\locked\\ro.txt"), "r");
    EXPECT_FALSE(fs::exists(root.path() / "work\\locked\\plain.txt"));
    SetFileAttributesW((root.path() / "work\\locked\\ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(EmptyFolder, NeverEntersALinkedFolder) {
    TempFolder root;
    root.write("outside\\precious.txt", "keep me");
    root.write("work\\a.txt", "x");
    FolderLink link(root.path() / "work\\link", root.path() / "outside");
    if (!link.made()) {
        GTEST_SKIP() << "this system makes no folder links";
    }
    empty_folder(root.file("work"));
    EXPECT_EQ(root.read("outside\\precious.txt"), "keep me");
    EXPECT_FALSE(fs::exists(root.path() / "work\\a.txt"));
    // Wine cannot remove a host link through the Windows calls; Windows
    // removes the junction or link itself.
    if (!running_under_wine()) {
        EXPECT_FALSE(is_reparse_point(root.path() / "work\\link"));
    }
}

TEST(EmptyFolder, ALinkGivenAsTheFolderItselfIsNotEntered) {
    TempFolder root;
    root.write("outside\\precious.txt", "keep me");
    FolderLink link(root.path() / "work", root.path() / "outside");
    if (!link.made()) {
        GTEST_SKIP() << "this system makes no folder links";
    }
    empty_folder(root.file("work"));
    remove_folder_tree(root.file("work") + "\\");
    EXPECT_EQ(root.read("outside\\precious.txt"), "keep me");
}

TEST(RemoveFolderTree, RemovesEmptyFoldersAndKeepsTheChainToAFile) {
    TempFolder root;
    fs::create_directories(root.path() / "t\\empty\\deeper");
    root.write("t\\full\\mid\\f.txt", "x");
    fs::create_directories(root.path() / "t\\.dot\\inner");
    remove_folder_tree(root.file("t"));
    EXPECT_FALSE(fs::exists(root.path() / "t\\empty"));
    EXPECT_EQ(root.read("t\\full\\mid\\f.txt"), "x");
    EXPECT_TRUE(fs::exists(root.path() / "t\\.dot\\inner"));

    fs::create_directories(root.path() / "u\\a\\b");
    remove_folder_tree(root.file("u") + "\\");
    EXPECT_FALSE(fs::exists(root.path() / "u"));
}

TEST(ListFolder, ListsDirectEntriesOnceAndAppends) {
    TempFolder root;
    root.write("l\\a.txt", "1");
    root.write("l\\.hidden", "2");
    root.write("l\\sub\\deep.txt", "3");
    SetFileAttributesW((root.path() / "l\\.hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::string base = root.file("l");
    std::vector<std::string> list{"kept"};
    list_folder(base + "\\", list);
    EXPECT_THAT(list,
                UnorderedElementsAre("kept", base + "\\a.txt", base + "\\.hidden", base + "\\sub"));
}

TEST(ListFolder, RaisesWhenTheFolderCannotBeEntered) {
    TempFolder root;
    root.write("plain.txt", "1");
    std::vector<std::string> list;
    EXPECT_THROW(list_folder(root.file("missing"), list), std::system_error);
    EXPECT_THROW(list_folder(root.file("plain.txt"), list), std::system_error);
    EXPECT_TRUE(list.empty());
}

// --- Files --------------------------------------------------------------------

TEST(AtomicWrite, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.file("s.kxi");
    const std::string binary("a\r\nb\0c\n\x1A", 8);
    ASSERT_TRUE(write_file_atomic(path, "old"));
    ASSERT_TRUE(write_file_atomic(path, binary, false));
    EXPECT_EQ(read_file(path), binary);
    EXPECT_EQ(entry_count(folder.path()), 1u);
    const std::string large(300000, 'L');
    ASSERT_TRUE(write_file_atomic(path, large));
    EXPECT_EQ(read_file(path), large);
}

TEST(AtomicWrite, ARefusedReplacementLeavesNoTemporaryFileBehind) {
    TempFolder folder;
    ASSERT_TRUE(make_folder(folder.file("taken")));
    folder.write("taken\\inner.txt", "i");
    // A folder of the target's name cannot be replaced by a file.
    EXPECT_FALSE(write_file_atomic(folder.file("taken"), "new"));
    EXPECT_EQ(folder.read("taken\\inner.txt"), "i");
    EXPECT_EQ(entry_count(folder.path()), 1u);
    EXPECT_FALSE(write_file_atomic(folder.file("missing\\s.kxi"), "x"));
    EXPECT_EQ(entry_count(folder.path()), 1u);
}

TEST(ReadFile, RefusesPipesAndDevicesWithoutWaiting) {
    // Nobody ever writes into the pipe: a read of it would wait for ever.
    const std::string name =
        "\\\\.\\pipe\\velmora-read-test-" + std::to_string(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(win32::to_wide(name).c_str(), PIPE_ACCESS_OUTBOUND,
                                   PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    ReadFailure failure = ReadFailure::none;
    EXPECT_FALSE(read_file(name, default_read_limit, &failure).has_value());
    EXPECT_EQ(failure, ReadFailure::not_regular);
    CloseHandle(pipe);
    for (const char* device : {"NUL", "nul.txt", "C:\\windows\\Con", "com1.log", "LPT9"}) {
        failure = ReadFailure::none;
        EXPECT_FALSE(read_file(device, default_read_limit, &failure).has_value()) << device;
        EXPECT_EQ(failure, ReadFailure::not_regular) << device;
    }
}

TEST(Files, ExistenceTellsFilesFromFoldersAndNamesAreUtf8) {
    TempFolder folder;
    const std::string chinese = folder.file("l") + "\\进行中.ini";
    ASSERT_TRUE(make_folder(folder.file("l")));
    EXPECT_FALSE(make_folder(folder.file("l")));
    EXPECT_FALSE(make_folder(folder.file("x\\y")));
    ASSERT_TRUE(write_file_atomic(chinese, "k"));
    EXPECT_TRUE(file_exists(chinese));
    EXPECT_FALSE(folder_exists(chinese));
    EXPECT_TRUE(folder_exists(folder.file("l")));
    EXPECT_FALSE(file_exists(folder.file("l")));
    std::vector<std::string> list;
    list_folder(folder.file("l"), list);
    EXPECT_THAT(list, ElementsAre(chinese));
    EXPECT_EQ(read_file(chinese), "k");
    EXPECT_TRUE(remove_file(chinese));
    EXPECT_FALSE(read_file(chinese).has_value());
}

// --- Drives -------------------------------------------------------------------

TEST(Drives, FixedDrivesFollowTheLettersWithTheSystemDriveLast) {
    std::vector<std::string> drives{"first"};
    fixed_drives(drives);
    ASSERT_GE(drives.size(), 2u);
    EXPECT_EQ(drives.front(), "first");
    EXPECT_EQ(drives.back(), "C:\\");
    for (std::size_t i = 1; i + 1 < drives.size(); ++i) {
        ASSERT_EQ(drives[i].size(), 3u);
        EXPECT_EQ(drives[i].substr(1), ":\\");
        EXPECT_GE(drives[i][0], 'D');
        if (i > 1) {
            EXPECT_LT(drives[i - 1][0], drives[i][0]);
        }
    }
}

TEST(Drives, FreeSpaceIsRealAndAMissingDriveGivesZeroWithoutMessage) {
    RecordedMessages recorded;
    EXPECT_GT(disk_free("C:\\"), 0u);
    EXPECT_GT(disk_free("C:\\no\\such\\folder"), 0u);
    wchar_t missing = 0;
    for (wchar_t letter = L'Y'; letter > L'C' && !missing; --letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        if (GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR) missing = letter;
    }
    ASSERT_NE(missing, 0);
    EXPECT_EQ(disk_free(std::string(1, static_cast<char>(missing)) + ":\\x"), 0u);
    EXPECT_EQ(disk_free(""), 0u);
    EXPECT_TRUE(recorded.messages.empty());
}

// --- Registry, rights, version, messages --------------------------------------

TEST(ShellFolders, AnswerTheRegistryValueWithABackslash) {
    ShellFolderValue value(L"VelmoraTestFolder", L"C:\\Users\\Tester\\桌面");
    EXPECT_EQ(shell_folder("VelmoraTestFolder"), "C:\\Users\\Tester\\桌面\\");
    EXPECT_EQ(shell_folder("VelmoraNoSuchFolder"), "\\");
}

TEST(Rights, AdminMeansTheAdministratorsGroupIsInTheToken) {
    const std::vector<std::string> sids = token_group_sids();
    ASSERT_FALSE(sids.empty());
    const bool listed = std::find(sids.begin(), sids.end(), "S-1-5-32-544") != sids.end();
    EXPECT_EQ(is_admin(), listed);
    EXPECT_EQ(native_platform().is_admin(), listed);
}

TEST(Rights, ShutdownPrivilegeIsEnabledExactlyWhenGranted) {
    Platform& platform = native_platform();
    EXPECT_TRUE(platform.is_nt_family());
    const bool granted = platform.enable_shutdown_privilege();
    EXPECT_EQ(granted, shutdown_privilege_enabled());
}

TEST(Version, EverySystemThisBuildRunsOnIsNewerThanTheNamedOnes) {
    EXPECT_EQ(os_version_name(), "osUnknown");
}

TEST(Messages, GoToTheInstalledSinkInsteadOfABox) {
    RecordedMessages recorded;
    native_platform().show_message("正文", "标题");
    show_native_message("text", "");
    EXPECT_THAT(recorded.messages, ElementsAre(std::pair<std::string, std::string>("正文", "标题"),
                                               std::pair<std::string, std::string>("text", "")));
}

// The export writer's target check: devices by their reserved names and a
// file with a second hard link are refused and left as they were.
TEST(WriteToTarget, RefusesDevicesAndHardLinkedFiles) {
    for (const char* device : {"NUL", "nul.txt", "CON", "com1.log"}) {
        EXPECT_EQ(inspect_write_target(device), WriteTarget::device) << device;
        const TargetWrite written = write_to_target(device, "export");
        EXPECT_TRUE(written.refused) << device;
        EXPECT_FALSE(written.written) << device;
    }
    TempFolder folder;
    folder.write("linked.txt", "linked");
    ASSERT_TRUE(CreateHardLinkW((folder.path() / "other.txt").c_str(),
                                (folder.path() / "linked.txt").c_str(), nullptr));
    EXPECT_EQ(inspect_write_target(folder.file("linked.txt")), WriteTarget::hard_linked);
    EXPECT_TRUE(write_to_target(folder.file("linked.txt"), "export").refused);
    EXPECT_EQ(folder.read("linked.txt"), "linked");
    EXPECT_EQ(folder.read("other.txt"), "linked");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

// A symbolic link to a file is refused, and the file it points to kept.
// (Wine makes no such link, and shows a host link to a file as a plain
// file: there the test has nothing to check.)
TEST(WriteToTarget, RefusesASymbolicLinkToAFile) {
    TempFolder folder;
    folder.write("real.txt", "real");
    const fs::path link = folder.path() / "link.txt";
    if (!CreateSymbolicLinkW(link.c_str(), (folder.path() / "real.txt").c_str(), 0) ||
        !is_reparse_point(link)) {
        DeleteFileW(link.c_str());
        GTEST_SKIP() << "no symbolic link to a file can be made here";
    }
    EXPECT_EQ(inspect_write_target(link.string()), WriteTarget::symbolic_link);
    EXPECT_TRUE(write_to_target(link.string(), "export").refused);
    EXPECT_EQ(folder.read("real.txt"), "real");
    EXPECT_TRUE(is_reparse_point(link));
    DeleteFileW(link.c_str());
}

}  // namespace
