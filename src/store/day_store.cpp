#include "store/day_store.h"

#include "store/kx_efs.h"
#include "store/record_io.h"
#include "sys/atomicfile.h"
#include "sys/sysutil.h"
#include "sys/text_util.h"

namespace velmora::store {

PlanGrid::PlanGrid() {
    clear();
}

void PlanGrid::clear() {
    rows_ = {Row{}, Row{}};
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

FxError DayStore::remember_read(const std::string& node_path, FxError error) {
    if (error == FxError::none) {
        unreadable_.erase(node_path);
    } else {
        unreadable_.insert(node_path);
    }
    return error;
}

FxError DayStore::load_schedule(PlanGrid& grid, const std::string& key) {
    line_buffer_.clear();
    grid.clear();
    const std::string node_path = plan_record_name(key);
    RecordRead read = read_record(node_path, temp_work_);
    if (read.failed()) return remember_read(node_path, read.error);
    line_buffer_ = std::move(read.bytes);
    for (const PlanTask& task : parse_plan_record(line_buffer_)) {
        if (!sys::trimmed(grid.row(1)[0]).empty()) grid.add_row();
        grid.row(grid.row_count() - 1) = {task.category, task.state, task.text};
    }
    return remember_read(node_path, FxError::none);
}

FxError DayStore::load_note(const std::string& key, std::string& note) {
    const std::string node_path = note_record_name(key);
    RecordRead read = read_record(node_path, temp_work_);
    note = read.failed() ? std::string() : note_from_record(read.bytes);
    return remember_read(node_path, read.error);
}

// An empty text drops the record; anything else replaces it.
FxError DayStore::store_record(const std::string& node_path, const std::string& folder,
                               const std::string& key, const std::string& bytes) {
    if (!is_day_key(key)) return FxError::refused;
    if (unreadable_.count(node_path)) return FxError::record_unreadable;
    return bytes.empty() ? drop_record(node_path)
                         : write_record(folder, key + ".txt", bytes, temp_work_);
}

FxError DayStore::savedata2fx_schedule2(const PlanGrid& grid, const std::string& key) {
    return save_tasks(grid.is_empty() ? std::vector<PlanTask>() : grid.tasks(), key);
}

FxError DayStore::save_tasks(const std::vector<PlanTask>& tasks, const std::string& key) {
    FxError saved = FxError::none;
    if (!key.empty()) {
        std::string record = tasks.empty() ? std::string() : format_plan_record(tasks);
        saved = store_record(plan_record_name(key), plan_folder, key, record);
        if (saved == FxError::none && !record.empty()) line_buffer_ = std::move(record);
    }
    return saved;
}

bool DayStore::has_plan(const std::string& key) {
    return FX_Directory_Changenodenametoindex(plan_record_name(key)) > 0;
}

bool DayStore::has_note(const std::string& key) {
    return FX_Directory_Changenodenametoindex(note_record_name(key)) > 0;
}

FxError DayStore::savedata2fx_note2(const std::string& note, const std::string& key) {
    if (key.empty()) return FxError::none;
    const std::string record = is_blank_note(note) ? std::string() : note_to_record(note);
    return store_record(note_record_name(key), note_folder, key, record);
}

std::string shown_date(const std::string& key) {
    if (key.size() != 8) return key;
    return key.substr(0, 4) + "-" + key.substr(4, 2) + "-" + key.substr(6, 2);
}

namespace {

const char* record_word(DayRecord record) {
    return record == DayRecord::plans ? "计划" : "便笺";
}

}  // namespace

std::string day_unreadable_message(DayRecord record, const std::string& key, FxError error) {
    const std::string what = record_word(record);
    return "无法读取" + shown_date(key) + "的" + what + "：" + describe(error) +
           "。为免覆盖原有的记录，这一天的" + what + "暂时不能修改；问题解决后再选这一天即可。";
}

std::string day_not_saved_message(DayRecord record, const std::string& key, FxError error) {
    return shown_date(key) + "的" + record_word(record) + "没有保存：" + describe(error) +
           "。数据文件中原有的记录没有改动；您输入的内容仍在窗口中，问题解决后可以再保存。";
}

}  // namespace velmora::store
