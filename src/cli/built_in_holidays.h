// The shipped holiday file as the build read it (data/zenqholiday.txt): its
// bytes and the 休/班 mark each date takes from them, written into velmora-cli
// by built_in_holidays_writer.cpp with the program's own holiday parser.
// velmora-cli carries the shipped arrangement instead of reading and
// parsing the file at every start, which would be most of what converting
// one date costs a process; only the renewed copy of the data folder is read.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "calendar/DateCn.h"
#include "calendar/holidays.h"

namespace velmora::cli::built_in_holidays {

// yyyymmdd as one number: the order of the dates.
constexpr std::int32_t key_of(calendar::Date date) {
    return date.year * 10000 + date.month * 100 + date.day;
}

struct Mark {
    std::int32_t key;
    calendar::DayOff kind;
};

extern const std::string_view file_text;
// Sorted by key, one per marked date; a date that is missing has no mark.
extern const std::span<const Mark> marks;

}  // namespace velmora::cli::built_in_holidays
