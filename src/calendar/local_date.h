// The calendar day of a local time: the one conversion from the clock's
// "now" to the calendar's dates.
#pragma once

#include "calendar/DateCn.h"
#include "sys/clock.h"

namespace velmora::calendar {

inline Date date_of(const sys::LocalTime& time) {
    return {time.year, time.month, time.day};
}

}  // namespace velmora::calendar
