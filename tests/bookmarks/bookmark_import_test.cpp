// Bookmark files in the encodings browsers and older programs wrote them
// in, and the names an imported folder may not have.
#include <gtest/gtest.h>

#include "bookmark_nodes.h"
#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"
#include "bookmarks/bookmark_store.h"
#include "store/store_fixture.h"
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

}  // namespace
}  // namespace velmora::bookmarks
