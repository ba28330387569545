#include <gmock/gmock.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "store/fxstore.h"
#include "store_fixture.h"

using ::testing::ElementsAre;
using velmora::testing::StoreTest;
namespace fs = std::filesystem;

namespace {

const std::string plan_line = "A\xBD\xF8\xD0\xD0\xD6\xD0\xC2\xF2\xB2\xCB\r\n";  // A进行中买菜

TEST_F(StoreTest, FreshContainerHoldsTheTopFoldersAfterAnUnlistedRoot) {
    EXPECT_EQ(FX_Directory_Getcount(), 5);
    EXPECT_NE(FX_Directory_Getitem_word("lb", 0), 0);
    EXPECT_THAT(listing(),
                ElementsAre("plumora_plan", "plumora_note", "plumora_files", "plumora_url"));
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(FX_Directory_Getitem_word("itemtype", i), 0x63);
    EXPECT_EQ(index("plumora_plan"), 1);
    EXPECT_EQ(index("PLUMORA_PLAN"), -1);  // names are case-sensitive
    EXPECT_EQ(index("plumora_plan/20240101.txt"), -1);
    EXPECT_GE(FX_Getfxversionmajor(), 1);
}

TEST_F(StoreTest, RecordsRoundTripAndReplaceInPlace) {
    int first = put("plumora_plan", "20101205.txt", plan_line);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(get(first), plan_line);
    EXPECT_NE(FX_Directory_Getitem_word("itemtype", first), 0x63);

    int again = put("plumora_plan", "20101205.txt", "B\r\n");
    EXPECT_EQ(again, first);  // replacing keeps the index
    EXPECT_EQ(get(first), "B\r\n");
    EXPECT_EQ(FX_Directory_Getcount(), 6);
}

TEST_F(StoreTest, WithoutReplaceBothCopiesAreKept) {
    put("plumora_url", "新闻", "http://a");
    put("plumora_url", "新闻", "http://b", 0);
    put("plumora_url", "新闻", "http://c", 0);
    EXPECT_EQ(get(index("plumora_url/新闻")), "http://a");
    EXPECT_EQ(get(index("plumora_url/新闻 (2)")), "http://b");
    EXPECT_EQ(get(index("plumora_url/新闻 (3)")), "http://c");
}

TEST_F(StoreTest, DeletedIndicesLeaveGapsAndAreNeverReused) {
    int a = put("plumora_note", "a.txt", "1");
    int b = put("plumora_note", "b.txt", "2");
    ASSERT_EQ(FX_Deleteitem(a, 2), 1);
    EXPECT_EQ(index("plumora_note/a.txt"), -1);
    EXPECT_NE(FX_Directory_Getitem_word("lb", a), 0);
    EXPECT_EQ(FX_Directory_Getitem_word("itemtype", a), 0);
    EXPECT_EQ(name(a), "");
    int c = put("plumora_note", "c.txt", "3");
    EXPECT_GT(c, b);
    EXPECT_EQ(FX_Directory_Getcount(), c + 1);
    EXPECT_EQ(FX_Deleteitem(a, 2), 0);  // already gone
    EXPECT_EQ(FX_Deleteitem(0, 1), 0);  // the root stays
    EXPECT_EQ(FX_Directory_Getitem_word("lb", 9999), 1);
}

TEST_F(StoreTest, DeletingAFolderRemovesEverythingBelowButNotLookalikes) {
    ASSERT_EQ(FX_Addnode(index("plumora_url"), ""), 1);
    int folder = index("plumora_url/新建文件夹");
    ASSERT_GT(folder, 0);
    put("plumora_url/新建文件夹", "x", "1");
    ASSERT_EQ(FX_Addnode(index("plumora_url"), ""), 1);
    put("plumora_url/新建文件夹(2)", "y", "2");
    ASSERT_EQ(FX_Deleteitem(folder, 1), 1);
    EXPECT_THAT(listing(),
                ElementsAre("plumora_plan", "plumora_note", "plumora_files", "plumora_url",
                            "plumora_url/新建文件夹(2)", "plumora_url/新建文件夹(2)/y"));
}

TEST_F(StoreTest, RenameMovesTheWholeSubtreeAndRefusesBadNames) {
    int url = index("plumora_url");
    ASSERT_EQ(FX_Addnode(url, ""), 1);
    int folder = index("plumora_url/新建文件夹");
    put("plumora_url/新建文件夹", "site", "http://x");
    put("plumora_url", "taken", "t");
    EXPECT_EQ(FX_Changeitemname(url, folder, ""), 0);
    EXPECT_EQ(FX_Changeitemname(url, folder, "a/b"), 0);
    EXPECT_EQ(FX_Changeitemname(url, folder, "taken"), 0);
    EXPECT_EQ(FX_Changeitemname(index("plumora_plan"), folder, "x"), 0);  // not its parent
    ASSERT_EQ(FX_Changeitemname(url, folder, "工作"), 1);
    EXPECT_EQ(index("plumora_url/工作"), folder);
    EXPECT_EQ(get(index("plumora_url/工作/site")), "http://x");
    EXPECT_EQ(index("plumora_url/新建文件夹/site"), -1);
}

TEST_F(StoreTest, FullPathsAreLimitedTo256Bytes) {
    int url = index("plumora_url");  // "plumora_url/" is 12 bytes
    int item = put("plumora_url", "short", "x");
    EXPECT_EQ(FX_Changeitemname(url, item, std::string(244, 'a')), 1);
    EXPECT_EQ(FX_Changeitemname(url, item, std::string(245, 'a')), 0);
    // Chinese characters count two bytes each: 122 of them plus "b" is 245.
    std::string chinese;
    for (int i = 0; i < 122; ++i) chinese += "字";
    EXPECT_EQ(FX_Changeitemname(url, item, chinese), 1);
    EXPECT_EQ(FX_Changeitemname(url, item, chinese + "b"), 0);
    // A four-byte character counts four.
    EXPECT_EQ(FX_Changeitemname(url, item, std::string(240, 'c') + "😀"), 1);
    EXPECT_EQ(FX_Changeitemname(url, item, std::string(241, 'c') + "😀"), 0);
    EXPECT_EQ(index("plumora_url/" + std::string(240, 'c') + "😀"), item);
}

TEST_F(StoreTest, RenameThatWouldPushAChildPast256BytesIsRefused) {
    int url = index("plumora_url");
    ASSERT_EQ(FX_Addnode(url, "f"), 1);
    int folder = index("plumora_url/f");
    put("plumora_url/f", std::string(200, 'k'), "x");
    EXPECT_EQ(FX_Changeitemname(url, folder, std::string(60, 'g')), 0);
    EXPECT_EQ(index("plumora_url/f"), folder);
}

TEST_F(StoreTest, NewFoldersTakeTheFirstFreeNumberedName) {
    int url = index("plumora_url");
    for (int i = 0; i < 3; ++i) ASSERT_EQ(FX_Addnode(url, ""), 1);
    EXPECT_GT(index("plumora_url/新建文件夹"), 0);
    EXPECT_GT(index("plumora_url/新建文件夹(2)"), 0);
    EXPECT_GT(index("plumora_url/新建文件夹(3)"), 0);
    EXPECT_EQ(FX_Addnode(index("plumora_url/新建文件夹"), ""), 1);
    EXPECT_GT(index("plumora_url/新建文件夹/新建文件夹"), 0);
    int file = put("plumora_url", "bookmark", "u");
    EXPECT_EQ(FX_Addnode(file, ""), 0);  // a file holds no folders
}

TEST_F(StoreTest, ExportNeverWritesOutsideTheTargetFolder) {
    int url = index("plumora_url");
    int item = put("plumora_url", "ok", "x");
    for (const char* bad : {"..", "."}) {
        ASSERT_EQ(FX_Changeitemname(url, item, bad), 1) << bad;
        std::string out = folder_.file("out");
        fs::create_directories(out);
        EXPECT_EQ(FX_Outputall(0, out, {std::to_string(item)}, 1, 0), 0) << bad;
    }
    ASSERT_EQ(FX_Changeitemname(url, item, "..\\escape"), 1);
    EXPECT_EQ(FX_Outputall(0, folder_.file("out"), {std::to_string(item)}, 1, 0), 0);
    EXPECT_EQ(fs::directory_iterator(folder_.file("out")), fs::directory_iterator());
    EXPECT_FALSE(fs::exists(folder_.path() / "escape"));
    EXPECT_EQ(FX_Outputall(0, folder_.file("out"), {"x", "-1", "99999"}, 1, 0), 0);
}

TEST_F(StoreTest, FolderTreesRoundTripEveryByteThreeLevelsDeep) {
    std::string binary;
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    folder_.write("tree/资料/a.bin", binary);
    folder_.write("tree/资料/二/b.txt", "二级\r\n");
    folder_.write("tree/资料/二/三/c.txt", std::string(70000, 'z'));
    folder_.write("tree/资料/二/三/空.txt", "");
    fs::create_directories(folder_.path() / "tree/资料/empty");
    ASSERT_EQ(FX_Inputall(2, index("plumora_files"), {folder_.file("tree/资料")}, "", "", 0, "", 1),
              1);
    EXPECT_FALSE(fs::exists(folder_.path() / "tree/资料/a.bin"));  // imported files removed
    EXPECT_GT(index("plumora_files/资料/二/三/c.txt"), 0);
    EXPECT_EQ(FX_Directory_Getitem_word("itemtype", index("plumora_files/资料/empty")), 0x63);

    std::string out = folder_.file("copy");
    fs::create_directories(out);
    ASSERT_EQ(FX_Outputall(0, out, {std::to_string(index("plumora_files/资料"))}, 1, 1), 1);
    EXPECT_EQ(folder_.read("copy/资料/a.bin"), binary);
    EXPECT_EQ(folder_.read("copy/资料/二/b.txt"), "二级\r\n");
    EXPECT_EQ(folder_.read("copy/资料/二/三/c.txt"), std::string(70000, 'z'));
    EXPECT_TRUE(fs::exists(folder_.path() / "copy/资料/二/三/空.txt"));
    EXPECT_TRUE(fs::is_directory(folder_.path() / "copy/资料/empty"));

    // Importing the tree again merges into the same folder.
    ASSERT_EQ(FX_Inputall(2, index("plumora_files"), {out + "/资料"}, "", "", 0, "", 0), 1);
    EXPECT_GT(index("plumora_files/资料/二/b.txt (2)"), 0);
    EXPECT_EQ(index("plumora_files/资料 (2)"), -1);
}

TEST_F(StoreTest, ImportIsAllOrNothing) {
    folder_.write("in/good.txt", "g");
    std::string too_long(250, 'L');
    folder_.write("in/" + too_long, "x");
    const int before = FX_Directory_Getcount();
    EXPECT_EQ(FX_Inputall(1, index("plumora_plan"),
                          {folder_.file("in/good.txt"), folder_.file("in/" + too_long)}, "", "", 1,
                          "", 1),
              0);
    EXPECT_EQ(index("plumora_plan/good.txt"), -1);
    EXPECT_TRUE(fs::exists(folder_.path() / "in/good.txt"));  // nothing deleted on failure
    EXPECT_EQ(FX_Inputall(1, index("plumora_plan"), {folder_.file("in/missing")}, "", "", 1, "", 0),
              0);
    EXPECT_EQ(FX_Inputall(1, 9999, {folder_.file("in/good.txt")}, "", "", 1, "", 0), 0);
    EXPECT_EQ(FX_Directory_Getcount(), before);
}

TEST_F(StoreTest, ImportDoesNotFollowLinks) {
    folder_.write("secret/key", "private");
    folder_.write("in/note.txt", "n");
    fs::create_directory_symlink(folder_.path() / "secret", folder_.path() / "in/link");
    ASSERT_EQ(FX_Inputall(2, index("plumora_files"), {folder_.file("in")}, "", "", 0, "", 0), 1);
    EXPECT_GT(index("plumora_files/in/note.txt"), 0);
    EXPECT_EQ(index("plumora_files/in/link"), -1);
    EXPECT_EQ(index("plumora_files/in/link/key"), -1);
}

TEST_F(StoreTest, SizesShowFragmentSpaceAndCompactionRemovesIt) {
    for (int i = 0; i < 200; ++i)
        put("plumora_note", std::to_string(i) + ".txt", std::string(4000, 'n'));
    for (int i = 0; i < 200; i += 2)
        FX_Deleteitem(index("plumora_note/" + std::to_string(i) + ".txt"), 2);
    const std::int64_t total = FX_Getfxsize(1);
    const std::int64_t live = FX_Getfxsize(2);
    EXPECT_EQ(total, static_cast<std::int64_t>(fs::file_size(path_)));
    EXPECT_GT(total - live, 100 * 4000);

    const std::string copy = folder_.file("zenqdata_1.~fx");
    EXPECT_EQ(FX_Fxcopy(-1, copy, "wrong password"), 0);
    EXPECT_FALSE(fs::exists(copy));
    ASSERT_EQ(FX_Fxcopy(-1, copy, velmora::store::container_password), 1);
    EXPECT_EQ(FX_Fxcopy(-1, copy, velmora::store::container_password), 0);  // never overwrites
    EXPECT_LT(fs::file_size(copy), static_cast<std::uintmax_t>(total) * 2 / 3);

    FX_Closefx(1);
    ASSERT_EQ(FX_Createoropenfx(copy, velmora::store::container_password, 0, "", ""), 1);
    EXPECT_EQ(FX_Directory_Getcount(), 5 + 100);  // renumbered without gaps
    EXPECT_EQ(name(5), "plumora_note/1.txt");
    EXPECT_EQ(get(index("plumora_note/199.txt")), std::string(4000, 'n'));
    EXPECT_EQ(FX_Getfxsize(1) - FX_Getfxsize(2), 0);
}

// A compaction killed in mid-copy left its partial copy; the next one
// clears what ended processes left, and nothing of anyone else's.
TEST_F(StoreTest, CompactionRemovesThePartialCopiesOfEndedRuns) {
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    ASSERT_GT(ended, 0);
    waitpid(ended, nullptr, 0);
    const std::string dead = "zenqdata_1.~fx.part-" + std::to_string(ended);
    const std::vector<std::string> removed{dead, dead + "-journal",
                                           "zenqdata_3.~fx.part-" + std::to_string(ended) + "-wal"};
    const std::vector<std::string> kept{"zenqdata_1.~fx.part-1", "zenqdata_1.~fx.part-notes",
                                        "zenqdata_x.~fx.part-" + std::to_string(ended),
                                        "mine_1.~fx.part-" + std::to_string(ended)};
    for (const auto& name : removed) folder_.write(name, "partial");
    for (const auto& name : kept) folder_.write(name, "keep");
    ASSERT_EQ(FX_Fxcopy(-1, folder_.file("zenqdata_2.~fx"), velmora::store::container_password), 1);
    for (const auto& name : removed) EXPECT_FALSE(fs::exists(folder_.file(name))) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(folder_.file(name))) << name;
}

TEST_F(StoreTest, CopyIntoAMissingFolderFailsWithoutLeavingAFile) {
    EXPECT_EQ(FX_Fxcopy(-1, folder_.file("nowhere/copy.fx"), velmora::store::container_password),
              0);
    EXPECT_FALSE(fs::exists(folder_.path() / "nowhere"));
}

TEST_F(StoreTest, ReopeningKeepsEverything) {
    put("plumora_plan", "20250101.txt", plan_line);
    FX_Closefx(1);
    EXPECT_EQ(FX_Directory_Getcount(), 0);  // closed: an empty store
    EXPECT_EQ(index("plumora_plan"), -1);
    ASSERT_EQ(FX_Createoropenfx(path_, velmora::store::container_password, 0, "", ""), 1);
    EXPECT_EQ(get(index("plumora_plan/20250101.txt")), plan_line);
}

TEST(StoreClosed, EveryOperationAnswersAsForAnEmptyStore) {
    FX_Closefx(1);
    EXPECT_EQ(FX_Directory_Getcount(), 0);
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_plan"), -1);
    EXPECT_NE(FX_Directory_Getitem_word("lb", 0), 0);
    EXPECT_EQ(FX_Directory_Getitem_String("itemname", 1), "");
    EXPECT_EQ(FX_Inputall(1, 0, {"/etc/hostname"}, "", "", 1, "", 0), 0);
    EXPECT_EQ(FX_Outputall(0, "/tmp", {"1"}, 1, 0), 0);
    EXPECT_EQ(FX_Deleteitem(1, 2), 0);
    EXPECT_EQ(FX_Addnode(0, ""), 0);
    EXPECT_EQ(FX_Getfxsize(1), 0);
    EXPECT_EQ(FX_Fxcopy(-1, "/tmp/never.fx", velmora::store::container_password), 0);
}

}  // namespace
