#include "plans/task_reminder.h"

#include <gtest/gtest.h>

#include "holiday_week.h"
#include "plans/timed_actions.h"

namespace velmora::plans {
namespace {

TEST(TaskCountsTest, DoneOnlyByDoneStateAndBlankRowsIgnored) {
    const std::vector<store::PlanTask> tasks = {{"A", store::state_done, "写周报"},
                                                {"B", store::state_in_progress, "买菜"},
                                                {"C", "", "状态缺失的短行"},
                                                {"D", store::state_done, "跑步"},
                                                {"", "", ""}};
    store::PlanGrid grid;
    for (const store::PlanTask& task : tasks) {
        grid.row(grid.row_count() - 1) = {task.category, task.state, task.text};
        grid.add_row();
    }
    EXPECT_EQ(count_tasks(tasks), (TaskCounts{2, 2}));
    EXPECT_EQ(count_tasks(grid), (TaskCounts{2, 2}));
    EXPECT_EQ(count_tasks(store::PlanGrid{}), TaskCounts{}) << "an empty grid's blank row";
}

TEST(TaskReminderTest, AtMostOnePopupAndEitherCloseRearms) {
    TaskReminder reminder;
    EXPECT_FALSE(reminder.tick({4, 0}, true)) << "every task done: nothing to remind of";
    EXPECT_EQ(reminder.tick({1, 12}, true), "今天尚有【12】项任务未完成；已完成【1】项任务。");
    EXPECT_TRUE(reminder.taskhint_open());
    EXPECT_FALSE(reminder.tick({1, 12}, true)) << "a popup still waits";
    reminder.popup_closed();  // OK and the window button end up here alike
    EXPECT_EQ(reminder.tick({2, 11}, true), task_hint_text({2, 11}));
}

// One tick a day through the National Day week, kept to working days: the
// days off are quiet and leave no popup counted open, the make-up Saturday
// reminds, the Sunday after it does not.
TEST(TaskReminderTest, KeptToWorkingDaysItSkipsTheDaysOffAndRemindsOnTheMakeUpSaturday) {
    const calendar::HolidayTable table = testing::national_day_2025();
    TaskReminder reminder;
    std::vector<int> reminded;
    for (int day = 3; day <= 13; ++day) {
        if (reminder.tick({0, 3}, reminds_on(true, table, {2025, 10, day}))) {
            reminded.push_back(day);
            reminder.popup_closed();
        }
        EXPECT_FALSE(reminder.taskhint_open()) << day;
    }
    EXPECT_EQ(reminded, (std::vector<int>{9, 10, 11, 13}));
}

}  // namespace
}  // namespace velmora::plans
