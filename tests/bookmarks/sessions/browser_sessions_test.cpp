// The readers of the browsers' session files, on files written here the way
// the browsers write them, and on damaged and hostile ones.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <lz4.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "../../sys/temp_folder.h"
#include "bookmarks/sessions/browser_sessions.h"
#include "session_writers.h"

namespace {

using namespace velmora::bookmarks;
using ::testing::ElementsAre;
using ::testing::Field;
using velmora::testing::append_le32;
using velmora::testing::mozlz4;
using velmora::testing::SnssWriter;
using velmora::testing::TempFolder;
using velmora::testing::write_history;
namespace fs = std::filesystem;

std::string firefox_tab(const std::string& url, const std::string& title) {
    return R"({"entries":[{"url":")" + url + R"(","title":")" + title + R"("}],"index":1})";
}
std::string firefox_json(const std::string& tabs) {
    return R"({"windows":[{"tabs":[)" + tabs + "]}]}";
}

// `count` characters of three bytes each.
std::string characters(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "标";
    return text;
}

std::vector<std::string> addresses(const std::vector<OpenPage>& pages) {
    std::vector<std::string> out;
    for (const OpenPage& page : pages) out.push_back(page.address);
    return out;
}

// Two windows of three tabs: the first tab went back one page, the tab strip
// order differs from the opening order; one tab and one window were closed.
SnssWriter browser_session() {
    SnssWriter session;
    session.numbers(SnssWriter::window_type, {1, 0}).tab(1, 11, 1).tab(1, 12, 0);
    session.visit(11, 0, "https://one.org/", u"One").visit(11, 1, "https://one.org/next", u"Next");
    session.numbers(SnssWriter::selected_navigation, {11, 1});
    session.numbers(SnssWriter::selected_navigation, {11, 0});  // back
    session.visit(12, 0, "https://two.org/", u"Two")
        .numbers(SnssWriter::selected_navigation, {12, 0});
    session.tab(1, 13, 2).visit(13, 0, "https://closed-tab.org/", u"Closed");
    session.closed(SnssWriter::tab_closed, 13).numbers(SnssWriter::pinned, {12, 1});
    session.numbers(SnssWriter::window_type, {2, 0}).tab(2, 21, 0);
    session.visit(21, 0, "chrome://newtab/", u"New Tab").visit(21, 1, "https://three.org/", u"");
    session.numbers(SnssWriter::selected_navigation, {21, 1}).record(SnssWriter::marker, "");
    session.tab(3, 31, 0).visit(31, 0, "https://closed-window.org/", u"Gone");
    session.closed(SnssWriter::tab_closed, 31).closed(SnssWriter::window_closed, 3);
    return session.numbers(SnssWriter::selected_tab, {1, 0});
}

TEST(FirefoxSession, EachOpenTabGivesTheEntryItShows) {
    const std::string json = R"({"version":["sessionrestore",1],"windows":[
      {"tabs":[
        {"entries":[{"url":"https://a.org/1","title":"A1"},
                    {"url":"https://a.org/2","title":"A2","children":[{"url":"https://ad.org/"}]}],
         "index":1,"hidden":false},
        {"entries":[{"url":"about:newtab","title":"New Tab"}],"index":1},
        {"entries":[{"url":"https://b.org/","title":"B"},{"url":"https://b.org/2","title":"B2"}]},
        {"entries":[{"url":"view-source:https://v.org/"}],"index":1}],
       "_closedTabs":[{"state":{"entries":[{"url":"https://closed.org/"}],"index":1}}]},
      {"tabs":[
        {"entries":[{"url":"http://c.org/","title":"C"}],"index":7},
        {"entries":[],"index":1},
        {"entries":[{"title":"no address"}]},
        {"entries":[{"url":"file:///home/u/a.html"},{"url":"ftp://f.org/","title":"F"}],"index":1.5},
        {"entries":[{"url":"https://d.org/","title":null},{"url":"https://d.org/2"}],"index":"1"}]}],
      "_closedWindows":[{"tabs":[{"entries":[{"url":"https://gone.org/"}],"index":1}]}],
      "session":{"lastUpdate":1700000000000}})";
    const auto pages = read_firefox_session(mozlz4(json));
    ASSERT_TRUE(pages);
    EXPECT_THAT(addresses(*pages), ElementsAre("https://a.org/1", "https://b.org/2",
                                               "http://c.org/", "ftp://f.org/", "https://d.org/2"));
    EXPECT_EQ((*pages)[0].title, "A1");
    EXPECT_EQ((*pages)[4].title, "");
}

TEST(FirefoxSession, TextSurvivesAsGiven) {
    const std::string long_title = characters(10000);
    const std::string json = firefox_json(
        firefox_tab(R"(https://x.org/a|b?c=\u0001\t)",
                    R"(\"q\" \\ \/ \b\f\n\r é \u4e2d \ud83d\ude00)") +
        "," + firefox_tab(R"(https://x.org/\ud800x\udc00)", R"(\ud800\ud800\udc00\udbff)") + "," +
        firefox_tab("https://x.org/\xF0\xA0\x80\x80", "\xF0\x9F\x98\x80 " + long_title));
    const auto pages = read_firefox_session(mozlz4(json));
    ASSERT_TRUE(pages);
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_THAT(
        *pages,
        ElementsAre(
            OpenPage{"\"q\" \\ / \b\f\n\r é 中 \xF0\x9F\x98\x80", "https://x.org/a|b?c=\x01\t"},
            OpenPage{replacement + "\xF0\x90\x80\x80" + replacement,
                     "https://x.org/" + replacement + "x" + replacement},
            // A title past page_title_limit is cut before a whole character.
            OpenPage{"\xF0\x9F\x98\x80 " + characters(339), "https://x.org/\xF0\xA0\x80\x80"}));
}

// Files of a few hundred kilobytes that unpack into a 50 MB address and a
// 10 MB title, or into 400,000 tabs and a tab of a million history
// entries: the pages kept stay within their bounds (the time such a read
// takes is measured in bench_sessions).
TEST(FirefoxSession, FilesBuiltToExpandAreReadWithinTheBounds) {
    const auto read_built = [](const std::string& tabs) {
        const std::string file = mozlz4(firefox_json(tabs));
        EXPECT_LT(file.size(), session_file_limit / 8);
        return read_firefox_session(file);
    };
    const auto long_texts =
        read_built(firefox_tab("https://huge.org/" + std::string(50'000'000, 'a'), "long") + "," +
                   firefox_tab("https://ok.org/", std::string(10'000'000, 'a')));
    ASSERT_TRUE(long_texts);
    EXPECT_THAT(*long_texts,
                ElementsAre(OpenPage{std::string(page_title_limit, 'a'), "https://ok.org/"}));

    std::string tabs = R"({"entries":[)";
    for (int i = 0; i < 1'000'000; ++i) tabs += R"({"url":"https://h.org/"},)";
    tabs += R"({"url":"https://h.org/last"}],"index":1000001})";
    for (int i = 0; i < 400'000; ++i) {
        tabs += ',';
        tabs += firefox_tab("https://t.org/" + std::to_string(i), "t");
    }
    const auto many = read_built(tabs);
    ASSERT_TRUE(many);
    ASSERT_EQ(many->size(), open_page_limit);
    // The newest entry kept of the tab that claims a million.
    EXPECT_EQ((*many)[0].address, "https://h.org/");
    EXPECT_EQ((*many)[1].address, "https://t.org/0");
}

TEST(ChromiumSession, ALogNamingCountlessTabsIsFollowedWithinTheBounds) {
    SnssWriter session;
    for (std::int32_t id = 1; id <= 200'000; ++id) {
        session.tab(1, id, id).visit(id, 0, "https://t.org/" + std::to_string(id), u"t");
    }
    const auto pages = read_chromium_session(session.bytes());
    ASSERT_TRUE(pages);
    ASSERT_EQ(pages->size(), open_page_limit);
    EXPECT_EQ((*pages)[0].address, "https://t.org/1");
}

TEST(FirefoxSession, DamagedFilesAreRefused) {
    const std::string good = mozlz4(firefox_json(firefox_tab("https://a.org/", "A")));
    ASSERT_TRUE(read_firefox_session(good));
    for (std::size_t length = 0; length < good.size(); ++length) {
        const std::vector<char> cut(good.begin(), good.begin() + static_cast<long>(length));
        EXPECT_FALSE(read_firefox_session({cut.data(), cut.size()})) << length;
    }
    std::string wrong_magic = good;
    wrong_magic[3] = 'Z';
    EXPECT_FALSE(read_firefox_session(wrong_magic));
    const std::string json = firefox_json(firefox_tab("https://a.org/", "A"));
    const auto size = static_cast<std::uint32_t>(json.size());
    for (std::uint32_t lie : {size - 1, size + 1, size * 300, std::uint32_t{0}, 0xFFFFFFFFu}) {
        EXPECT_FALSE(read_firefox_session(mozlz4(json, lie))) << lie;
    }
}

TEST(FirefoxSession, MalformedJsonIsRefusedAndNestingIsBounded) {
    for (const char* json :
         {R"({"windows":[{"tabs":[]},]})", R"({"windows":[})", R"({"windows":"x)", R"({"a":"\x"})",
          R"({"a":"\u12G4"})", "{\"a\":\"line\nbreak\"}", R"({"a":01})", R"({"a":1.})",
          R"({"a":-})", R"({"a":tru})", R"({"a" 1})", R"({"a":1} x)", R"({"a":1}{})", "[]", "",
          R"({"a":"\ud800\u"})", R"({"a":1,})"}) {
        EXPECT_FALSE(read_firefox_session(mozlz4(json))) << json;
    }
    EXPECT_THAT(read_firefox_session(mozlz4(R"( {"windows":[]} )")),
                ::testing::Optional(::testing::IsEmpty()));
    const auto nested = [](std::size_t depth) {
        return R"({"deep":)" + std::string(depth, '[') + std::string(depth, ']') +
               R"(,"windows":[{"tabs":[)" + firefox_tab("https://a.org/", "A") + "]}]}";
    };
    EXPECT_TRUE(read_firefox_session(mozlz4(nested(200))));
    EXPECT_FALSE(read_firefox_session(mozlz4(nested(100000))));
}

TEST(ChromiumSession, OpenWindowsAndTabsAtTheirSelectedEntry) {
    const auto pages = read_chromium_session(browser_session().bytes());
    ASSERT_TRUE(pages);
    EXPECT_THAT(*pages, ElementsAre(OpenPage{"Two", "https://two.org/"},
                                    OpenPage{"One", "https://one.org/"},
                                    OpenPage{"", "https://three.org/"}));
}

TEST(ChromiumSession, PrunedHistoryAndAClosedWindowAreFollowed) {
    SnssWriter session;
    session.tab(1, 5, 0);
    for (std::int32_t i = 0; i < 5; ++i)
        session.visit(5, i, "https://p.org/" + std::to_string(i), u"");
    session.numbers(SnssWriter::selected_navigation, {5, 4});
    // Entries 1 and 2 go: 3 and 4 move down to 1 and 2; the selection follows.
    session.numbers(SnssWriter::pruned, {5, 1, 2});
    EXPECT_THAT(addresses(*read_chromium_session(session.bytes())), ElementsAre("https://p.org/4"));
    session.numbers(SnssWriter::pruned_from_front, {5, 1});  // entry 0 goes, selection now 1
    EXPECT_THAT(addresses(*read_chromium_session(session.bytes())), ElementsAre("https://p.org/4"));
    session.numbers(SnssWriter::pruned_from_back, {5, 1});  // only the old entry 3 is left
    EXPECT_THAT(addresses(*read_chromium_session(session.bytes())), ElementsAre("https://p.org/3"));
    // A closed window hides its tabs even when their own closes were not written.
    session.closed(SnssWriter::window_closed, 1);
    EXPECT_THAT(*read_chromium_session(session.bytes()), ::testing::IsEmpty());
}

TEST(ChromiumSession, WrongLengthsAreSkippedAndACutFileKeepsWhatCameBefore) {
    const std::string good = browser_session().bytes();
    for (std::size_t length = 0; length <= good.size(); ++length) {
        const std::vector<char> cut(good.begin(), good.begin() + static_cast<long>(length));
        EXPECT_EQ(read_chromium_session({cut.data(), cut.size()}).has_value(), length >= 8)
            << length;
    }
    SnssWriter session = browser_session();
    // Each of these, read past its length, would move, replace or close a tab.
    session.numbers(SnssWriter::set_tab_window, {9, 12, 0});
    session.numbers(SnssWriter::tab_closed, {11, 0});
    session.record(SnssWriter::tab_closed, "\x0b");
    session.numbers(SnssWriter::pruned, {11, 0});
    const auto navigation = [](std::uint32_t pickle_size, std::uint32_t url_size) {
        std::string payload;
        for (std::uint32_t field : {pickle_size, 12u, 0u, url_size}) append_le32(payload, field);
        payload += "https://lie.org/";
        append_le32(payload, 0);  // title
        return payload;
    };
    session.record(SnssWriter::navigation, navigation(32, 1000));  // the address's length lies
    session.record(SnssWriter::navigation, navigation(5000, 16));  // the pickle's size lies
    EXPECT_EQ(read_chromium_session(session.bytes()), read_chromium_session(good));
    const std::string after_zero = session.bytes() + std::string(2, '\0');
    EXPECT_EQ(read_chromium_session(
                  after_zero + SnssWriter().closed(SnssWriter::tab_closed, 11).bytes().substr(8)),
              read_chromium_session(good));
    std::string old_version = good;
    old_version[4] = 1;
    EXPECT_EQ(read_chromium_session(old_version), read_chromium_session(good));
    for (char version : {'\x02', '\x04'}) {
        std::string encrypted = good;
        encrypted[4] = version;
        EXPECT_FALSE(read_chromium_session(encrypted));
    }
    EXPECT_FALSE(read_chromium_session("SNSX" + good.substr(4)));
}

TEST(ChromiumSession, TextSurvivesAsGiven) {
    const std::u16string long_title(10000, u'标');
    std::u16string odd_title = u"a\U0001F600b";
    odd_title += {char16_t(0xDC00), u'c', char16_t(0xD800)};
    SnssWriter session;
    session.tab(1, 1, 0).visit(1, 0, "https://x.org/a|b\x01\xF0\xA0\x80\x80", odd_title);
    session.tab(1, 2, 1).visit(2, 0, "HTTPS://x.org/long", long_title);
    const auto pages = read_chromium_session(session.bytes());
    ASSERT_TRUE(pages);
    EXPECT_THAT(*pages, ElementsAre(OpenPage{"a\xF0\x9F\x98\x80"
                                             "b\xEF\xBF\xBD"
                                             "c\xEF\xBF\xBD",
                                             "https://x.org/a|b\x01\xF0\xA0\x80\x80"},
                                    OpenPage{characters(341), "HTTPS://x.org/long"}));
}

// The first page's title after History was asked for it.
std::string history_title(std::string history, const std::string& address = "https://a.org/") {
    std::vector<OpenPage> pages{{"", address}};
    add_history_titles(std::move(history), pages);
    return pages[0].title;
}

TEST(ChromiumHistory, UntitledPagesTakeTheTitleHistoryKeepsForTheirAddress) {
    TempFolder folder;
    std::vector<std::pair<std::string, std::string>> rows{{"https://a.org/", "A 标题"},
                                                          {"https://kept.org/", "History's"},
                                                          {"https://empty.org/", ""},
                                                          {"https://bad.org/", "\xFF\xFE"}};
    std::vector<OpenPage> pages{{"", "https://a.org/"},     {"Own", "https://kept.org/"},
                                {"", "https://empty.org/"}, {"", "https://bad.org/"},
                                {"", "https://other.org/"}, {"", "https://a.org/"}};
    // More addresses than one statement asks for.
    for (int i = 0; i < 450; ++i) {
        rows.emplace_back("https://n.org/" + std::to_string(i), "N" + std::to_string(i));
        pages.push_back({"", "https://n.org/" + std::to_string(i)});
    }
    write_history(folder.file("History"), rows);
    add_history_titles(folder.read("History"), pages);
    EXPECT_THAT(
        std::vector(pages.begin(), pages.begin() + 6),
        ElementsAre(OpenPage{"A 标题", "https://a.org/"}, OpenPage{"Own", "https://kept.org/"},
                    OpenPage{"", "https://empty.org/"}, OpenPage{"", "https://bad.org/"},
                    OpenPage{"", "https://other.org/"}, OpenPage{"A 标题", "https://a.org/"}));
    for (int i = 0; i < 450; ++i) EXPECT_EQ(pages[6 + i].title, "N" + std::to_string(i));

    write_history(folder.file("wal"), {{"https://a.org/", "in WAL mode"}}, true);
    ASSERT_EQ(folder.read("wal")[18], 2);
    EXPECT_EQ(history_title(folder.read("wal")), "in WAL mode");
}

TEST(ChromiumHistory, DamagedAndHostileDatabasesGiveNoTitleButTheirOwn) {
    TempFolder folder;
    write_history(folder.file("History"), {{"https://a.org/", "A"}});
    const std::string good = folder.read("History");
    ASSERT_EQ(history_title(good), "A");
    for (const std::string& bytes : {std::string(), std::string("SQLite format 3\0", 16),
                                     std::string(5000, 'x'), mozlz4("{}")}) {
        EXPECT_EQ(history_title(bytes), "");
    }
    for (std::size_t length = 0; length < good.size(); length += 512) {
        EXPECT_THAT(history_title(good.substr(0, length)), ::testing::AnyOf("", "A")) << length;
    }
    for (std::size_t at = 0; at < good.size(); at += 61) {
        std::string flipped = good;
        flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
        EXPECT_THAT(history_title(flipped), ::testing::AnyOf("", "A")) << at;
    }
    // A urls "table" that never ends, and one without titles.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(folder.file("endless").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE VIEW urls AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                           "SELECT i + 1 FROM n) SELECT 'https://a.org/' || i AS url, 'x' AS "
                           "title FROM n; CREATE TABLE other(url)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(history_title(folder.read("endless")), "");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2 * history_time_limit);
    ASSERT_EQ(sqlite3_open(folder.file("untitled").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE urls(url); INSERT INTO urls VALUES('https://a.org/')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(history_title(folder.read("untitled")), "");
}

// Another process (a process never conflicts with its own record locks)
// holding what a running browser holds while a profile is open: Firefox's
// lock on all of the profile's .parentlock; Chromium's SQLite connection to
// the profile's History in exclusive locking mode, after a read. Until the
// object ends, and with it the process.
class RunningBrowser {
public:
    RunningBrowser(const std::vector<fs::path>& firefox_profiles,
                   const std::vector<fs::path>& chromium_profiles) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        child_ = ::fork();
        if (child_ == 0) {
            const char held = hold(firefox_profiles, chromium_profiles) ? 1 : 0;
            (void)!::write(ready[1], &held, 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char held = 0;
        EXPECT_EQ(::read(ready[0], &held, 1), 1);
        EXPECT_EQ(held, 1) << "the stand-in could not take the browser's locks";
        ::close(ready[0]);
    }
    ~RunningBrowser() {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }
    RunningBrowser(const RunningBrowser&) = delete;
    RunningBrowser& operator=(const RunningBrowser&) = delete;

private:
    static bool hold(const std::vector<fs::path>& firefox_profiles,
                     const std::vector<fs::path>& chromium_profiles) {
        for (const fs::path& profile : firefox_profiles) {
            const int file = ::open((profile / ".parentlock").c_str(), O_RDWR | O_CREAT, 0644);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            if (file < 0 || ::fcntl(file, F_SETLK, &lock) != 0) return false;
        }
        for (const fs::path& profile : chromium_profiles) {
            sqlite3* db = nullptr;
            if (sqlite3_open((profile / "History").c_str(), &db) != SQLITE_OK ||
                sqlite3_exec(db,
                             "PRAGMA locking_mode = EXCLUSIVE; SELECT count(*) FROM sqlite_master",
                             nullptr, nullptr, nullptr) != SQLITE_OK) {
                return false;
            }
        }
        return true;
    }

    pid_t child_ = -1;
};

// A home folder with Firefox's profiles.ini and a Chrome user-data folder.
class SessionDiscovery : public ::testing::Test {
protected:
    void write_firefox(const std::string& relative, const std::string& address) const {
        home.write(relative, mozlz4(firefox_json(firefox_tab(address, "T"))));
    }
    void write_chromium(const std::string& relative, const std::string& address,
                        const std::u16string& title = u"T") const {
        SnssWriter session;
        home.write(relative, session.tab(1, 1, 0).visit(1, 0, address, title).bytes());
    }
    fs::path at(const std::string& relative) const { return home.path() / relative; }
    void age(const std::string& relative, int hours) const {
        fs::last_write_time(home.path() / relative,
                            fs::file_time_type::clock::now() - std::chrono::hours(hours));
    }
    std::vector<std::string> found() const {
        std::vector<std::string> paths;
        for (const SessionFile& file : session_files(home.path().string())) {
            paths.push_back(fs::relative(file.path, home.path()).string() +
                            (file.kind == SessionFile::Kind::firefox ? " firefox" : " chromium"));
        }
        return paths;
    }

    TempFolder home;
    const std::string firefox = ".mozilla/firefox/";
    const std::string chrome = ".config/google-chrome/";
};

TEST_F(SessionDiscovery, TheNewestFileOfEveryProfileIsFound) {
    home.write(firefox + "profiles.ini",
               "[Install4F96D1932A9F858E]\r\nDefault=abc.default-release\r\n\r\n"
               "[Profile1]\r\nName=work\r\nIsRelative=0\r\nPath=" +
                   home.file("elsewhere/work") +
                   "\r\n\r\n[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
                   "Path=abc.default-release\r\n\r\n[Profile2]\r\nIsRelative=1\r\nPath=empty\r\n");
    write_firefox(firefox + "abc.default-release/sessionstore-backups/recovery.jsonlz4",
                  "https://running.org/");
    write_firefox(firefox + "abc.default-release/sessionstore.jsonlz4", "https://closed.org/");
    age(firefox + "abc.default-release/sessionstore.jsonlz4", 2);
    write_firefox("elsewhere/work/sessionstore.jsonlz4", "https://work.org/");
    fs::create_directories(home.path() / (firefox + "empty"));
    write_chromium(chrome + "Default/Sessions/Session_9", "https://nine.org/");
    write_chromium(chrome + "Default/Sessions/Session_13350000000000001", "https://newest.org/");
    write_chromium(chrome + "Default/Sessions/Session_13350000000000000", "https://older.org/");
    write_chromium(chrome + "Default/Sessions/Tabs_13360000000000000", "https://tabs.org/");
    write_chromium(chrome + "Default/Sessions/Session_2x", "https://not-a-number.org/");
    write_chromium(chrome + "Profile 10/Sessions/Session_1", "https://ten.org/");
    write_chromium(chrome + "Profile 2/Current Session", "https://two.org/");
    fs::create_directories(home.path() / ".config/BraveSoftware/Brave-Browser/Default/Sessions");
    EXPECT_THAT(
        found(),
        ElementsAre("elsewhere/work/sessionstore.jsonlz4 firefox",
                    firefox + "abc.default-release/sessionstore-backups/recovery.jsonlz4 firefox",
                    chrome + "Default/Sessions/Session_13350000000000001 chromium",
                    chrome + "Profile 2/Current Session chromium",
                    chrome + "Profile 10/Sessions/Session_1 chromium"));
    const RunningBrowser running(
        {at("elsewhere/work"), at(firefox + "abc.default-release")},
        {at(chrome + "Default"), at(chrome + "Profile 2"), at(chrome + "Profile 10")});
    EXPECT_THAT(addresses(open_browser_pages(home.path().string())),
                ElementsAre("https://work.org/", "https://running.org/", "https://newest.org/",
                            "https://two.org/", "https://ten.org/"));
    age(firefox + "abc.default-release/sessionstore-backups/recovery.jsonlz4", 3);
    EXPECT_THAT(addresses(open_browser_pages(home.path().string())),
                ::testing::Contains("https://closed.org/"));
}

TEST_F(SessionDiscovery, UnreadableFilesAreSkippedAndTheOthersStillCount) {
    home.write(firefox + "profiles.ini", "[Profile0]\nPath=fifo\n[Profile1]\nPath=garbage\n");
    const fs::path fifo = home.path() / (firefox + "fifo/sessionstore-backups/recovery.jsonlz4");
    fs::create_directories(fifo.parent_path());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    home.write(firefox + "garbage/sessionstore.jsonlz4", "mozLz40");
    // A good session grown past the limit by a hole: refused by its size alone.
    write_chromium(chrome + "Default/Sessions/Session_1", "https://too-big.org/");
    fs::resize_file(home.path() / (chrome + "Default/Sessions/Session_1"), 100'000'000);
    write_chromium(chrome + "Profile 1/Sessions/Session_1", "https://still-here.org/", u"");
    // A good History grown past the limit: the page stays, without a title.
    write_history(home.file(chrome + "Profile 1/History"), {{"https://still-here.org/", "H"}});
    fs::resize_file(at(chrome + "Profile 1/History"), history_file_limit + 1);
    const std::vector<SessionFile> files = session_files(home.path().string());
    ASSERT_EQ(files.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_FALSE(read_session_file(files[i])) << files[i].path;
    const RunningBrowser running({at(firefox + "fifo"), at(firefox + "garbage")},
                                 {at(chrome + "Default"), at(chrome + "Profile 1")});
    EXPECT_THAT(open_browser_pages(home.path().string()),
                ElementsAre(OpenPage{"", "https://still-here.org/"}));
}

// Every profile below has its session files; only the ones a browser has
// open count, whatever else a browser that ended left behind.
TEST_F(SessionDiscovery, OnlyTheProfilesABrowserHasOpenAreOffered) {
    home.write(firefox + "profiles.ini", "[Profile0]\nPath=open\n[Profile1]\nPath=closed\n");
    write_firefox(firefox + "open/sessionstore-backups/recovery.jsonlz4", "https://ff-open.org/");
    write_firefox(firefox + "closed/sessionstore-backups/recovery.jsonlz4", "https://ff-gone.org/");
    // What Firefox leaves after a crash: its lock link, naming a live process.
    home.write(firefox + "closed/.parentlock", "");
    fs::create_symlink("127.0.0.1:+" + std::to_string(::getpid()), at(firefox + "closed/lock"));
    for (const std::string profile : {"Default", "Profile 1"}) {
        const std::string address = "https://" + profile.substr(0, 7) + ".org/";
        write_chromium(chrome + profile + "/Sessions/Session_13400000000000000", address, u"");
        write_history(home.file(chrome + profile + "/History"), {{address, profile + " 标题"}});
    }
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    fs::create_symlink(std::string(host) + "-" + std::to_string(::getpid()),
                       at(chrome + "SingletonLock"));
    {
        const RunningBrowser running({at(firefox + "open")}, {at(chrome + "Default")});
        EXPECT_THAT(open_browser_pages(home.path().string()),
                    ElementsAre(OpenPage{"T", "https://ff-open.org/"},
                                OpenPage{"Default 标题", "https://Default.org/"}));
    }
    EXPECT_THAT(open_browser_pages(home.path().string()), ::testing::IsEmpty());
    EXPECT_EQ(session_files(home.path().string()).size(), 4u);
}

}  // namespace
