// velmora-cli's exports: the day records and anniversaries as an iCalendar
// file, and the bookmark tree as a browser bookmark file. The container is
// opened read-only, as for every data command, and the file is written
// atomically: a failed export leaves an older file of that name as it was.
#pragma once

#include <string>
#include <vector>

#include "calendar/datehint.h"
#include "calendar/ics_writer.h"
#include "store/day_records.h"

namespace velmora::cli {

std::string export_ics(const std::string& data_dir, const std::string& file);
std::string export_bookmarks(const std::string& data_dir, const std::string& file);

// What the calendar file is made of, read from the container.
struct DayPlans {
    calendar::Date day;
    std::vector<store::PlanTask> tasks;
};
struct DayNote {
    calendar::Date day;
    std::string text;
};
struct IcsContent {
    std::vector<DayPlans> plans;
    std::vector<DayNote> notes;
    std::vector<calendar::ics::AnniversaryEvent> anniversaries;
};

// The calendar entry of one plan task: the category as its CATEGORIES text
// and its PRIORITY (important and urgent first).
calendar::ics::Todo plan_todo(calendar::Date day, const store::PlanTask& task);
// The events of the stored anniversary list, one per readable entry.
std::vector<calendar::ics::AnniversaryEvent> anniversary_events(
    const std::vector<calendar::Anniversary>& entries);
// The whole file.
std::string ics_text(const IcsContent& content, const std::string& stamp);

}  // namespace velmora::cli
