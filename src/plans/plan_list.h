// The rules of the day's plan list, on the plain plan grid: the plan string
// exchanged with the plan dialog, add, delete, edit, toggle, and moving a
// task to another day. Each change answers whether the grid changed, so the
// caller knows it has unsaved plans.
#pragma once

#include <string>

#include "store/day_store.h"
#include "sys/prompts.h"

namespace velmora::plans {

namespace plan_messages {
inline constexpr const char* empty_plan = "计划安排不能为空！";
inline constexpr const char* done_task_cannot_move = "已完成的任务无法变更！";
inline constexpr const char* same_day = "变更日期不能为任务当前日期！";
}  // namespace plan_messages

inline constexpr const char* category_letters = "ABCD";
inline constexpr const char* change_mark = "【变更】";

// "" for an empty row; else the category digit "0"–"3", the state digit
// ("0" in progress, "1" done) and the task text.
std::string encode_plan_string(const store::PlanGrid::Row& row);
store::PlanGrid::Row decode_plan_string(const std::string& plan);
// The plan string of the editors: the chosen category and state items and
// the typed text with its lines joined, as a task is one line.
std::string make_plan_string(int category, int state, const std::string& typed_text);
// A dialog result that means "nothing": blank after trimming.
bool is_blank(const std::string& text);

bool add_task(store::PlanGrid& grid, const std::string& plan);
bool delete_task(store::PlanGrid& grid, int row);
bool edit_task(store::PlanGrid& grid, int row, const std::string& plan);
bool toggle_task(store::PlanGrid& grid, int row);

// Why a task cannot move, as the message to show; empty when it can. A grid
// without tasks is refused silently (answers "-").
std::string move_refusal(const store::PlanGrid& grid, int row);
// The task text on the target day: the change mark in front, once.
std::string moved_task_text(const std::string& text, bool mark_change);
// Appends the task as the last line of the target day's plan record;
// answers none once it is stored. A target day whose plans cannot be read
// is left alone.
store::FxError append_to_day(store::DayStore& days, const std::string& target_key,
                             const store::PlanGrid::Row& task);
std::string task_not_moved_message(const std::string& target_key, store::FxError error);

// The saves that follow a change within two seconds: a failure is told
// once, and again only after a save has succeeded, so that someone typing
// on a full disk is not interrupted every two seconds.
class SaveSoonNotice {
public:
    void after_save(store::FxError saved, const std::string& key, sys::Prompts& prompts);

private:
    bool told_ = false;
};

}  // namespace velmora::plans
