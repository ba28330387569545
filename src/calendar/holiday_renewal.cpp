#include "calendar/holiday_renewal.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "sys/atomicfile.h"
#include "sys/json_scanner.h"
#include "sys/text_util.h"

namespace velmora::calendar {

namespace {

// Far more than any year's notice gives; a longer list is not one.
constexpr std::size_t day_limit = 400;
constexpr std::size_t paper_limit = 16;
constexpr std::size_t paper_bytes = 512;
// One event of the feed covers a holiday or its working days; the longest
// ever (2020's Spring Festival) took 10 days.
constexpr long event_days_limit = 40;
constexpr std::size_t event_limit = 5000;

using Outcome = YearCheck::Outcome;

Date step_day(Date date, int step) {
    date.day += step;
    if (date.day < 1) {
        date.month = date.month == 1 ? 12 : date.month - 1;
        if (date.month == 12) --date.year;
        date.day = days_in_month(date.year, date.month);
    } else if (date.day > days_in_month(date.year, date.month)) {
        date.day = 1;
        date.month = date.month == 12 ? 1 : date.month + 1;
        if (date.month == 1) ++date.year;
    }
    return date;
}

bool is_weekend(Date date) {
    const int day = weekday(date);
    return day == 0 || day == 6;
}

bool by_date(const HolidayDay& a, const HolidayDay& b) {
    return day_serial(a.date) < day_serial(b.date);
}

SourceReading refused(std::string why) {
    SourceReading reading;
    reading.error = std::move(why);
    return reading;
}

// Every day checked against its year, one mark per date; the weekends that
// join a holiday added. Empty: not yet published.
SourceReading arrangement_of(int year, std::vector<HolidayDay> days, std::string notice,
                             const SourceOrigin& from) {
    SourceReading reading;
    if (days.empty()) {
        reading.unpublished.push_back(year);
        return reading;
    }
    if (days.size() > day_limit) return refused("日期多于 400 个，不是一年的放假安排");
    for (const HolidayDay& day : days) {
        if (std::string fault = day_fault(year, day); !fault.empty()) return refused(fault);
    }
    std::stable_sort(days.begin(), days.end(), by_date);
    for (std::size_t i = 1; i < days.size(); ++i) {
        if (days[i].date == days[i - 1].date && days[i].kind != days[i - 1].kind) {
            return refused(dashed_date(days[i].date) + " 既是休又是班");
        }
    }
    days.erase(std::unique(days.begin(), days.end(),
                           [](const auto& a, const auto& b) { return a.date == b.date; }),
               days.end());
    join_weekends(days);
    reading.arrangements.push_back(
        {year, from.source, from.obtained, from.origin, std::move(notice), std::move(days)});
    return reading;
}

bool is_plain_text(std::string_view text, std::size_t limit) {
    return text.size() <= limit && sys::is_valid_utf8(text) &&
           std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// One element of "days"; `fault` says what was wrong when it answers false
// for a well-formed element.
bool read_day(sys::JsonScanner& json, std::vector<HolidayDay>& days, std::string& fault) {
    std::string name, date_text;
    std::optional<bool> off;
    bool has_name = false;
    const bool read = json.object_or_skip([&](std::string_view key) {
        if (key == "name") {
            has_name = true;
            return json.string_or_skip(name);
        }
        if (key == "date") return json.string_or_skip(date_text);
        if (key == "isOffDay") return json.bool_or_skip(off);
        return json.skip_value();
    });
    if (!read) return false;
    const std::optional<Date> date = parse_dashed_date(date_text);
    if (!has_name || !date || !off) {
        fault = "第 " + std::to_string(days.size() + 1) + " 个日期缺少 name、date 或 isOffDay";
        return false;
    }
    if (days.size() == day_limit) {
        fault = "日期多于 400 个，不是一年的放假安排";
        return false;
    }
    days.push_back({*date, *off ? DayOff::rest : DayOff::work, std::move(name)});
    return true;
}

std::string join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
    return text;
}

std::string_view without_bom(std::string_view body) {
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    const std::size_t first = body.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view() : body.substr(first);
}

// The body's own refusal before any parsing: too large, not text, a page.
std::string body_fault(std::string_view body) {
    if (body.size() > published_file_limit) return "文件超过 256 KB，不是放假安排";
    if (!sys::is_valid_utf8(body)) return "不是 UTF-8 文本";
    const std::string_view text = without_bom(body);
    if (text.empty()) return "文件是空的";
    if (text.front() == '<') return "收到的是网页，不是放假安排";
    return {};
}

// iCalendar lines, folded lines joined (RFC 5545 3.1).
std::vector<std::string> unfolded_lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!lines.empty() && !line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            lines.back().append(line.substr(1));
        } else {
            lines.emplace_back(line);
        }
    }
    return lines;
}

std::string ics_unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        out.push_back(value[i]);
    }
    return out;
}

// "20260215" of "DTSTART;VALUE=DATE:20260215".
std::optional<Date> ics_date(std::string_view value) {
    if (value.size() != 8) return std::nullopt;
    return parse_dashed_date(std::string(value.substr(0, 4)) + "-" +
                             std::string(value.substr(4, 2)) + "-" +
                             std::string(value.substr(6, 2)));
}

struct IcsEvent {
    std::string summary;
    std::optional<Date> start, end;
};

// "上班(补春节假期)" and "春节假期"; nothing for any other summary.
std::optional<std::pair<DayOff, std::string>> event_kind(const std::string& summary) {
    const std::string_view text = summary;
    constexpr std::string_view work_head = "上班(补", work_tail = "假期)", rest_tail = "假期";
    if (text.rfind(work_head, 0) == 0 && text.size() > work_head.size() + work_tail.size() &&
        text.substr(text.size() - work_tail.size()) == work_tail) {
        return std::pair{DayOff::work,
                         std::string(text.substr(
                             work_head.size(), text.size() - work_head.size() - work_tail.size()))};
    }
    if (text.size() > rest_tail.size() &&
        text.substr(text.size() - rest_tail.size()) == rest_tail) {
        return std::pair{DayOff::rest, std::string(text.substr(0, text.size() - rest_tail.size()))};
    }
    return std::nullopt;
}

std::string add_event_days(const IcsEvent& event, std::map<int, std::vector<HolidayDay>>& years) {
    const auto kind = event_kind(event.summary);
    if (!kind) return "不认识的事件“" + event.summary.substr(0, 60) + "”";
    if (!event.start) return "事件“" + event.summary + "”没有全天的开始日期";
    const Date end = event.end ? *event.end : step_day(*event.start, 1);
    const long length = day_serial(end) - day_serial(*event.start);
    if (length < 1 || length > event_days_limit) return "事件“" + event.summary + "”的日期不对";
    for (Date day = *event.start; !(day == end); day = step_day(day, 1)) {
        years[arrangement_year_of(day, kind->second)].push_back({day, kind->first, kind->second});
    }
    return {};
}

std::string read_events(std::string_view text, std::map<int, std::vector<HolidayDay>>& years) {
    std::optional<IcsEvent> event;
    std::size_t events = 0;
    for (const std::string& line : unfolded_lines(text)) {
        const std::size_t colon = line.find(':');
        const std::string_view name = std::string_view(line).substr(0, line.find_first_of(";:"));
        const std::string_view value = colon == std::string::npos
                                           ? std::string_view()
                                           : std::string_view(line).substr(colon + 1);
        if (name == "BEGIN" && value == "VEVENT") {
            if (++events > event_limit) return "事件多于 5000 个";
            event.emplace();
        } else if (event && name == "END" && value == "VEVENT") {
            if (std::string fault = add_event_days(*event, years); !fault.empty()) return fault;
            event.reset();
        } else if (event && name == "SUMMARY") {
            event->summary = ics_unescaped(value);
        } else if (event && name == "DTSTART") {
            event->start = ics_date(value);
        } else if (event && name == "DTEND") {
            event->end = ics_date(value);
        }
    }
    return {};
}

bool known_elsewhere(const HolidayTable& shipped, const HolidayTable& renewed, int year) {
    return shipped.arrangement(year) || renewed.arrangement(year);
}

// `renewed` with `year`'s arrangement and check replaced.
void put_year(HolidayTable& renewed, int year, const Arrangement* arrangement,
              const YearCheck* check) {
    std::vector<Arrangement> arrangements;
    for (const Arrangement& a : renewed.arrangements()) {
        if (a.year != year) arrangements.push_back(a);
    }
    if (arrangement) arrangements.push_back(*arrangement);
    std::vector<YearCheck> checks;
    for (const YearCheck& c : renewed.checks()) {
        if (c.year != year) checks.push_back(c);
    }
    if (check) checks.push_back(*check);
    renewed = HolidayTable::of(std::move(arrangements), std::move(checks), renewed.last_check());
}

std::string counts_of(const Arrangement& a) {
    const auto rest = std::count_if(a.days.begin(), a.days.end(),
                                    [](const HolidayDay& d) { return d.kind == DayOff::rest; });
    return "休 " + std::to_string(rest) + " 天，班 " +
           std::to_string(static_cast<long>(a.days.size()) - rest) + " 天";
}

void merge_arrangement(HolidayTable& renewed, const HolidayTable& shipped, const Arrangement& a,
                       MergeReport& report) {
    const std::string year = std::to_string(a.year) + "年";
    const Arrangement* before = renewed.arrangement(a.year);
    if (a.source == HolidaySource::vendor &&
        (shipped.arrangement(a.year) || (before && before->source != HolidaySource::vendor))) {
        report.lines.push_back(year + "放假安排已知，厂商文件不替换它");
        return;
    }
    if (before && before->days == a.days && before->notice == a.notice &&
        before->source == a.source) {
        report.lines.push_back(year + "放假安排没有变化（" + a.origin + "）");
        return;
    }
    put_year(renewed, a.year, &a, nullptr);
    report.changed = true;
    report.lines.push_back(year + "放假安排已存入：" + counts_of(a) + "，取自 " + a.origin);
}

}  // namespace

std::string holiday_url_for(std::string_view url_template, int year) {
    constexpr std::string_view marker = "{year}";
    const std::size_t at = url_template.find(marker);
    if (at == std::string_view::npos) return {};
    std::string url(url_template);
    url.replace(at, marker.size(), std::to_string(year));
    return url;
}

void join_weekends(std::vector<HolidayDay>& days) {
    std::set<long> marked;
    for (const HolidayDay& day : days) marked.insert(day_serial(day.date));
    std::vector<HolidayDay> joined;
    for (const HolidayDay& day : days) {
        if (day.kind != DayOff::rest) continue;
        for (const int step : {-1, 1}) {
            for (Date next = step_day(day.date, step);
                 is_weekend(next) && marked.insert(day_serial(next)).second;
                 next = step_day(next, step)) {
                joined.push_back({next, DayOff::rest, day.name});
            }
        }
    }
    days.insert(days.end(), joined.begin(), joined.end());
    std::stable_sort(days.begin(), days.end(), by_date);
}

SourceReading read_published_json(std::string_view body, int expected_year,
                                  const SourceOrigin& from) {
    if (std::string fault = body_fault(body); !fault.empty()) return refused(fault);
    sys::JsonScanner json(without_bom(body));
    std::optional<long long> year;
    std::vector<std::string> papers;
    std::vector<HolidayDay> days;
    std::string fault;
    bool has_days = false;
    const bool read = json.read_object([&](std::string_view key) {
        if (key == "year") return json.integer_or_skip(year);
        if (key == "papers") {
            return json.array_or_skip([&] {
                std::string paper;
                if (!json.string_or_skip(paper)) return false;
                if (!is_plain_text(paper, paper_bytes) || papers.size() == paper_limit) {
                    fault = "通知网址不合格式";
                    return false;
                }
                papers.push_back(std::move(paper));
                return true;
            });
        }
        if (key == "days") {
            has_days = true;
            return json.array_or_skip([&] { return read_day(json, days, fault); });
        }
        return json.skip_value();
    }) && json.at_end();
    if (!fault.empty()) return refused(fault);
    if (!read) return refused("不是合格的 JSON 文件");
    if (!year || *year < first_lunar_year || *year > 9998 || !has_days) {
        return refused("JSON 文件缺少年份或日期列表，不是放假安排");
    }
    if (expected_year != 0 && *year != expected_year) {
        return refused("文件写的是" + std::to_string(*year) + "年，不是" +
                       std::to_string(expected_year) + "年");
    }
    return arrangement_of(static_cast<int>(*year), std::move(days), join(papers), from);
}

SourceReading read_holiday_ics(std::string_view body, const SourceOrigin& from) {
    if (std::string fault = body_fault(body); !fault.empty()) return refused(fault);
    const std::string_view text = without_bom(body);
    if (text.rfind("BEGIN:VCALENDAR", 0) != 0) return refused("不是 iCalendar 文件");
    std::map<int, std::vector<HolidayDay>> years;
    if (std::string fault = read_events(text, years); !fault.empty()) return refused(fault);
    if (years.empty()) return refused("iCalendar 文件里没有放假安排");
    SourceReading all;
    for (auto& [year, days] : years) {
        SourceReading one = arrangement_of(year, std::move(days), {}, from);
        if (!one.error.empty()) return one;
        for (Arrangement& a : one.arrangements) all.arrangements.push_back(std::move(a));
    }
    return all;
}

SourceReading read_line_file(std::string_view body, const SourceOrigin& from) {
    if (std::string fault = body_fault(body); !fault.empty()) return refused(fault);
    const HolidayTable table = HolidayTable::parse(body, from.source);
    if (table.state() != HolidayTable::State::loaded || table.arrangements().empty()) {
        return refused("不是放假安排文件");
    }
    if (table.bad_lines() > 0) {
        return refused("有 " + std::to_string(table.bad_lines()) + " 行不合格式");
    }
    SourceReading reading;
    for (Arrangement a : table.arrangements()) {
        a.source = from.source;
        a.origin = from.origin;
        a.obtained = from.obtained;
        reading.arrangements.push_back(std::move(a));
    }
    return reading;
}

SourceReading read_holiday_source(std::string_view body, const SourceOrigin& from) {
    if (std::string fault = body_fault(body); !fault.empty()) return refused(fault);
    const std::string_view text = without_bom(body);
    if (text.front() == '{') return read_published_json(body, 0, from);
    if (text.rfind("BEGIN:VCALENDAR", 0) == 0) return read_holiday_ics(body, from);
    return read_line_file(body, from);
}

MergeReport merge_reading(HolidayTable& renewed, const HolidayTable& shipped,
                          const SourceReading& reading, const SourceOrigin& from) {
    MergeReport report;
    if (!reading.error.empty()) {
        report.lines.push_back(from.origin + " 未采用：" + reading.error);
        return report;
    }
    for (const Arrangement& a : reading.arrangements)
        merge_arrangement(renewed, shipped, a, report);
    for (const int year : reading.unpublished) {
        const std::string name = std::to_string(year) + "年";
        if (known_elsewhere(shipped, renewed, year)) {
            report.lines.push_back(from.origin + " 的" + name + "安排是空的；已知的安排不变");
            continue;
        }
        const YearCheck check{year, Outcome::unpublished, from.obtained, from.origin, {}};
        const YearCheck* before = renewed.check(year);
        if (!before || before->outcome != check.outcome || before->origin != check.origin ||
            before->checked != check.checked) {
            put_year(renewed, year, nullptr, &check);
            report.changed = true;
        }
        report.lines.push_back(name + "放假安排尚未公布（" + from.origin + "）");
    }
    return report;
}

MergeReport merge_failure(HolidayTable& renewed, const HolidayTable& shipped, int year,
                          const SourceOrigin& from, const std::string& reason) {
    MergeReport report;
    const std::string name = std::to_string(year) + "年";
    report.lines.push_back(name + "放假安排未能取得（" + from.origin + "）：" + reason);
    if (known_elsewhere(shipped, renewed, year)) return report;
    // What an earlier answer said stays more telling than a failed attempt.
    const YearCheck* before = renewed.check(year);
    if (before && before->outcome == Outcome::unpublished) return report;
    const YearCheck check{year, Outcome::failed, from.obtained, from.origin, reason};
    put_year(renewed, year, nullptr, &check);
    report.changed = true;
    return report;
}

void mark_checked(HolidayTable& renewed, const std::string& day) {
    renewed = HolidayTable::of(renewed.arrangements(), renewed.checks(), day);
}

bool renew_holiday_file(const std::string& path,
                        const std::function<void(HolidayTable& renewed)>& change,
                        std::string* error) {
    static std::mutex one_at_a_time;
    const std::lock_guard lock(one_at_a_time);
    sys::ReadFailure failure = sys::ReadFailure::none;
    const std::optional<std::string> content = sys::read_file(path, holiday_file_limit, &failure);
    if (!content && failure != sys::ReadFailure::missing) {
        if (error) *error = path + " 无法读取，未更新放假安排";
        return false;
    }
    HolidayTable renewed;
    if (content) {
        renewed = HolidayTable::parse(*content, HolidaySource::imported);
        if (renewed.state() != HolidayTable::State::loaded || renewed.bad_lines() > 0) {
            if (error) *error = path + " 已损坏，未更新放假安排（原文件保留）";
            return false;
        }
    }
    change(renewed);
    const bool empty =
        renewed.arrangements().empty() && renewed.checks().empty() && renewed.last_check().empty();
    const std::string text = renewed.format();
    if (empty || (content && text == *content)) return true;
    if (!sys::write_file_atomic(path, text)) {
        if (error) *error = path + " 无法写入，放假安排未保存";
        return false;
    }
    return true;
}

}  // namespace velmora::calendar
