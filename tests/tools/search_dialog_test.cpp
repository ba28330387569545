// The search dialog on the offscreen platform: its keys and buttons, with a
// recording platform in place of the browser.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/recording_prompts.h"
#include "sys/fake_platform.h"
#include "tools/widgets/usearch.h"

namespace velmora::tools {
namespace {

class FixedClock : public sys::Clock {
public:
    sys::LocalTime now() const override { return {2011, 2, 20, 9, 0, 0}; }
};

class SearchDialog : public ::testing::Test {
protected:
    testing::RecordingPrompts prompts;
    sys::testing::FakePlatform platform;
    FixedClock clock;
    Tfrm_search dialog{nullptr, prompts, platform, clock};

    void SetUp() override { dialog.show(); }

    void fill_cities() {
        dialog.Edit_fly_city1->setText("北京");
        dialog.Edit_fly_city2->setText("上海");
        dialog.RzDateTimePicker_fly_date->setDate(QDate(2011, 3, 1));
    }
    bool searched_with(const std::string& part) const {
        return platform.opened.size() == 1 && platform.opened[0].find(part) != std::string::npos;
    }
};

TEST_F(SearchDialog, EnterMovesTheFocusOnlyFromAFilledField) {
    dialog.Edit_begin->setText("   ");
    QTest::keyClick(dialog.Edit_begin, Qt::Key_Return);
    EXPECT_NE(dialog.focusWidget(), dialog.Edit_end);
    dialog.Edit_begin->setText("北京");
    QTest::keyClick(dialog.Edit_begin, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.Edit_end);

    dialog.Edit_fly_city1->setText("北京");
    QTest::keyClick(dialog.Edit_fly_city1, Qt::Key_Enter);
    EXPECT_EQ(dialog.focusWidget(), dialog.Edit_fly_city2);
    dialog.Edit_fly_city2->setText("上海");
    QTest::keyClick(dialog.Edit_fly_city2, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.RzDateTimePicker_fly_date);
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SearchDialog, EnterInTheLastFieldOfABandSearchesAndCloses) {
    dialog.Edit_begin->setText(" 北京 ");
    dialog.Edit_end->setText("上海");
    QTest::keyClick(dialog.Edit_end, Qt::Key_Return);
    EXPECT_TRUE(searched_with("txtChuFa=%B1%B1%BE%A9&txtDaoDa=%C9%CF%BA%A3"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(SearchDialog, ATypedDigitInTheDateSearchesWithTheDateBeforeTheKey) {
    fill_cities();
    QTest::keyClick(dialog.RzDateTimePicker_fly_date, Qt::Key_7);
    EXPECT_TRUE(searched_with("&searchDepartureTime=2011-03-01"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SearchDialog, ArrowsInTheDateChangeItWithoutSearching) {
    fill_cities();
    QTest::keyClick(dialog.RzDateTimePicker_fly_date, Qt::Key_Up);
    QTest::keyClick(dialog.RzDateTimePicker_fly_date, Qt::Key_Right);
    EXPECT_NE(dialog.RzDateTimePicker_fly_date->date(), QDate(2011, 3, 1));
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SearchDialog, ADigitWithoutCitiesGoesToTheDate) {
    QTest::keyClick(dialog.RzDateTimePicker_fly_date, Qt::Key_1);
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(SearchDialog, AnEmptyBandStaysOpenAndAFilledOneSearches) {
    dialog.Edit_music->setText("  ");
    dialog.Button_music->click();
    dialog.Button_fly->click();
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(dialog.isVisible());
    dialog.Edit_soft->setText("a&b c");
    dialog.Button_soft->click();
    EXPECT_TRUE(searched_with("/search.php?searchType=&so=a%26b%20c"));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SearchDialog, ABrowserThatCannotStartIsReportedAndTheDialogStays) {
    platform.start_succeeds = false;
    platform.start_error = 2;
    dialog.Edit_map->setText("天安门");
    QTest::keyClick(dialog.Edit_map, Qt::Key_Return);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].rfind("无法打开网址：", 0), 0u);
    EXPECT_TRUE(dialog.isVisible());
}

}  // namespace
}  // namespace velmora::tools
