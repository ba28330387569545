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
#include "calendar/ics_items.h"
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
// One sync with the data folder's account; the answer says what was done.
std::string sync_data(const std::string& data_dir, const sys::Clock& clock);
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

using calendar::ics::anniversary_events;
using calendar::ics::plan_todo;
// The DTSTAMP of an export made at this local time: "yyyymmddThhmmssZ".
std::string export_stamp(const sys::LocalTime& now);
// The whole file.
std::string ics_text(const IcsContent& content, const std::string& stamp);

}  // namespace velmora::cli
