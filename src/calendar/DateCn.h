// The Chinese calendar engine: everything the month view prints about a
// Gregorian date, as stateless functions over constant tables. All text is
// UTF-8.
//
// The lunar data covers the Gregorian years 1901 to 2050. Outside them there
// is no lunar date (code 0), the lunar names, the lunar festival and the solar
// term are empty, and the year's stem and zodiac follow the Gregorian year.
// Festivals of the Gregorian calendar and star signs work for any date.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::calendar {

struct Date {
    int year;
    int month;
    int day;
    bool operator==(const Date&) const = default;
};

inline constexpr int first_lunar_year = 1901;
inline constexpr int last_lunar_year = 2050;

// Gregorian days of the month; 0 for a month outside 1..12.
int days_in_month(int year, int month);
// The date with its day brought into 1..days_in_month (the day stays as given
// for a month outside 1..12).
Date clamp_date(int year, int month, int day);
// 0 = Sunday ... 6 = Saturday, proleptic Gregorian.
int weekday(Date date);
// "yyyymmdd": the key a day's records are stored under.
std::string day_key(Date date);
// "yyyy-mm-dd": a date as the user reads and types it.
std::string dashed_date(Date date);
// The date "yyyy-mm-dd" names, years 0001 to 9999; nothing for any other
// text, an impossible day included.
std::optional<Date> parse_dashed_date(std::string_view text);
// 1 for 1 January; 0 for a month outside 1..12.
int day_of_year(Date date);

// month * 100 + day, negated inside a leap month (day 1 of the leap 2nd month
// is -201); 0 when the date has no lunar date (outside 1901..2050, or not a
// valid date).
int lunar_date(Date date);
// A day of the Chinese calendar. `year` is the lunar year: the Gregorian
// year in which its 正月初一 falls.
struct LunarDay {
    int year;
    int month;  // 1..12
    bool leap;
    int day;  // 1..30
    bool operator==(const LunarDay&) const = default;
};
// Days since 1970-01-01 in the proleptic Gregorian calendar: day counts and
// differences between dates.
long day_serial(Date date);
// The lunar day of a Gregorian date; nothing outside 1901..2050.
std::optional<LunarDay> lunar_of_solar(Date date);
// The Gregorian date of a lunar day; nothing when there is no such day: a
// leap month the year does not have, a 30th in a month of 29 days, or a day
// outside 1901-01-01..2050-12-31 (so lunar years 1900 to 2050, partly).
std::optional<Date> solar_of_lunar(int lunar_year, int lunar_month, bool leap, int lunar_day);
// 29 or 30, or 0 when the year has no such month (or it is out of range).
int lunar_month_days(int lunar_year, int lunar_month, bool leap);
// "正月" ... "腊月", "闰二月"; "初一" ... "三十". Empty when out of range.
std::string lunar_month_label(int lunar_month, bool leap);
std::string lunar_day_label(int lunar_day);

// "正月" ... "腊月", or "闰" + the month's name ("闰二", "闰冬") in a leap month.
std::string lunar_month_name(Date date);
// "初一" ... "三十".
std::string lunar_day_name(Date date);
// "春节", "元宵节", "端午节", "七夕节", "中秋节", "重阳节", "腊八节", "除夕" or empty.
std::string lunar_festival(Date date);
// Branch and animal ("辰龙") and heavenly stem ("甲") of the year. In January
// to March a day still in the 11th or 12th lunar month belongs to the
// previous year.
std::string year_zodiac(Date date);
std::string year_stem(Date date);

// 1..24 when the day is a solar term (1 = 小寒 ... 24 = 冬至), else 0.
int solar_term_index(int year, int month, int day);
std::string solar_term(Date date);

std::string gregorian_festival(Date date);
// Western star sign; 23 August is "处女座". Empty for an invalid month.
std::string star_sign(Date date);

// What the month view writes under a day number, and in which colour.
// `special` tells that a priority rule chose the colour (lunar month name on
// a lunar first day, Gregorian festival, solar term, lunar festival); the
// view paints ordinary texts of the weekend columns red instead of `rgb`.
struct CellText {
    std::string text;
    std::uint32_t rgb;
    bool special;
};

inline constexpr std::uint32_t cell_plain_rgb = 0x004000;
inline constexpr std::uint32_t cell_month_rgb = 0xFF0000;
inline constexpr std::uint32_t cell_festival_rgb = 0xFF8000;
inline constexpr std::uint32_t cell_term_rgb = 0x5353FF;

// Priority, highest first: lunar festival, solar term, Gregorian festival,
// the lunar month's name on its first day, the lunar day's name.
CellText cell_text(Date date);

}  // namespace velmora::calendar
