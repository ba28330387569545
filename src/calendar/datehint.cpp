#include "calendar/datehint.h"

#include <charconv>

#include "store/record_io.h"
#include "sys/atomicfile.h"
#include "sys/diagnostic.h"
#include "sys/sysutil.h"
#include "sys/text_util.h"
#include "sys/textcodec.h"

namespace velmora::calendar {

namespace {

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

// Days since 1970-01-01 in the proleptic Gregorian calendar.
long serial(Date date) {
    const long y = date.month <= 2 ? date.year - 1 : date.year;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long mp = (date.month + 9) % 12;
    const long doy = (153 * mp + 2) / 5 + date.day - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
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

std::optional<Anniversary> parse_line(std::string_view bytes) {
    if (bytes.size() < description_at) return std::nullopt;
    const std::string_view date = bytes.substr(date_at, 10);
    const std::string_view days = bytes.substr(days_at, 2);
    const std::string state = text::from_gb18030(bytes.substr(state_at, 4));
    if (!parse_dashed_date(date) || !all_digits(days)) return std::nullopt;
    if (state != state_on && state != state_off) return std::nullopt;
    return Anniversary{std::string(date), number(days), state,
                       sys::trimmed(text::from_gb18030(bytes.substr(description_at)))};
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
    return "0" + entry.date + days_text + text::to_gb18030(entry.state) +
           text::to_gb18030(one_line_description(entry.description));
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
    const long today_serial = serial(today);
    for (const Anniversary& entry : entries) {
        if (entry.state != state_on) continue;
        const std::optional<Date> date = parse_dashed_date(entry.date);
        if (!date || serial(*date) - entry.days_ahead != today_serial) continue;
        messages.push_back("今天距离【" + entry.description + "】还有" +
                           std::to_string(entry.days_ahead) + "天！");
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
