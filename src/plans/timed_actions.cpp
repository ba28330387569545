#include "plans/timed_actions.h"

#include "calendar/local_date.h"

#include <cstdio>

#include "sys/sysutil.h"
#include "sys/text_util.h"

namespace velmora::plans {

namespace {

std::string format_triple(const char* format, int a, int b, int c) {
    char text[32];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

constexpr int power_off_mode = 1;

}  // namespace

std::string date_key(const sys::LocalTime& now) {
    return calendar::day_key(calendar::date_of(now));
}

std::string time_key(const sys::LocalTime& now) {
    return format_triple("%02d%02d%02d", now.hour, now.minute, now.second);
}

ShutdownStep shutdown_tick(const std::string& shutdown_use, const std::string& shutdown_date,
                           const std::string& shutdown_time, const sys::LocalTime& now) {
    const bool armed_today = sys::trimmed(shutdown_use) == "1" && date_key(now) == shutdown_date;
    if (!armed_today) return ShutdownStep::stop;
    if (time_key(now) < shutdown_time) return ShutdownStep::wait;
    return ShutdownStep::fire;
}

void fire_shutdown(std::string& shutdown_use, std::string& shutdown_date,
                   const std::function<void()>& close_main_window, sys::Platform& platform) {
    shutdown_use.assign(1, '0');
    shutdown_date.assign(8, '0');  // "00000000": disarmed
    if (close_main_window) close_main_window();
    sys::exit_windows(platform, power_off_mode, true);
}

bool reminds_on(bool workdays_only, const calendar::HolidayTable& holidays, calendar::Date day) {
    return !workdays_only || holidays.is_working_day(day);
}

bool EyeCare::tick(std::int64_t eyehint_time, bool reminds_today) {
    // A day off is a break from the screen in itself: the minutes counted
    // before it say nothing about the time spent there since. Kept, they
    // would bring the first tip of the next working day a few minutes past
    // midnight, for minutes spent on the evening before the day off; started
    // over, the first tip comes one full interval into the working day.
    if (!reminds_today) {
        count = 0;
        return false;
    }
    ++count;
    if (count < eyehint_time) return false;
    count = 0;
    return true;
}

}  // namespace velmora::plans
