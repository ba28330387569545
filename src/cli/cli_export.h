// velmora-cli's exports: the day records and anniversaries as an iCalendar
// file, and the bookmark tree as a browser bookmark file. The container is
// opened read-only, as for every data command, and the file is written by
// sys::write_to_target: onto a new name or a regular file of one name that
// may be written, atomically, so a failed export leaves an older file of
// that name as it was. Anything else at the path (a FIFO, a device, a
// folder, a symbolic link, a hard-linked or a read-only file) is refused
// before the container is read, and left exactly as it was. FILE "-" is
// standard output: the answer is then the file itself.
#pragma once

#include <string>
#include <vector>

#include "calendar/datehint.h"
#include "calendar/ics_writer.h"
#include "store/day_records.h"
#include "sys/clock.h"

namespace velmora::cli {

// `clock` gives the export's time (each component's DTSTAMP) and the year
// the lunar anniversaries are listed from.
std::string export_ics(const std::string& data_dir, const std::string& file,
                       const sys::Clock& clock);
std::string export_bookmarks(const std::string& data_dir, const std::string& file);
// Merges an iCalendar file into the data folder's container; the answer is
// what was added, updated and left out.
std::string import_ics(const std::string& data_dir, const std::string& file);
// The FILE operand that means standard output.
inline constexpr const char* standard_output = "-";

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
// The events of the stored anniversary list, one per readable entry. A
// yearly lunar one lists its days from `this_year` (or from its own year
// when that is later) to the lunar engine's last year; a lunar one kept
// once, its one day. A yearly lunar entry with no day left in that range
// gives no event.
std::vector<calendar::ics::AnniversaryEvent> anniversary_events(
    const std::vector<calendar::Anniversary>& entries, int this_year);
// The DTSTAMP of an export made at this local time: "yyyymmddThhmmssZ".
std::string export_stamp(const sys::LocalTime& now);
// The whole file.
std::string ics_text(const IcsContent& content, const std::string& stamp);

}  // namespace velmora::cli
