// The anniversary list: dated events announced a number of days ahead. It is
// one text record in the container, one entry per line in fixed-width
// fields counted in GB18030 bytes:
//   "0" | yyyy-mm-dd | two-digit days of notice | 开启/关闭 | description
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

namespace velmora::calendar {

inline constexpr const char* datehint_record = "plumora_files/datehint.txt";
inline constexpr const char* datehint_folder = "plumora_files";
inline constexpr const char* state_on = "开启";
inline constexpr const char* state_off = "关闭";

struct Anniversary {
    std::string date;  // "yyyy-mm-dd"
    int days_ahead = 3;
    std::string state = state_on;
    std::string description;  // UTF-8, one line
    bool operator==(const Anniversary&) const = default;
};

// One stored line (GB18030 bytes, no line end); nothing when the date is not
// a real "yyyy-mm-dd" date, the day count is not two digits or the state is
// neither 开启 nor 关闭.
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

// The popup texts for `today`: every enabled entry whose date less its days
// of notice is today, in list order. Unreadable lines are skipped.
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
