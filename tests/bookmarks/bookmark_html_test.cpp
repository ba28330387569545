// The browser bookmark file: written and read back, files shaped as the
// browsers write them, hostile input, and the page's import and export on
// a real container.
#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTreeWidget>

#include "app/recording_prompts.h"
#include "bookmark_nodes.h"
#include "bookmarks/widgets/bookmark_page.h"
#include "store/store_fixture.h"
#include "sys/fake_platform.h"

namespace velmora::bookmarks {
namespace {

std::size_t depth_of(const std::vector<BookmarkNode>& top) {
    std::size_t depth = 0;
    const std::vector<BookmarkNode>* level = &top;
    while (!level->empty() && level->front().folder) {
        ++depth;
        level = &level->front().children;
    }
    return depth;
}

std::string repeated(std::string_view part, std::size_t times) {
    std::string text;
    text.reserve(part.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += part;
    return text;
}

TEST(BookmarkHtml, ARoundTripKeepsNestedFoldersChineseTitlesAndMarkup) {
    const std::vector<BookmarkNode> tree{
        folder("工作",
               {link("文档 <站点> & \"说明\" 'x'", "https://例子.cn/a?b=1&c=\"2\""),
                folder("深一层", {folder("空目录", {}), link("再深", "http://deep.example/")}),
                link("同名", "http://1"), link("同名", "http://2")}),
        link("😀 表情 𠀀", "file:///home/用户/页.html"), folder("", {link("", "http://untitled")})};
    const std::string html = write_bookmark_html(tree);
    EXPECT_EQ(html.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n", 0), 0u);
    EXPECT_NE(html.find("charset=UTF-8"), std::string::npos);
    EXPECT_EQ(html.find("<站点>"), std::string::npos);
    const ParsedBookmarks parsed = parse_bookmark_html(html);
    EXPECT_TRUE(parsed.recognised);
    EXPECT_EQ(parsed.flattened_folders, 0u);
    EXPECT_EQ(parsed.top, tree);
    EXPECT_EQ(
        html_unescape("&lt;&GT;&amp;&quot;&#39;&apos;&#x4E2D;&#22269;&nbsp;&bogus;&#0;&#xD800;&"),
        "<>&\"''中国 &bogus;&#0;&#xD800;&");
}

constexpr const char* firefox_file = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<meta http-equiv="Content-Security-Policy"
      content="default-src 'self'; script-src 'none'; img-src data: *; object-src 'none'"></meta>
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>

<DL><p>
    <DT><H3 ADD_DATE="1700000000" LAST_MODIFIED="1700000001" PERSONAL_TOOLBAR_FOLDER="true">Bookmarks Toolbar</H3>
    <DD>Add bookmarks to this folder
    <DL><p>
        <DT><A HREF="https://www.mozilla.org/about/" ADD_DATE="1" LAST_MODIFIED="2" ICON_URI="https://www.mozilla.org/favicon.ico" ICON="data:image/png;base64,iVBORw0KGgo=" TAGS="a,b">Mozilla &amp; Co
            About</A>
        <DD>A description with <b>markup</b>
    </DL><p>
    <HR>    <DT><H3 ADD_DATE="3">菜单 &gt; 子</H3>
    <DL><p>
        <DT><A HREF="place:sort=8&amp;maxResults=10">Recent Tags</A>
        <DT><H3>Empty</H3>
        <DT><A HREF="http://after.empty/">After</A>
    </DL><p>
</DL>
)";

constexpr const char* chromium_file = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks</H1>
<DL><p>
    <DT><H3 ADD_DATE="13350000000000000" LAST_MODIFIED="0" PERSONAL_TOOLBAR_FOLDER="true">书签栏</H3>
    <DL><p>
        <DT><A HREF="https://www.baidu.com/" ADD_DATE="13350000000000000" ICON="data:image/png;base64,AAAA">百度一下，你就知道</A>
        <DT><H3 ADD_DATE="1" LAST_MODIFIED="0">新闻</H3>
        <DL><p>
            <DT><A HREF="https://news.example/?a=1&amp;b=2">新闻 &#8211; 头条 &#x1F600;</A>
        </DL><p>
    </DL><p>
    <DT><H3 ADD_DATE="2" LAST_MODIFIED="0">其他书签</H3>
    <DL><p>
    </DL><p>
</DL><p>
)";

TEST(BookmarkHtml, ReadsTheFilesBrowsersWrite) {
    const ParsedBookmarks firefox = parse_bookmark_html(firefox_file);
    EXPECT_TRUE(firefox.recognised);
    EXPECT_EQ(
        firefox.top,
        (std::vector<BookmarkNode>{
            folder("Bookmarks Toolbar",
                   {link("Mozilla & Co About", "https://www.mozilla.org/about/")}),
            folder("菜单 > 子", {link("Recent Tags", "place:sort=8&maxResults=10"),
                                 folder("Empty", {}), link("After", "http://after.empty/")})}));
    const ParsedBookmarks chromium = parse_bookmark_html(chromium_file);
    EXPECT_EQ(
        chromium.top,
        (std::vector<BookmarkNode>{
            folder("书签栏",
                   {link("百度一下，你就知道", "https://www.baidu.com/"),
                    folder("新闻", {link("新闻 – 头条 😀", "https://news.example/?a=1&b=2")})}),
            folder("其他书签", {})}));
    // Letter case, unquoted and single-quoted values, no <p> at all.
    const ParsedBookmarks lower = parse_bookmark_html(
        "<dl><dt><h3>a</h3><dl><dt><a add_date=1 href=http://x/?q>x</a>"
        "<dt><a href='http://y/' >y</a></dl></dl>");
    EXPECT_FALSE(lower.recognised);
    EXPECT_EQ(lower.top, (std::vector<BookmarkNode>{
                             folder("a", {link("x", "http://x/?q"), link("y", "http://y/")})}));
}

TEST(BookmarkHtml, MalformedInputIsReadSafelyAndWithinLimits) {
    // Unclosed tags end where the next entry starts, or at the end.
    EXPECT_EQ(
        parse_bookmark_html("<DL><DT><A HREF=\"http://a\">one<DT><H3>f<DL><DT><A HREF=x>two").top,
        (std::vector<BookmarkNode>{link("one", "http://a"), folder("f", {link("two", "x")})}));
    // An unterminated quote swallows the rest of the file, nothing more.
    EXPECT_TRUE(parse_bookmark_html("<DL><DT><A HREF=\"http://b>b</A><DT><H3>f</H3>").top.empty());
    EXPECT_TRUE(parse_bookmark_html("no markup at all & <").top.empty());
    EXPECT_TRUE(parse_bookmark_html("<DL><DT><A>no address</A></DL></DL></DL>").top.empty());

    // Folders nested 100,000 deep: the tree stops at the deepest kept level
    // and what lies below joins it, without the stack taking the depth.
    const std::size_t levels = 100000;
    const std::string deep = "<DL><p>" + repeated("<DT><H3>层</H3><DL><p>", levels) +
                             "<DT><A HREF=\"http://deep/\">deep</A>" + repeated("</DL><p>", levels);
    const ParsedBookmarks nested = parse_bookmark_html(deep);
    EXPECT_EQ(depth_of(nested.top), deepest_folder);
    EXPECT_EQ(nested.flattened_folders, levels - deepest_folder);
    const BookmarkNode* bottom = &nested.top.front();
    while (!bottom->children.empty() && bottom->children.front().folder) {
        bottom = &bottom->children.front();
    }
    EXPECT_EQ(bottom->children, (std::vector<BookmarkNode>{link("deep", "http://deep/")}));
    EXPECT_EQ(parse_bookmark_html(repeated("<DL>", levels) + repeated("</DL>", levels + 5)).top,
              std::vector<BookmarkNode>{});

    // A huge attribute and a title longer than any title is kept.
    const std::string huge = "<DL><DT><A HREF=\"http://h/\" ICON=\"" + std::string(8 << 20, 'A') +
                             "\">" + std::string(1 << 20, 't') + "</A>";
    const ParsedBookmarks big = parse_bookmark_html(huge);
    ASSERT_EQ(big.top.size(), 1u);
    EXPECT_EQ(big.top[0].address, "http://h/");
    EXPECT_LE(big.top[0].title.size(), 64u * 1024u);
    // Nothing past the size limit is read.
    const std::string past = std::string(bookmark_html_limit, ' ') + "<DL><DT><A HREF=x>x</A>";
    EXPECT_TRUE(parse_bookmark_html(past).top.empty());
}

// --- The page ------------------------------------------------------------------

class BookmarkTransferTest : public testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        page = std::make_unique<BookmarkPage>(&host, prompts, platform,
                                              [] { return std::vector<Bookmark>{}; });
        page->set_file_chooser([this](QWidget*, bool saving) {
            chooser_calls.push_back(saving);
            return chosen;
        });
    }
    void TearDown() override {
        page.reset();
        StoreTest::TearDown();
    }
    int make_folder(const std::string& parent, const std::string& name) {
        const int made = store::add_folder(index(parent));
        EXPECT_EQ(FX_Changeitemname(index(parent), made, name), 1);
        return made;
    }
    void select(const std::string& name) {
        for (QTreeWidgetItem* n : store::all_nodes(page->tv_url)) {
            if (store::node_index(n) == index(name)) store::select_alone(page->tv_url, n);
        }
    }
    // The menu's import, waited for with the event loop running as the
    // window's would.
    void import_chosen() {
        page->n_url_importClick();
        while (page->importing()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    std::vector<BookmarkNode> stored() {
        const StoredTree tree = read_stored_tree();
        EXPECT_EQ(tree.error, store::FxError::none);
        return tree.top;
    }

    QWidget host;
    testing::RecordingPrompts prompts;
    sys::testing::FakePlatform platform;
    std::unique_ptr<BookmarkPage> page;
    std::string chosen;
    std::vector<bool> chooser_calls;
};

TEST_F(BookmarkTransferTest, TheMenuEndsWithExportAndImportAfterItsOwnEntries) {
    page->load();
    const QList<QAction*> actions = page->pm_url->actions();
    ASSERT_GE(actions.size(), 4);
    EXPECT_EQ(actions[actions.size() - 1], page->n_url_import);
    EXPECT_EQ(actions[actions.size() - 2], page->n_url_export);
    EXPECT_TRUE(actions[actions.size() - 3]->isSeparator());
    EXPECT_EQ(actions[actions.size() - 4], page->n_url_paste);
    EXPECT_EQ(page->n_url_export->text(), "导出书签…");
    EXPECT_EQ(page->n_url_import->text(), "导入书签…");
    EXPECT_TRUE(page->n_url_export->isEnabled() && page->n_url_import->isEnabled());
}

TEST_F(BookmarkTransferTest, ExportWritesTheTreeAndAFailureLeavesTheOldFile) {
    make_folder("plumora_url", "工作");
    ASSERT_EQ(add_bookmark(index("plumora_url/工作"), {"文档 & 站点", "https://例子.cn/?a=1&b=2"}),
              store::FxError::none);
    ASSERT_EQ(add_bookmark(index("plumora_url"), {"Example", "http://example.org/"}),
              store::FxError::none);
    page->load();
    chosen = folder_.file("out.html");
    folder_.write("out.html", "older");
    page->n_url_exportClick();
    EXPECT_EQ(chooser_calls, std::vector<bool>{true});
    EXPECT_EQ(parse_bookmark_html(folder_.read("out.html")).top, stored());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("已导出"), std::string::npos);

    chosen = folder_.file("missing/out.html");
    page->n_url_exportClick();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].rfind("书签没有导出", 0), 0u) << prompts.shown[1];
    EXPECT_FALSE(std::filesystem::exists(folder_.file("missing")));

    chosen.clear();  // the dialog cancelled
    page->n_url_exportClick();
    EXPECT_EQ(prompts.shown.size(), 2u);
}

// The export's target follows the command line's rule (the system
// helper's): what is no regular file of one name is refused and left as it
// was; a read-only file is replaced only once the user says yes.
TEST_F(BookmarkTransferTest, ExportRefusesWhatIsNoRegularFileAndAsksBeforeAReadOnlyOne) {
    namespace fs = std::filesystem;
    ASSERT_EQ(add_bookmark(index("plumora_url"), {"Example", "http://example.org/"}),
              store::FxError::none);
    page->load();
    folder_.write("real.html", "the real file");
    fs::create_symlink(folder_.path() / "real.html", folder_.path() / "link.html");
    ASSERT_EQ(mkfifo(folder_.file("fifo").c_str(), 0600), 0);
    folder_.write("linked.html", "linked");
    fs::create_hard_link(folder_.path() / "linked.html", folder_.path() / "other.html");
    const std::pair<std::string, std::string> refused[] = {
        {"fifo", "书签没有导出：这是一个命名管道（FIFO），不是普通文件。原有的文件保持原样。"},
        {"link.html", "书签没有导出：这是一个符号链接："},
        {"linked.html", "书签没有导出：这个文件还有别的硬链接："},
    };
    for (const auto& [name, message] : refused) {
        chosen = folder_.file(name);
        prompts.shown.clear();
        page->n_url_exportClick();
        ASSERT_EQ(prompts.shown.size(), 1u) << name;
        EXPECT_EQ(prompts.shown[0].rfind(message, 0), 0u) << prompts.shown[0];
    }
    EXPECT_TRUE(fs::is_fifo(folder_.path() / "fifo"));
    EXPECT_TRUE(fs::is_symlink(folder_.path() / "link.html"));
    EXPECT_EQ(folder_.read("real.html"), "the real file");
    EXPECT_EQ(folder_.read("linked.html"), "linked");
    EXPECT_EQ(fs::hard_link_count(folder_.path() / "other.html"), 2u);

    folder_.write("read-only.html", "kept");
    const fs::path read_only = folder_.path() / "read-only.html";
    fs::permissions(read_only, fs::perms::owner_read, fs::perm_options::replace);
    chosen = read_only.string();
    prompts.shown.clear();
    prompts.answers = {false};
    page->n_url_exportClick();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], read_only.string() + " 是一个只读文件。\n要用导出的书签替换它吗？");
    EXPECT_TRUE(prompts.no_by_default);
    EXPECT_EQ(folder_.read("read-only.html"), "kept");
    prompts.answers = {true};
    page->n_url_exportClick();
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_NE(prompts.shown[2].find("已导出"), std::string::npos) << prompts.shown[2];
    EXPECT_EQ(parse_bookmark_html(folder_.read("read-only.html")).top, stored());
    EXPECT_EQ(fs::status(read_only).permissions(), fs::perms::owner_read);
}

TEST_F(BookmarkTransferTest, ImportGoesBelowTheSelectedFolderAndReportsWhatWasLeftOut) {
    make_folder("plumora_url", "导入");
    page->load();
    select("plumora_url/导入");
    folder_.write("in.html", std::string(chromium_file) + firefox_file);
    chosen = folder_.file("in.html");
    import_chosen();
    EXPECT_EQ(chooser_calls, std::vector<bool>{false});
    const std::vector<BookmarkNode> top = stored();
    ASSERT_EQ(top.size(), 1u);
    const std::vector<BookmarkNode> expected{
        folder("书签栏",
               {link("百度一下，你就知道", "https://www.baidu.com/"),
                folder("新闻", {link("新闻 – 头条 😀", "https://news.example/?a=1&b=2")})}),
        folder("其他书签", {}),
        folder("Bookmarks Toolbar", {link("Mozilla & Co About", "https://www.mozilla.org/about/")}),
        // ">" cannot stand in a stored title: cleaned as a captured title.
        folder("菜单 - 子", {folder("Empty", {}), link("After", "http://after.empty/")})};
    EXPECT_EQ(top[0].children, expected);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("已导入 4 个书签、6 个文件夹"), std::string::npos)
        << prompts.shown[0];
    EXPECT_NE(prompts.shown[0].find("Recent Tags"), std::string::npos) << prompts.shown[0];

    // Imported again into the same place, nothing is doubled.
    import_chosen();
    EXPECT_EQ(stored()[0].children, expected);
    EXPECT_NE(prompts.shown[1].find("已导入 0 个书签、0 个文件夹。另有 4 个书签原来就有"),
              std::string::npos)
        << prompts.shown[1];
}

TEST_F(BookmarkTransferTest, AnUnreadableOrEmptyFileImportsNothing) {
    page->load();
    const auto before = listing();
    chosen = folder_.file("absent.html");
    import_chosen();
    folder_.write("empty.html", "<html><body>nothing here</body></html>");
    chosen = folder_.file("empty.html");
    import_chosen();
    chosen = folder_.path().string();  // a folder, not a file
    import_chosen();
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[0], "书签没有导入：文件不存在。");
    EXPECT_NE(prompts.shown[1].find("没有找到书签"), std::string::npos);
    EXPECT_EQ(prompts.shown[2], "书签没有导入：这不是一个普通文件。");
    EXPECT_EQ(listing(), before);
}

// A big file goes in slices while the event loop runs, the tree taking no
// clicks meanwhile; the close sequence stops it after the slice it stored,
// and nothing more is told.
TEST_F(BookmarkTransferTest, AnImportRunsInSlicesAndTheCloseStopsItQuietly) {
    std::vector<BookmarkNode> links;
    for (int i = 0; i < 20000; ++i) {
        links.push_back(link("page " + std::to_string(i), "http://x/" + std::to_string(i)));
    }
    folder_.write("big.html", write_bookmark_html({folder("big", std::move(links))}));
    page->load();
    chosen = folder_.file("big.html");
    page->n_url_importClick();
    EXPECT_TRUE(page->importing());
    EXPECT_FALSE(page->tv_url->isEnabled());
    QCoreApplication::processEvents();  // the first slice
    page->stop_work();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(page->importing());
    EXPECT_TRUE(prompts.shown.empty());
    const std::vector<BookmarkNode> top = stored();
    ASSERT_EQ(top.size(), 1u);
    EXPECT_GT(top[0].children.size(), 0u);
    EXPECT_LT(top[0].children.size(), 20000u);
}

}  // namespace
}  // namespace velmora::bookmarks
