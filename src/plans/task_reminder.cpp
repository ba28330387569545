#include "plans/task_reminder.h"

#include "store/day_records.h"
#include "sys/text_util.h"

namespace velmora::plans {

namespace {

void count_one(TaskCounts& counts, const std::string& category, const std::string& state) {
    if (sys::trimmed(category).empty()) return;
    if (state == store::state_done) {
        ++counts.done;
    } else {
        ++counts.undone;
    }
}

}  // namespace

TaskCounts count_tasks(const store::PlanGrid& grid) {
    TaskCounts counts;
    for (int row = 1; row < grid.row_count(); ++row) {
        count_one(counts, grid.row(row)[0], grid.row(row)[1]);
    }
    return counts;
}

TaskCounts count_tasks(const std::vector<store::PlanTask>& tasks) {
    TaskCounts counts;
    for (const store::PlanTask& task : tasks) count_one(counts, task.category, task.state);
    return counts;
}

std::string task_hint_text(TaskCounts counts) {
    return "今天尚有【" + std::to_string(counts.undone) + "】项任务未完成；已完成【" +
           std::to_string(counts.done) + "】项任务。";
}

std::optional<std::string> TaskReminder::tick(TaskCounts counts, bool reminds_today) {
    if (!reminds_today || counts.undone <= 0 || taskhint_open_) return std::nullopt;
    taskhint_open_ = true;
    return task_hint_text(counts);
}

}  // namespace velmora::plans
