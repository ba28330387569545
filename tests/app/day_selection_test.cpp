// Every way of moving the selected day, without a window: what the month
// view is asked to show, what the pages save and load, in which order.
#include <gmock/gmock.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/day_selection.h"

namespace {

using velmora::app::DayPage;
using velmora::app::DaySelection;
using velmora::app::MonthDisplay;
using velmora::calendar::Date;

// Records, in one list, what the selection asks of the view and the pages.
struct Recorder : MonthDisplay {
    std::vector<std::string> events;
    void show_month(const Date& date) override {
        events.push_back("show " + velmora::calendar::day_key(date));
    }
};

struct Page : DayPage {
    Page(std::vector<std::string>& log, std::string page) : events(log), name(std::move(page)) {}
    bool save_before_leaving() override {
        events.push_back("save " + name);
        if (on_save) on_save();
        return saves;
    }
    void load(const std::string& key) override { events.push_back("load " + name + " " + key); }
    std::vector<std::string>& events;
    std::string name;
    bool saves = true;
    std::function<void()> on_save;
};

class DaySelectionTest : public ::testing::Test {
protected:
    DaySelectionTest() { selection.start({2026, 12, 9}); }
    std::vector<std::string> take() { return std::exchange(month.events, {}); }

    Recorder month;
    Page plans{month.events, "plans"};
    Page notes{month.events, "notes"};
    DaySelection selection{month, plans, notes};
};

TEST_F(DaySelectionTest, EveryMoveSavesThePlansFirstThenShowsAndLoads) {
    EXPECT_THAT(take(), ::testing::ElementsAre("show 20261209", "load plans 20261209",
                                               "load notes 20261209"));
    selection.click_day(10);
    EXPECT_THAT(take(), ::testing::ElementsAre("save plans", "show 20261210", "load plans 20261210",
                                               "load notes 20261210"));
    selection.step_month(1);
    EXPECT_THAT(take(), ::testing::ElementsAre("save plans", "show 20270110", "load plans 20270110",
                                               "load notes 20270110"));
    selection.go_to_today({2026, 12, 9});
    EXPECT_EQ(take().front(), "save plans");
    EXPECT_EQ(selection.daykey(), "20261209");
}

TEST_F(DaySelectionTest, AFailedSaveKeepsTheSelectionAndLoadsNothing) {
    take();
    plans.saves = false;
    selection.click_day(20);
    selection.step_month(-1);
    selection.choose_month(3);
    selection.choose_year(2030);
    selection.go_to_today({2027, 1, 1});
    for (const std::string& event : take()) EXPECT_EQ(event, "save plans");
    EXPECT_EQ(selection.daykey(), "20261209");
    EXPECT_EQ(selection.selected(), (Date{2026, 12, 9}));
}

// After a task moved to another month the view shows that month: a click
// picks the day there, even when the save redraws the selected day's month.
TEST_F(DaySelectionTest, AClickPicksTheDayOfTheMonthOnScreen) {
    selection.show_month_only({2027, 3, 1});
    EXPECT_EQ(selection.daykey(), "20261209");
    plans.on_save = [this] { selection.redraw(); };
    selection.click_day(14);
    EXPECT_EQ(selection.daykey(), "20270314");
    EXPECT_EQ(selection.month_on_screen().month, 3);
}

TEST_F(DaySelectionTest, TheRememberedDaySurvivesShortMonthsAndMenusUseTheSelection) {
    selection.click_day(31);
    selection.step_month(2);  // February
    EXPECT_EQ(selection.daykey(), "20270228");
    selection.step_month(1);
    EXPECT_EQ(selection.daykey(), "20270331");
    selection.choose_year(2024);
    selection.choose_month(2);
    EXPECT_EQ(selection.daykey(), "20240229");
    selection.show_month_only({2030, 6, 1});
    selection.choose_month(4);  // the selection's year, not the view's
    EXPECT_EQ(selection.daykey(), "20240430");
}

TEST_F(DaySelectionTest, TheArrowsStopAtTheCalendarsEnds) {
    selection.choose_year(9999);
    selection.step_month(1);
    take();
    selection.step_month(1);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(selection.daykey(), "99991209");
}

}  // namespace

namespace {

// A page made later loads the day the selection reached meanwhile, and
// from then on follows every move.
TEST(DeferredDayPage, LoadsTheCurrentDayWhenAttachedAndFollowsAfterwards) {
    std::vector<std::string> events;
    Recorder month;
    Page plans{events, "plans"};
    velmora::app::DeferredDayPage notes;
    DaySelection selection{month, plans, notes};
    selection.start({2026, 12, 9});
    selection.click_day(12);
    Page made{events, "notes"};
    events.clear();
    notes.attach(made);
    EXPECT_THAT(events, ::testing::ElementsAre("load notes 20261212"));
    events.clear();
    selection.click_day(13);
    EXPECT_THAT(events,
                ::testing::ElementsAre("save plans", "load plans 20261213", "load notes 20261213"));
}

}  // namespace
