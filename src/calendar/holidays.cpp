#include "calendar/holidays.h"

#include <algorithm>
#include <iterator>

#include "sys/atomicfile.h"
#include "sys/diagnostic.h"
#include "sys/text_util.h"

namespace velmora::calendar {

namespace {

// A holiday's name is a few characters; anything longer is not one.
constexpr std::size_t name_limit = 64;

std::int32_t key_of(Date date) {
    return date.year * 10000 + date.month * 100 + date.day;
}

std::string_view next_field(std::string_view& line) {
    const std::size_t tab = line.find('\t');
    const std::string_view field = line.substr(0, tab);
    line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    return field;
}

}  // namespace

// Builds a table line by line in one pass; the dates are sorted once at
// the end.
struct HolidayParser {
    HolidayTable table;

    void line(std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.empty() || text.front() == '#') return;
        const std::string_view date_field = next_field(text);
        const std::string_view kind_field = next_field(text);
        const std::string_view name = text;
        const std::optional<Date> date = parse_dashed_date(date_field);
        const DayOff kind = kind_field == "休"   ? DayOff::rest
                            : kind_field == "班" ? DayOff::work
                                                 : DayOff::none;
        if (!date || kind == DayOff::none || name.size() > name_limit ||
            name.find('\t') != std::string_view::npos) {
            ++table.bad_lines_;
            return;
        }
        table.entries_.push_back({key_of(*date), kind, std::string(name)});
    }

    // A date given twice keeps its first line.
    void finish() {
        auto& entries = table.entries_;
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return a.key < b.key; });
        const auto end = std::unique(entries.begin(), entries.end(),
                                     [](const auto& a, const auto& b) { return a.key == b.key; });
        table.bad_lines_ += static_cast<std::size_t>(std::distance(end, entries.end()));
        entries.erase(end, entries.end());
        table.state_ = entries.empty() ? HolidayTable::State::damaged : HolidayTable::State::loaded;
    }
};

const char* day_off_text(DayOff kind) {
    switch (kind) {
        case DayOff::rest: return "休";
        case DayOff::work: return "班";
        case DayOff::none: break;
    }
    return "";
}

HolidayTable HolidayTable::parse(std::string_view text) {
    HolidayParser parser;
    if (text.size() > holiday_file_limit || !sys::is_valid_utf8(text)) {
        parser.table.state_ = State::damaged;
        return std::move(parser.table);
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        parser.line(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    parser.finish();
    return std::move(parser.table);
}

// Only a regular file is read (a pipe at the file's name cannot stall the
// start), and never past the limit.
// A damaged file is logged: empty marks alone would look like a year
// without holidays.
HolidayTable HolidayTable::load(const std::string& path) {
    sys::ReadFailure failure = sys::ReadFailure::none;
    const std::optional<std::string> content = sys::read_file(path, holiday_file_limit, &failure);
    HolidayTable table;
    if (content) {
        table = parse(*content);
    } else {
        table.state_ = failure == sys::ReadFailure::missing ? State::missing : State::damaged;
    }
    if (table.state_ == State::damaged) {
        sys::diagnostic(path + " cannot be read; no day carries a 休/班 mark");
    }
    return table;
}

HolidayMark HolidayTable::mark(Date date) const {
    const std::int32_t key = key_of(date);
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), key,
                                        [](const Entry& e, std::int32_t k) { return e.key < k; });
    if (found == entries_.end() || found->key != key) return {};
    return {found->kind, found->name};
}

bool is_holiday_file(std::string_view body) {
    return HolidayTable::parse(body).state() == HolidayTable::State::loaded;
}

}  // namespace velmora::calendar
