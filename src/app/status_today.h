// What the status-area icon says about today: the day number it draws, and
// its tooltip with the Gregorian date, the lunar month and day, the day's
// festival or solar term and its 休/班 mark. Plain C++.
#pragma once

#include <string>

#include "calendar/DateCn.h"
#include "calendar/holidays.h"
#include "sys/clock.h"

namespace velmora::app {

struct StatusToday {
    std::string day_number;  // "11"
    // One line each: "2026年12月11日 星期五", "农历冬月初三 丙午马年",
    // then the festivals and solar term and the 休/班 mark, where the day
    // has them.
    std::string tooltip;
};

StatusToday status_today(calendar::Date today, const calendar::HolidayTable& holidays);

// How long to wait before looking at the date again: just past the next
// midnight, but never more than ten minutes, so that a clock set by hand or
// a machine woken from sleep is followed soon.
int next_date_check_ms(const sys::LocalTime& now);

}  // namespace velmora::app
