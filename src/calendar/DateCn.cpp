#include "calendar/DateCn.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace velmora::calendar {

namespace {

#include "calendar/DateCn_tables.inc"

constexpr int days_before_month[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

constexpr bool is_leap_year(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int month_days(int year, int month) {
    constexpr int lengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && is_leap_year(year) ? 29 : lengths[month];
}

constexpr bool is_valid(Date date) {
    return date.day >= 1 && date.day <= month_days(date.year, date.month);
}

constexpr bool has_lunar_data(Date date) {
    return date.year >= first_lunar_year && date.year <= last_lunar_year && is_valid(date);
}

constexpr int lunar_month_length(unsigned bits, int slot) {
    return (bits >> (15 - slot)) & 1u ? 30 : 29;
}

// The month after `month` (negative: a leap month) in a stretch whose leap
// month follows `leap`.
constexpr int next_lunar_month(int month, int leap) {
    if (month == leap) return -leap;
    const int following = (month < 0 ? -month : month) + 1;
    return following > 12 ? 1 : following;
}

constexpr int encode(int month, int day) {
    return month < 0 ? month * 100 - day : month * 100 + day;
}

// Lunar code of the day `day_index` days after 1 January of `year`. Whether
// the month in progress on 1 January is a leap month is not in the year's
// record; the caller knows it from the previous year.
constexpr int lunar_code(int year, int day_index, bool starts_in_leap_month) {
    const std::uint32_t record = lunar_year_table[year - first_lunar_year];
    const int first_day = static_cast<int>((record >> 24) & 0x7F);
    const int january_month = (record >> 31) != 0 ? 12 : 11;
    const unsigned bits = (record >> 8) & 0xFFFF;
    const int leap = static_cast<int>(record & 0xFF);
    int total = lunar_month_length(bits, 0) - first_day;
    if (day_index <= total) {
        return encode(starts_in_leap_month ? -january_month : january_month, first_day + day_index);
    }
    int month = next_lunar_month(january_month, leap);
    for (int slot = 1; slot < 15 && day_index > total + lunar_month_length(bits, slot); ++slot) {
        total += lunar_month_length(bits, slot);
        month = next_lunar_month(month, leap);
    }
    return encode(month, day_index - total);
}

// A leap 11th or 12th month can run across New Year; whether the month in
// progress on 1 January is one follows from 31 December before it. Worked
// out once, in order from 1901, so a lookup never has to look back.
constexpr auto january_leap_flags = [] {
    std::array<bool, last_lunar_year - first_lunar_year + 1> flags{};
    for (int year = first_lunar_year + 1; year <= last_lunar_year; ++year) {
        const int previous = year - 1;
        const int december_31 = is_leap_year(previous) ? 365 : 364;
        flags[year - first_lunar_year] =
            lunar_code(previous, december_31, flags[previous - first_lunar_year]) < 0;
    }
    return flags;
}();

int lunar_month_of(int code) {
    return code / 100;
}
int lunar_day_of(int code) {
    return std::abs(code) % 100;
}

Date next_day(Date date) {
    if (date.day < month_days(date.year, date.month)) return {date.year, date.month, date.day + 1};
    if (date.month < 12) return {date.year, date.month + 1, 1};
    return {date.year + 1, 1, 1};
}

int positive_modulo(int value, int divisor) {
    const int rest = value % divisor;
    return rest < 0 ? rest + divisor : rest;
}

// The year the stem and zodiac are taken from: in January to March the days
// of the 11th and 12th lunar months still belong to the previous year.
int zodiac_year(Date date) {
    const int month = std::abs(lunar_month_of(lunar_date(date)));
    return date.month <= 3 && month >= 11 ? date.year - 1 : date.year;
}

// The date of a day serial (days since 1970-01-01, proleptic Gregorian).
Date date_of(long serial) {
    const long z = serial + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0)), static_cast<int>(month),
            static_cast<int>(doy - (153 * mp + 2) / 5 + 1)};
}

struct LunarMonthSpan {
    long first_serial;  // day 1, possibly before the range
    int length;
};

// The month `month` (negative: leap) of `lunar_year` among the months of
// Gregorian year `year`'s record that begin within that year. The record
// opens with the 11th or 12th month of the lunar year before.
std::optional<LunarMonthSpan> month_in_record(int year, int lunar_year, int month) {
    const std::uint32_t record = lunar_year_table[year - first_lunar_year];
    const unsigned bits = (record >> 8) & 0xFFFF;
    const int leap = static_cast<int>(record & 0xFF);
    const int january_month = (record >> 31) != 0 ? 12 : 11;
    int slot_month = january_leap_flags[year - first_lunar_year] ? -january_month : january_month;
    int slot_year = year - 1;
    int start = 1 - static_cast<int>((record >> 24) & 0x7F);  // day index of day 1
    const int year_days = is_leap_year(year) ? 366 : 365;
    for (int slot = 0; slot < 16 && start < year_days; ++slot) {
        if (slot_month == 1) slot_year = year;
        if (slot_year == lunar_year && slot_month == month) {
            return LunarMonthSpan{day_serial({year, 1, 1}) + start, lunar_month_length(bits, slot)};
        }
        start += lunar_month_length(bits, slot);
        slot_month = next_lunar_month(slot_month, leap);
    }
    return std::nullopt;
}

// A month beginning in December may still be running on 1 January, and a
// 12th month may begin in January: look in both years' records.
std::optional<LunarMonthSpan> find_lunar_month(int lunar_year, int month, bool leap) {
    if (month < 1 || month > 12) return std::nullopt;
    const int code = leap ? -month : month;
    for (int year = lunar_year; year <= lunar_year + 1; ++year) {
        if (year < first_lunar_year || year > last_lunar_year) continue;
        if (auto span = month_in_record(year, lunar_year, code)) return span;
    }
    return std::nullopt;
}

// The last `count` decimal digits of a value that is not negative.
void put_digits(char* at, int value, int count) {
    for (int i = count - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
}

}  // namespace

long day_serial(Date date) {
    const long y = date.month <= 2 ? date.year - 1 : date.year;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long mp = (date.month + 9) % 12;
    const long doy = (153 * mp + 2) / 5 + date.day - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

int days_in_month(int year, int month) {
    return month_days(year, month);
}

Date clamp_date(int year, int month, int day) {
    const int last = month_days(year, month);
    if (last == 0) return {year, month, day};
    return {year, month, day < 1 ? 1 : (day > last ? last : day)};
}

int weekday(Date date) {
    // Sakamoto's method, with March as the first month of the counting year.
    constexpr int offsets[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (date.month < 1 || date.month > 12) return 0;
    const int year = date.month < 3 ? date.year - 1 : date.year;
    const int floor_div4 = year >= 0 ? year / 4 : -((-year + 3) / 4);
    const int floor_div100 = year >= 0 ? year / 100 : -((-year + 99) / 100);
    const int floor_div400 = year >= 0 ? year / 400 : -((-year + 399) / 400);
    return positive_modulo(
        year + floor_div4 - floor_div100 + floor_div400 + offsets[date.month - 1] + date.day, 7);
}

std::string day_key(Date date) {
    char key[40];
    std::snprintf(key, sizeof key, "%04d%02d%02d", date.year, date.month, date.day);
    return key;
}

// The digits put by hand for every date the calendar deals in: printf's
// machinery is most of what a process that prints one date has to page in.
std::string dashed_date(Date date) {
    const bool plain = date.year >= 0 && date.year <= 9999 && date.month >= 0 && date.month <= 99 &&
                       date.day >= 0 && date.day <= 99;
    if (!plain) {
        char text[40];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
        return text;
    }
    std::string text = "0000-00-00";
    put_digits(&text[0], date.year, 4);
    put_digits(&text[5], date.month, 2);
    put_digits(&text[8], date.day, 2);
    return text;
}

std::optional<Date> parse_dashed_date(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    auto number = [text](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const Date date{number(0, 4), number(5, 2), number(8, 2)};
    if (date.year < 1 || date.day < 1 || date.day > days_in_month(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

int day_of_year(Date date) {
    if (date.month < 1 || date.month > 12) return 0;
    const int leap_day = date.month > 2 && is_leap_year(date.year) ? 1 : 0;
    return days_before_month[date.month] + leap_day + date.day;
}

int lunar_date(Date date) {
    if (!has_lunar_data(date)) return 0;
    return lunar_code(date.year, day_of_year(date) - 1,
                      january_leap_flags[date.year - first_lunar_year]);
}

std::string lunar_month_name(Date date) {
    const int month = lunar_month_of(lunar_date(date));
    if (month == 0) return {};
    if (month < 0) return std::string("闰") + lunar_month_names[-month];
    return std::string(lunar_month_names[month]) + "月";
}

std::string lunar_day_name(Date date) {
    return lunar_day_names[lunar_day_of(lunar_date(date))];
}

std::string lunar_festival(Date date) {
    const int code = lunar_date(date);
    if (code == 0) return {};
    const int month = lunar_month_of(code);  // negative in a leap month: never a festival
    switch (lunar_day_of(code)) {
        case 1: return month == 1 ? "春节" : "";
        case 5: return month == 5 ? "端午节" : "";
        case 7: return month == 7 ? "七夕节" : "";
        case 8: return month == 12 ? "腊八节" : "";
        case 9: return month == 9 ? "重阳节" : "";
        case 15: return month == 8 ? "中秋节" : (month == 1 ? "元宵节" : "");
        default: break;
    }
    const bool new_year_follows = lunar_month_of(lunar_date(next_day(date))) == 1;
    return new_year_follows && month != 1 ? "除夕" : "";
}

std::string year_zodiac(Date date) {
    return zodiac_names[positive_modulo(zodiac_year(date) - 1972, 12)];
}

std::string year_stem(Date date) {
    return stem_names[positive_modulo(zodiac_year(date) - 1974, 10)];
}

int solar_term_index(int year, int month, int day) {
    if (year < first_lunar_year || year > last_lunar_year || month < 1 || month > 12) return 0;
    const int terms = solar_term_table[year - first_lunar_year][month - 1];
    const int candidate = day < 15 ? 15 - (terms >> 4) : 15 + (terms & 0x0F);
    if (day != candidate) return 0;
    return 2 * (month - 1) + (day <= 15 ? 1 : 2);
}

std::string solar_term(Date date) {
    return solar_term_names[solar_term_index(date.year, date.month, date.day)];
}

std::string gregorian_festival(Date date) {
    const char* name = "";
    for (const FixedFestival& festival : fixed_festivals) {
        if (festival.month == date.month && festival.day == date.day) name = festival.name;
    }
    for (const WeekFestival& festival : week_festivals) {
        if (festival.month == date.month && date.day >= 1 && festival.weekday == weekday(date) &&
            (date.day - 1) / 7 == festival.nth - 1) {
            name = festival.name;
        }
    }
    return name;
}

std::string star_sign(Date date) {
    if (date.month < 1 || date.month > 12) return {};
    const SignSplit& split = star_signs[date.month - 1];
    return date.day <= split.last_day_of_first ? split.first : split.second;
}

CellText cell_text(Date date) {
    CellText cell{lunar_day_name(date), cell_plain_rgb, false};
    auto choose = [&cell](std::string text, std::uint32_t rgb) {
        if (text.empty()) return;
        cell = {std::move(text), rgb, true};
    };
    if (cell.text == "初一") choose(lunar_month_name(date), cell_month_rgb);
    choose(gregorian_festival(date), cell_festival_rgb);
    choose(solar_term(date), cell_term_rgb);
    choose(lunar_festival(date), cell_festival_rgb);
    return cell;
}

std::optional<LunarDay> lunar_of_solar(Date date) {
    const int code = lunar_date(date);
    if (code == 0) return std::nullopt;
    const int month = std::abs(lunar_month_of(code));
    // The 11th and 12th months seen in the first half of a Gregorian year
    // belong to the lunar year that began the year before.
    const int year = month >= 11 && date.month <= 6 ? date.year - 1 : date.year;
    return LunarDay{year, month, code < 0, lunar_day_of(code)};
}

std::optional<Date> solar_of_lunar(int lunar_year, int lunar_month, bool leap, int lunar_day) {
    const std::optional<LunarMonthSpan> span = find_lunar_month(lunar_year, lunar_month, leap);
    if (!span || lunar_day < 1 || lunar_day > span->length) return std::nullopt;
    const long serial = span->first_serial + lunar_day - 1;
    if (serial < day_serial({first_lunar_year, 1, 1}) ||
        serial > day_serial({last_lunar_year, 12, 31})) {
        return std::nullopt;
    }
    return date_of(serial);
}

int lunar_month_days(int lunar_year, int lunar_month, bool leap) {
    const std::optional<LunarMonthSpan> span = find_lunar_month(lunar_year, lunar_month, leap);
    return span ? span->length : 0;
}

std::string lunar_month_label(int lunar_month, bool leap) {
    if (lunar_month < 1 || lunar_month > 12) return {};
    return std::string(leap ? "闰" : "") + lunar_month_names[lunar_month] + "月";
}

std::string lunar_day_label(int lunar_day) {
    return lunar_day < 1 || lunar_day > 30 ? std::string() : lunar_day_names[lunar_day];
}

}  // namespace velmora::calendar
