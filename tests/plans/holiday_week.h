// The 2025 National Day arrangement as the State Council gave it: 1 to 8
// October off, Sunday 28 September and Saturday 11 October worked in
// exchange. Tests of the reminders that keep to working days share it.
#pragma once

#include "calendar/holidays.h"

namespace velmora::testing {

inline calendar::HolidayTable national_day_2025() {
    using calendar::DayOff;
    calendar::Arrangement a;
    a.year = 2025;
    a.days.push_back({{2025, 9, 28}, DayOff::work, "国庆节"});
    for (int day = 1; day <= 8; ++day) a.days.push_back({{2025, 10, day}, DayOff::rest, "国庆节"});
    a.days.push_back({{2025, 10, 11}, DayOff::work, "国庆节"});
    return calendar::HolidayTable::of({a});
}

}  // namespace velmora::testing
