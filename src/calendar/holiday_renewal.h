// Keeping the holiday arrangement current: reading what a source gives (the
// per-year JSON files of the open holiday data project, its iCalendar feed,
// the vendor's file in our own line format), checking it, and merging it
// into the renewed copy beside the data without ever losing a year already
// known. Plain C++; the fetching itself is the update subsystem's.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/holidays.h"

namespace velmora::calendar {

// A year's published file is a few kilobytes, the whole iCalendar feed some
// tens; anything larger is not an arrangement.
inline constexpr std::size_t published_file_limit = std::size_t{256} * 1024;

// The address of the published per-year files; "{year}" stands for the year.
inline constexpr const char* default_holiday_url =
    "https://raw.githubusercontent.com/NateScarlet/holiday-cn/master/{year}.json";
// The address with its "{year}" replaced; empty when it has none.
std::string holiday_url_for(std::string_view url_template, int year);

// What one body gave, checked in full: the arrangements (with the weekend
// days that only join a holiday marked 休, as the month view shows them),
// the years it answered with an empty arrangement, or why it was refused as
// a whole (the user's words; then nothing else is set).
struct SourceReading {
    std::vector<Arrangement> arrangements;
    std::vector<int> unpublished;
    std::string error;
};

struct SourceOrigin {
    HolidaySource source = HolidaySource::published;
    std::string origin;    // the address or file
    std::string obtained;  // yyyy-mm-dd
};

// A per-year JSON file: {"year": Y, "papers": [...], "days": [{"name",
// "date", "isOffDay"}...]}. `expected_year` 0 takes the year the file names.
SourceReading read_published_json(std::string_view body, int expected_year,
                                  const SourceOrigin& from);
// The iCalendar feed of the same project: all-day events "<name>假期" (days
// off) and "上班(补<name>假期)" (days worked in exchange), grouped by year.
SourceReading read_holiday_ics(std::string_view body, const SourceOrigin& from);
// A file in our own line format, as the vendor serves it: every line must
// hold, or the file is refused.
SourceReading read_line_file(std::string_view body, const SourceOrigin& from);
// Any of the three, told apart by its content.
SourceReading read_holiday_source(std::string_view body, const SourceOrigin& from);

// The weekend days next to a run of days off, which the published files
// leave out, marked 休 with the run's name (a 班 day stops the run).
void join_weekends(std::vector<HolidayDay>& days);

// What a merge did, for standard error and the user: one line per year.
struct MergeReport {
    bool changed = false;
    std::vector<std::string> lines;
};

// `reading` into `renewed`. A published or imported arrangement replaces
// the year's earlier one (a notice may be amended); a vendor arrangement
// only fills a year that neither file knows otherwise. An empty answer for
// a year that has marks keeps them; for one without, it records
// "unpublished". A refused reading changes nothing.
MergeReport merge_reading(HolidayTable& renewed, const HolidayTable& shipped,
                          const SourceReading& reading, const SourceOrigin& from);
// A year whose source gave no usable answer: recorded as "failed" with the
// reason when the year has no marks; its marks stay when it has.
MergeReport merge_failure(HolidayTable& renewed, const HolidayTable& shipped, int year,
                          const SourceOrigin& from, const std::string& reason);
// Records the day the sources were asked.
void mark_checked(HolidayTable& renewed, const std::string& day);

// Reads the renewed copy at `path` (missing: an empty one), lets `change`
// work on it, and stores the result atomically when it differs. A copy that
// cannot be read whole is never replaced (it might hold years nothing else
// knows): the answer is then false with the reason in `error`, as for a
// failed write. One renewal at a time in the process.
bool renew_holiday_file(const std::string& path,
                        const std::function<void(HolidayTable& renewed)>& change,
                        std::string* error);

}  // namespace velmora::calendar
