// What the month view shows for one month, worked out without a window: the
// 37 cells with their day numbers, texts, colours and marks, the year's stem
// and zodiac, the selected cell and its star sign.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "calendar/DateCn.h"
#include "calendar/holidays.h"

namespace velmora::calendar {

inline constexpr int cell_count = 37;
inline constexpr std::uint32_t red = 0xFF0000;
inline constexpr std::uint32_t black = 0x000000;
inline constexpr std::uint32_t dark_green = 0x004000;

struct DayCell {
    int day = 0;  // 0: the cell is not used this month
    std::string key;
    std::string number_text;
    std::uint32_t number_rgb = black;
    std::string lunar_text;
    std::uint32_t lunar_rgb = dark_green;
    bool has_plan = false;
    bool has_note = false;
    // A public holiday ("休") or a weekend worked in exchange ("班").
    DayOff day_off = DayOff::none;
    std::string holiday_name;
    // The name, the mark and where the year's arrangement came from.
    std::string holiday_tooltip;
};

struct MonthModel {
    int year = 0;
    int month = 0;
    std::string year_caption;               // "2024"
    std::string month_caption;              // "1" ... "12"
    std::string stem_zodiac;                // "甲辰龙"
    std::array<DayCell, cell_count> cells;  // index 0 is cell 1
    int selected_cell = 0;                  // 1-based; 0 when no day is selected
    std::string star;
    // "2027年放假安排尚未公布" for a year without an arrangement, with what
    // was last heard of it as the tooltip; empty otherwise.
    std::string holiday_notice;
    std::string holiday_notice_tooltip;
};

// Which days carry the plan and note marks, by "yyyymmdd" key: where the
// records are kept is the store's business.
struct DayMarks {
    std::function<bool(const std::string& key)> has_plan;
    std::function<bool(const std::string& key)> has_note;
    // The holiday arrangement; none: no day carries a 休/班 mark.
    const HolidayTable* holidays = nullptr;
};

// The month of `date`, with `date`'s day selected.
MonthModel build_month(const Date& date, const DayMarks& marks);

// The calendar runs from 0001-01 to 9999-12: a day key has four digits of
// year. Nothing when the step would leave that range.
inline constexpr int first_year = 1;
inline constexpr int last_year = 9999;
// One month back or forward from (year, month).
std::optional<Date> step_month(int year, int month, int delta, int day);

}  // namespace velmora::calendar
