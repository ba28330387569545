#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>

#include "sys/atomicfile.h"
#include "sys/error_text.h"
#include "sys/inifile.h"
#include "sys/platform.h"
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

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
    ~ScopedUmask() { umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

// Caps the size of the files this process writes, so a write fails part-way
// even for root.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_limit_);
        struct rlimit small = old_limit_;
        small.rlim_cur = bytes;
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_limit_);
        std::signal(SIGXFSZ, old_handler_);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    struct rlimit old_limit_ {};
    void (*old_handler_)(int) = SIG_DFL;
};

mode_t mode_of(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

ReadFailure failure_reading(const std::string& path, std::size_t max_bytes = default_read_limit) {
    ReadFailure failure = ReadFailure::none;
    EXPECT_FALSE(read_file(path, max_bytes, &failure).has_value()) << path;
    return failure;
}

// The errno a refused write leaves behind, or 0 when the write went through.
int errno_of_write(const std::string& path, std::string_view content) {
    errno = 0;
    return write_file_atomic(path, content) ? 0 : errno;
}

void bind_socket(int fd, const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
}

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
    bool written = true;
    {
        ScopedFileSizeLimit limit(4096);
        written = velmora::ini::write_profile_strings(
            path, "option", {{"k", "new"}, {"pad", std::string(100000, 'p')}});
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.read("s.kxi"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(AtomicWrite, ErrnoTellsWhyAWriteWasRefused) {
    TempFolder folder;
    fs::create_directory(folder.path() / "taken");
    EXPECT_EQ(errno_of_write(folder.file("missing") + "/s.kxi", "x"), ENOENT);
    EXPECT_EQ(errno_of_write(folder.file("taken"), "x"), EISDIR);
    {
        ScopedFileSizeLimit limit(4096);
        EXPECT_EQ(errno_of_write(folder.file("big"), std::string(100000, 'b')), EFBIG);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST(AtomicWrite, ErrnoIsEaccesInAFolderWithoutWriteRights) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    TempFolder folder;
    const fs::path locked = folder.path() / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec,
                    fs::perm_options::replace);
    EXPECT_EQ(errno_of_write((locked / "s.kxi").string(), "x"), EACCES);
}

TEST(FileModes, ANewFileIsTheOwnersAloneWhateverTheUmask) {
    TempFolder folder;
    for (mode_t mask : {mode_t{022}, mode_t{0277}}) {
        ScopedUmask scoped(mask);
        const std::string path = folder.file("new-" + std::to_string(mask));
        ASSERT_TRUE(write_file_atomic(path, "x"));
        EXPECT_EQ(mode_of(path), 0600u) << "umask " << std::oct << mask;
    }
}

TEST(FileModes, ARewriteKeepsThePermissionsOfTheFileItReplaces) {
    TempFolder folder;
    ScopedUmask scoped(077);
    for (mode_t mode : {mode_t{0644}, mode_t{0640}, mode_t{0604}}) {
        const std::string name = "old-" + std::to_string(mode);
        folder.write(name, "old");
        ASSERT_EQ(chmod(folder.file(name).c_str(), mode), 0);
        ASSERT_TRUE(write_file_atomic(folder.file(name), "new"));
        EXPECT_EQ(mode_of(folder.file(name)), mode) << std::oct << mode;
        EXPECT_EQ(folder.read(name), "new");
    }
}

TEST(FileModes, MakeFolderGivesExactly0700WhateverTheUmask) {
    TempFolder folder;
    for (mode_t mask : {mode_t{022}, mode_t{0277}}) {
        ScopedUmask scoped(mask);
        const std::string path = folder.file("dir-" + std::to_string(mask));
        ASSERT_TRUE(make_folder(path));
        EXPECT_EQ(mode_of(path), 0700u) << "umask " << std::oct << mask;
        EXPECT_FALSE(make_folder(path));
    }
}

TEST(ReadFile, RefusesFifosDevicesAndSocketsWithoutReading) {
    TempFolder folder;
    // Nobody ever writes to the FIFO: a blocking open or read would hang here.
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    EXPECT_EQ(failure_reading(folder.file("fifo")), ReadFailure::not_regular);
    // Endless: only a refusal before the first read keeps this test short.
    fs::create_symlink("/dev/zero", folder.path() / "zero");
    EXPECT_EQ(failure_reading(folder.file("zero")), ReadFailure::not_regular);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    bind_socket(fd, folder.file("sock"));
    EXPECT_EQ(failure_reading(folder.file("sock")), ReadFailure::not_regular);
    close(fd);
}

TEST(ReadFile, FollowsALinkToARegularFile) {
    TempFolder folder;
    folder.write("real.txt", "content");
    fs::create_symlink(folder.path() / "real.txt", folder.path() / "link.txt");
    EXPECT_EQ(read_file(folder.file("link.txt")), "content");
}

TEST(ReadFile, StopsAtTheLimitWhenTheFileHoldsMoreThanItsStatedSize) {
    // The kernel states a size of 0 for this file and then delivers text.
    const std::string status = "/proc/self/status";
    struct stat info {};
    ASSERT_EQ(stat(status.c_str(), &info), 0);
    ASSERT_EQ(info.st_size, 0);
    EXPECT_EQ(failure_reading(status, 16), ReadFailure::too_large);
    EXPECT_THAT(read_file(status).value_or(""), ::testing::HasSubstr("Pid:"));
}

TEST(IniLoad, AFifoOrADeviceLinkGivesAnEmptyDocument) {
    TempFolder folder;
    const std::string fifo = folder.file("fifo.kxi");
    const std::string zero = folder.file("zero.kxi");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", zero);
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(velmora::ini::IniDocument::load(fifo).bytes().empty());
    EXPECT_TRUE(velmora::ini::IniDocument::load(zero).bytes().empty());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "velmora: " + fifo + " is not a regular file; ignored\n" + "velmora: " + zero +
                  " is not a regular file; ignored\n");
}

TEST(RenameNoReplace, RefusesADanglingLinkAndLeavesItInPlace) {
    TempFolder folder;
    folder.write("new.txt", "new");
    const fs::path link = folder.path() / "link";
    fs::create_symlink(folder.path() / "nowhere", link);
    errno = 0;
    const bool moved = rename_no_replace(folder.file("new.txt"), link.string());
    const int error = errno;
    EXPECT_FALSE(moved);
    EXPECT_EQ(error, EEXIST);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), folder.path() / "nowhere");
    EXPECT_FALSE(fs::exists(folder.path() / "nowhere"));
    EXPECT_EQ(folder.read("new.txt"), "new");
}

// What an export finds at its target, with its identity and content, to
// tell that a refused write left it exactly as it was.
struct Entry {
    dev_t device;
    ino_t inode;
    mode_t mode;
    nlink_t links;
    std::string link_to;
    bool operator==(const Entry&) const = default;
};
Entry entry_at(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
    std::error_code error;
    const std::string link_to =
        S_ISLNK(info.st_mode) ? fs::read_symlink(path, error).string() : std::string();
    return {info.st_dev, info.st_ino, info.st_mode, info.st_nlink, link_to};
}

std::size_t entries_in(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(WriteToTarget, RefusesEverythingButANewNameOrARegularFileAndLeavesItAsItWas) {
    TempFolder folder;
    folder.write("real.txt", "real");
    folder.write("linked.txt", "linked");
    folder.write("read-only.txt", "kept");
    ASSERT_EQ(chmod(folder.file("read-only.txt").c_str(), 0444), 0);
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    fs::create_symlink(folder.path() / "real.txt", folder.path() / "link.txt");
    fs::create_symlink(folder.path() / "nowhere", folder.path() / "dangling");
    fs::create_hard_link(folder.path() / "linked.txt", folder.path() / "other-name.txt");
    fs::create_directory(folder.path() / "sub");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    bind_socket(fd, folder.file("sock"));
    const std::pair<const char*, WriteTarget> cases[] = {
        {"fifo", WriteTarget::fifo},
        {"link.txt", WriteTarget::symbolic_link},
        {"dangling", WriteTarget::dangling_link},
        {"linked.txt", WriteTarget::hard_linked},
        {"other-name.txt", WriteTarget::hard_linked},
        {"read-only.txt", WriteTarget::read_only},
        {"sub", WriteTarget::folder},
        {"sock", WriteTarget::socket},
    };
    const std::size_t before = entries_in(folder.path());
    for (const auto& [name, kind] : cases) {
        const std::string path = folder.file(name);
        const Entry was = entry_at(path);
        EXPECT_EQ(inspect_write_target(path), kind) << name;
        EXPECT_FALSE(may_write(kind, false)) << name;
        EXPECT_FALSE(write_target_refusal(kind).empty()) << name;
        const TargetWrite written = write_to_target(path, "export");
        EXPECT_FALSE(written.written) << name;
        EXPECT_TRUE(written.refused) << name;
        EXPECT_EQ(written.target, kind) << name;
        EXPECT_EQ(entry_at(path), was) << name;
    }
    close(fd);
    EXPECT_EQ(entries_in(folder.path()), before);  // no temporary file left behind
    EXPECT_EQ(folder.read("real.txt"), "real");
    EXPECT_EQ(folder.read("linked.txt"), "linked");
    EXPECT_EQ(folder.read("read-only.txt"), "kept");
    EXPECT_FALSE(fs::exists(folder.path() / "nowhere"));
    EXPECT_TRUE(fs::is_empty(folder.path() / "sub"));
    EXPECT_EQ(inspect_write_target("/dev/null"), WriteTarget::device);
    EXPECT_FALSE(write_to_target("/dev/null", "export").written);
    EXPECT_EQ(entry_at("/dev/null").mode & S_IFMT, S_IFCHR);
}

TEST(WriteToTarget, ANewFileIsMadeAsTheUmaskSays) {
    // What the user writes to pass on, like any other program's files.
    TempFolder folder;
    ScopedUmask open_umask(022);
    ASSERT_TRUE(write_to_target(folder.file("shared.txt"), "shared").written);
    EXPECT_EQ(mode_of(folder.file("shared.txt")), 0644u);
}

TEST(WriteToTarget, ReplacesARegularFileOrMakesANewOneAndAReadOnlyOneOnlyWhenAsked) {
    TempFolder folder;
    ScopedUmask scoped(077);
    folder.write("old.txt", "old");
    ASSERT_EQ(chmod(folder.file("old.txt").c_str(), 0644), 0);
    EXPECT_EQ(inspect_write_target(folder.file("old.txt")), WriteTarget::regular);
    TargetWrite written = write_to_target(folder.file("old.txt"), "new");
    EXPECT_TRUE(written.written);
    EXPECT_EQ(written.target, WriteTarget::regular);
    EXPECT_EQ(folder.read("old.txt"), "new");
    EXPECT_EQ(mode_of(folder.file("old.txt")), 0644u);

    EXPECT_EQ(inspect_write_target(folder.file("fresh.txt")), WriteTarget::new_name);
    written = write_to_target(folder.file("fresh.txt"), "fresh");
    EXPECT_TRUE(written.written);
    EXPECT_EQ(written.target, WriteTarget::new_name);
    EXPECT_EQ(folder.read("fresh.txt"), "fresh");
    EXPECT_EQ(mode_of(folder.file("fresh.txt")), 0600u);

    folder.write("read-only.txt", "kept");
    ASSERT_EQ(chmod(folder.file("read-only.txt").c_str(), 0444), 0);
    written = write_to_target(folder.file("read-only.txt"), "replaced", true);
    EXPECT_TRUE(written.written);
    EXPECT_EQ(written.target, WriteTarget::read_only);
    EXPECT_EQ(folder.read("read-only.txt"), "replaced");
    EXPECT_EQ(mode_of(folder.file("read-only.txt")), 0444u);  // still read-only
    EXPECT_EQ(entries_in(folder.path()), 3u);

    // A missing folder: the write fails and says why; nothing is refused.
    errno = 0;
    written = write_to_target(folder.file("none") + "/x.txt", "x");
    EXPECT_FALSE(written.written);
    EXPECT_FALSE(written.refused);
    EXPECT_EQ(errno, ENOENT);
}

TEST(WriteToTarget, AFileWithoutWriteRightsForTheCallerIsReadOnly) {
    if (geteuid() != 0) {
        TempFolder folder;
        folder.write("mine.txt", "kept");
        ASSERT_EQ(chmod(folder.file("mine.txt").c_str(), 0044), 0);
        EXPECT_EQ(inspect_write_target(folder.file("mine.txt")), WriteTarget::read_only);
    }
    // Root may write anything, yet a file with no write bit at all is still
    // read-only to the export.
    TempFolder folder;
    folder.write("none.txt", "kept");
    ASSERT_EQ(chmod(folder.file("none.txt").c_str(), 0400), 0);
    EXPECT_EQ(inspect_write_target(folder.file("none.txt")), WriteTarget::read_only);
}

}  // namespace

// The desktop's opener, stood in for by scripts on PATH: a missing browser
// (the opener's exit status 3) is reported, and a browser that stays in the
// foreground is not waited for beyond a moment.
TEST(OpenAddress, AnOpenerThatFailsIsReportedAndOneThatStaysIsLeftToRun) {
    TempFolder temp;
    const auto opener = [&](const std::string& body) {
        temp.write("xdg-open", "#!/bin/sh\n" + body + "\n");
        fs::permissions(temp.file("xdg-open"), fs::perms::owner_all);
    };
    const ScopedEnv path("PATH", temp.path().string() + ":/usr/bin:/bin");
    Platform& platform = native_platform();
    int error = 0;

    opener("exit 3");
    EXPECT_FALSE(platform.open_address("https://example.com/", error));
    EXPECT_EQ(error, no_opener_error);

    opener("echo \"$1\" > \"$(dirname \"$0\")/opened\"; exit 0");
    error = 0;
    EXPECT_TRUE(platform.open_address("https://example.com/a b", error));
    EXPECT_EQ(temp.read("opened"), "https://example.com/a b\n");

    opener("exec sleep 30");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(platform.open_address("https://example.com/", error));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    fs::remove(temp.file("xdg-open"));
    const ScopedEnv no_opener("PATH", temp.path().string());
    EXPECT_FALSE(platform.open_address("https://example.com/", error));
    EXPECT_EQ(error, ENOENT);
}
