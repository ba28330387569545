// The bookmark rules that need no window.
#include <gmock/gmock.h>

#include "bookmarks/bookmark_rules.h"

namespace {

using namespace velmora::bookmarks;

TEST(BookmarkTitles, FileNameCharactersAndLineBreaksAreRefused) {
    EXPECT_FALSE(title_problem("新闻 - 首页 (2)"));
    for (const char* title : {"a/b", "a\\b", "say \"hi\"", "a:b", "a*b", "a?b", "a<b", "a>b", "a|b",
                              "two\nlines", "two\rlines"}) {
        EXPECT_TRUE(title_problem(title)) << title;
    }
}

TEST(BookmarkTitles, CleaningReplacesWhatAFileNameCannotHold) {
    EXPECT_EQ(clean_title("a/b:c"), "a-b-c");
    EXPECT_EQ(clean_title("\\*?:><|\"/"), "---------");
    EXPECT_EQ(clean_title("  spaced  "), "  spaced  ");  // not trimmed
    EXPECT_EQ(clean_title(" \t "), "");
    EXPECT_EQ(clean_title("one\ntwo\x01"), "one two ");
    EXPECT_EQ(clean_title("标题 𠀀"), "标题 𠀀");
}

// Direction overrides, isolates, marks, zero-width characters, the soft
// hyphen and the byte order mark go; a title of nothing else is blank.
TEST(BookmarkTitles, CleaningDropsWhatTurnsOrHidesText) {
    EXPECT_EQ(clean_title("\u202Egpj.exe\u202C 网页"), "gpj.exe 网页");
    EXPECT_EQ(clean_title("pay\u200Bpal\u00AD\u2066x\u2069\u200F\u061C\uFEFF"), "paypalx");
    EXPECT_EQ(clean_title("line\u2028break"), "line break");
    EXPECT_EQ(clean_title("\u202E\u200B"), "");
    EXPECT_EQ(capture_title("\u202E", "https://example.org/a"), "example.org-a");
    // Not UTF-8: left for the readers to judge, only the bytes of a file
    // name replaced.
    EXPECT_EQ(clean_title("a\xFF/b"), "a\xFF-b");
}

TEST(BookmarkTitles, ABlankCapturedTitleIsNamedAfterTheAddress) {
    EXPECT_EQ(capture_title("Start | Page", "https://example.org/"), "Start - Page");
    EXPECT_EQ(capture_title("   ", "https://example.org/docs/a?b=1/"), "example.org-docs-a-b=1");
    EXPECT_EQ(capture_title("", "about:blank"), "about-blank");
    EXPECT_EQ(capture_title("", "file:///home/u/a.html"), "home-u-a.html");
    EXPECT_EQ(capture_title("https://x.org/a/", "https://x.org/a/"), "x.org-a");
}

TEST(BookmarkTitles, ACapturedTitleIsCutAtACharacterBoundary) {
    std::string long_title;
    for (int i = 0; i < 10000; ++i) long_title += "题";
    const std::string cut = capture_title(long_title, "http://x");
    EXPECT_EQ(cut.size(), longest_captured_title * 3);
    EXPECT_FALSE(title_problem(cut));
    EXPECT_EQ(capture_title("😀a", "http://x"), "😀a");
    EXPECT_TRUE(title_problem("."));
    EXPECT_TRUE(title_problem("tab\there"));
    EXPECT_FALSE(title_problem("...more"));
}

TEST(BookmarkEntries, TheFirstBarSeparatesAndAnAddressKeepsItsOwnBars) {
    const std::string line = entry_line(clean_title("a|b"), "http://x.org/?q=1|2");
    EXPECT_EQ(line, "a-b | http://x.org/?q=1|2");
    const Entry entry = split_entry_line(line);
    EXPECT_EQ(entry.title, "a-b");
    EXPECT_EQ(entry.address, "http://x.org/?q=1|2");
    EXPECT_EQ(split_entry_line("no bar").title, "no bar");
}

TEST(BookmarkOpening, OnlyWebAndFileAddressesGoToTheBrowser) {
    for (const char* address :
         {"http://a.org", "HTTPS://a.org/x", "ftp://f.org/", "file:///tmp/a"}) {
        EXPECT_TRUE(may_open(address)) << address;
    }
    for (const char* address : {"javascript:alert(1)", "mailto:a@b.org", "xterm -e sh", "",
                                "/usr/bin/true", "data:text/html,x"}) {
        EXPECT_FALSE(may_open(address)) << address;
    }
}

}  // namespace
