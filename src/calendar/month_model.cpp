#include "calendar/month_model.h"

namespace velmora::calendar {

namespace {

bool weekend_column(int cell) {
    return cell % 7 == 1 || cell % 7 == 0;
}

DayCell fill_cell(const Date& day, int cell, const DayMarks& marks) {
    DayCell c;
    c.day = day.day;
    c.key = day_key(day);
    c.number_text = std::to_string(day.day);
    c.has_plan = marks.has_plan(c.key);
    c.has_note = marks.has_note(c.key);
    if (marks.holidays) {
        const HolidayMark holiday = marks.holidays->mark(day);
        c.day_off = holiday.kind;
        c.holiday_name = holiday.name;
        if (holiday.kind != DayOff::none) {
            c.holiday_tooltip = std::string(holiday.name) + " " + day_off_text(holiday.kind) +
                                "\n" + provenance_text(*marks.holidays, holiday.year);
        }
    }
    // Red is for days off: a weekend worked in exchange (班) is a working day.
    const bool weekend = weekend_column(cell) && c.day_off != DayOff::work;
    c.number_rgb = weekend ? red : black;
    const CellText text = cell_text(day);
    c.lunar_text = text.text;
    c.lunar_rgb = text.special ? text.rgb : (weekend ? red : dark_green);
    return c;
}

}  // namespace

MonthModel build_month(const Date& date, const DayMarks& marks) {
    MonthModel m;
    m.year = date.year;
    m.month = date.month;
    m.year_caption = std::to_string(date.year);
    m.month_caption = std::to_string(date.month);
    m.stem_zodiac = year_stem(date) + year_zodiac(date);
    if (marks.holidays) {
        m.holiday_notice = missing_year_text(*marks.holidays, date.year);
        if (!m.holiday_notice.empty()) {
            m.holiday_notice_tooltip = provenance_text(*marks.holidays, date.year);
        }
    }
    const int first = weekday({date.year, date.month, 1}) + 1;  // 1 = Sunday
    const int days = days_in_month(date.year, date.month);
    for (int d = 1; d <= days; ++d) {
        const int cell = first + d - 1;
        m.cells[static_cast<std::size_t>(cell - 1)] =
            fill_cell({date.year, date.month, d}, cell, marks);
        if (d == date.day) {
            m.selected_cell = cell;
            m.star = star_sign(date);
        }
    }
    return m;
}

std::optional<Date> step_month(int year, int month, int delta, int day) {
    const long long index = year * 12LL + (month - 1) + delta;
    if (index < first_year * 12LL || index >= (last_year + 1) * 12LL) return std::nullopt;
    return clamp_date(static_cast<int>(index / 12), static_cast<int>(index % 12) + 1, day);
}

}  // namespace velmora::calendar
