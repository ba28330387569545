#include "plans/plan_list.h"

#include <string_view>

#include "sys/text_util.h"

namespace velmora::plans {

namespace {

bool has_task(const store::PlanGrid::Row& row) {
    return !row[0].empty();
}

bool valid_row(const store::PlanGrid& grid, int row) {
    return row >= 1 && row < grid.row_count();
}

}  // namespace

bool is_blank(const std::string& text) {
    return sys::trimmed(text).empty();
}

std::string encode_plan_string(const store::PlanGrid::Row& row) {
    if (!has_task(row)) return {};
    const std::size_t letter = std::string_view(category_letters).find(row[0][0]);
    const char category = letter == std::string_view::npos ? '0' : static_cast<char>('0' + letter);
    const char state = row[1] == store::state_in_progress ? '0' : '1';
    return std::string{category, state} + row[2];
}

store::PlanGrid::Row decode_plan_string(const std::string& plan) {
    const std::string value = sys::trimmed(plan);
    if (value.size() < 2) return {};
    const int index = value[0] - '0';
    const std::string category =
        index >= 0 && index < 4 ? std::string(1, category_letters[index]) : std::string("A");
    const std::string state = value[1] == '0' ? store::state_in_progress : store::state_done;
    return {category, state, value.substr(2)};
}

std::string make_plan_string(int category, int state, const std::string& typed_text) {
    std::string plan{static_cast<char>('0' + category), static_cast<char>('0' + state)};
    for (char c : typed_text) {
        if (c != '\n' && c != '\r') plan += c;
    }
    return plan;
}

bool add_task(store::PlanGrid& grid, const std::string& plan) {
    if (is_blank(plan)) return false;
    if (!is_blank(grid.row(grid.row_count() - 1)[0])) grid.add_row();
    grid.row(grid.row_count() - 1) = decode_plan_string(plan);
    return true;
}

bool delete_task(store::PlanGrid& grid, int row) {
    if (!valid_row(grid, row)) return false;
    if (grid.row_count() > 2) {
        grid.remove_row(row);
        return true;
    }
    if (grid.row(1)[0].empty()) return false;
    grid.row(1) = {};
    return true;
}

bool edit_task(store::PlanGrid& grid, int row, const std::string& plan) {
    if (!valid_row(grid, row) || !has_task(grid.row(row)) || is_blank(plan)) return false;
    grid.row(row) = decode_plan_string(plan);
    return true;
}

bool toggle_task(store::PlanGrid& grid, int row) {
    if (!has_task(grid.row(1)) || !valid_row(grid, row)) return false;
    std::string& state = grid.row(row)[1];
    state = state == store::state_done ? store::state_in_progress : store::state_done;
    return true;
}

std::string move_refusal(const store::PlanGrid& grid, int row) {
    if (grid.is_empty() || !valid_row(grid, row)) return "-";
    if (sys::trimmed(grid.row(row)[1]) == store::state_done)
        return plan_messages::done_task_cannot_move;
    return {};
}

std::string moved_task_text(const std::string& text, bool mark_change) {
    if (!mark_change || text.find(change_mark) != std::string::npos) return text;
    return change_mark + text;
}

store::FxError append_to_day(store::DayStore& days, const std::string& target_key,
                             const store::PlanGrid::Row& task) {
    store::PlanGrid target;
    const store::FxError read = days.load_schedule(target, target_key);
    if (read != store::FxError::none) return read;  // the target's plans would be lost
    add_task(target, encode_plan_string(task));
    return days.savedata2fx_schedule2(target, target_key);
}

std::string task_not_moved_message(const std::string& target_key, store::FxError error) {
    return "任务没有移到" + store::shown_date(target_key) + "：" + store::describe(error) +
           "。两天的计划都没有改动。";
}

void SaveSoonNotice::after_save(store::FxError saved, const std::string& key,
                                sys::Prompts& prompts) {
    if (saved != store::FxError::none && !told_) {
        prompts.inform(store::day_not_saved_message(store::DayRecord::plans, key, saved));
    }
    told_ = saved != store::FxError::none;
}

}  // namespace velmora::plans
