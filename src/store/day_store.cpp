#include "store/day_store.h"

#include "store/record_io.h"
#include "sys/atomicfile.h"
#include "sys/sysutil.h"
#include "sys/text_util.h"

namespace velmora::store {

PlanGrid::PlanGrid() {
    clear();
}

void PlanGrid::clear() {
    rows_ = {{"类别", "状态", "任务安排"}, Row{}};
}

void PlanGrid::remove_row(int index) {
    if (index < 1 || index >= row_count()) return;
    if (row_count() == 2) {
        rows_[1] = Row{};
        return;
    }
    rows_.erase(rows_.begin() + index);
}

bool PlanGrid::is_empty() const {
    return sys::trimmed(rows_[1][0]).empty();
}

std::vector<PlanTask> PlanGrid::tasks() const {
    std::vector<PlanTask> tasks;
    for (std::size_t i = 1; i < rows_.size(); ++i) {
        tasks.push_back({rows_[i][0], rows_[i][1], rows_[i][2]});
    }
    return tasks;
}

void DayStore::load_schedule(PlanGrid& grid, const std::string& key) {
    line_buffer_.clear();
    grid.clear();
    line_buffer_ = read_record(plan_record_name(key), temp_work_);
    for (const PlanTask& task : parse_plan_record(line_buffer_)) {
        if (!sys::trimmed(grid.row(1)[0]).empty()) grid.add_row();
        grid.row(grid.row_count() - 1) = {task.category, task.state, task.text};
    }
}

std::string DayStore::load_note(const std::string& key) {
    return note_from_record(read_record(note_record_name(key), temp_work_));
}

void DayStore::savedata2fx_schedule2(const PlanGrid& grid, const std::string& key) {
    if (!key.empty()) {
        if (grid.is_empty()) {
            drop_record(plan_record_name(key));
        } else {
            line_buffer_ = format_plan_record(grid.tasks());
            write_record(plan_folder, key + ".txt", line_buffer_, temp_work_);
        }
    }
    plan_dirty = false;
}

void DayStore::savedata2fx_note2(const std::string& note, const std::string& key) {
    if (key.empty()) return;
    if (is_blank_note(note)) {
        drop_record(note_record_name(key));
    } else {
        write_record(note_folder, key + ".txt", note_to_record(note), temp_work_);
    }
}

}  // namespace velmora::store
