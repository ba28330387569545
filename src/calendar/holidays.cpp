#include "calendar/holidays.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#ifdef _WIN32
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace velmora::calendar {

namespace {

// A holiday's name is a few characters; anything longer is not one.
constexpr std::size_t name_limit = 64;

std::int32_t key_of(Date date) {
    return date.year * 10000 + date.month * 100 + date.day;
}

// The length of the UTF-8 sequence that starts with `lead`, 0 for a byte
// that cannot start one.
std::size_t sequence_length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Well-formed UTF-8: no stray continuation byte, no overlong form, no
// surrogate, nothing above U+10FFFF.
bool is_utf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequence_length(lead);
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        const auto second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string_view next_field(std::string_view& line) {
    const std::size_t tab = line.find('\t');
    const std::string_view field = line.substr(0, tab);
    line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    return field;
}

#ifdef _WIN32
// Only a regular file is read, and never far past the limit.
HolidayTable::State read_bounded(const std::string& path, std::string& content) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return HolidayTable::State::missing;
    struct _stat64 info {};
    bool ok = _fstat64(_fileno(file), &info) == 0 && (info.st_mode & _S_IFREG) != 0;
    char buffer[16384];
    while (ok && content.size() <= holiday_file_limit) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
        content.append(buffer, got);
        if (got < sizeof buffer) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    return ok && content.size() <= holiday_file_limit ? HolidayTable::State::loaded
                                                      : HolidayTable::State::damaged;
}
#else
// Opened without blocking, so a pipe put at the file's name cannot stall
// the start; only a regular file is read, and never past the limit.
HolidayTable::State read_bounded(const std::string& path, std::string& content) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENXIO ? HolidayTable::State::damaged : HolidayTable::State::missing;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
              static_cast<std::size_t>(info.st_size) <= holiday_file_limit;
    char buffer[16384];
    while (ok && content.size() <= holiday_file_limit) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        ok = got >= 0;
        if (got <= 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    return ok && content.size() <= holiday_file_limit ? HolidayTable::State::loaded
                                                      : HolidayTable::State::damaged;
}
#endif

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
    if (text.size() > holiday_file_limit || !is_utf8(text)) {
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

HolidayTable HolidayTable::load(const std::string& path) {
    std::string content;
    const State read = read_bounded(path, content);
    if (read != State::loaded) {
        HolidayTable table;
        table.state_ = read;
        return table;
    }
    return parse(content);
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
