#include "calendar/holidays.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <iterator>
#include <map>

#include "sys/atomicfile.h"
#include "sys/diagnostic.h"
#include "sys/text_util.h"
#include "sys/utf.h"

namespace velmora::calendar {

namespace {

// A plain-text name longer than this is not a holiday's.
constexpr std::size_t name_characters = 20;
// The one-off holidays whose names run longer.
constexpr std::array<std::string_view, 1> long_names = {
    "抗日战争暨世界反法西斯战争胜利70周年纪念日",
};

std::int32_t key_of(Date date) {
    return date.year * 10000 + date.month * 100 + date.day;
}

std::string_view next_field(std::string_view& line) {
    const std::size_t tab = line.find('\t');
    const std::string_view field = line.substr(0, tab);
    line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    return field;
}

std::string name_fault(std::string_view name) {
    if (name.empty()) return "没有节日名称";
    if (std::find(long_names.begin(), long_names.end(), name) != long_names.end()) return {};
    if (!sys::is_valid_utf8(name)) return "节日名称不是 UTF-8 文本";
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++characters) {
        if (sys::is_hidden_character(sys::next_code_point(name, i))) return "节日名称含有控制字符";
    }
    if (characters > name_characters) return "节日名称超过 20 个字";
    return {};
}

std::optional<int> parse_year(std::string_view text) {
    int year = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), year);
    if (error != std::errc() || end != text.data() + text.size() || year < first_lunar_year ||
        year > 9998)
        return std::nullopt;
    return year;
}

std::optional<HolidaySource> source_of(std::string_view word) {
    for (const HolidaySource source : {HolidaySource::shipped, HolidaySource::vendor,
                                       HolidaySource::published, HolidaySource::imported}) {
        if (word == source_word(source)) return source;
    }
    return std::nullopt;
}

const char* outcome_word(YearCheck::Outcome outcome) {
    return outcome == YearCheck::Outcome::unpublished ? "unpublished" : "failed";
}

// Tabs and line ends would break the line a field is written on.
std::string field(std::string_view text) {
    std::string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return out;
}

}  // namespace

int arrangement_year_of(Date date, std::string_view name) {
    return date.month == 12 && name == "元旦" ? date.year + 1 : date.year;
}

std::string day_fault(int year, const HolidayDay& day) {
    const long serial = day_serial(day.date);
    if (serial < day_serial({year - 1, 12, 1}) || serial > day_serial({year + 1, 1, 31})) {
        return dashed_date(day.date) + " 不在" + std::to_string(year) + "年前后";
    }
    const int week_day = weekday(day.date);
    if (day.kind == DayOff::work && week_day != 0 && week_day != 6) {
        return dashed_date(day.date) + " 是工作日，不能是调休上班日";
    }
    if (day.kind == DayOff::none) return dashed_date(day.date) + " 既不是休也不是班";
    const std::string fault = name_fault(day.name);
    return fault.empty() ? fault : dashed_date(day.date) + " 的" + fault;
}

// Builds a table line by line in one pass; the dates are sorted once at
// the end.
struct HolidayParser {
    HolidayTable table;
    HolidaySource plain;
    // The arrangement the date lines go into; -1: none, they go by their
    // own year; -2: a heading without marks or a bad one, its lines are bad.
    long current = -1;
    std::map<int, std::size_t> plain_years;

    void line(std::string_view text) {
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.rfind("#@", 0) == 0) return heading(text.substr(2));
        if (text.empty() || text.front() == '#') return;
        day_line(text);
    }

    void heading(std::string_view text) {
        const std::string_view kind = next_field(text);
        if (kind == "checked" && parse_dashed_date(text)) {
            table.last_check_ = std::string(text);
            return;
        }
        current = -2;
        const std::optional<int> year = parse_year(next_field(text));
        const std::string_view word = next_field(text);
        const std::string_view obtained = next_field(text);
        const std::string_view origin = next_field(text);
        const std::string_view notice = text;
        if (!kind.empty() || !year || !sys::is_valid_utf8(notice)) return bad();
        if (const std::optional<HolidaySource> source = source_of(word)) {
            if (table.arrangement(*year)) return bad();
            current = static_cast<long>(table.arrangements_.size());
            table.arrangements_.push_back({*year,
                                           *source,
                                           std::string(obtained),
                                           std::string(origin),
                                           std::string(notice),
                                           {}});
        } else if (word == "unpublished" || word == "failed") {
            const auto outcome =
                word == "failed" ? YearCheck::Outcome::failed : YearCheck::Outcome::unpublished;
            table.checks_.push_back(
                {*year, outcome, std::string(obtained), std::string(origin), std::string(notice)});
        } else {
            bad();
        }
    }

    void day_line(std::string_view text) {
        const std::optional<Date> date = parse_dashed_date(next_field(text));
        const std::string_view kind_field = next_field(text);
        const DayOff kind = kind_field == "休"   ? DayOff::rest
                            : kind_field == "班" ? DayOff::work
                                                 : DayOff::none;
        if (!date || current == -2) return bad();
        HolidayDay day{*date, kind, std::string(text)};
        Arrangement& into = arrangement_for(day);
        if (!day_fault(into.year, day).empty()) return bad();
        into.days.push_back(std::move(day));
    }

    Arrangement& arrangement_for(const HolidayDay& day) {
        if (current >= 0) return table.arrangements_[static_cast<std::size_t>(current)];
        const int year = arrangement_year_of(day.date, day.name);
        const auto [found, added] = plain_years.try_emplace(year, table.arrangements_.size());
        if (added) table.arrangements_.push_back({year, plain, {}, {}, {}, {}});
        return table.arrangements_[found->second];
    }

    void bad() { ++table.bad_lines_; }

    // A date given twice in one arrangement keeps its first line; headings
    // of one year are merged when the file came without them.
    void finish() {
        auto& all = table.arrangements_;
        std::stable_sort(all.begin(), all.end(),
                         [](const auto& a, const auto& b) { return a.year < b.year; });
        for (Arrangement& arrangement : all) {
            auto& days = arrangement.days;
            std::stable_sort(days.begin(), days.end(), [](const auto& a, const auto& b) {
                return key_of(a.date) < key_of(b.date);
            });
            const auto end =
                std::unique(days.begin(), days.end(),
                            [](const auto& a, const auto& b) { return a.date == b.date; });
            table.bad_lines_ += static_cast<std::size_t>(std::distance(end, days.end()));
            days.erase(end, days.end());
        }
        std::stable_sort(table.checks_.begin(), table.checks_.end(),
                         [](const auto& a, const auto& b) { return a.year < b.year; });
        table.index();
        // A renewed copy may hold no more than the day it last asked.
        const bool empty = table.entries_.empty() && table.arrangements_.empty() &&
                           table.checks_.empty() && table.last_check_.empty();
        table.state_ = empty ? HolidayTable::State::damaged : HolidayTable::State::loaded;
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

const char* source_word(HolidaySource source) {
    switch (source) {
        case HolidaySource::shipped: return "shipped";
        case HolidaySource::vendor: return "vendor";
        case HolidaySource::published: return "published";
        case HolidaySource::imported: return "imported";
    }
    return "";
}

const char* source_caption(HolidaySource source) {
    switch (source) {
        case HolidaySource::shipped: return "随程序附带";
        case HolidaySource::vendor: return "厂商下载";
        case HolidaySource::published: return "公开数据下载";
        case HolidaySource::imported: return "手动导入";
    }
    return "";
}

HolidayTable HolidayTable::parse(std::string_view text, HolidaySource plain) {
    HolidayParser parser{HolidayTable(), plain, -1, {}};
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
HolidayTable HolidayTable::load(const std::string& path, HolidaySource plain) {
    sys::ReadFailure failure = sys::ReadFailure::none;
    const std::optional<std::string> content = sys::read_file(path, holiday_file_limit, &failure);
    HolidayTable table;
    if (content) {
        table = parse(*content, plain);
    } else {
        table.state_ = failure == sys::ReadFailure::missing ? State::missing : State::damaged;
    }
    if (table.state_ == State::damaged) {
        sys::diagnostic(path + " cannot be read; its 休/班 marks are not used");
    }
    return table;
}

HolidayTable HolidayTable::of(std::vector<Arrangement> arrangements, std::vector<YearCheck> checks,
                              std::string last_check) {
    HolidayTable table;
    table.arrangements_ = std::move(arrangements);
    table.checks_ = std::move(checks);
    table.last_check_ = std::move(last_check);
    std::sort(table.arrangements_.begin(), table.arrangements_.end(),
              [](const auto& a, const auto& b) { return a.year < b.year; });
    std::sort(table.checks_.begin(), table.checks_.end(),
              [](const auto& a, const auto& b) { return a.year < b.year; });
    table.index();
    table.state_ = State::loaded;
    return table;
}

HolidayTable HolidayTable::combine(const HolidayTable& shipped, const HolidayTable& renewed) {
    std::vector<Arrangement> arrangements = renewed.arrangements_;
    for (const Arrangement& own : shipped.arrangements_) {
        if (!renewed.arrangement(own.year)) arrangements.push_back(own);
    }
    std::vector<YearCheck> checks;
    for (const YearCheck& check : renewed.checks_) {
        if (!shipped.arrangement(check.year)) checks.push_back(check);
    }
    HolidayTable table = of(std::move(arrangements), std::move(checks), renewed.last_check_);
    table.bad_lines_ = shipped.bad_lines_ + renewed.bad_lines_;
    if (shipped.state_ != State::loaded && renewed.state_ != State::loaded) {
        table.state_ = shipped.state_ == State::damaged ? State::damaged : renewed.state_;
    }
    return table;
}

// The arrangements are in year order: a date that two of them mark takes
// the later one's mark.
void HolidayTable::index() {
    entries_.clear();
    for (std::size_t a = 0; a < arrangements_.size(); ++a) {
        const auto& days = arrangements_[a].days;
        for (std::size_t d = 0; d < days.size(); ++d) {
            entries_.push_back({key_of(days[d].date), static_cast<std::uint32_t>(a),
                                static_cast<std::uint32_t>(d)});
        }
    }
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const auto& x, const auto& y) { return x.key < y.key; });
    const auto last_of_key = [](const auto& x, const auto& y) { return x.key == y.key; };
    std::reverse(entries_.begin(), entries_.end());
    entries_.erase(std::unique(entries_.begin(), entries_.end(), last_of_key), entries_.end());
    std::reverse(entries_.begin(), entries_.end());
}

HolidayMark HolidayTable::mark(Date date) const {
    const std::int32_t key = key_of(date);
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), key,
                                        [](const Entry& e, std::int32_t k) { return e.key < k; });
    if (found == entries_.end() || found->key != key) return {};
    const Arrangement& arrangement = arrangements_[found->arrangement];
    const HolidayDay& day = arrangement.days[found->day];
    return {day.kind, day.name, arrangement.year};
}

bool HolidayTable::is_working_day(Date date) const {
    switch (mark(date).kind) {
        case DayOff::rest: return false;
        case DayOff::work: return true;
        case DayOff::none: break;
    }
    const int week_day = weekday(date);
    return week_day != 0 && week_day != 6;
}

const Arrangement* HolidayTable::arrangement(int year) const {
    for (const Arrangement& arrangement : arrangements_) {
        if (arrangement.year == year) return &arrangement;
    }
    return nullptr;
}

const YearCheck* HolidayTable::check(int year) const {
    for (const YearCheck& check : checks_) {
        if (check.year == year) return &check;
    }
    return nullptr;
}

YearState HolidayTable::year_state(int year) const {
    if (arrangement(year)) return YearState::known;
    const YearCheck* known = check(year);
    return known && known->outcome == YearCheck::Outcome::unpublished ? YearState::unpublished
                                                                      : YearState::not_fetched;
}

int HolidayTable::first_year() const {
    return arrangements_.empty() ? 0 : arrangements_.front().year;
}

std::string HolidayTable::format() const {
    std::string text =
        "# 放假安排（休）与调休上班（班）。UTF-8 文本，由程序写入。每年一段，以 #@ 行开头：\n"
        "# #@<TAB>年份<TAB>来源<TAB>取得日期<TAB>取自何处<TAB>通知\n";
    if (!last_check_.empty()) text += "#@checked\t" + last_check_ + "\n";
    for (const Arrangement& a : arrangements_) {
        text += "#@\t" + std::to_string(a.year) + "\t" + source_word(a.source) + "\t" +
                field(a.obtained) + "\t" + field(a.origin) + "\t" + field(a.notice) + "\n";
        for (const HolidayDay& day : a.days) {
            text += dashed_date(day.date) + "\t" + day_off_text(day.kind) + "\t" + field(day.name) +
                    "\n";
        }
    }
    for (const YearCheck& c : checks_) {
        text += "#@\t" + std::to_string(c.year) + "\t" + outcome_word(c.outcome) + "\t" +
                field(c.checked) + "\t" + field(c.origin) + "\t" + field(c.reason) + "\n";
    }
    return text;
}

bool is_holiday_file(std::string_view body) {
    return HolidayTable::parse(body).state() == HolidayTable::State::loaded;
}

std::string missing_year_text(const HolidayTable& table, int year) {
    if (table.first_year() == 0 || year < table.first_year()) return {};
    switch (table.year_state(year)) {
        case YearState::known: return {};
        case YearState::unpublished: return std::to_string(year) + "年放假安排尚未公布";
        case YearState::not_fetched: break;
    }
    return std::to_string(year) + "年放假安排尚未获取";
}

std::string provenance_text(const HolidayTable& table, int year) {
    const Arrangement* a = table.arrangement(year);
    if (!a) {
        std::string text = missing_year_text(table, year);
        const YearCheck* c = table.check(year);
        if (!c) return text;
        text += "\n" + c->checked + " 查询 " + c->origin;
        if (!c->reason.empty()) text += "：" + c->reason;
        return text;
    }
    std::string text = std::to_string(year) + "年放假安排";
    if (!a->notice.empty()) text += "：" + a->notice;
    text += "\n来源：";
    text += source_caption(a->source);
    if (!a->origin.empty()) text += "，" + a->origin;
    if (!a->obtained.empty()) text += "，" + a->obtained + " 取得";
    return text;
}

}  // namespace velmora::calendar
