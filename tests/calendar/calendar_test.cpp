#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <span>

#include "calendar/DateCn.h"

namespace velmora::calendar {
namespace {

Date next(Date date) {
    if (date.day < days_in_month(date.year, date.month))
        return {date.year, date.month, date.day + 1};
    return date.month < 12 ? Date{date.year, date.month + 1, 1} : Date{date.year + 1, 1, 1};
}

using Named = std::pair<Date, const char*>;

void expect_names(std::string (*namer)(Date), std::span<const Named> cases) {
    for (const auto& [date, name] : cases) EXPECT_EQ(namer(date), name) << day_key(date);
}

template <typename Visit>
void for_each_lunar_day(Visit visit) {
    for (Date date{1901, 1, 1}; date.year <= 2050; date = next(date)) visit(date);
}

TEST(LunarDate, KnownDaysIncludingMendedRecordsAndNewYearLeapMonth) {
    const std::pair<Date, int> cases[] = {
        {{1901, 1, 1}, 1111},  {{2050, 12, 31}, 1118}, {{1903, 1, 1}, 1203},
        {{2023, 3, 22}, -201}, {{2023, 4, 19}, -229},  {{2023, 4, 20}, 301},
        {{2024, 2, 10}, 101},  {{2024, 2, 9}, 1230},   {{2033, 12, 31}, -1110},
        {{2034, 1, 1}, -1111}, {{1989, 8, 2}, 701},    {{1989, 8, 1}, 630},
        {{2013, 6, 8}, 501},   {{2013, 6, 12}, 505},   {{1900, 12, 31}, 0},
        {{2051, 1, 1}, 0},     {{2023, 2, 29}, 0},     {{2023, 13, 1}, 0}};
    for (const auto& [date, code] : cases) {
        EXPECT_EQ(lunar_date(date), code) << day_key(date);
    }
}

TEST(LunarDate, NamesOfLeapAndOrdinaryMonthsAndDaysEmptyOutsideTheRange) {
    const Named lunar_month_name_cases[] = {{{2023, 3, 22}, "闰二"}, {{2034, 1, 1}, "闰冬"},
                                            {{2024, 2, 10}, "正月"}, {{2024, 2, 9}, "腊月"},
                                            {{1900, 12, 31}, ""},    {{2051, 1, 1}, ""}};
    expect_names(lunar_month_name, lunar_month_name_cases);
    const Named lunar_day_name_cases[] = {{{2023, 3, 22}, "初一"}, {{2034, 1, 1}, "十一"},
                                          {{2024, 2, 9}, "三十"},  {{2024, 1, 30}, "二十"},
                                          {{2024, 1, 31}, "廿一"}, {{2051, 1, 1}, ""}};
    expect_names(lunar_day_name, lunar_day_name_cases);
}

// Each lunar day follows the one before it, and a month of 29 or 30 days is
// followed by the next month, or by the leap month of the same number.
TEST(LunarDate, RunsUnbrokenOverTheWholeRange) {
    int previous = lunar_date({1901, 1, 1}) - 1;
    int days = 0;
    for_each_lunar_day([&](Date date) {
        const int code = lunar_date(date);
        const int day = std::abs(code) % 100, month = code / 100;
        const int last_day = std::abs(previous) % 100, last_month = previous / 100;
        if (day != 1) {
            ASSERT_TRUE(month == last_month && day == last_day + 1) << day_key(date);
        } else {
            ASSERT_TRUE(last_day == 29 || last_day == 30) << day_key(date);
            const bool leap_follows = month == -last_month && month < 0;
            const bool next_follows = month == std::abs(last_month) % 12 + 1;
            ASSERT_TRUE(leap_follows || next_follows) << day_key(date);
        }
        previous = code;
        ++days;
    });
    EXPECT_EQ(days, 54787);
}

TEST(LunarFestival, EachOncePerYearAndNewYearsEveBeforeSpringFestival) {
    std::map<std::pair<int, std::string>, int> count;
    Date eve{};
    for_each_lunar_day([&](Date date) {
        const std::string festival = lunar_festival(date);
        if (!festival.empty()) ++count[{date.year, festival}];
        if (festival == "除夕") eve = date;
        if (festival == "春节") {
            EXPECT_EQ(next(eve), date) << day_key(date);
        }
    });
    for (int year = 1901; year <= 2050; ++year) {
        for (const char* name :
             {"春节", "元宵节", "端午节", "七夕节", "中秋节", "重阳节", "除夕"}) {
            EXPECT_EQ((count[{year, name}]), 1) << year << name;
        }
    }
    EXPECT_EQ(lunar_festival({2013, 6, 12}), "端午节");
    EXPECT_EQ(lunar_festival({2024, 1, 18}), "腊八节");
    EXPECT_EQ(lunar_festival({2024, 2, 24}), "元宵节");
}

TEST(SolarTerm, EveryMonthHasTwoTermsInTheirDayWindows) {
    for (int year = 1901; year <= 2050; ++year) {
        for (int month = 1; month <= 12; ++month) {
            std::vector<std::pair<int, int>> terms;  // day, index
            for (int day = 1; day <= days_in_month(year, month); ++day) {
                if (int index = solar_term_index(year, month, day)) terms.push_back({day, index});
            }
            ASSERT_EQ(terms.size(), 2u) << year << "-" << month;
            EXPECT_TRUE(terms[0].first >= 3 && terms[0].first <= 9) << year << "-" << month;
            EXPECT_TRUE(terms[1].first >= 18 && terms[1].first <= 24) << year << "-" << month;
            EXPECT_EQ(terms[0].second, 2 * month - 1);
            EXPECT_EQ(terms[1].second, 2 * month);
        }
    }
}

TEST(SolarTerm, NamesAndMendedBytes) {
    const Named solar_term_cases[] = {
        {{2024, 1, 6}, "小寒"},   {{2024, 1, 20}, "大寒"}, {{2024, 2, 4}, "立春"},
        {{2024, 12, 21}, "冬至"}, {{1962, 1, 6}, "小寒"},  {{1977, 5, 5}, "立夏"},
        {{2049, 4, 4}, "清明"},   {{1995, 8, 23}, "处暑"}, {{1917, 12, 22}, "冬至"},
        {{1900, 1, 6}, ""},       {{2051, 1, 5}, ""}};
    expect_names(solar_term, solar_term_cases);
    EXPECT_EQ(solar_term_index(2024, 0, 6), 0);
}

TEST(YearStemAndZodiac, SwitchOnlyBeforeLunarNewYearInsideTheRange) {
    const std::tuple<Date, const char*, const char*> cases[] = {
        {{2024, 2, 5}, "癸", "卯兔"},   {{2024, 5, 5}, "甲", "辰龙"},
        {{2024, 12, 20}, "甲", "辰龙"}, {{2024, 2, 10}, "甲", "辰龙"},
        {{1972, 6, 1}, "壬", "子鼠"},   {{1971, 6, 1}, "辛", "亥猪"},
        {{2034, 1, 1}, "癸", "丑牛"},   {{1900, 1, 15}, "庚", "子鼠"},
        {{2051, 1, 15}, "辛", "未羊"}};
    for (const auto& [date, stem, zodiac] : cases) {
        EXPECT_EQ(year_stem(date), stem) << day_key(date);
        EXPECT_EQ(year_zodiac(date), zodiac) << day_key(date);
    }
}

TEST(GregorianFestivalAndStarSign, WeekdayRulesOverrideFixedDaysAndSignBoundaries) {
    const Named gregorian_festival_cases[] = {
        {{2024, 5, 12}, "母亲节"},  {{2025, 5, 12}, "护士节"}, {{2022, 5, 8}, "母亲节"},
        {{2025, 5, 8}, "红十字"},   {{2024, 6, 16}, "父亲节"}, {{2024, 6, 9}, ""},
        {{2024, 11, 28}, "感恩节"}, {{2024, 11, 21}, ""},      {{2024, 3, 22}, "水日"},
        {{2024, 7, 2}, ""},         {{1850, 12, 25}, "圣诞节"}};
    expect_names(gregorian_festival, gregorian_festival_cases);
    const Named star_sign_cases[] = {
        {{2024, 1, 19}, "摩羯座"},  {{2024, 1, 20}, "水瓶座"},  {{2024, 2, 18}, "水瓶座"},
        {{2024, 2, 19}, "双鱼座"},  {{2024, 8, 22}, "狮子座"},  {{2024, 8, 23}, "处女座"},
        {{2024, 10, 23}, "天秤座"}, {{2024, 10, 24}, "天蝎座"}, {{2024, 12, 21}, "射手座"},
        {{2051, 12, 31}, "摩羯座"}, {{2024, 13, 1}, ""}};
    expect_names(star_sign, star_sign_cases);
}

// The one way dates are written for people and read back from them.
TEST(DashedDates, WrittenAndReadBackOnlyWhenTheDayExists) {
    EXPECT_EQ(dashed_date({2024, 2, 9}), "2024-02-09");
    EXPECT_EQ(dashed_date({1, 1, 1}), "0001-01-01");
    for (Date date : {Date{2024, 2, 29}, Date{1, 1, 1}, Date{9999, 12, 31}}) {
        EXPECT_EQ(parse_dashed_date(dashed_date(date)), date);
    }
    for (const char* bad : {"2023-02-29", "0000-01-01", "2024-13-01", "2024-00-10", "2024-1-10",
                            "2024/01/10", "20240110", "2024-01-1x", ""}) {
        EXPECT_FALSE(parse_dashed_date(bad)) << bad;
    }
}

TEST(GregorianDays, LengthsClampWeekdayAndKey) {
    EXPECT_EQ(days_in_month(1900, 2), 28);
    EXPECT_EQ(days_in_month(2000, 2), 29);
    EXPECT_EQ(days_in_month(2023, 13), 0);
    EXPECT_EQ(clamp_date(2024, 2, 31), (Date{2024, 2, 29}));
    EXPECT_EQ(weekday({1901, 1, 1}), 2);   // Tuesday
    EXPECT_EQ(weekday({2024, 2, 10}), 6);  // Saturday
    EXPECT_EQ(day_of_year({2024, 12, 31}), 366);
    EXPECT_EQ(day_key({2024, 2, 9}), "20240209");
}

TEST(CellText, PriorityAndColours) {
    const std::tuple<Date, const char*, std::uint32_t, bool> cases[] = {
        {{2004, 1, 21}, "除夕", cell_festival_rgb, true},  // also 大寒
        {{1901, 3, 21}, "春分", cell_term_rgb, true},      // also 森林日
        {{2023, 3, 22}, "水日", cell_festival_rgb, true},  // also 闰二 初一
        {{2024, 3, 10}, "二月", cell_month_rgb, true},
        {{2024, 10, 1}, "国庆节", cell_festival_rgb, true},
        {{2024, 7, 2}, "廿七", cell_plain_rgb, false},
        {{2051, 3, 8}, "妇女节", cell_festival_rgb, true},
        {{2051, 3, 9}, "", cell_plain_rgb, false}};
    for (const auto& [date, text, rgb, special] : cases) {
        const CellText cell = cell_text(date);
        EXPECT_EQ(cell.text, text) << day_key(date);
        EXPECT_EQ(cell.rgb, rgb) << day_key(date);
        EXPECT_EQ(cell.special, special) << day_key(date);
    }
}

}  // namespace
}  // namespace velmora::calendar
