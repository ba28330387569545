#include "calendar/datehint.h"

#include <algorithm>
#include <charconv>

#include "store/record_io.h"
#include "sys/atomicfile.h"
#include "sys/diagnostic.h"
#include "sys/sysutil.h"
#include "sys/text_util.h"
#include "sys/textcodec.h"

namespace velmora::calendar {

namespace {

constexpr std::size_t kind_at = 0;
constexpr std::size_t date_at = 1;
constexpr std::size_t days_at = 11;
constexpr std::size_t state_at = 13;
constexpr std::size_t description_at = 17;

bool all_digits(std::string_view text) {
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return !text.empty();
}

int number(std::string_view digits) {
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

std::optional<DateKind> kind_of(char byte) {
    switch (byte) {
        case '0': return DateKind::gregorian;
        case '1': return DateKind::lunar;
        case '2': return DateKind::lunar_leap;
        default: return std::nullopt;  // a kind a later build knows: keep the line as it is
    }
}

char kind_byte(DateKind kind) {
    return kind == DateKind::gregorian ? '0' : (kind == DateKind::lunar ? '1' : '2');
}

bool is_lunar(DateKind kind) {
    return kind != DateKind::gregorian;
}

bool date_readable(std::string_view date, DateKind kind) {
    return is_lunar(kind) ? parse_lunar_date(date, false).has_value()
                          : parse_dashed_date(date).has_value();
}

// The Gregorian day the entry is kept on in its `year` (a Gregorian or a
// lunar year, after its kind).
std::optional<Date> kept_in(const Anniversary& entry, int year) {
    if (is_lunar(entry.kind)) {
        const auto lunar = parse_lunar_date(entry.date, entry.kind == DateKind::lunar_leap);
        if (!lunar) return std::nullopt;
        return lunar_day_kept(year, lunar->month, lunar->leap, lunar->day);
    }
    const std::optional<Date> date = parse_dashed_date(entry.date);
    if (!date) return std::nullopt;
    return clamp_date(year, date->month, date->day);
}

std::string lunar_words(const Anniversary& entry) {
    const auto lunar = parse_lunar_date(entry.date, entry.kind == DateKind::lunar_leap);
    if (!lunar) return entry.date;
    return std::to_string(lunar->year) + "年" + lunar_month_label(lunar->month, lunar->leap) +
           lunar_day_label(lunar->day);
}

// The lunar day an occurrence is kept on, said for people. A day the lunar
// year has is named as it is ("农历八月十五"); one it lacks is not: the day
// kept on instead is named, after the reason ("今年无闰六月，按六月初一",
// "今年腊月只有廿九天，按腊月廿九"; both: "今年无闰六月，六月只有廿九天，按六月廿九"),
// as `lunar_day_kept` chose it.
std::string kept_day_words(const LunarDay& own, int lunar_year) {
    const bool leap_missing = own.leap && lunar_month_days(lunar_year, own.month, true) == 0;
    const bool leap = own.leap && !leap_missing;
    const int length = lunar_month_days(lunar_year, own.month, leap);
    const int day = length != 0 && own.day > length ? length : own.day;
    const std::string kept = lunar_month_label(own.month, leap) + lunar_day_label(day);
    std::string why;
    if (leap_missing) why = "今年无" + lunar_month_label(own.month, true);
    if (day != own.day) {
        why += why.empty() ? "今年" : "，";
        why += lunar_month_label(own.month, leap) + "只有" + lunar_day_label(length) + "天";
    }
    return why.empty() ? "农历" + kept : why + "，按" + kept;
}

std::string due_text(const Anniversary& entry, const Occurrence& when) {
    std::string text = "今天距离【" + entry.description + "】";
    if (entry.yearly && when.years > 0) text += "第" + std::to_string(when.years) + "周年";
    text += "还有" + std::to_string(entry.days_ahead) + "天！";
    if (is_lunar(entry.kind)) {
        const auto lunar = parse_lunar_date(entry.date, entry.kind == DateKind::lunar_leap);
        if (lunar) {
            // `years` counts lunar years from the entry's own.
            text += "（" + kept_day_words(*lunar, lunar->year + when.years) + "，公历" +
                    dashed_date(when.date) + "）";
        }
    }
    return text;
}

std::vector<std::string_view> split_lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) lines.push_back(line);
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
    }
    return lines;
}

std::string staged_path(const std::string& temp_work) {
    return sys::path_join(temp_work, sys::path_last(datehint_record));
}

}  // namespace

std::optional<LunarDay> parse_lunar_date(std::string_view text, bool leap) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const std::string_view year = text.substr(0, 4), month = text.substr(5, 2),
                           day = text.substr(8, 2);
    if (!all_digits(year) || !all_digits(month) || !all_digits(day)) return std::nullopt;
    const LunarDay lunar{number(year), number(month), leap, number(day)};
    if (lunar.year < 1 || lunar.month < 1 || lunar.month > 12 || lunar.day < 1 || lunar.day > 30) {
        return std::nullopt;
    }
    return lunar;
}

std::optional<Date> lunar_day_kept(int lunar_year, int month, bool leap, int day) {
    if (leap && lunar_month_days(lunar_year, month, true) == 0) leap = false;
    const int length = lunar_month_days(lunar_year, month, leap);
    return solar_of_lunar(lunar_year, month, leap, day > length ? length : day);
}

std::vector<Occurrence> occurrences(const Anniversary& entry, int first_year, int last_year) {
    std::vector<Occurrence> found;
    const std::string_view year_digits = std::string_view(entry.date).substr(0, 4);
    if (!date_readable(entry.date, entry.kind)) return found;
    const int start = number(year_digits);
    // A lunar year's last months reach into the next Gregorian year.
    const int from = entry.yearly ? std::max(start, first_year - 1) : start;
    const int to = entry.yearly ? std::min(last_year, 9999) : start;
    for (int year = from; year <= to; ++year) {
        const std::optional<Date> date = kept_in(entry, year);
        if (date && date->year >= first_year && date->year <= last_year) {
            found.push_back({*date, year - start});
        }
    }
    return found;
}

std::optional<std::string> lunar_date_refusal(int lunar_year, int month, bool leap, int day) {
    if (solar_of_lunar(lunar_year, month, leap, day)) return std::nullopt;
    const std::string name = "农历" + std::to_string(lunar_year) + "年" +
                             lunar_month_label(month, leap) + lunar_day_label(day);
    const int length = lunar_month_days(lunar_year, month, leap);
    if (leap && length == 0 && lunar_month_days(lunar_year, month, false) != 0) {
        return name + "不存在：这一年没有" + lunar_month_label(month, true) + "。";
    }
    if (length != 0 && day > length) {
        return name + "不存在：这个月只有" + std::to_string(length) + "天。";
    }
    return name + "不在可换算的范围内（公历1901年至2050年）。";
}

std::string date_caption(const Anniversary& entry) {
    const std::string date = is_lunar(entry.kind) ? "农历" + lunar_words(entry) : entry.date;
    return entry.yearly ? date + " 每年" : date;
}

std::optional<Anniversary> parse_line(std::string_view bytes) {
    if (bytes.size() < description_at) return std::nullopt;
    const std::optional<DateKind> kind = kind_of(bytes[kind_at]);
    const std::string_view date = bytes.substr(date_at, 10);
    const std::string_view days = bytes.substr(days_at, 2);
    const std::string state = text::from_gb18030(bytes.substr(state_at, 4));
    if (!kind || !date_readable(date, *kind) || !all_digits(days)) return std::nullopt;
    if (state != state_on && state != state_off) return std::nullopt;
    std::string description = sys::trimmed(text::from_gb18030(bytes.substr(description_at)));
    const std::string_view mark = yearly_mark;
    const bool yearly = description.starts_with(mark);
    if (yearly) description = sys::trimmed(std::string_view(description).substr(mark.size()));
    return Anniversary{std::string(date), number(days), state, description, *kind, yearly};
}

std::string one_line_description(std::string_view text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            // CRLF is one break, not two spaces.
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += ' ';
        } else {
            line += text[i];
        }
    }
    return sys::trimmed(line);
}

std::string format_line(const Anniversary& entry) {
    const int days = entry.days_ahead < 0 ? 0 : (entry.days_ahead > 99 ? 99 : entry.days_ahead);
    const char days_text[] = {static_cast<char>('0' + days / 10),
                              static_cast<char>('0' + days % 10), '\0'};
    const std::string description = (entry.yearly ? std::string(yearly_mark) : std::string()) +
                                    one_line_description(entry.description);
    return kind_byte(entry.kind) + entry.date + days_text + text::to_gb18030(entry.state) +
           text::to_gb18030(description);
}

AnniversaryRecord parse_record(std::string_view bytes) {
    AnniversaryRecord record;
    for (std::string_view line : split_lines(bytes)) {
        if (auto entry = parse_line(line)) {
            record.entries.push_back(std::move(*entry));
        } else {
            record.unparsable.emplace_back(line);
        }
    }
    return record;
}

std::string format_record(const std::vector<Anniversary>& entries,
                          const std::vector<std::string>& unparsable) {
    std::string bytes;
    for (const Anniversary& entry : entries) bytes += format_line(entry) + "\r\n";
    for (const std::string& line : unparsable) bytes += line + "\r\n";
    return bytes;
}

std::vector<std::string> due_messages(const std::vector<Anniversary>& entries, Date today) {
    std::vector<std::string> messages;
    const long today_serial = day_serial(today);
    for (const Anniversary& entry : entries) {
        if (entry.state != state_on) continue;
        // The notice is at most 99 days, so the day falls this year or next.
        for (const Occurrence& when : occurrences(entry, today.year, today.year + 1)) {
            if (day_serial(when.date) - entry.days_ahead == today_serial) {
                messages.push_back(due_text(entry, when));
            }
        }
    }
    return messages;
}

std::vector<std::string> due_messages(std::string_view record_bytes, Date today) {
    return due_messages(parse_record(record_bytes).entries, today);
}

std::string update_line(const std::string& update_page) {
    return "<>软件已有新版本，点击下载...|" + update_page;
}

store::FxError load_anniversaries(const std::string& temp_work, AnniversaryRecord& record) {
    const store::RecordRead read = store::read_record(datehint_record, temp_work);
    record = read.failed() ? AnniversaryRecord{} : parse_record(read.bytes);
    return read.error;
}

store::FxError save_anniversaries(const std::string& temp_work, const AnniversaryRecord& record) {
    if (record.entries.empty() && record.unparsable.empty()) {
        return store::drop_record(datehint_record);
    }
    const store::FxError saved =
        store::write_record(datehint_folder, sys::path_last(datehint_record),
                            format_record(record.entries, record.unparsable), temp_work);
    sys::remove_file(staged_path(temp_work));
    return saved;
}

std::string anniversaries_unreadable(store::FxError error) {
    return std::string("纪念日列表无法读取：") + store::describe(error) +
           "。为免覆盖原有的列表，现在不能修改它。";
}

std::string anniversaries_not_saved(store::FxError error) {
    return std::string("纪念日列表没有保存：") + store::describe(error) +
           "。原有的列表没有改动，您的修改仍在窗口中。";
}

StartupAnnouncements startup_check(const std::string& temp_work, Date today, bool update_available,
                                   const std::string& update_page) {
    StartupAnnouncements result;
    if (update_available) result.ad_line = update_line(update_page);
    AnniversaryRecord record;
    const store::FxError read = load_anniversaries(temp_work, record);
    if (read != store::FxError::none) sys::diagnostic(anniversaries_unreadable(read));
    result.popups = due_messages(record.entries, today);
    return result;
}

}  // namespace velmora::calendar
