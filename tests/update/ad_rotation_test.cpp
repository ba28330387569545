// The rotation of the announcement lines and the slide of the two labels.
#include <gtest/gtest.h>

#include <vector>

#include "update/ad_rotation.h"

namespace velmora::update {
namespace {

std::vector<int> tops(const AdRotation& rotation) {
    return {rotation.label(0).top, rotation.label(1).top};
}

// Slides until the labels have arrived; answers the number of ticks.
int slide_to_rest(AdRotation& rotation) {
    int ticks = 1;
    while (!rotation.slide()) ++ticks;
    return ticks;
}

TEST(AdLines, CaptionLinkAndHighlight) {
    AdLine plain = parse_ad_line("软件新闻|http://a/b|c");
    EXPECT_EQ(plain.caption, "软件新闻");
    EXPECT_EQ(plain.link, "http://a/b|c");
    EXPECT_FALSE(plain.highlighted);
    AdLine red = parse_ad_line("<>软件已有新版本，点击下载...|http://u/");
    EXPECT_TRUE(red.highlighted);
    EXPECT_EQ(red.caption, "<>软件已有新版本，点击下载...");
    AdLine bare = parse_ad_line("http://only/");
    EXPECT_EQ(bare.caption, "");
    EXPECT_EQ(bare.link, "http://only/");
    EXPECT_FALSE(parse_ad_line("<>|x").caption.empty());
    EXPECT_FALSE(parse_ad_line("<x>|y").highlighted);
}

TEST(AdRotation, FirstLineIsWrittenInPlaceThenTheSecondLabelParks) {
    AdRotation rotation("tip", "https://home/");
    EXPECT_EQ(rotation.label(0).line.caption, "tip");
    EXPECT_EQ(tops(rotation), (std::vector<int>{9, 37}));
    rotation.set_lines({"一|http://1/", "<>二|http://2/"});
    EXPECT_EQ(rotation.next_line(), 0);
    EXPECT_EQ(rotation.label(0).line.caption, "一");
    EXPECT_EQ(rotation.label(0).line.link, "http://1/");
    EXPECT_EQ(rotation.ad_index(), 1);
    EXPECT_TRUE(rotation.slide());  // the shown label is already in place
    EXPECT_EQ(tops(rotation), (std::vector<int>{9, 39}));
    EXPECT_EQ(rotation.ad_slot(), 1);
}

TEST(AdRotation, ASlideTakesSixStepsAndAFinalTickThenTheLabelsSwap) {
    AdRotation rotation("tip", "");
    rotation.set_lines({"一|1", "<>二|2", "三|3"});
    rotation.next_line();
    rotation.slide();
    EXPECT_EQ(rotation.next_line(), 1);
    EXPECT_TRUE(rotation.label(1).line.highlighted);
    std::vector<std::vector<int>> steps;
    while (!rotation.slide()) steps.push_back(tops(rotation));
    ASSERT_EQ(steps.size(), 6u);
    EXPECT_EQ(steps.front(), (std::vector<int>{4, 34}));
    EXPECT_EQ(steps.back(), (std::vector<int>{-21, 9}));
    EXPECT_EQ(tops(rotation), (std::vector<int>{39, 9}));
    EXPECT_EQ(rotation.ad_slot(), 2);
    // The third line comes back into the first label, from below.
    EXPECT_EQ(rotation.next_line(), 0);
    EXPECT_EQ(rotation.label(0).line.caption, "三");
    EXPECT_EQ(slide_to_rest(rotation), 7);
    EXPECT_EQ(tops(rotation), (std::vector<int>{9, 39}));
    EXPECT_EQ(rotation.ad_index(), 0);  // after the last line, the first again
}

TEST(AdRotation, OneLineRepeatsSlidingBetweenTheLabels) {
    AdRotation rotation("tip", "");
    rotation.set_lines({"唯一|https://one/"});
    for (int turn = 0; turn < 4; ++turn) {
        const int shown = rotation.next_line();
        EXPECT_EQ(shown, turn % 2);
        EXPECT_EQ(rotation.label(shown).line.caption, "唯一");
        EXPECT_EQ(rotation.ad_index(), 0);
        slide_to_rest(rotation);
        EXPECT_EQ(rotation.label(shown).top, 9);
    }
}

TEST(AdRotation, NoLinesNoChangeAndLinesAddedLaterJoin) {
    AdRotation rotation("tip", "https://home/");
    EXPECT_EQ(rotation.next_line(), -1);
    EXPECT_EQ(rotation.label(0).line.caption, "tip");
    rotation.append("<>软件已有新版本，点击下载...|https://update/");
    EXPECT_EQ(rotation.next_line(), 0);
    EXPECT_EQ(rotation.label(0).line.link, "https://update/");
    EXPECT_TRUE(rotation.label(0).line.highlighted);
}

TEST(OpenableAnnouncement, OnlyWebPagesAndMail) {
    EXPECT_EQ(openable_announcement("  https://x.example/a \t"), "https://x.example/a");
    EXPECT_EQ(openable_announcement("HTTP://X/"), "HTTP://X/");
    EXPECT_EQ(openable_announcement("mailto:a@b.example"), "mailto:a@b.example");
    for (const char* refused :
         {"file:///etc/passwd", "/usr/bin/xterm", "C:\\Windows\\system32\\cmd.exe",
          "javascript:alert(1)", "smb://host/share", "x-custom:run", "", "   ", "http"}) {
        EXPECT_EQ(openable_announcement(refused), "") << refused;
    }
}

}  // namespace
}  // namespace velmora::update
