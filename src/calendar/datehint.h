// The anniversary list: dated events announced a number of days ahead. It is
// one text record in the container, one entry per line in fixed-width
// fields counted in GB18030 bytes:
//   kind | yyyy-mm-dd | two-digit days of notice | 开启/关闭 | description
// The kind byte is "0" for a Gregorian date, "1" for a lunar date and "2"
// for a lunar date in a leap month; the date field then holds the lunar
// year, month and day. Builds that knew only "0" skip that byte, so they
// still read a lunar line (as the Gregorian date of the same digits, or,
// for a day such as 02-30 that the Gregorian calendar lacks, as a line they
// keep untouched). Their dialog writes every line it read back with "0",
// though, so confirming the list there turns a lunar entry into a Gregorian
// one on the same digits. An entry kept every year starts its description
// with `yearly_mark`: the one field every build carries through a save as
// it is, so an older build shows the mark and writes it back instead of
// dropping the flag, and the date it reads is unchanged. (A description
// typed with that mark in front is read back as a yearly entry.)
// A line we cannot read is never fatal: the start-up check skips it, and
// the dialog shows the rest and writes it back unchanged on confirm, so a
// damaged entry never costs the user the others.
#pragma once

#include "store/fx_error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/DateCn.h"
#include "store/container_names.h"

namespace velmora::calendar {

inline constexpr const char* datehint_record = store::datehint_record;
inline constexpr const char* datehint_folder = store::files_folder;
inline constexpr const char* state_on = "开启";
inline constexpr const char* state_off = "关闭";
inline constexpr const char* yearly_mark = "〔每年〕";

enum class DateKind { gregorian, lunar, lunar_leap };

struct Anniversary {
    std::string date;  // "yyyy-mm-dd"; for a lunar kind the lunar year, month, day
    int days_ahead = 3;
    std::string state = state_on;
    std::string description;  // UTF-8, one line, without `yearly_mark`
    DateKind kind = DateKind::gregorian;
    bool yearly = false;  // kept every year from `date` on, not once
    bool operator==(const Anniversary&) const = default;
};

// The lunar fields of "yyyy-mm-dd" (month 1..12, day 1..30); nothing for
// other text. Whether such a day exists is a question for the engine.
std::optional<LunarDay> parse_lunar_date(std::string_view text, bool leap);
// The Gregorian day a lunar anniversary is kept on in `lunar_year`: a leap
// month the year lacks gives way to the ordinary month of that number, and
// a 30th to the 29th in a month of 29 days. Nothing outside the engine's
// range.
std::optional<Date> lunar_day_kept(int lunar_year, int month, bool leap, int day);

struct Occurrence {
    Date date;  // Gregorian
    int years;  // since the entry's own date: 0 on it, 1 a year later, ...
};
// The Gregorian days, in order, on which the entry falls within the
// Gregorian years first_year..last_year: a one-off entry once on its date,
// a yearly one every year from its date on. A yearly 29 February is kept
// on the 28th in other years; lunar dates follow `lunar_day_kept` and a
// lunar year's day may fall in the next Gregorian year.
std::vector<Occurrence> occurrences(const Anniversary& entry, int first_year, int last_year);
// Why a lunar day typed into the dialog cannot be kept, for the user; none
// when the day exists.
std::optional<std::string> lunar_date_refusal(int lunar_year, int month, bool leap, int day);
// How the entry's date is written for people: "2025-02-10" or
// "农历2023年闰二月三十", followed by " 每年" for a yearly entry.
std::string date_caption(const Anniversary& entry);

// One stored line (GB18030 bytes, no line end); nothing when the kind byte
// is not one of "0", "1", "2", the date is not a real "yyyy-mm-dd" date (for
// a lunar kind: month 1..12, day 1..30), the day count is not two digits or
// the state is neither 开启 nor 关闭.
std::optional<Anniversary> parse_line(std::string_view bytes);
// The stored form of an entry (GB18030 bytes, no line end). Line breaks in
// the description become spaces, since the record holds one entry per line.
std::string format_line(const Anniversary& entry);
// The description as it will be stored: line breaks as spaces, trimmed.
std::string one_line_description(std::string_view text);

struct AnniversaryRecord {
    std::vector<Anniversary> entries;
    std::vector<std::string> unparsable;  // raw bytes, to be written back as read
};
AnniversaryRecord parse_record(std::string_view bytes);
// CRLF after every line; the unreadable lines follow the entries.
std::string format_record(const std::vector<Anniversary>& entries,
                          const std::vector<std::string>& unparsable);

// The popup texts for `today`: every enabled entry with an occurrence whose
// date less its days of notice is today, in list order. A yearly one says
// which anniversary it is ("第N周年"), a lunar one gives its lunar and
// Gregorian dates. Unreadable lines are skipped.
std::vector<std::string> due_messages(const std::vector<Anniversary>& entries, Date today);
std::vector<std::string> due_messages(std::string_view record_bytes, Date today);
// The announcement line that offers a newer version.
std::string update_line(const std::string& update_page);

// The list in the open container. `temp_work` is the temporary working
// folder the record is staged in, without a trailing separator. Answers
// none when the list was read (an absent record is an empty list).
store::FxError load_anniversaries(const std::string& temp_work, AnniversaryRecord& record);
// Writes the list over the stored one, or removes the record when there is
// nothing to keep; answers none once the store holds it.
store::FxError save_anniversaries(const std::string& temp_work, const AnniversaryRecord& record);
// What the user is told when the list cannot be read or saved.
std::string anniversaries_unreadable(store::FxError error);
std::string anniversaries_not_saved(store::FxError error);

struct StartupAnnouncements {
    std::vector<std::string> popups;     // one datehintmess_show each
    std::optional<std::string> ad_line;  // appended to the announcement list
};
// The once-per-start check over the open container.
StartupAnnouncements startup_check(const std::string& temp_work, Date today, bool update_available,
                                   const std::string& update_page);

}  // namespace velmora::calendar
