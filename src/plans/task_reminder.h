// The periodic reminder of today's open tasks: counting done and open tasks,
// the sentence the popup shows, and the rule that keeps at most one popup on
// the screen at a time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "store/day_store.h"

namespace velmora::plans {

struct TaskCounts {
    int done = 0;
    int undone = 0;
    bool operator==(const TaskCounts&) const = default;
};

// Only rows with a category count as tasks, so the blank row an empty grid
// keeps (and any blank line of a record) is neither done nor open. A task is
// done when its state is "已完成"; any other state, even a garbled one,
// leaves it open so that it keeps being reminded of.
TaskCounts count_tasks(const store::PlanGrid& grid);
TaskCounts count_tasks(const std::vector<store::PlanTask>& tasks);

// "今天尚有【N】项任务未完成；已完成【M】项任务。"
std::string task_hint_text(TaskCounts counts);

class TaskReminder {
public:
    // One reminder tick: the popup text when open tasks remain, no popup
    // is waiting and the day is one to remind on (see plans::reminds_on);
    // from then on the reminder counts a popup as open. A tick on a day
    // without reminders shows nothing and leaves the next working day's
    // first tick free to remind.
    std::optional<std::string> tick(TaskCounts counts, bool reminds_today);
    // The popup went away, by its OK button or by its window button. Both
    // count: a popup closed with the window button must not silence the
    // reminder for the rest of the run.
    void popup_closed() { taskhint_open_ = false; }
    bool taskhint_open() const { return taskhint_open_; }

private:
    bool taskhint_open_ = false;
};

}  // namespace velmora::plans
