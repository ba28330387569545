#include <gtest/gtest.h>

#include "calendar/DateCn.h"

namespace velmora::calendar {
namespace {

Date following(Date date) {
    if (date.day < days_in_month(date.year, date.month))
        return {date.year, date.month, date.day + 1};
    return date.month < 12 ? Date{date.year, date.month + 1, 1} : Date{date.year + 1, 1, 1};
}

// Every Gregorian day of the range goes to its lunar day and back; lunar
// days come in unbroken order, so counting the days each lunar month got
// also checks that the inverse knows every month's length.
TEST(SolarOfLunar, EveryDayOfTheRangeRoundTrips) {
    int days = 0;
    for (Date date{1901, 1, 1}; date.year <= last_lunar_year; date = following(date)) {
        const std::optional<LunarDay> lunar = lunar_of_solar(date);
        ASSERT_TRUE(lunar) << day_key(date);
        ASSERT_EQ(solar_of_lunar(lunar->year, lunar->month, lunar->leap, lunar->day), date)
            << day_key(date);
        ++days;
    }
    EXPECT_EQ(days, 54787);
}

// Each lunar (year, month, leap, day) the inverse accepts is a day the
// forward conversion produces, and every other combination is refused.
TEST(SolarOfLunar, EveryImpossibleLunarDayIsRefused) {
    int accepted = 0;
    for (int year = first_lunar_year - 2; year <= last_lunar_year + 1; ++year) {
        for (int month = 0; month <= 13; ++month) {
            for (bool leap : {false, true}) {
                for (int day = 0; day <= 31; ++day) {
                    const std::optional<Date> date = solar_of_lunar(year, month, leap, day);
                    if (!date) continue;
                    ++accepted;
                    ASSERT_EQ(lunar_of_solar(*date), (LunarDay{year, month, leap, day}))
                        << year << "/" << month << "/" << leap << "/" << day;
                }
            }
        }
    }
    EXPECT_EQ(accepted, 54787);
}

TEST(SolarOfLunar, KnownDaysLeapMonthsAndTheEdgesOfTheRange) {
    EXPECT_EQ(solar_of_lunar(2024, 1, false, 1), (Date{2024, 2, 10}));
    EXPECT_EQ(solar_of_lunar(2023, 12, false, 30), (Date{2024, 2, 9}));
    EXPECT_EQ(solar_of_lunar(2023, 2, true, 1), (Date{2023, 3, 22}));
    EXPECT_EQ(solar_of_lunar(2023, 2, true, 29), (Date{2023, 4, 19}));
    EXPECT_FALSE(solar_of_lunar(2023, 2, true, 30));
    EXPECT_EQ(lunar_month_days(2023, 2, true), 29);
    EXPECT_TRUE(solar_of_lunar(2020, 4, true, 1));
    EXPECT_FALSE(solar_of_lunar(2020, 3, true, 1));
    EXPECT_FALSE(solar_of_lunar(2024, 4, true, 1));
    EXPECT_EQ(lunar_month_days(2024, 4, true), 0);
    EXPECT_EQ(solar_of_lunar(2033, 11, true, 11), (Date{2034, 1, 1}));  // runs over New Year
    EXPECT_EQ(solar_of_lunar(1900, 11, false, 11), (Date{1901, 1, 1}));
    EXPECT_FALSE(solar_of_lunar(1900, 11, false, 10));
    EXPECT_EQ(solar_of_lunar(2050, 11, false, 18), (Date{2050, 12, 31}));
    EXPECT_FALSE(solar_of_lunar(2050, 11, false, 19));
    EXPECT_FALSE(solar_of_lunar(2050, 12, false, 1));
    EXPECT_EQ(lunar_of_solar({2024, 2, 9}), (LunarDay{2023, 12, false, 30}));
    EXPECT_EQ(lunar_of_solar({2024, 12, 20}), (LunarDay{2024, 11, false, 20}));
    EXPECT_FALSE(lunar_of_solar({2051, 1, 1}));
    EXPECT_EQ(lunar_month_label(2, true), "闰二月");
    EXPECT_EQ(lunar_month_label(12, false), "腊月");
    EXPECT_EQ(lunar_day_label(30), "三十");
    EXPECT_EQ(lunar_day_label(31), "");
}

}  // namespace
}  // namespace velmora::calendar
