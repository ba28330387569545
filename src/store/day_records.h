// The two records a calendar day can own in the container, and their text
// formats: the plan list ("plumora_plan/yyyymmdd.txt") and the note
// ("plumora_note/yyyymmdd.txt"). Record bytes are GB18030; the program's
// text is UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/container_names.h"

namespace velmora::store {

inline constexpr const char* state_in_progress = "进行中";
inline constexpr const char* state_done = "已完成";

// A day key is exactly eight digits, "yyyymmdd": no record is ever stored
// under anything else.
bool is_day_key(std::string_view key);
std::string plan_record_name(const std::string& day_key);
std::string note_record_name(const std::string& day_key);

// One line of a plan record: a category letter "A"–"D" (1 byte), the state
// (6 bytes: "进行中" or "已完成"), then the task text. Fields are cut by
// bytes of the stored encoding; a short line leaves the missing fields empty.
struct PlanTask {
    std::string category;
    std::string state;
    std::string text;
    bool operator==(const PlanTask&) const = default;
};

// Reads every line whole, however long.
std::vector<PlanTask> parse_plan_record(std::string_view bytes);
// Every line, the last included, ends with CR LF.
std::string format_plan_record(const std::vector<PlanTask>& tasks);

// The note as the memo shows it ("\n" between lines); any lone CR or LF in
// the record counts as a line break.
std::string note_from_record(std::string_view bytes);
// Lines separated by CR LF; a final line break only when the text has one.
std::string note_to_record(std::string_view text);
// A note of nothing but blanks and line breaks is no note: its record goes.
bool is_blank_note(std::string_view text);

}  // namespace velmora::store
