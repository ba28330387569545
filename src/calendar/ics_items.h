// The organiser's own items as iCalendar components: a plan task as a
// to-do, an entry of the anniversary list as an event (a lunar one with the
// days the engine works out).
#pragma once

#include <vector>

#include "calendar/datehint.h"
#include "calendar/ics_writer.h"
#include "store/day_records.h"

namespace velmora::calendar::ics {

// The calendar entry of one plan task: the category as its CATEGORIES text
// and its PRIORITY (important and urgent first), the letter itself kept.
Todo plan_todo(Date day, const store::PlanTask& task);
// The events of the stored anniversary list, one per readable entry. A
// yearly lunar one lists its days from `this_year` (or from its own year
// when that is later) to the lunar engine's last year; a lunar one kept
// once, its one day. A yearly lunar entry with no day left in that range
// gives no event.
std::vector<AnniversaryEvent> anniversary_events(const std::vector<Anniversary>& entries,
                                                 int this_year);

}  // namespace velmora::calendar::ics
