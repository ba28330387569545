// The strip's labels follow the rotation; the mouse pauses it; a click
// opens only web and mail addresses.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include "../app/recording_prompts.h"
#include "../sys/fake_platform.h"
#include "update/widgets/announcement_strip.h"

namespace velmora::update {
namespace {

class StripTest : public ::testing::Test {
protected:
    StripTest() { strip.resize(330, 32); }

    void click(QLabel* label) {
        QMouseEvent press(QEvent::MouseButtonRelease, QPointF(5, 5),
                          label->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(label, &press);
    }
    void enter(QLabel* label) {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)));
        QCoreApplication::sendEvent(label, &event);
    }
    void leave(QLabel* label) {
        QEvent event(QEvent::Leave);
        QCoreApplication::sendEvent(label, &event);
    }

    QWidget strip;
    QTimer Timer_ad;
    QTimer Timer_ad2;
    sys::testing::FakePlatform platform;
    testing::RecordingPrompts prompts;
    AnnouncementStrip ads{&strip,
                          {Timer_ad, Timer_ad2},
                          platform,
                          prompts,
                          "【提示】：本窗口贴近屏幕四周时会缩进隐藏！",
                          "https://home.example/"};
};

TEST_F(StripTest, WithoutLinesTheTipStaysAndOpensTheHomePage) {
    ads.start({}, 5000);
    EXPECT_FALSE(Timer_ad.isActive());
    EXPECT_EQ(ads.l_ad1->text(), "【提示】：本窗口贴近屏幕四周时会缩进隐藏！");
    EXPECT_EQ(ads.l_ad1->geometry().top(), 9);
    EXPECT_EQ(ads.l_ad1->geometry().right() + 1, 316);
    EXPECT_EQ(ads.l_ad2->geometry().top(), 37);
    click(ads.l_ad1);
    EXPECT_EQ(platform.opened, (std::vector<std::string>{"https://home.example/"}));
}

TEST_F(StripTest, TheRotationRunsOnlyWithLinesAndAPositiveInterval) {
    ads.start({"a|https://a/"}, 0);
    EXPECT_FALSE(Timer_ad.isActive());
    ads.start({"a|https://a/"}, 3000);
    EXPECT_TRUE(Timer_ad.isActive());
    EXPECT_EQ(Timer_ad.interval(), 3000);
    ads.stop();
    EXPECT_FALSE(Timer_ad.isActive());
    EXPECT_TRUE(ads.ad_lines().empty());
}

TEST_F(StripTest, ARedLineSlidesInAndItsAddressOpens) {
    ads.start({"普通|https://plain/", "<>软件已有新版本，点击下载...|https://update.example/"},
              3000);
    ads.Timer_adTimer();
    EXPECT_EQ(ads.l_ad1->text(), "普通");
    EXPECT_TRUE(Timer_ad2.isActive());
    ads.Timer_ad2Timer();
    EXPECT_FALSE(Timer_ad2.isActive());
    EXPECT_EQ(ads.l_ad2->geometry().top(), 39);

    ads.Timer_adTimer();
    EXPECT_EQ(ads.l_ad2->text(), "<>软件已有新版本，点击下载...");
    EXPECT_EQ(ads.l_ad2->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(ads.l_ad1->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    ads.Timer_ad2Timer();
    EXPECT_EQ(ads.l_ad1->geometry().top(), 4);
    EXPECT_EQ(ads.l_ad2->geometry().top(), 34);
    while (Timer_ad2.isActive()) ads.Timer_ad2Timer();
    EXPECT_EQ(ads.l_ad2->geometry().top(), 9);
    click(ads.l_ad2);
    EXPECT_EQ(platform.opened, (std::vector<std::string>{"https://update.example/"}));
}

TEST_F(StripTest, ALineWiderThanTheStripEndsInAnEllipsisAndIsWholeInTheTooltip) {
    std::string caption;
    for (int i = 0; i < 40; ++i) caption += "测";
    ads.start({caption + "|https://long/", "短|https://short/"}, 3000);
    ads.Timer_adTimer();
    const QString shown = ads.l_ad1->text();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(ads.l_ad1->fontMetrics().horizontalAdvance(shown), ads.l_ad1->width());
    EXPECT_EQ(ads.l_ad1->toolTip().toStdString(), caption);
    // Markup from the network is shown as it came, not read.
    ads.start({"<b>粗</b>|https://b/"}, 3000);
    ads.Timer_adTimer();
    QLabel* shown_label = ads.l_ad1->text() == "<b>粗</b>" ? ads.l_ad1 : ads.l_ad2;
    EXPECT_EQ(shown_label->text(), "<b>粗</b>");
    EXPECT_EQ(shown_label->textFormat(), Qt::PlainText);
}

TEST_F(StripTest, HoverPausesAndUnderlinesLeaveResumes) {
    ads.start({"a|https://a/", "b|https://b/"}, 3000);
    enter(ads.l_ad1);
    EXPECT_TRUE(ads.l_ad1->font().underline());
    EXPECT_FALSE(Timer_ad.isActive());
    leave(ads.l_ad1);
    EXPECT_FALSE(ads.l_ad1->font().underline());
    EXPECT_TRUE(Timer_ad.isActive());
    // A line added to an empty list turns only after the mouse passed by.
    ads.stop();
    ads.append("late|https://late/");
    EXPECT_FALSE(Timer_ad.isActive());
}

TEST_F(StripTest, ALineWithoutBarOrWithAForeignSchemeOpensNothingUnsafe) {
    ads.start({"https://whole.example/", "本地|file:///etc/passwd", "程序|/usr/bin/xterm"}, 3000);
    ads.Timer_adTimer();
    EXPECT_EQ(ads.l_ad1->text(), "");
    click(ads.l_ad1);
    for (int i = 0; i < 2; ++i) {
        ads.Timer_adTimer();
        while (Timer_ad2.isActive()) ads.Timer_ad2Timer();
        click(i == 0 ? ads.l_ad2 : ads.l_ad1);
    }
    EXPECT_EQ(platform.opened, (std::vector<std::string>{"https://whole.example/"}));
    EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace velmora::update
