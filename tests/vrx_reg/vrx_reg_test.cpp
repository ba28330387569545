// The helper that registers the organiser at logon and on the desktop: the
// text of its entries, the dialog's choices, and what it does to a temporary
// home (POSIX) or to a test registry key and desktop folder (Windows).
#ifdef _WIN32
#include <windows.h>
// These need the types of windows.h.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#else
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "sys/inifile.h"
#include "sys/sysutil.h"
#include "sys/textcodec.h"
#include "temp_folder.h"
#ifdef _WIN32
#include "sys/win32/wide.h"
#endif
#include "vrx_reg/entries.h"
#include "vrx_reg/registration.h"

using namespace velmora::vrx_reg;
using velmora::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

fs::path utf8_path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8_of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// --- Reading an entry back as a desktop does ---------------------------------

std::string string_unescaped(std::string_view value) {
    static const std::map<char, char> escapes{
        {'\\', '\\'}, {'n', '\n'}, {'t', '\t'}, {'r', '\r'}, {'s', ' '}};
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const bool escape = value[i] == '\\' && i + 1 < value.size();
        out += escape ? escapes.at(value[++i]) : value[i];
    }
    return out;
}

// The program of an Exec value, read as a desktop reads it: string escapes
// undone, then the quoting, then "%%" (field codes are expanded last). A
// reserved character left bare or a field code fails the test.
std::string exec_program_of(std::string_view exec) {
    const std::string word = string_unescaped(exec);
    std::string quoted_off;
    if (!word.starts_with('"')) {
        EXPECT_EQ(word.find_first_of(" \t\n\"'\\><~|&;$*?#()`"), std::string::npos) << word;
        quoted_off = word;
    }
    for (std::size_t i = 1; word.starts_with('"') && i < word.size() && word[i] != '"'; ++i) {
        EXPECT_TRUE(word[i] != '`' && word[i] != '$') << word;
        if (word[i] == '\\') ++i;
        quoted_off += word[i];
    }
    std::string program;
    for (std::size_t i = 0; i < quoted_off.size(); ++i) {
        program += quoted_off[i];
        if (quoted_off[i] == '%') {
            EXPECT_EQ(quoted_off[++i], '%') << word;
        }
    }
    return program;
}

std::map<std::string, std::string> entry_keys(const std::string& text) {
    std::map<std::string, std::string> keys;
    std::size_t start = text.find("[Desktop Entry]\n");
    EXPECT_EQ(start, 0u);
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        if (line.find('=') != std::string::npos)
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
    return keys;
}

Places sample_places(const std::string& icon = {}) {
    return {"/home/u/my apps/日历/velmora", "/home/u/my apps/日历/", icon, "", ""};
}

// --- Exec values ---------------------------------------------------------------

TEST(ExecValue, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(exec_program("/opt/velmora/velmora"), "/opt/velmora/velmora");
    EXPECT_EQ(exec_program("/opt/my apps/velmora"), "\"/opt/my apps/velmora\"");
    // Inside quotes "$" is escaped, and that backslash again as a string.
    EXPECT_EQ(exec_program("/opt/a$b/velmora"), "\"/opt/a\\\\$b/velmora\"");
    // A literal backslash takes four.
    EXPECT_EQ(exec_program("/opt/a\\b/velmora"), "\"/opt/a\\\\\\\\b/velmora\"");
    EXPECT_EQ(exec_program("/opt/a\"b/velmora"), "\"/opt/a\\\\\"b/velmora\"");
    EXPECT_EQ(exec_program("/opt/100%/velmora"), "/opt/100%%/velmora");
}

TEST(ExecValue, DesktopReadsBackTheSamePath) {
    for (const std::string path :
         {"/opt/velmora", "/a b/velmora", "/a\"b`c$d\\e/velmora", "/50% off/%f/velmora",
          "/t\tn\nr\r/velmora", "/x'y<z>|&;*?#()~/velmora", "/日历 记事/velmora", "/a=b/velmora"}) {
        const std::string exec = exec_program(path);
        EXPECT_EQ(exec.find_first_of("\n\t\r"), std::string::npos) << exec;
        EXPECT_EQ(exec_program_of(exec), path) << exec;
    }
}

TEST(DesktopEntry, KeysOfBothKinds) {
    for (const EntryKind kind : {EntryKind::autostart, EntryKind::launcher}) {
        const Places places = sample_places(kind == EntryKind::launcher ? "/i\\con.png" : "");
        std::string text = desktop_entry_text(kind, places);
        auto keys = entry_keys(text);
        EXPECT_EQ(keys["Type"] + keys["Name"] + keys["Terminal"], "ApplicationVelmorafalse");
        EXPECT_EQ(exec_program_of(keys["Exec"]), places.program);
        EXPECT_EQ(string_unescaped(keys["Path"]), "/home/u/my apps/日历");
        EXPECT_EQ(keys["Categories"], "Office;Calendar;");
        EXPECT_EQ(keys.count("X-GNOME-Autostart-enabled"), kind == EntryKind::autostart);
        EXPECT_EQ(string_unescaped(keys["Icon"]), places.icon);
        EXPECT_TRUE(is_our_entry(text));
        // As a desktop may rewrite it: CRLF, a key added, the marker moved.
        text.erase(text.find(entry_marker), entry_marker.size() + 1);
        const auto ours_with = [&](std::string_view before, std::string_view after) {
            return is_our_entry(text + std::string(before).append(entry_marker).append(after));
        };
        EXPECT_FALSE(is_our_entry(text));
        EXPECT_TRUE(ours_with("Hidden=true\r\n", "\r\n"));
        EXPECT_FALSE(ours_with("[Desktop Action x]\n", ""));
        EXPECT_FALSE(ours_with("# ", ""));
    }
}

TEST(DesktopEntry, OnlyUtf8WithoutStrayControlsFits) {
    EXPECT_TRUE(fits_desktop_entry("/home/用户/a\tb/velmora"));
    EXPECT_FALSE(fits_desktop_entry("/home/\x01/velmora"));
    EXPECT_FALSE(fits_desktop_entry("/home/\xB2\xE2/velmora"));  // GB18030 bytes
    EXPECT_FALSE(fits_desktop_entry("/home/\xE6\x97/velmora"));  // cut short
    EXPECT_FALSE(fits_desktop_entry("/opt/100%/velmora"));       // GLib refuses "%%"
}

// --- The user directories file ------------------------------------------------

TEST(UserDirs, DesktopFolderAsTheShellWouldReadIt) {
    const auto desktop = [](const char* text) { return desktop_from_user_dirs(text, "/home/u/"); };
    EXPECT_EQ(desktop("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"), "/home/u/Desktop");
    EXPECT_EQ(desktop("# c\n XDG_DESKTOP_DIR = \"/srv/d\\\"q/\"\n"), "/srv/d\"q");
    EXPECT_EQ(desktop("XDG_DESKTOP_DIR=\"$HOME/a\"\nXDG_DESKTOP_DIR=\"$HOME/桌面\""),
              "/home/u/桌面");
    EXPECT_EQ(desktop("XDG_DESKTOP_DIR=\"$HOME/\""), "/home/u");
    EXPECT_EQ(desktop_from_user_dirs("XDG_DESKTOP_DIR=\"$HOME/x\"", "/"), "/x");
    // Forms the file may not take.
    for (const char* text :
         {"XDG_DESKTOP_DIR=\"Desktop\"", "XDG_DESKTOP_DIR=\"$HOMEX/d\"", "XDG_DESKTOP_DIR=$HOME/d",
          "XDG_DESKTOP_DIR=\"/open", "XDG_DOWNLOAD_DIR=\"$HOME/d\""}) {
        EXPECT_EQ(desktop(text), std::nullopt) << text;
    }
}

// --- Windows values -------------------------------------------------------------

TEST(WindowsEntries, RunValueAndShortcutsNameOurProgram) {
    EXPECT_TRUE(names_program(run_command("C:\\My Apps\\velmora.exe"), "velmora.exe"));
    EXPECT_TRUE(names_program(" \"D:\\a b\\VELMORA.EXE\" -min", "velmora.exe"));
    EXPECT_FALSE(names_program("C:\\a\\notvelmora.exe", "velmora.exe"));
    EXPECT_FALSE(names_program("\"C:\\velmora.exe\\tool.exe\"", "velmora.exe"));
}

// --- The dialog's choices -----------------------------------------------------------

TEST(Choices, MissingFileMeansBothOnAndTheOptionSectionDecides) {
    TempFolder root;
    const std::string path = utf8_of(root.path() / "zenqset.kxi");
    EXPECT_TRUE(read_choices(path).autorun && read_choices(path).desktop_link);
    root.write("zenqset.kxi", velmora::text::to_gb18030("[ad]\r\nautorun=1\r\n[option]\r\n"
                                                        "note_fontname=宋体\r\nautorun = 0 \r\n"));
    EXPECT_FALSE(read_choices(path).autorun);
    EXPECT_TRUE(read_choices(path).desktop_link);
}

// --- Running the built helper ----------------------------------------------------------

#ifdef _WIN32
constexpr const char* helper_name = "vrx_reg.exe";
#else
constexpr const char* helper_name = "vrx_reg";
#endif

// A copy of the built helper in a folder with a space in its name, with the
// dialog's settings file beside it: the helper registers the organiser of
// that folder.
fs::path helper_copy(const TempFolder& root) {
    const fs::path folder = root.path() / "my prog";
    fs::create_directories(folder);
    fs::copy_file(utf8_path(velmora::sys::program_dir()) / helper_name, folder / helper_name);
    return folder / helper_name;
}

void choose(const fs::path& helper, const std::string& autorun) {
    ASSERT_TRUE(velmora::ini::write_profile_strings(
        utf8_of(helper.parent_path() / settings_file_name), settings_section,
        {{"desktoplink", "0"}, {"autorun", autorun}}));
}

}  // namespace

#ifndef _WIN32

namespace {

std::optional<std::string> saved(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void restore(const char* name, const std::optional<std::string>& value) {
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

// A home of its own whose user directories name a desktop folder with a
// space and Chinese in its name.
class TempHome : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        root.write("home/.config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/桌 面\"\n");
        fs::create_directories(desktop);
        std::string error;
        const std::optional<Places> found = current_places(error);
        ASSERT_TRUE(found) << error;
        places = *found;
        places.program = utf8_of(root.path() / "my prog/velmora");
        places.program_dir = utf8_of(root.path() / "my prog") + "/";
    }
    void TearDown() override {
        restore("HOME", home_before);
        restore("XDG_CONFIG_HOME", config_before);
    }
    std::string autostart_file() const { return home + "/.config/autostart/velmora.desktop"; }
    std::string launcher_file() const { return utf8_of(desktop / "velmora.desktop"); }

    std::optional<std::string> home_before = saved("HOME");
    std::optional<std::string> config_before = saved("XDG_CONFIG_HOME");
    TempFolder root;
    std::string home = utf8_of(root.path() / "home");
    fs::path desktop = root.path() / "home" / utf8_path("桌 面");
    Places places;
};

ino_t inode(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

TEST_F(TempHome, PlacesFollowHomeAndTheUserDirectories) {
    EXPECT_EQ(places.autorun, home + "/.config/autostart/");
    EXPECT_EQ(places.desktop, utf8_of(desktop) + "/");
    std::string error;
    setenv("XDG_CONFIG_HOME", "cfg", 1);  // relative: ignored
    EXPECT_EQ(current_places(error)->autorun, home + "/.config/autostart/");
    setenv("XDG_CONFIG_HOME", root.file("cfg").c_str(), 1);
    EXPECT_EQ(current_places(error)->autorun, root.file("cfg") + "/autostart/");
    EXPECT_EQ(current_places(error)->desktop, home + "/Desktop/");
    // A desktop pointed at the home folder is turned off.
    root.write("cfg/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/\"\n");
    EXPECT_EQ(current_places(error)->desktop, "");
}

TEST_F(TempHome, WritesOnlyChangedEntriesAndRemovesBoth) {
    EXPECT_FALSE(apply(places, {true, true}).failed);
    const ino_t first = inode(autostart_file());
    EXPECT_FALSE(apply(places, {true, true}).failed);
    EXPECT_EQ(inode(autostart_file()), first);
    // The program moved: the entry of the old folder is ours and replaced.
    places.program = utf8_of(root.path() / "moved/velmora");
    EXPECT_FALSE(apply(places, {true, true}).failed);
    EXPECT_EQ(root.read("home/.config/autostart/velmora.desktop"),
              desktop_entry_text(EntryKind::autostart, places));
    EXPECT_EQ(root.read("home/桌 面/velmora.desktop"),
              desktop_entry_text(EntryKind::launcher, places));
    EXPECT_EQ(fs::status(utf8_path(launcher_file())).permissions() & fs::perms::all,
              static_cast<fs::perms>(0755));

    const Report report = apply(places, {false, false});
    EXPECT_FALSE(report.failed) << report.line();
    EXPECT_FALSE(fs::exists(utf8_path(autostart_file())));
    EXPECT_FALSE(fs::exists(utf8_path(launcher_file())));
    EXPECT_TRUE(fs::is_directory(utf8_path(places.autorun)) && fs::is_directory(desktop));
}

TEST_F(TempHome, LeavesEntriesOfTheSameNameThatAreNotOurs) {
    const std::string own = "[Desktop Entry]\nType=Application\nName=Velmora\nExec=velmora\n";
    root.write("home/.config/autostart/velmora.desktop", own);
    fs::create_directory(desktop / "velmora.desktop");
    for (const bool on : {false, true}) {
        const Report report = apply(places, {on, on});
        EXPECT_TRUE(report.failed);
        EXPECT_EQ(report.notes.size(), 2u) << report.line();
        EXPECT_EQ(root.read("home/.config/autostart/velmora.desktop"), own);
        EXPECT_TRUE(fs::is_directory(desktop / "velmora.desktop"));
    }
}

TEST_F(TempHome, MissingDesktopFolderIsNotedAndNotMade) {
    fs::remove(desktop);
    const Report report = apply(places, {false, true});
    EXPECT_FALSE(report.failed);
    EXPECT_NE(report.line().find(utf8_of(desktop)), std::string::npos) << report.line();
    EXPECT_FALSE(fs::exists(desktop));
}

// The helper started as the dialog starts it, in the test's temporary home.
int run_helper(const fs::path& helper) {
    std::string path = helper.string();
    char* argv[] = {path.data(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, path.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(TempHome, TheBuiltHelperRegistersAndUnregistersTheLogonStart) {
    const fs::path helper = helper_copy(root);
    choose(helper, "1");
    ASSERT_EQ(run_helper(helper), 0);
    auto keys = entry_keys(root.read("home/.config/autostart/velmora.desktop"));
    EXPECT_EQ(exec_program_of(keys["Exec"]), (helper.parent_path() / "velmora").string());
    choose(helper, "0");
    EXPECT_EQ(run_helper(helper), 0);
    EXPECT_FALSE(fs::exists(utf8_path(autostart_file())));
}

}  // namespace

#endif

#ifdef _WIN32

namespace {

using velmora::sys::win32::to_wide;

constexpr const wchar_t* tests_key = L"Software\\Velmora tests";

std::optional<std::wstring> run_value(const std::wstring& key) {
    wchar_t text[1024];
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"Velmora", RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

void set_run_value(const std::wstring& key, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Velmora", REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The target and working folder of a shortcut, as the shell reads them.
std::pair<std::wstring, std::wstring> link_facts(const fs::path& file) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t target[MAX_PATH] = L"";
    wchar_t folder[MAX_PATH] = L"";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&persist))) &&
        SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
    }
    if (persist) persist->Release();
    if (link) link->Release();
    CoUninitialize();
    return {target, folder};
}

// A Run key of its own below a test key, and a desktop folder in a
// temporary folder; both are gone after the test.
class TestRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() / "my prog");
        fs::create_directories(root.path() / "desk");
        places.program = utf8_of(root.path() / "my prog" / "velmora.exe");
        places.program_dir = utf8_of(root.path() / "my prog") + "\\";
        places.autorun = "Software\\Velmora tests\\Run " + std::to_string(std::random_device{}());
        places.desktop = utf8_of(root.path() / "desk") + "\\";
        root.write("my prog/velmora.exe", "MZ");
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, key().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, tests_key);  // only when no other test holds a key
    }
    std::wstring key() const { return to_wide(places.autorun); }
    fs::path shortcut() const { return root.path() / "desk" / "Velmora.lnk"; }

    TempFolder root;
    Places places;
};

TEST_F(TestRegistry, RunValueAndShortcutAppearAndDisappear) {
    Report report = apply(places, {true, true});
    EXPECT_FALSE(report.failed) << report.line();
    EXPECT_EQ(run_value(key()), L"\"" + to_wide(places.program) + L"\"");
    const auto [target, folder] = link_facts(shortcut());
    EXPECT_EQ(target, to_wide(places.program));
    EXPECT_EQ(folder, (root.path() / "my prog").wstring());
    report = apply(places, {false, false});
    EXPECT_FALSE(report.failed) << report.line();
    EXPECT_EQ(run_value(key()), std::nullopt);
    EXPECT_FALSE(fs::exists(shortcut()));
    EXPECT_TRUE(fs::is_directory(root.path() / "desk"));
}

TEST_F(TestRegistry, LeavesEntriesOfTheSameNameThatAreNotOurs) {
    set_run_value(key(), L"\"C:\\Tools\\other.exe\"");
    root.write("desk/Velmora.lnk", "not a shell link");
    for (const bool on : {false, true}) {
        const Report report = apply(places, {on, on});
        EXPECT_TRUE(report.failed);
        EXPECT_EQ(report.notes.size(), 2u) << report.line();
        EXPECT_EQ(run_value(key()), L"\"C:\\Tools\\other.exe\"");
        EXPECT_EQ(root.read("desk/Velmora.lnk"), "not a shell link");
    }
}

int run_helper(const fs::path& helper) {
    std::wstring command = L"\"" + helper.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(helper.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The real Run key of the current user: skipped where the organiser is
// registered already, and the value is taken away again whatever happens.
TEST(HelperProgram, RegistersAndUnregistersTheLogonStart) {
    const std::wstring run_key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    if (run_value(run_key)) GTEST_SKIP() << "this user has a Run value \"Velmora\" already";
    std::string error;
    const std::optional<Places> own = current_places(error);
    ASSERT_TRUE(own) << error;
    if (fs::exists(utf8_path(own->desktop + "Velmora.lnk")))
        GTEST_SKIP() << "a desktop shortcut exists";
    struct Cleanup {
        std::wstring key;
        ~Cleanup() { RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Velmora"); }
    } cleanup{run_key};
    TempFolder root;
    const fs::path helper = helper_copy(root);

    choose(helper, "1");
    ASSERT_EQ(run_helper(helper), 0);
    EXPECT_EQ(run_value(run_key), L"\"" + (helper.parent_path() / "velmora.exe").wstring() + L"\"");

    choose(helper, "0");
    EXPECT_EQ(run_helper(helper), 0);
    EXPECT_EQ(run_value(run_key), std::nullopt);
}

}  // namespace

#endif
