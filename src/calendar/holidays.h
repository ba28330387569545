// Mainland China's public holidays and the weekends worked in exchange, as
// the State Council announces them every year: a day is either a day off
// ("休"), a make-up working day ("班"), or neither. The arrangement comes
// from small UTF-8 files, one line per date:
//
//     yyyy-mm-dd<TAB>休|班<TAB>holiday name
//
// Lines starting with "#" are comments, blank lines are ignored. A comment
// line that starts with "#@" and a tab heads one year's arrangement and says
// where it came from:
//
//     #@<TAB>year<TAB>source<TAB>obtained<TAB>origin<TAB>notice
//
// source: shipped, vendor, published or imported; obtained: the day it was
// fetched or imported (yyyy-mm-dd, empty for the shipped file); origin: the
// address or file it was read from; notice: the notice's title and
// addresses. The date lines after it belong to that year's arrangement
// (which may reach into the December before and the January after). Two
// more kinds of heading record what is known of a year without marks,
// "unpublished" (the source answered with an empty arrangement) and
// "failed" (no usable answer; the notice field gives the reason), and one
// line "#@checked<TAB>yyyy-mm-dd" the day the sources were last asked.
// Older readers take all of these for comments. Date lines without a
// heading belong to their own year, but for a December 元旦 day, which
// belongs to the next.
//
// Plain C++ over the standard library, so the command-line program can read
// the files without the rest of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/DateCn.h"

namespace velmora::calendar {

// The file that ships beside the program, the name a download fetches from
// the vendor, and the renewed copy beside the data, which everything fetched
// or imported goes into: the shipped file is never written.
inline constexpr const char* holiday_file_name = "zenqholiday.txt";
inline constexpr const char* renewed_holiday_file_name = "zenqholiday_renewed.txt";
// Some twenty years of arrangements take under 20 KB; a larger file is
// something else.
inline constexpr std::size_t holiday_file_limit = std::size_t{256} * 1024;

enum class DayOff : std::uint8_t { none, rest, work };

// "休", "班" or "" for `none`.
const char* day_off_text(DayOff kind);

enum class HolidaySource : std::uint8_t { shipped, vendor, published, imported };
// The word in the files ("shipped", ...).
const char* source_word(HolidaySource source);
// What the user reads ("随程序附带", ...).
const char* source_caption(HolidaySource source);

struct HolidayDay {
    Date date{};
    DayOff kind = DayOff::none;
    std::string name;
    bool operator==(const HolidayDay&) const = default;
};

// One year's arrangement as one source gave it.
struct Arrangement {
    int year = 0;
    HolidaySource source = HolidaySource::shipped;
    std::string obtained;          // yyyy-mm-dd, empty for the shipped file
    std::string origin;            // the address or file it was read from
    std::string notice;            // the notice's title and addresses
    std::vector<HolidayDay> days;  // sorted by date, one per date
};

// What is known of a year that has no arrangement.
struct YearCheck {
    enum class Outcome : std::uint8_t { unpublished, failed };
    int year = 0;
    Outcome outcome = Outcome::failed;
    std::string checked;  // yyyy-mm-dd
    std::string origin;
    std::string reason;  // for `failed`, in the user's words
};

struct HolidayMark {
    DayOff kind = DayOff::none;
    std::string_view name;  // valid as long as the table is
    int year = 0;           // the arrangement the mark belongs to; 0 without a mark
};

// How a year stands in a table.
enum class YearState : std::uint8_t { known, unpublished, not_fetched };

class HolidayTable {
public:
    enum class State : std::uint8_t { missing, loaded, damaged };

    // An empty table: no date carries a mark.
    HolidayTable() = default;

    // The text of a whole file; date lines without a heading come from
    // `plain`. Lines that do not follow the format, repeat a date already
    // given, carry an impossible date, a date far from their year, a 班 on
    // a weekday or a name that is no holiday's are skipped and counted.
    // Text that is not UTF-8, larger than holiday_file_limit or with
    // neither a valid date line nor a heading is damaged and gives no marks.
    static HolidayTable parse(std::string_view text, HolidaySource plain = HolidaySource::shipped);
    // A regular file of at most holiday_file_limit bytes; missing or
    // unreadable gives `missing`, a device, a pipe or an oversized file
    // `damaged` (logged). Never blocks on a special file.
    static HolidayTable load(const std::string& path, HolidaySource plain = HolidaySource::shipped);
    // The table in force: every year `renewed` has an arrangement for in
    // place of that year of `shipped`, and the checks of `renewed` for the
    // years that have none. Where two arrangements mark one date, the later
    // year's holds.
    static HolidayTable combine(const HolidayTable& shipped, const HolidayTable& renewed);
    // A table of the given arrangements and checks.
    static HolidayTable of(std::vector<Arrangement> arrangements,
                           std::vector<YearCheck> checks = {}, std::string last_check = {});

    HolidayMark mark(Date date) const;
    // A working day as the arrangement has it: a 班 day, or a Monday to
    // Friday that is not 休.
    bool is_working_day(Date date) const;

    const Arrangement* arrangement(int year) const;
    const YearCheck* check(int year) const;
    YearState year_state(int year) const;
    const std::vector<Arrangement>& arrangements() const { return arrangements_; }
    const std::vector<YearCheck>& checks() const { return checks_; }
    // The day the sources were last asked (yyyy-mm-dd), empty if never.
    const std::string& last_check() const { return last_check_; }
    // The first year with an arrangement, 0 for none.
    int first_year() const;

    // The table in the file format above, headings included.
    std::string format() const;

    State state() const { return state_; }
    std::size_t size() const { return entries_.size(); }
    std::size_t bad_lines() const { return bad_lines_; }

private:
    struct Entry {
        std::int32_t key;  // yyyymmdd as a number, for a quick binary search
        std::uint32_t arrangement;
        std::uint32_t day;
    };
    friend struct HolidayParser;
    void index();

    std::vector<Arrangement> arrangements_;  // sorted by year, one per year
    std::vector<YearCheck> checks_;          // sorted by year, one per year
    std::string last_check_;
    std::vector<Entry> entries_;  // sorted by key, one entry per date
    std::size_t bad_lines_ = 0;
    State state_ = State::missing;
};

// True when `body` may replace the stored holiday file: a file parse()
// does not call damaged.
bool is_holiday_file(std::string_view body);

// The arrangement year a date line without a heading belongs to.
int arrangement_year_of(Date date, std::string_view name);

// Why a day may not stand in `year`'s arrangement, in the user's words;
// empty when it may: a date from the December before to the January after,
// a 班 only on a Saturday or Sunday, a name of a known holiday or plain text
// of at most 20 characters.
std::string day_fault(int year, const HolidayDay& day);

// The notice, source and date of an arrangement, one line each, for a
// tooltip; "2027年放假安排尚未公布" and the like for a year without one.
std::string provenance_text(const HolidayTable& table, int year);
// The one line a month of `year` shows when the year has no arrangement
// ("2027年放假安排尚未公布", "2027年放假安排尚未获取"); empty when it has one
// or lies before the first year of the table.
std::string missing_year_text(const HolidayTable& table, int year);

}  // namespace velmora::calendar
