// An iCalendar (.ics) text writer for what the organiser keeps by the day:
// plans become to-dos, notes journal entries and anniversaries all-day
// events. Text is UTF-8; every line ends with CR LF and is folded at 75
// octets without splitting a character, so any conforming reader takes it.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/DateCn.h"

namespace velmora::calendar::ics {

// One plan task of one day. `priority` is 1 (highest) to 9; 0 writes none.
// `uid`, when given, is the component's UID as it stands (the sync's);
// otherwise one is made of the item (see below).
struct Todo {
    Date day;
    std::string summary;
    bool done = false;
    std::string category;
    int priority = 0;
    std::string quadrant;  // the plan's letter "A".."D", kept exactly
    std::string uid;
};

struct Journal {
    Date day;
    std::string text;
    std::string uid;
};

// An anniversary as the calendar file sees it. A Gregorian one is `date`,
// repeating every year when `yearly`. A lunar one cannot be written as a
// Gregorian rule: its days are given in `dates` (already worked out, in
// order) and its lunar month and day, when known, describe the rule for
// readers that follow the Chinese calendar; with its lunar year they are
// the entry's own date, which names it (its UID) whichever days are listed.
struct AnniversaryEvent {
    std::string title;
    Date date;
    bool yearly = false;
    bool lunar = false;
    std::vector<Date> dates;
    int lunar_year = 0;   // the year of the entry's own lunar date
    int lunar_month = 0;  // 1..12; 0 when not known
    bool leap_month = false;
    int lunar_day = 0;  // 1..30
    std::string uid;
};

// The text escaped for a TEXT value: backslash, semicolon, comma and line
// breaks; other control characters become spaces.
std::string escape_text(std::string_view text);
// One content line (without its end) as folded lines, each ending in CR LF.
std::string fold_line(std::string_view line);
// "yyyymmdd"
std::string date_value(Date date);
Date next_day(Date date);
// "yyyymmddThhmmssZ" for a time in seconds since 1970 (UTC).
std::string utc_stamp(std::int64_t seconds);
// The lines of the yearly Chinese-calendar rule of a lunar anniversary, as
// RFC 7529 writes it: "RSCALE=CHINESE;FREQ=YEARLY..." (empty when the lunar
// month or day is unknown).
std::string lunar_rule(const AnniversaryEvent& event);
// The name of the property that carries that rule beside the expanded days.
inline constexpr const char* lunar_rule_property = "X-VELMORA-LUNAR-RRULE";
// The property that keeps a task's plan letter.
inline constexpr const char* quadrant_property = "X-VELMORA-QUADRANT";

// The UID of each kind of component, before uniqueness is seen to: made of
// what identifies the item alone, never of its place in the file, so that
// an export gives an item the UID it had in the one before and a calendar
// that imports both updates the item instead of doubling it.
//   plan-yyyymmdd-<hash of the task text>      a to-do: its day and text
//   note-yyyymmdd                              a journal entry: its day
//   anniversary-yyyymmdd-<hash of the title>   a Gregorian anniversary
//   anniversary-lunar-yyyymm[L]dd-<hash>       a lunar one, by its own lunar date
std::string todo_uid(const Todo& todo);
std::string journal_uid(const Journal& journal);
std::string anniversary_uid(const AnniversaryEvent& event);

// Collects the components and writes the calendar. `stamp` is the DTSTAMP
// of every component (utc_stamp of the export's time). Components that
// would share a UID (the same task twice on one day) are told apart by
// "-2", "-3", ... in the order they are added, and every UID ends in
// "@velmora".
class Writer {
public:
    explicit Writer(std::string stamp) : stamp_(std::move(stamp)) {}
    void add(const Todo& todo);
    void add(const Journal& journal);
    void add(const AnniversaryEvent& event);
    std::string text() const;

private:
    void begin(const char* component, const std::string& made_uid, const std::string& given_uid);
    void property(std::string_view name, std::string_view value);
    void text_property(std::string_view name, std::string_view value);

    std::string stamp_;
    std::string body_;
    std::set<std::string> uids_;
};

}  // namespace velmora::calendar::ics
