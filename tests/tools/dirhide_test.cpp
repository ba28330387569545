// The folder disguise on real folders: desktop.ini before and after, the
// restore password, the restore answers and the folder's mode.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "sys/temp_folder.h"
#include "tools/dir_disguise.h"

namespace velmora::tools {
namespace {

namespace fs = std::filesystem;
using velmora::testing::TempFolder;

constexpr const char* computer = "{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
constexpr const char* printers = "{2227A280-3AEA-1069-A2DE-08002B30309D}";

unsigned mode_of(const fs::path& folder) {
    struct stat info {};
    EXPECT_EQ(::stat(folder.c_str(), &info), 0);
    return static_cast<unsigned>(info.st_mode) & 07777U;
}

PasswordAsker answer(const std::optional<std::string>& typed, int* asked = nullptr) {
    return [typed, asked] {
        if (asked) ++*asked;
        return typed;
    };
}

class FolderDisguise : public ::testing::Test {
protected:
    FolderDisguise() {
        fs::create_directories(folder.path() / "secret");
        fs::permissions(folder.path() / "secret", fs::perms(0750));
        target = target_folder(folder.path().string(), "secret");
    }
    ~FolderDisguise() override {
        fs::permissions(folder.path() / "secret", fs::perms::owner_all, fs::perm_options::add);
    }
    std::string ini() const { return folder.read("secret/desktop.ini"); }
    int hide(std::string_view password = "", const char* clsid = computer) {
        return dir_hide(target, clsid, password, kept, error);
    }
    RestoreCode restore(const PasswordAsker& ask) {
        return dir_restore(target, ask, kept_password, error);
    }

    TempFolder folder;
    std::string target;
    std::string error;
    std::string kept_password;
    KeptFolders kept;  // the system's folders only
};

TEST(DisguiseTarget, EntryNameAndSeparators) {
    EXPECT_EQ(target_folder("/home/u", ""), "/home/u/");
    EXPECT_EQ(target_folder("/home/u/", "a b"), "/home/u/a b/");
    EXPECT_EQ(entry_caption({"sub", true}), "[sub]");
    EXPECT_EQ(entry_caption({"[odd].txt", false}), "[odd].txt");
    EXPECT_EQ(folder_chain("/home/u/"), (std::vector<std::string>{"/", "/home/", "/home/u/"}));
}

TEST(DisguiseTarget, ListingPutsSubfoldersFirstAndSkipsHiddenEntries) {
    TempFolder folder;
    folder.write("b.txt", "x");
    folder.write(".hidden", "x");
    fs::create_directories(folder.path() / "Zeta");
    fs::create_directories(folder.path() / "alpha");
    const auto entries = list_entries(folder.path().string(), true);
    ASSERT_EQ(entries.size(), 3U);
    EXPECT_EQ(entry_caption(entries[0]), "[alpha]");
    EXPECT_EQ(entry_caption(entries[1]), "[Zeta]");
    EXPECT_EQ(entries[2].name, "b.txt");
    EXPECT_EQ(list_entries(folder.path().string(), false).size(), 2U);
    EXPECT_EQ(list_entries(folder.path().string(), true, 1).size(), 1U);
}

TEST_F(FolderDisguise, NewDesktopIniHoldsTheKeysInOrder) {
    ASSERT_EQ(hide(), 1) << error;
    EXPECT_EQ(ini(),
              "[.ShellClassInfo]\r\nCLSID={20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n"
              "CLSID_BAK=\r\nCLSID_KXBZ=Kestrane\r\nCLSID_KXPASS=\r\nCLSID_KXMODE=0750\r\n");
    EXPECT_TRUE(is_disguised(target));
}

TEST_F(FolderDisguise, ExistingDesktopIniKeepsItsLinesAndFirstClsid) {
    const std::string before =
        "[.ShellClassInfo]\r\nIconResource=x.ico,0\r\nCLSID={OLD}\r\n[Other]\r\nk=v\r\n";
    folder.write("secret/desktop.ini", before);
    ASSERT_EQ(hide(), 1) << error;
    EXPECT_EQ(ini(),
              "[.ShellClassInfo]\r\nIconResource=x.ico,0\r\n"
              "CLSID={20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\nCLSID_BAK={OLD}\r\n"
              "CLSID_KXBZ=Kestrane\r\nCLSID_KXPASS=\r\nCLSID_KXMODE=0750\r\n[Other]\r\nk=v\r\n");
    ASSERT_EQ(restore(answer(std::nullopt)), RestoreCode::done);
    EXPECT_NE(ini().find("CLSID=\r\n"), std::string::npos);
    EXPECT_NE(ini().find("CLSID_KXBZ=\r\n"), std::string::npos);
    ASSERT_EQ(hide("", printers), 1) << error;
    EXPECT_NE(ini().find("CLSID_BAK={OLD}\r\n"), std::string::npos);
    EXPECT_NE(ini().find(std::string("CLSID=") + printers), std::string::npos);
}

TEST_F(FolderDisguise, FileInsteadOfFolderIsRefusedWithAClearMessage) {
    folder.write("note.txt", "x");
    target = target_folder(folder.path().string(), "note.txt");
    EXPECT_EQ(hide(), 0);
    EXPECT_NE(error.find("不是文件夹"), std::string::npos);
    EXPECT_EQ(folder.read("note.txt"), "x");
    EXPECT_FALSE(is_folder(target));
}

TEST(RestorePassword, VerifierNeverHoldsThePasswordAndMatchesTrimmed) {
    const std::string stored = make_password_verifier("  Geheim 7 ");
    EXPECT_EQ(stored.rfind(verifier_prefix, 0), 0U);
    EXPECT_EQ(stored.find("Geheim"), std::string::npos);
    EXPECT_TRUE(is_password_verifier(stored));
    EXPECT_TRUE(password_matches(stored, "Geheim 7"));
    EXPECT_TRUE(password_matches(stored, "\tGeheim 7  "));
    EXPECT_FALSE(password_matches(stored, "geheim 7"));
    EXPECT_FALSE(password_matches(stored, "Geheim7"));
    EXPECT_NE(make_password_verifier("Geheim 7"), stored) << "each verifier has its own salt";
}

TEST(RestorePassword, OlderPlainTextAndDamagedVerifiers) {
    EXPECT_TRUE(password_matches(" abc", "abc  "));
    EXPECT_FALSE(password_matches("abc", "ABC"));
    EXPECT_FALSE(is_password_verifier("abc"));
    std::string stored = make_password_verifier("abc");
    // A count no verifier of ours has (a crafted file) is no verifier: it is
    // compared as text and cannot make the check run for hours.
    const std::string crafted = "pbkdf2-sha256$2000000000" + stored.substr(stored.find('$', 14));
    EXPECT_FALSE(is_password_verifier(crafted));
    EXPECT_FALSE(password_matches(crafted, "abc"));
    EXPECT_FALSE(is_password_verifier(stored.substr(0, stored.size() - 2)));
}

TEST_F(FolderDisguise, RestoreAnswersEachCase) {
    int asked = 0;
    EXPECT_EQ(restore(answer("x", &asked)), RestoreCode::not_disguised) << "no desktop.ini";
    folder.write("secret/desktop.ini", "[.ShellClassInfo]\r\nCLSID_KXBZ= \r\n");
    EXPECT_EQ(restore(answer("x", &asked)), RestoreCode::not_disguised) << "blank mark";
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(hide(make_password_verifier("pw")), 1);
    const std::string locked = ini();
    EXPECT_EQ(restore(answer(std::nullopt)), RestoreCode::cancelled);
    EXPECT_EQ(restore(answer("PW")), RestoreCode::wrong_password);
    EXPECT_EQ(ini(), locked);
    EXPECT_EQ(mode_of(target), 0U);
    EXPECT_EQ(restore(answer(" pw ")), RestoreCode::done);
    EXPECT_FALSE(is_disguised(target));
    EXPECT_EQ(kept_password, locked.substr(locked.find("pbkdf2"), kept_password.size()));
}

TEST_F(FolderDisguise, NoPasswordMeansNoQuestion) {
    ASSERT_EQ(hide(), 1);
    int asked = 0;
    EXPECT_EQ(restore(answer(std::nullopt, &asked)), RestoreCode::done);
    EXPECT_EQ(asked, 0);
}

TEST_F(FolderDisguise, OlderPlainTextPasswordRestoresAndBecomesAVerifier) {
    folder.write("secret/desktop.ini",
                 "[.ShellClassInfo]\r\nCLSID=" + std::string(computer) +
                     "\r\nCLSID_BAK=\r\nCLSID_KXBZ=Kestrane\r\nCLSID_KXPASS= old pass\r\n");
    EXPECT_EQ(restore(answer("old")), RestoreCode::wrong_password);
    EXPECT_EQ(restore(answer("old pass ")), RestoreCode::done);
    EXPECT_TRUE(is_password_verifier(kept_password));
    EXPECT_TRUE(password_matches(kept_password, "old pass"));
    EXPECT_EQ(ini().find("old pass"), std::string::npos);
    EXPECT_EQ(mode_of(target), 0750U) << "no remembered mode, folder not locked: left alone";
}

TEST_F(FolderDisguise, FolderModeIsTakenAwayAndGivenBack) {
    fs::permissions(target, fs::perms(02751));
    ASSERT_EQ(hide(), 1);
    EXPECT_EQ(mode_of(target), 0U);
    EXPECT_NE(ini().find("CLSID_KXMODE=02751\r\n"), std::string::npos);
    ASSERT_EQ(restore(answer(std::nullopt)), RestoreCode::done);
    EXPECT_EQ(mode_of(target), 02751U);
}

TEST_F(FolderDisguise, DamagedRememberedModeGivesTheOwnerAccess) {
    ASSERT_EQ(hide(), 1);
    std::string text = ini();
    text.replace(text.find("0750"), 4, "9999");
    fs::permissions(target, fs::perms::owner_all);
    folder.write("secret/desktop.ini", text);
    fs::permissions(target, fs::perms::none);
    ASSERT_EQ(restore(answer(std::nullopt)), RestoreCode::done);
    EXPECT_EQ(mode_of(target), fallback_folder_mode);
}

// --- Folders the lock leaves alone --------------------------------------------

// A program run from `prog`, its system temporary folder `systemp`, its
// user's home `home`, all in one temporary folder.
class KeptFoldersTest : public ::testing::Test {
protected:
    KeptFoldersTest() {
        for (const char* sub : {"prog/zenqplumora/stage", "prog/other", "systemp/zenqplumora",
                                "home/u/docs", "elsewhere/secret"}) {
            fs::create_directories(root.path() / sub);
        }
        kept = kept_folders(root.file("prog") + "/", root.file("prog") + "/",
                            root.file("systemp") + "/");
        kept.home = root.file("home/u");
    }
    std::string why(const std::string& relative) {
        return lock_refusal(relative.empty() ? root.path().string() : root.file(relative), kept);
    }

    TempFolder root;
    KeptFolders kept;
};

TEST_F(KeptFoldersTest, TheProgramsFoldersAndEveryFolderAboveThemAreRefused) {
    EXPECT_NE(why("prog").find("本软件（或它的数据）所在的文件夹"), std::string::npos);
    EXPECT_NE(why("prog").find("退出后也无法再启动"), std::string::npos);
    EXPECT_EQ(why("prog"), lock_refusal(root.file("prog") + "/", kept)) << "with a separator";
    EXPECT_NE(why("prog/zenqplumora").find("工作文件夹"), std::string::npos);
    EXPECT_NE(why("prog/zenqplumora/stage").find("在本软件的工作文件夹"), std::string::npos);
    EXPECT_NE(why("systemp").find("工作文件夹"), std::string::npos);
    EXPECT_NE(why("systemp/zenqplumora").find("工作文件夹"), std::string::npos);
    EXPECT_NE(why("").find("里面有本软件的文件夹"), std::string::npos) << why("");
    EXPECT_NE(why("home/u").find("主文件夹"), std::string::npos);
    EXPECT_NE(why("home").find("里面有您的主文件夹"), std::string::npos);
    for (const std::string& refused :
         {why("prog"), why("prog/zenqplumora"), why(""), why("home/u"), why("systemp")}) {
        EXPECT_TRUE(refused.ends_with("不能对它加锁！")) << refused;
    }
    // What is the user's own stays theirs to lock.
    EXPECT_EQ(why("prog/other"), "");
    EXPECT_EQ(why("home/u/docs"), "");
    EXPECT_EQ(why("elsewhere/secret"), "");
}

TEST_F(KeptFoldersTest, ALinkIsJudgedByTheFolderItLeadsTo) {
    fs::create_directory_symlink(root.path() / "prog", root.path() / "elsewhere/link");
    fs::create_directory_symlink(root.path() / "elsewhere", root.path() / "hop");
    const std::string refused = why("elsewhere/link");
    EXPECT_NE(refused.find("本软件（或它的数据）所在的文件夹"), std::string::npos) << refused;
    EXPECT_NE(refused.find("它指向“" + root.file("prog") + "”"), std::string::npos) << refused;
    EXPECT_NE(why("hop/link").find("本软件"), std::string::npos);
    EXPECT_NE(why("hop/link/zenqplumora").find("工作文件夹"), std::string::npos);
    EXPECT_EQ(why("hop/secret").find("本软件"), std::string::npos);
    EXPECT_EQ(why("hop/secret"), "");
    // The program's own folders named through a link are found as well.
    kept = kept_folders(root.file("hop/../prog/"), root.file("hop/../prog/"),
                        root.file("systemp") + "/");
    EXPECT_NE(why("prog").find("本软件"), std::string::npos);
}

TEST(SystemFolders, TheRootAndTheSystemsFoldersAreRefused) {
    const KeptFolders none;
    for (const char* folder :
         {"/",         "/usr",  "/usr/share", "/etc", "/etc/ssh", "/bin",  "/boot",
          "/dev",      "/lib",  "/lib64",     "/opt", "/proc",    "/root", "/run",
          "/run/user", "/sbin", "/srv",       "/sys", "/tmp",     "/var",  "/var/lib",
          "/var/tmp",  "/home", "/media",     "/mnt", "/usr/"}) {
        const std::string refused = lock_refusal(folder, none);
        EXPECT_NE(refused.find("系统文件夹"), std::string::npos) << folder << ": " << refused;
        EXPECT_TRUE(refused.ends_with("不能对它加锁！")) << folder;
    }
    // Debian's /bin is a link into /usr: the message says where it leads.
    std::error_code ignored;
    if (fs::is_symlink("/bin", ignored)) {
        EXPECT_NE(lock_refusal("/bin", none).find("它指向“/usr/bin”"), std::string::npos)
            << lock_refusal("/bin", none);
    }
    // The users' own folders in the shared places stay theirs.
    TempFolder mine;
    EXPECT_EQ(lock_refusal(mine.path().string(), none), "");
    EXPECT_EQ(lock_refusal("/var/tmp/mine", none), "");
    EXPECT_EQ(lock_refusal("/run/media/u/STICK/photos", none), "");
    EXPECT_EQ(lock_refusal("/media/usb/photos", none), "");
    EXPECT_EQ(lock_refusal("/home/someone/photos", none), "");
}

TEST(SystemFolders, ALinkToASystemFolderIsRefused) {
    TempFolder folder;
    fs::create_directory_symlink("/etc", folder.path() / "config");
    const std::string refused = lock_refusal(folder.file("config"), {});
    EXPECT_NE(refused.find("是系统文件夹"), std::string::npos) << refused;
    EXPECT_NE(refused.find("它指向“/etc”"), std::string::npos) << refused;
}

TEST_F(KeptFoldersTest, DisguiseRefusesBeforeTouchingAnything) {
    const std::string prog = root.file("prog");
    const unsigned mode = mode_of(prog);
    std::string error;
    EXPECT_EQ(dir_hide(target_folder(prog, ""), disguise_targets[0].clsid, "", kept, error), 0);
    EXPECT_NE(error.find("本软件"), std::string::npos) << error;
    EXPECT_EQ(mode_of(prog), mode);
    EXPECT_FALSE(fs::exists(root.path() / "prog/desktop.ini"));
    error.clear();
    EXPECT_EQ(dir_hide(target_folder(root.file("elsewhere"), "secret"), disguise_targets[0].clsid,
                       "", kept, error),
              1)
        << error;
    EXPECT_EQ(mode_of(root.path() / "elsewhere/secret"), 0U);
    fs::permissions(root.path() / "elsewhere/secret", fs::perms::owner_all);
}

TEST(FolderMode, ParsesOctalWithinPermissionBits) {
    EXPECT_EQ(parse_folder_mode("0755"), 0755U);
    EXPECT_EQ(parse_folder_mode(" 07777"), 07777U);
    EXPECT_EQ(parse_folder_mode("0"), 0U);
    EXPECT_FALSE(parse_folder_mode("010000"));
    EXPECT_FALSE(parse_folder_mode("0758"));
    EXPECT_FALSE(parse_folder_mode(""));
    EXPECT_FALSE(parse_folder_mode("-1"));
}

}  // namespace
}  // namespace velmora::tools
