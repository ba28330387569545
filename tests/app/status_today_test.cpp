// The status area's text for a day, and when it looks at the date again.
#include "app/status_today.h"

#include <gtest/gtest.h>

namespace velmora::app {
namespace {

using calendar::HolidayTable;

const HolidayTable& arrangement() {
    static const HolidayTable table = HolidayTable::parse(
        "2026-01-01\t休\t元旦\n2026-01-02\t休\t元旦\n2026-01-03\t休\t元旦\n"
        "2026-01-04\t班\t元旦\n");
    return table;
}

TEST(StatusToday, TheTooltipHoldsEachLineTheDayHasAndNoEmptyOnes) {
    const StatusToday plain = status_today({2026, 12, 11}, arrangement());
    EXPECT_EQ(plain.day_number, "11");
    EXPECT_EQ(plain.tooltip, "2026年12月11日 星期五\n农历冬月初三 丙午马年");

    EXPECT_EQ(status_today({2026, 12, 22}, arrangement()).tooltip,
              "2026年12月22日 星期二\n农历冬月十四 丙午马年\n冬至");
    // A leap month reads as the month's full name.
    EXPECT_EQ(status_today({2025, 7, 25}, arrangement()).tooltip,
              "2025年7月25日 星期五\n农历闰六月初一 乙巳蛇年");
    // Early January still belongs to the lunar year before.
    EXPECT_EQ(status_today({2026, 1, 1}, arrangement()).tooltip,
              "2026年1月1日 星期四\n农历冬月十三 乙巳蛇年\n元旦节\n休 元旦放假");
    EXPECT_EQ(status_today({2026, 1, 4}, arrangement()).tooltip,
              "2026年1月4日 星期日\n农历冬月十六 乙巳蛇年\n班 元旦调休上班");
}

TEST(StatusToday, OutsideTheLunarTablesOnlyTheGregorianDayIsTold) {
    EXPECT_EQ(status_today({2051, 3, 2}, HolidayTable()).tooltip, "2051年3月2日 星期四");
    EXPECT_EQ(status_today({1900, 10, 1}, HolidayTable()).day_number, "1");
}

TEST(StatusToday, TheDateIsLookedAtJustAfterMidnightAndAtLeastEveryTenMinutes) {
    EXPECT_EQ(next_date_check_ms({2026, 12, 31, 23, 59, 58}), 2500);
    EXPECT_EQ(next_date_check_ms({2026, 12, 31, 23, 55, 0}), 300500);
    EXPECT_EQ(next_date_check_ms({2026, 12, 31, 0, 0, 0}), 600000);
    EXPECT_EQ(next_date_check_ms({2026, 12, 31, 12, 0, 0}), 600000);
    // A leap second's 60 still waits a moment rather than not at all.
    EXPECT_EQ(next_date_check_ms({2016, 12, 31, 23, 59, 60}), 500);
}

}  // namespace
}  // namespace velmora::app
