#include "plans/timed_actions.h"

#include <gtest/gtest.h>

#include "holiday_week.h"
#include "sys/fake_platform.h"

namespace velmora::plans {
namespace {

ShutdownStep tick_at(const sys::LocalTime& now, const std::string& use = "1") {
    return shutdown_tick(use, "20110315", "221500", now);
}

TEST(ShutdownTickTest, FiresOnlyOnTheSetDayFromTheSetTime) {
    EXPECT_EQ(tick_at({2011, 3, 15, 22, 14, 59}), ShutdownStep::wait);
    EXPECT_EQ(tick_at({2011, 3, 15, 9, 0, 0}), ShutdownStep::wait) << "09 sorts before 22";
    EXPECT_EQ(tick_at({2011, 3, 15, 22, 15, 0}), ShutdownStep::fire);
    EXPECT_EQ(tick_at({2011, 3, 15, 23, 59, 59}, " 1 "), ShutdownStep::fire);
    EXPECT_EQ(tick_at({2011, 3, 16, 0, 0, 5}), ShutdownStep::stop) << "midnight passed";
    EXPECT_EQ(tick_at({2011, 3, 14, 23, 0, 0}), ShutdownStep::stop);
    EXPECT_EQ(tick_at({2011, 3, 15, 22, 30, 0}, "0"), ShutdownStep::stop);
}

TEST(ShutdownFireTest, DisarmsClosesThenForcesPowerOff) {
    sys::testing::FakePlatform platform;
    std::string use = "1", date = "20110315";
    std::vector<unsigned> exits_at_close{99};
    fire_shutdown(
        use, date, [&] { exits_at_close = platform.exit_calls; }, platform);
    EXPECT_EQ(use, "0");
    EXPECT_EQ(date, "00000000");
    EXPECT_TRUE(exits_at_close.empty()) << "the window closes before the power-off";
    EXPECT_EQ(platform.exit_calls, std::vector<unsigned>{0xC});

    sys::testing::FakePlatform refusing;
    refusing.privilege_granted = false;
    fire_shutdown(use, date, nullptr, refusing);
    EXPECT_EQ(refusing.privilege_requests, 1);
    EXPECT_TRUE(refusing.exit_calls.empty());
}

TEST(EyeCareTest, ShowsEveryIntervalAndEveryMinuteForZeroOrLess) {
    EyeCare eye;
    std::vector<int> shown;
    for (int minute = 1; minute <= 60; ++minute) {
        if (eye.tick(30, true)) shown.push_back(minute);
    }
    EXPECT_EQ(shown, (std::vector<int>{30, 60}));
    EXPECT_TRUE(eye.tick(0, true));
    EXPECT_TRUE(eye.tick(-5, true));
    eye.count = 29;  // the count survives the reminder being switched off
    EXPECT_TRUE(eye.tick(30, true));
}

TEST(EyeCareTest, ADayWithoutRemindersShowsNothingAndTheNextDayStartsOver) {
    EyeCare eye;
    for (int minute = 1; minute <= 25; ++minute) ASSERT_FALSE(eye.tick(30, true));
    for (int minute = 1; minute <= 3 * 24 * 60; ++minute) {
        ASSERT_FALSE(eye.tick(30, false)) << "minute " << minute << " of the days off";
        ASSERT_FALSE(eye.tick(0, false)) << "not even at an interval of every minute";
    }
    std::vector<int> shown;
    for (int minute = 1; minute <= 60; ++minute) {
        if (eye.tick(30, true)) shown.push_back(minute);
    }
    EXPECT_EQ(shown, (std::vector<int>{30, 60})) << "not 5 minutes into the working day";
}

// The 2025 arrangement, and for some cases an empty table beside it.
class RemindsOnTest : public ::testing::Test {
protected:
    const calendar::HolidayTable table = testing::national_day_2025();
};

TEST_F(RemindsOnTest, KeptToWorkingDaysItFollowsTheArrangement) {
    EXPECT_TRUE(reminds_on(true, table, {2025, 10, 11})) << "班 Saturday";
    EXPECT_TRUE(reminds_on(true, table, {2025, 9, 28})) << "班 Sunday";
    EXPECT_FALSE(reminds_on(true, table, {2025, 10, 6})) << "休 Monday";
    EXPECT_FALSE(reminds_on(true, table, {2025, 10, 1})) << "休 Wednesday";
    EXPECT_FALSE(reminds_on(true, table, {2025, 10, 19})) << "ordinary Sunday";
    EXPECT_FALSE(reminds_on(true, table, {2025, 10, 18})) << "ordinary Saturday";
    EXPECT_TRUE(reminds_on(true, table, {2025, 10, 15})) << "ordinary Wednesday";
    EXPECT_TRUE(reminds_on(true, table, {2025, 10, 9})) << "the Thursday after the holiday";
}

TEST_F(RemindsOnTest, SwitchedOffItRemindsEveryDay) {
    for (const calendar::Date day :
         {calendar::Date{2025, 10, 11}, calendar::Date{2025, 10, 6}, calendar::Date{2025, 10, 1},
          calendar::Date{2025, 10, 19}, calendar::Date{2027, 10, 2}}) {
        EXPECT_TRUE(reminds_on(false, table, day)) << calendar::dashed_date(day);
        EXPECT_TRUE(reminds_on(false, calendar::HolidayTable{}, day)) << calendar::dashed_date(day);
    }
}

TEST_F(RemindsOnTest, AYearWithoutArrangementGoesByMondayToFriday) {
    for (const calendar::HolidayTable& holidays : {table, calendar::HolidayTable{}}) {
        EXPECT_TRUE(reminds_on(true, holidays, {2027, 10, 1})) << "National Day, on a Friday";
        EXPECT_FALSE(reminds_on(true, holidays, {2027, 10, 2})) << "Saturday";
        EXPECT_FALSE(reminds_on(true, holidays, {2027, 10, 3})) << "Sunday";
        EXPECT_TRUE(reminds_on(true, holidays, {2027, 10, 4})) << "Monday";
    }
    EXPECT_TRUE(reminds_on(true, table, {2024, 10, 1})) << "a year before the table's first";
}

}  // namespace
}  // namespace velmora::plans
