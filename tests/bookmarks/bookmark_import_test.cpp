// Bookmark files in the encodings browsers and older programs wrote them
// in, and the names an imported folder may not have.
#include <gtest/gtest.h>

#include "bookmark_nodes.h"
#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"
#include "bookmarks/bookmark_store.h"
#include "store/fx_tree.h"
#include "store/store_fixture.h"
#include "sys/small_disk.h"
#include "sys/textcodec.h"

namespace velmora::bookmarks {
namespace {

std::string file_with(std::string_view head, std::string_view body) {
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n" + std::string(head) +
           "\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n" + std::string(body) + "</DL><p>\n";
}

const std::vector<BookmarkNode> chinese_tree{
    folder("收藏夹", {link("新闻 头条", "http://news.example/"), link("谁", "http://who/")})};
constexpr std::string_view chinese_body =
    "<DT><H3>收藏夹</H3>\n<DL><p>\n<DT><A HREF=\"http://news.example/\">新闻 头条</A>\n"
    "<DT><A HREF=\"http://who/\">谁</A>\n</DL><p>\n";

TEST(BookmarkCharset, TheDeclaredCharsetIsHonoured) {
    const std::string gb_body = text::to_gb18030(chinese_body);
    for (const char* head :
         {"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=GB2312\">",
          "<meta http-equiv='content-type' content='text/html;charset=gbk'>",
          "<meta charset=\"GB18030\">"}) {
        EXPECT_EQ(parse_bookmark_html(file_with(head, gb_body)).top, chinese_tree) << head;
    }
    // "中文" in Big5, "Café" in Latin-1.
    const std::string big5 = file_with("<META CONTENT=\"text/html; charset=big5\">",
                                       "<DT><A HREF=\"http://tw/\">\xA4\xA4\xA4\xE5</A>\n");
    EXPECT_EQ(parse_bookmark_html(big5).top, std::vector<BookmarkNode>{link("中文", "http://tw/")});
    const std::string latin =
        file_with("<meta charset=iso-8859-1>", "<DT><A HREF=\"http://fr/\">Caf\xE9</A>\n");
    EXPECT_EQ(parse_bookmark_html(latin).top,
              std::vector<BookmarkNode>{link("Café", "http://fr/")});
    // A "charset=" in a title declares nothing.
    const std::string titled = file_with("", "<DT><A HREF=\"http://x/\">charset=big5 中文</A>\n");
    EXPECT_EQ(parse_bookmark_html(titled).top,
              std::vector<BookmarkNode>{link("charset=big5 中文", "http://x/")});
}

TEST(BookmarkCharset, BytesThatAreNotUtf8AreReadAsGb18030) {
    // No declaration at all, as older programs wrote their files.
    EXPECT_EQ(parse_bookmark_html(file_with("", text::to_gb18030(chinese_body))).top, chinese_tree);
    // Declared UTF-8, and one title written in GB18030 among UTF-8 ones.
    const std::string mixed =
        file_with("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">",
                  "<DT><A HREF=\"http://1/\">中文标题</A>\n<DT><A HREF=\"http://2/\">" +
                      text::to_gb18030("书签") + "</A>\n<DT><A HREF=\"http://3/\">第三个</A>\n");
    EXPECT_EQ(parse_bookmark_html(mixed).top,
              (std::vector<BookmarkNode>{link("中文标题", "http://1/"), link("书签", "http://2/"),
                                         link("第三个", "http://3/")}));
    // An unknown charset is no reason to lose the titles.
    EXPECT_EQ(parse_bookmark_html(file_with("<meta charset=\"x-no-such\">", chinese_body)).top,
              chinese_tree);
}

class BookmarkImportNames : public testing::StoreTest {};

// "." and ".." name no folder a user made: refused as such bookmark titles
// are, with what they hold, and the rest of the file goes in.
TEST_F(BookmarkImportNames, FoldersNamedDotOrDotDotAreRefused) {
    const ImportReport report = import_tree(
        index("plumora_url"), {folder("..", {link("inside", "http://in/")}), folder(".", {}),
                               folder("ok", {link("..", "http://dots/")}), link("b", "http://b/")});
    EXPECT_EQ(listing(),
              (std::vector<std::string>{"plumora_plan", "plumora_note", "plumora_files",
                                        "plumora_url", "plumora_url/ok", "plumora_url/b"}));
    EXPECT_EQ(report.folders, 1);
    EXPECT_EQ(report.bookmarks, 1);
    ASSERT_EQ(report.skipped.size(), 3u);
    EXPECT_EQ(report.skipped[0].rfind("..：", 0), 0u) << report.skipped[0];
    EXPECT_NE(report.skipped[0].find("“..”"), std::string::npos) << report.skipped[0];
    EXPECT_EQ(report.skipped[1].rfind(".：", 0), 0u) << report.skipped[1];
}

// `folders` folders of `per_folder` bookmarks each, addresses padded to
// `address_bytes`.
std::vector<BookmarkNode> numbered_folders(int folders, int per_folder,
                                           std::size_t address_bytes = 0) {
    std::vector<BookmarkNode> top;
    for (int f = 0; f < folders; ++f) {
        std::vector<BookmarkNode> links;
        for (int i = 0; i < per_folder; ++i) {
            std::string address =
                "https://example.org/" + std::to_string(f) + "/" + std::to_string(i) + "?";
            address.resize(std::max(address.size(), address_bytes), 'a');
            links.push_back(link("站点 " + std::to_string(i), address));
        }
        top.push_back(folder("文件夹 " + std::to_string(f), std::move(links)));
    }
    return top;
}

class BookmarkImportRun : public testing::StoreTest {
protected:
    std::size_t stored_below_root() {
        std::size_t count = 0;
        for (const std::string& item : listing()) count += item.rfind("plumora_url/", 0) == 0;
        return count;
    }
};

// Every slice is stored when it ends: a cancelled import keeps what it
// stored and says how much it did not reach, and the same file imported
// again finishes the work without doubling anything.
TEST_F(BookmarkImportRun, ACancelledImportKeepsItsSlicesAndASecondImportFinishesIt) {
    const std::vector<BookmarkNode> top = numbered_folders(3, 40);
    ImportRun run(index("plumora_url"), top);
    ASSERT_EQ(run.total(), 123u);
    for (int slice = 0; slice < 5; ++slice)
        ASSERT_TRUE(run.run_slice(std::chrono::milliseconds(0)));
    run.cancel();
    EXPECT_FALSE(run.run_slice(std::chrono::hours(1)));
    const ImportReport& report = run.report();
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(run.done(), stored_below_root());
    EXPECT_EQ(report.not_reached, run.total() - run.done());
    EXPECT_EQ(static_cast<std::size_t>(report.folders + report.bookmarks), run.done());
    EXPECT_NE(import_summary(report).find("导入已取消。"), std::string::npos);

    const ImportReport again = import_tree(index("plumora_url"), top);
    EXPECT_EQ(stored_below_root(), 123u);
    EXPECT_EQ(again.already_there, report.bookmarks);
    EXPECT_EQ(again.bookmarks + report.bookmarks, 120);
    EXPECT_EQ(again.not_reached, 0u);
}

// A disk that fills up in the middle: the slice that failed is undone
// whole, what the slices before it stored stays and reads back after a new
// open, and the report says why the import stopped.
TEST_F(BookmarkImportRun, ADiskThatFillsUpStopsTheImportWithTheEarlierSlicesStored) {
    testing::SmallDisk disk(folder_.file("disk"), 1024);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    FX_Closefx(1);
    const std::string small = disk.folder() + "/zenqdata.fx";
    ASSERT_EQ(FX_Createoropenfx(small, store::container_password, 0, "fileX", "ccc"), 1);
    for (const char* top : store::top_folders) ASSERT_EQ(FX_Addnode(0, top), 1);
    ImportRun run(index("plumora_url"), numbered_folders(4, 100, 4000));
    while (run.run_slice(std::chrono::milliseconds(1))) {
    }
    const ImportReport report = run.report();
    EXPECT_EQ(report.stopped, store::FxError::disk_full);
    EXPECT_GT(report.bookmarks, 0);
    const std::size_t stored = static_cast<std::size_t>(report.folders + report.bookmarks);
    EXPECT_EQ(report.not_reached, run.total() - stored);
    EXPECT_EQ(import_summary(report).rfind("导入没有完成：磁盘空间已满。", 0), 0u);

    FX_Closefx(1);
    ASSERT_EQ(FX_Createoropenfx(small, store::container_password, 0, "fileX", "ccc"), 1);
    EXPECT_EQ(stored_below_root(), stored);
    const int last =
        index("plumora_url/文件夹 0/站点 " + std::to_string(std::min(99, report.bookmarks - 1)));
    EXPECT_EQ(read_address(last).address.size(), 4000u);
}

// Nothing of a batch is stored before its commit; a change inside it that
// fails undoes only itself.
TEST_F(BookmarkImportRun, ABatchStoresAllOrNothingAndAFailedChangeUndoesOnlyItself) {
    const int root = index("plumora_url");
    {
        store::ChangeBatch batch;
        ASSERT_EQ(batch.started(), store::FxError::none);
        ASSERT_EQ(add_bookmark(root, {"kept", "http://kept/"}), store::FxError::none);
        EXPECT_EQ(add_bookmark(root, {std::string(300, 'x'), "http://long/"}),
                  store::FxError::name_too_long);
        ASSERT_EQ(add_bookmark(root, {"after", "http://after/"}), store::FxError::none);
        EXPECT_EQ(batch.commit(), store::FxError::none);
    }
    {
        store::ChangeBatch batch;
        ASSERT_EQ(add_bookmark(root, {"dropped", "http://dropped/"}), store::FxError::none);
    }
    EXPECT_EQ(stored_below_root(), 2u);
    EXPECT_GT(index("plumora_url/after"), 0);
    EXPECT_LT(index("plumora_url/dropped"), 0);
}

}  // namespace
}  // namespace velmora::bookmarks
