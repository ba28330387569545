// Reading iCalendar text from outside (an .ics file, a calendar server's
// answer) into plain values. The text is first checked in one pass, within
// limits of size, line length and nesting, and for valid UTF-8; only text
// that passes is handed to libical. A component that cannot be taken (no
// UID, a UID too long to keep) is left out with the reason.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/DateCn.h"
#include "calendar/ics_writer.h"

namespace velmora::sync {

enum class ComponentKind { todo, journal, event };

// One VTODO, VJOURNAL or VEVENT as it came.
struct Incoming {
    ComponentKind kind = ComponentKind::todo;
    std::string uid;
    std::string summary;
    std::string description;
    std::optional<calendar::Date> due;    // a VTODO's DUE, its date
    std::optional<calendar::Date> start;  // DTSTART, its date
    bool all_day = false;                 // DTSTART is a date, not a time
    bool completed = false;
    int priority = 0;  // 0: none
    std::vector<std::string> categories;
    std::string quadrant;  // X-VELMORA-QUADRANT: "A".."D"
    std::string rule;      // RRULE without RSCALE
    // The Chinese-calendar rule: RRULE with RSCALE=CHINESE, or ours.
    std::string lunar_rule;
    std::string text;  // the component as iCalendar text, to be written back unchanged
};

struct LeftOut {
    std::string what;  // the component's kind and summary or UID, as far as known
    std::string why;
};

struct CalendarRead {
    std::vector<Incoming> components;
    std::vector<LeftOut> left_out;
    // Why the whole text was refused; empty when it was read.
    std::string refused;
};

struct ReadLimits {
    std::size_t total_bytes = 16u << 20;
    std::size_t line_bytes = 1u << 20;  // an unfolded content line
    int depth = 6;                      // VCALENDAR > VTODO > VALARM is 3
    std::size_t uid_bytes = 1024;
    std::size_t components = 200000;
};

CalendarRead read_calendar(std::string_view text, const ReadLimits& limits = {});

// The reason the text cannot be read, found in one pass without parsing it;
// empty when it may be parsed.
std::string scan_refusal(std::string_view text, const ReadLimits& limits);

}  // namespace velmora::sync
