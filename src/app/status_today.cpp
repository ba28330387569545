#include "app/status_today.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace velmora::app {
namespace {

using calendar::Date;

const char* const weekday_names[] = {"星期日", "星期一", "星期二", "星期三",
                                     "星期四", "星期五", "星期六"};

std::string gregorian_line(Date today) {
    return std::to_string(today.year) + "年" + std::to_string(today.month) + "月" +
           std::to_string(today.day) + "日 " + weekday_names[calendar::weekday(today)];
}

// "农历闰六月初一 乙巳蛇年"; empty outside the years the lunar tables cover.
std::string lunar_line(Date today) {
    const std::optional<calendar::LunarDay> lunar = calendar::lunar_of_solar(today);
    if (!lunar) return {};
    return "农历" + calendar::lunar_month_label(lunar->month, lunar->leap) +
           calendar::lunar_day_label(lunar->day) + " " + calendar::year_stem(today) +
           calendar::year_zodiac(today) + "年";
}

// "春节、情人节", "冬至": every name the day carries, lunar first.
std::string festival_line(Date today) {
    std::string line;
    for (const std::string& name : {calendar::lunar_festival(today), calendar::solar_term(today),
                                    calendar::gregorian_festival(today)}) {
        if (name.empty()) continue;
        if (!line.empty()) line += "、";
        line += name;
    }
    return line;
}

std::string day_off_line(Date today, const calendar::HolidayTable& holidays) {
    const calendar::HolidayMark mark = holidays.mark(today);
    if (mark.kind == calendar::DayOff::none) return {};
    const std::string name(mark.name);
    if (mark.kind == calendar::DayOff::rest) return "休 " + name + "放假";
    return "班 " + name + "调休上班";
}

}  // namespace

StatusToday status_today(Date today, const calendar::HolidayTable& holidays) {
    StatusToday status{std::to_string(today.day), gregorian_line(today)};
    for (const std::string& line :
         {lunar_line(today), festival_line(today), day_off_line(today, holidays)}) {
        if (!line.empty()) status.tooltip += "\n" + line;
    }
    return status;
}

int next_date_check_ms(const sys::LocalTime& now) {
    constexpr int day_seconds = 24 * 60 * 60;
    constexpr int most_ms = 10 * 60 * 1000;
    const int seconds = now.hour * 3600 + now.minute * 60 + now.second;
    // Half a second past midnight: a timer that fires a little early still
    // finds the new day.
    const int to_midnight_ms = (day_seconds - seconds) * 1000 + 500;
    return std::clamp(to_midnight_ms, 500, most_ms);
}

}  // namespace velmora::app
