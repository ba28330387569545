#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>

#include "sys/atomicfile.h"
#include "sys/inifile.h"
#include "sys/sysutil.h"
#include "temp_folder.h"

using namespace velmora::sys;
using velmora::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

// Points the temporary-folder lookup at a folder of the test's own.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(ProgramDir, IsTheFolderOfTheRunningTestProgram) {
    std::string dir = program_dir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(dir + "sys_tests"));
}

TEST(SystemTempDir, UsesAPrivateFolderInTheRuntimeDir) {
    TempFolder runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all, fs::perm_options::replace);
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
    std::string dir = system_temp_dir();
    EXPECT_EQ(dir, runtime.path().string() + "/velmora/");
    struct stat info {};
    ASSERT_EQ(lstat(dir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, geteuid());
}

TEST(SystemTempDir, NeverUsesAFolderSomebodyPlantedAsALink) {
    TempFolder tmp;
    TempFolder elsewhere;
    fs::create_directory_symlink(elsewhere.path(),
                                 tmp.path() / ("velmora-" + std::to_string(geteuid())));
    TempFolder home;
    ScopedEnv no_runtime("XDG_RUNTIME_DIR", "");
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    ScopedEnv home_env("HOME", home.path().string());
    std::string dir = system_temp_dir();
    EXPECT_EQ(dir, home.path().string() + "/.cache/velmora/tmp/");
}

TEST(SystemTempDir, RefusesAFolderOpenToOthers) {
    TempFolder tmp;
    fs::path planted = tmp.path() / ("velmora-" + std::to_string(geteuid()));
    fs::create_directory(planted);
    fs::permissions(planted, fs::perms::all, fs::perm_options::replace);
    TempFolder home;
    ScopedEnv no_runtime("XDG_RUNTIME_DIR", "");
    ScopedEnv tmpdir("TMPDIR", tmp.path().string());
    ScopedEnv home_env("HOME", home.path().string());
    EXPECT_NE(system_temp_dir(), planted.string() + "/");
}

TEST(TempNames, AreUniqueAndLeaveNoFileBehind) {
    TempFolder runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all, fs::perm_options::replace);
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().string());
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        std::string name = temp_file_name();
        EXPECT_TRUE(name.ends_with(".tmp"));
        EXPECT_FALSE(fs::exists(name));
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 20u);
    std::string staging = staging_folder();
    EXPECT_TRUE(staging.starts_with(runtime.path().string() + "/velmora/zenqplumora/"));
    EXPECT_EQ(staging.back(), '/');
    EXPECT_EQ(path_ext(path_last(staging)), "");
    EXPECT_TRUE(fs::is_directory(runtime.path() / "velmora" / "zenqplumora"));
    EXPECT_FALSE(fs::exists(staging));
}

TEST(EmptyFolder, RemovesFilesAndFoldersButKeepsDotFolders) {
    TempFolder root;
    root.write("work/file.txt", "x");
    root.write("work/sub/inner.txt", "y");
    root.write("work/.keep/kept.txt", "z");
    empty_folder(root.file("work"));
    EXPECT_TRUE(fs::is_directory(root.path() / "work"));
    EXPECT_FALSE(fs::exists(root.path() / "work/file.txt"));
    EXPECT_FALSE(fs::exists(root.path() / "work/sub"));
    EXPECT_EQ(root.read("work/.keep/kept.txt"), "z");
}

TEST(EmptyFolder, NeverFollowsALinkOutOfTheFolder) {
    TempFolder root;
    root.write("outside/precious.txt", "keep me");
    root.write("work/a.txt", "x");
    fs::create_directory_symlink(root.path() / "outside", root.path() / "work/link");
    fs::create_symlink(root.path() / "outside/precious.txt", root.path() / "work/filelink");
    empty_folder(root.file("work"));
    EXPECT_EQ(root.read("outside/precious.txt"), "keep me");
    EXPECT_FALSE(fs::exists(fs::symlink_status(root.path() / "work/link")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root.path() / "work/filelink")));
}

TEST(EmptyFolder, ALinkGivenAsTheFolderItselfIsNotEntered) {
    TempFolder root;
    root.write("outside/precious.txt", "keep me");
    fs::create_directory_symlink(root.path() / "outside", root.path() / "work");
    empty_folder(root.file("work") + "/");
    remove_folder_tree(root.file("work"));
    EXPECT_EQ(root.read("outside/precious.txt"), "keep me");
}

TEST(RemoveFolderTree, RemovesEmptyFoldersAndKeepsTheChainToAFile) {
    TempFolder root;
    fs::create_directories(root.path() / "t/empty/deeper");
    root.write("t/full/mid/f.txt", "x");
    fs::create_directories(root.path() / "t/.dot");
    root.write("outside/precious.txt", "keep me");
    fs::create_directory_symlink(root.path() / "outside", root.path() / "t/link");
    remove_folder_tree(root.file("t"));
    EXPECT_FALSE(fs::exists(root.path() / "t/empty"));
    EXPECT_EQ(root.read("t/full/mid/f.txt"), "x");
    EXPECT_TRUE(fs::exists(root.path() / "t/.dot"));
    EXPECT_EQ(root.read("outside/precious.txt"), "keep me");

    fs::create_directories(root.path() / "u/a/b");
    remove_folder_tree(root.file("u") + "/");
    EXPECT_FALSE(fs::exists(root.path() / "u"));
}

TEST(ListFolder, ListsDirectEntriesAndRaisesForAMissingFolder) {
    TempFolder root;
    root.write("l/a.txt", "1");
    root.write("l/.hidden", "2");
    root.write("l/sub/deep.txt", "3");
    std::vector<std::string> list{"kept"};
    list_folder(root.file("l") + "/", list);
    std::string base = root.file("l");
    EXPECT_THAT(list, ::testing::UnorderedElementsAre("kept", base + "/a.txt", base + "/.hidden",
                                                      base + "/sub"));
    EXPECT_THROW(list_folder(root.file("missing"), list), std::system_error);
}

TEST(Drives, RootComesLastAndFreeSpaceIsReal) {
    std::vector<std::string> drives{"first"};
    fixed_drives(drives);
    ASSERT_GE(drives.size(), 2u);
    EXPECT_EQ(drives.front(), "first");
    EXPECT_EQ(drives.back(), "/");
    for (std::size_t i = 1; i + 1 < drives.size(); ++i) EXPECT_NE(drives[i], "/");
    EXPECT_GT(disk_free("/"), 0u);
    EXPECT_EQ(disk_free("/no/such/drive"), 0u);
    EXPECT_EQ(disk_free(""), 0u);
}

TEST(Rights, AdminMeansRootAndVersionIsUnknown) {
    EXPECT_EQ(is_admin(), geteuid() == 0);
    EXPECT_EQ(os_version_name(), "osUnknown");
}

TEST(ShellFolders, ComeFromTheUserDirectoriesFile) {
    TempFolder home;
    home.write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    ScopedEnv home_env("HOME", home.path().string());
    ScopedEnv config("XDG_CONFIG_HOME", home.file(".config"));
    EXPECT_EQ(shell_folder("desktop"), home.path().string() + "/桌面/");
    EXPECT_EQ(shell_folder("personal"), home.path().string() + "/Documents/");
    EXPECT_EQ(shell_folder("nonsense"), "");
}

TEST(AtomicWrite, AFailedWriteKeepsTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder.file("s.kxi");
    ASSERT_TRUE(velmora::ini::write_profile_string(path, "option", "k", "old"));
    const std::string before = folder.read("s.kxi");
    // A file-size limit makes the write fail part-way, even for root.
    struct rlimit old_limit {};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    struct rlimit small = old_limit;
    small.rlim_cur = 4096;
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    bool written = velmora::ini::write_profile_strings(
        path, "option", {{"k", "new"}, {"pad", std::string(100000, 'p')}});
    setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.read("s.kxi"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

}  // namespace
