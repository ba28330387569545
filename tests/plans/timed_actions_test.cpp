#include "plans/timed_actions.h"

#include <gtest/gtest.h>

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
        if (eye.tick(30)) shown.push_back(minute);
    }
    EXPECT_EQ(shown, (std::vector<int>{30, 60}));
    EXPECT_TRUE(eye.tick(0));
    EXPECT_TRUE(eye.tick(-5));
    eye.count = 29;  // the count survives the reminder being switched off
    EXPECT_TRUE(eye.tick(30));
}

}  // namespace
}  // namespace velmora::plans
