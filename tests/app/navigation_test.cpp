// The month view as the main window drives it: day changes save first and
// show the marks; the arrows and menus move the selection.
#include <gmock/gmock.h>

#include <QLabel>
#include <QTest>

#include <filesystem>
#include <random>

#include "calendar/widgets/day_grid.h"
#include "calendar/widgets/month_view.h"
#include "main_window_fixture.h"

using namespace velmora::app;
using velmora::calendar::Date;
namespace fs = std::filesystem;

namespace {

class NavigationTest : public velmora::testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        view = &window->month_view();
    }

    std::vector<int> used_cells() const {
        std::vector<int> cells;
        for (int i = 0; i < 37; ++i) {
            if (view->day_grid->cell(i).day > 0) cells.push_back(i + 1);
        }
        return cells;
    }
    std::string caption() const {
        return (view->label_year->text() + "-" + view->Label_month->text()).toStdString();
    }
    void add_plan(const std::string& text) {
        window->plan_page().apply([&](velmora::store::PlanGrid& grid) {
            grid.row(1) = {"A", "进行中", text};
            return true;
        });
    }

    velmora::calendar::MonthView* view = nullptr;
};

TEST_F(NavigationTest, ADayChangeSavesTheOldDaysPlansAndShowsBothMarks) {
    add_plan("买菜");
    // A press anywhere in the day's cell selects it, the lunar text included.
    const QRect tenth = velmora::calendar::DayGrid::places(2 + 10 - 1, false).lunar;
    QTest::mousePress(view->day_grid, Qt::LeftButton, {}, tenth.center() - view->day_grid->pos());
    EXPECT_EQ(window->daykey(), "20261210");
    EXPECT_GT(FX_Directory_Changenodenametoindex("plumora_plan/20261209.txt"), 0);
    EXPECT_TRUE(window->plan_page().grid().is_empty());
    window->savedata2fx_note("记事");
    const int cell = 2 + 9;  // 1 December 2026 is a Tuesday
    EXPECT_TRUE(view->day_grid->cell(cell - 1).has_plan);
    EXPECT_FALSE(view->day_grid->cell(cell - 1).has_note);
    EXPECT_TRUE(view->day_grid->cell(cell).has_note);
    window->CnDayMouseDown(9);
    ASSERT_EQ(window->plan_page().grid().row_count(), 2);
    EXPECT_EQ(window->plan_page().grid().row(1)[2], "买菜");
}

TEST_F(NavigationTest, ArrowsCrossYearsAndTheRememberedDayIsClamped) {
    window->CnDayMouseDown(31);
    window->sb_date_rightClick();
    EXPECT_EQ(caption(), "2027-1");
    EXPECT_EQ(window->daykey(), "20270131");
    window->sb_date_rightClick();
    EXPECT_EQ(window->daykey(), "20270228");
    window->sb_date_rightClick();
    EXPECT_EQ(window->daykey(), "20270331");
    window->MenuYear_Click(2024);
    EXPECT_EQ(window->daykey(), "20240331");
    window->MenuMonth_1Click(2);
    EXPECT_EQ(window->daykey(), "20240229");
    window->sb_date_leftClick();
    window->sb_date_leftClick();
    EXPECT_EQ(caption(), "2023-12");
    window->lb_todayClick();
    EXPECT_EQ(window->daykey(), "20261209");
    EXPECT_EQ(caption(), "2026-12");
}

// Keys have four digits of year: the arrows stop at the calendar's ends.
TEST_F(NavigationTest, TheArrowsStopAtTheFirstAndLastMonth) {
    window->MenuYear_Click(9999);
    window->sb_date_rightClick();  // 9999-12
    EXPECT_EQ(window->daykey(), "99991209");
    window->sb_date_rightClick();
    EXPECT_EQ(caption(), "9999-12");
    EXPECT_EQ(window->daykey(), "99991209");
    window->MenuYear_Click(1);
    window->MenuMonth_1Click(1);
    window->sb_date_leftClick();
    EXPECT_EQ(caption(), "1-1");
    EXPECT_EQ(window->daykey(), "00010109");
}

}  // namespace

namespace {

TEST_F(NavigationTest, AClickPicksTheDayOfTheMonthOnScreen) {
    window->show_month({2027, 1, 1});  // as after moving a task into January
    window->CnDayMouseDown(14);
    EXPECT_EQ(window->daykey(), "20270114");
    EXPECT_EQ(caption(), "2027-1");
}

}  // namespace
