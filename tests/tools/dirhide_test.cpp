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
        return dir_hide(target, clsid, password, error);
    }
    RestoreCode restore(const PasswordAsker& ask) { return dir_restore(target, ask, kept, error); }

    TempFolder folder;
    std::string target;
    std::string error;
    std::string kept;
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
    EXPECT_EQ(kept, locked.substr(locked.find("pbkdf2"), kept.size()));
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
    EXPECT_TRUE(is_password_verifier(kept));
    EXPECT_TRUE(password_matches(kept, "old pass"));
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
