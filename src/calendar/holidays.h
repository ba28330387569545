// Mainland China's public holidays and the weekends worked in exchange, as
// the State Council announces them every year: a day is either a day off
// ("休"), a make-up working day ("班"), or neither. The arrangement comes
// from a small UTF-8 file beside the program, one line per date:
//
//     yyyy-mm-dd<TAB>休|班<TAB>holiday name
//
// Lines starting with "#" are comments, blank lines are ignored. Plain C++
// over the standard library, so the command-line program can read the file
// without the rest of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/DateCn.h"

namespace velmora::calendar {

// The file's name beside the program, and on the server beside the remote
// settings.
inline constexpr const char* holiday_file_name = "zenqholiday.txt";
// Some twenty years of arrangements take under 20 KB; a larger file is
// something else.
inline constexpr std::size_t holiday_file_limit = std::size_t{256} * 1024;

enum class DayOff : std::uint8_t { none, rest, work };

// "休", "班" or "" for `none`.
const char* day_off_text(DayOff kind);

struct HolidayMark {
    DayOff kind = DayOff::none;
    std::string_view name;  // valid as long as the table is
};

class HolidayTable {
public:
    enum class State : std::uint8_t { missing, loaded, damaged };

    // An empty table: no date carries a mark.
    HolidayTable() = default;

    // The text of a whole file. Lines that do not follow the format, repeat
    // a date already given, or carry an impossible date are skipped and
    // counted. Text that is not UTF-8, larger than holiday_file_limit or
    // without a single valid line is damaged and gives no marks at all.
    static HolidayTable parse(std::string_view text);
    // A regular file of at most holiday_file_limit bytes; missing or
    // unreadable gives `missing`, a device, a pipe or an oversized file
    // `damaged`. Never blocks on a special file.
    static HolidayTable load(const std::string& path);

    HolidayMark mark(Date date) const;

    State state() const { return state_; }
    std::size_t size() const { return entries_.size(); }
    std::size_t bad_lines() const { return bad_lines_; }

private:
    struct Entry {
        std::int32_t key;  // yyyymmdd as a number, for a quick binary search
        DayOff kind;
        std::string name;
    };
    friend struct HolidayParser;

    std::vector<Entry> entries_;  // sorted by key, one entry per date
    std::size_t bad_lines_ = 0;
    State state_ = State::missing;
};

// True when `body` may replace the stored holiday file: a file parse()
// does not call damaged.
bool is_holiday_file(std::string_view body);

}  // namespace velmora::calendar
