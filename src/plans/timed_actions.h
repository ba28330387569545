// The two clock-driven services of the main window: the shutdown armed for
// one day and time, and the eye-care reminder counting minutes; and the rule
// that keeps a reminder to working days.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "calendar/holidays.h"
#include "sys/clock.h"
#include "sys/platform.h"

namespace velmora::plans {

// "yyyymmdd" and "hhmmss" (24-hour) of a local time.
std::string date_key(const sys::LocalTime& now);
std::string time_key(const sys::LocalTime& now);

// What the caller does after a shutdown tick, which always stops the timer
// first: leave it stopped, start it again, or power off now.
enum class ShutdownStep { stop, wait, fire };

// The shutdown fires only on `shutdown_date`: a tick on any other day, after
// midnight passed too, disarms it. Times compare as "hhmmss" text.
ShutdownStep shutdown_tick(const std::string& shutdown_use, const std::string& shutdown_date,
                           const std::string& shutdown_time, const sys::LocalTime& now);

// Disarms the shutdown in the settings, closes the main window (whose close
// path saves the settings, so a restart does not fire again) and then asks
// the system to power off, forced.
void fire_shutdown(std::string& shutdown_use, std::string& shutdown_date,
                   const std::function<void()>& close_main_window, sys::Platform& platform);

// Whether a reminder may speak on `day`. Kept to working days, it speaks
// on the days the arrangement in `holidays` makes working days: a 班
// Saturday or Sunday does, a 休 weekday does not, and a year the table has
// no arrangement for goes by Monday to Friday. Not kept, it speaks every
// day. The caller asks with the table in force at that moment, as a renewal
// may replace it while the program runs.
bool reminds_on(bool workdays_only, const calendar::HolidayTable& holidays, calendar::Date day);

// Counts the minute ticks since the last eye-care tip. Switching the
// reminder off leaves the count alone; a tip resets it, and so does a
// minute of a day without reminders.
struct EyeCare {
    std::int64_t count = 0;
    // One minute passed: true when the tip must show now. An interval of 0
    // or less shows it every minute. On a day the reminder keeps quiet
    // (`reminds_today` false) nothing shows and the count starts over.
    bool tick(std::int64_t eyehint_time, bool reminds_today);
};

}  // namespace velmora::plans
