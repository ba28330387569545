// The `solar` command: a day of the Chinese calendar to its Gregorian date.
#include <string>

#include "cli/cli.h"

namespace velmora::cli {

namespace {

std::string lunar_name(int year, int month, bool leap, int day) {
    return std::to_string(year) + "年" + calendar::lunar_month_label(month, leap) +
           calendar::lunar_day_label(day);
}

// Why the engine has no such day, worded for the user.
std::string why_none(int year, int month, bool leap, int day) {
    const std::string name = lunar_name(year, month, leap, day);
    const int length = calendar::lunar_month_days(year, month, leap);
    if (year < calendar::first_lunar_year - 1 || year > calendar::last_lunar_year) {
        return "no such lunar day: " + name + " (the calendar covers 1901-01-01 to 2050-12-31)";
    }
    if (length == 0 && leap) {
        return "no such lunar day: lunar year " + std::to_string(year) + " has no leap month " +
               std::to_string(month);
    }
    if (length != 0 && day > length) {
        return "no such lunar day: " + name + " (that month has " + std::to_string(length) +
               " days)";
    }
    return "no such lunar day: " + name + " (outside 1901-01-01 to 2050-12-31)";
}

}  // namespace

std::string solar_text(int lunar_year, int lunar_month, bool leap, int lunar_day, bool header) {
    const std::optional<calendar::Date> date =
        calendar::solar_of_lunar(lunar_year, lunar_month, leap, lunar_day);
    if (!date) throw NoSuchDay{why_none(lunar_year, lunar_month, leap, lunar_day)};
    std::string text = header ? std::string(day_columns_header) + "\n" : std::string();
    return text + day_line(*date) + "\n";
}

}  // namespace velmora::cli
