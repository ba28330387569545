#include "calendar/ics_writer.h"

#include <cstdio>
#include <ctime>

namespace velmora::calendar::ics {

namespace {

constexpr std::size_t longest_line = 75;  // octets, without the CR LF

bool is_continuation(unsigned char byte) {
    return (byte & 0xC0U) == 0x80U;
}

// FNV-1a: a short stable tag of a text for the UIDs.
std::string tag(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return hex;
}

}  // namespace

std::string escape_text(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ';' || c == ',') {
            escaped += '\\';
            escaped += c;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            escaped += "\\n";
        } else if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
            escaped += ' ';
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string fold_line(std::string_view line) {
    std::string folded;
    std::size_t room = longest_line;
    while (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && is_continuation(static_cast<unsigned char>(line[cut]))) --cut;
        if (cut == 0) cut = room;  // not UTF-8 at all: cut anywhere rather than never
        folded.append(line.substr(0, cut));
        folded += "\r\n ";
        line.remove_prefix(cut);
        room = longest_line - 1;  // the leading space counts
    }
    folded.append(line);
    folded += "\r\n";
    return folded;
}

std::string date_value(Date date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

Date next_day(Date date) {
    if (date.day < days_in_month(date.year, date.month))
        return {date.year, date.month, date.day + 1};
    if (date.month < 12) return {date.year, date.month + 1, 1};
    return {date.year + 1, 1, 1};
}

std::string utc_stamp(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

std::string lunar_rule(const AnniversaryEvent& event) {
    if (event.lunar_month < 1 || event.lunar_month > 12 || event.lunar_day < 1 ||
        event.lunar_day > 30) {
        return {};
    }
    // SKIP=BACKWARD: a 30th in a short month falls on the 29th, and a leap
    // month in a year without one on the ordinary month, as the reminders do.
    return "RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=" + std::to_string(event.lunar_month) +
           (event.leap_month ? "L" : "") + ";BYMONTHDAY=" + std::to_string(event.lunar_day) +
           ";SKIP=BACKWARD";
}

void Writer::property(std::string_view name, std::string_view value) {
    std::string line(name);
    line += ':';
    line += value;
    body_ += fold_line(line);
}

void Writer::text_property(std::string_view name, std::string_view value) {
    property(name, escape_text(value));
}

std::string todo_uid(const Todo& todo) {
    return "plan-" + date_value(todo.day) + "-" + tag(todo.summary);
}

std::string journal_uid(const Journal& journal) {
    return "note-" + date_value(journal.day);
}

std::string anniversary_uid(const AnniversaryEvent& event) {
    if (!event.lunar) return "anniversary-" + date_value(event.date) + "-" + tag(event.title);
    char own[16];
    std::snprintf(own, sizeof own, "%04d%02d%s%02d", event.lunar_year, event.lunar_month,
                  event.leap_month ? "L" : "", event.lunar_day);
    return std::string("anniversary-lunar-") + own + "-" + tag(event.title);
}

void Writer::begin(const char* component, const std::string& made_uid,
                   const std::string& given_uid) {
    property("BEGIN", component);
    if (!given_uid.empty()) {
        text_property("UID", given_uid);
        property("DTSTAMP", stamp_);
        return;
    }
    std::string unique = made_uid;
    for (int n = 2; !uids_.insert(unique).second; ++n) unique = made_uid + "-" + std::to_string(n);
    property("UID", unique + "@velmora");
    property("DTSTAMP", stamp_);
}

void Writer::add(const Todo& todo) {
    begin("VTODO", todo_uid(todo), todo.uid);
    property("DUE;VALUE=DATE", date_value(todo.day));
    text_property("SUMMARY", todo.summary);
    property("STATUS", todo.done ? "COMPLETED" : "NEEDS-ACTION");
    if (!todo.category.empty()) text_property("CATEGORIES", todo.category);
    if (todo.priority > 0) property("PRIORITY", std::to_string(todo.priority));
    if (!todo.quadrant.empty()) text_property(quadrant_property, todo.quadrant);
    property("END", "VTODO");
}

void Writer::add(const Journal& journal) {
    begin("VJOURNAL", journal_uid(journal), journal.uid);
    property("DTSTART;VALUE=DATE", date_value(journal.day));
    const std::string_view first_line =
        std::string_view(journal.text).substr(0, journal.text.find_first_of("\r\n"));
    text_property("SUMMARY", first_line);
    text_property("DESCRIPTION", journal.text);
    property("END", "VJOURNAL");
}

void Writer::add(const AnniversaryEvent& event) {
    const bool expanded = event.lunar && !event.dates.empty();
    const Date first = expanded ? event.dates.front() : event.date;
    begin("VEVENT", anniversary_uid(event), event.uid);
    property("DTSTART;VALUE=DATE", date_value(first));
    property("DTEND;VALUE=DATE", date_value(next_day(first)));
    text_property("SUMMARY", event.title);
    property("TRANSP", "TRANSPARENT");
    if (event.yearly && !event.lunar) {
        // A 29 February is kept on the last day of February in other years;
        // a plain yearly rule would skip those years altogether.
        const bool leap_day = event.date.month == 2 && event.date.day == 29;
        property("RRULE", leap_day ? "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=-1" : "FREQ=YEARLY");
    }
    if (expanded && event.dates.size() > 1) {
        std::string days;
        for (std::size_t i = 1; i < event.dates.size(); ++i) {
            if (i > 1) days += ',';
            days += date_value(event.dates[i]);
        }
        property("RDATE;VALUE=DATE", days);
    }
    const std::string rule = event.lunar && event.yearly ? lunar_rule(event) : std::string();
    if (!rule.empty()) property(std::string(lunar_rule_property) + ";VALUE=RECUR", rule);
    property("END", "VEVENT");
}

std::string Writer::text() const {
    std::string calendar = fold_line("BEGIN:VCALENDAR") + fold_line("VERSION:2.0") +
                           fold_line("PRODID:-//Velmora//Velmora organiser//ZH") +
                           fold_line("CALSCALE:GREGORIAN");
    calendar += body_;
    calendar += fold_line("END:VCALENDAR");
    return calendar;
}

}  // namespace velmora::calendar::ics
