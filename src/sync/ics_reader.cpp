#include "sync/ics_reader.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "sys/text_util.h"

namespace velmora::sync {

namespace {

std::string megabytes(std::size_t bytes) {
    return std::to_string(bytes >> 20) + " MB";
}

bool starts_with_word(std::string_view line, std::string_view word) {
    if (line.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = line[i];
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper != word[i]) return false;
    }
    return true;
}

// What one pass over the text finds, logical line by logical line.
class Scan {
public:
    explicit Scan(const ReadLimits& limits) : limits_(limits) {}

    // A logical line: its first physical line and its unfolded length.
    std::string line(std::string_view first, std::size_t length) {
        if (length > limits_.line_bytes)
            return "日历数据中有一行超过 " + megabytes(limits_.line_bytes);
        if (lines_++ == 0 && !starts_with_word(first, "BEGIN:VCALENDAR")) {
            return "这不是 iCalendar 数据：它没有以 BEGIN:VCALENDAR 开头";
        }
        if (starts_with_word(first, "BEGIN:")) {
            if (++depth_ > limits_.depth) return "日历数据嵌套过深";
            if (depth_ == 2 && ++components_ > limits_.components) return "日历数据中的项目过多";
        } else if (starts_with_word(first, "END:")) {
            if (--depth_ < 0) return "日历数据的 BEGIN 与 END 不成对";
        }
        return {};
    }
    std::string end() const {
        if (lines_ == 0) return "日历数据是空的";
        return depth_ == 0 ? std::string() : "日历数据的 BEGIN 与 END 不成对";
    }

private:
    const ReadLimits& limits_;
    std::size_t lines_ = 0;
    std::size_t components_ = 0;
    int depth_ = 0;
};

std::string_view without_cr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

std::string scan_refusal(std::string_view text, const ReadLimits& limits) {
    if (text.size() > limits.total_bytes) return "日历数据超过 " + megabytes(limits.total_bytes);
    if (text.find('\0') != std::string_view::npos) return "日历数据中含有空字符";
    if (!sys::is_valid_utf8(text)) return "日历数据不是有效的 UTF-8 文本";
    Scan scan(limits);
    std::string_view first;
    std::size_t length = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = without_cr(text.substr(at, end - at));
        at = end + 1;
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            length += line.size() - 1;  // a folded continuation
            if (length > limits.line_bytes) return scan.line(first, length);
            continue;
        }
        if (!first.empty()) {
            if (std::string why = scan.line(first, length); !why.empty()) return why;
        }
        first = line;
        length = line.size();
    }
    if (!first.empty()) {
        if (std::string why = scan.line(first, length); !why.empty()) return why;
    }
    return scan.end();
}

namespace {

struct FreeComponent {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, FreeComponent>;

std::string text_of(const char* text) {
    return text ? std::string(text) : std::string();
}

std::optional<calendar::Date> date_of(const icaltimetype& time) {
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time)) return std::nullopt;
    return calendar::Date{time.year, time.month, time.day};
}

std::string value_of(icalproperty* property) {
    char* value = icalproperty_get_value_as_string_r(property);
    std::string copy = text_of(value);
    icalmemory_free_buffer(value);
    return copy;
}

bool names_chinese_scale(std::string_view rule) {
    std::string upper(rule);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper.find("RSCALE=CHINESE") != std::string::npos;
}

void read_properties(icalcomponent* component, Incoming& item) {
    for (icalproperty* property = icalcomponent_get_first_property(component, ICAL_ANY_PROPERTY);
         property; property = icalcomponent_get_next_property(component, ICAL_ANY_PROPERTY)) {
        switch (icalproperty_isa(property)) {
            case ICAL_PRIORITY_PROPERTY: item.priority = icalproperty_get_priority(property); break;
            case ICAL_COMPLETED_PROPERTY: item.completed = true; break;
            case ICAL_CATEGORIES_PROPERTY:
                item.categories.push_back(text_of(icalproperty_get_categories(property)));
                break;
            case ICAL_RRULE_PROPERTY: {
                std::string rule = value_of(property);
                (names_chinese_scale(rule) ? item.lunar_rule : item.rule) = std::move(rule);
                break;
            }
            case ICAL_X_PROPERTY: {
                const std::string name = text_of(icalproperty_get_x_name(property));
                if (name == calendar::ics::quadrant_property) item.quadrant = value_of(property);
                if (name == calendar::ics::lunar_rule_property && item.lunar_rule.empty()) {
                    item.lunar_rule = value_of(property);
                }
                break;
            }
            default: break;
        }
    }
}

std::string described(const Incoming& item) {
    static constexpr const char* kinds[] = {"待办", "日志", "日程"};
    const std::string& name = item.summary.empty() ? item.uid : item.summary;
    return std::string(kinds[static_cast<int>(item.kind)]) + " " + name;
}

std::string component_text(icalcomponent* component) {
    char* text = icalcomponent_as_ical_string_r(component);
    std::string copy = text_of(text);
    icalmemory_free_buffer(text);
    return copy;
}

void read_component(icalcomponent* component, ComponentKind kind, const ReadLimits& limits,
                    CalendarRead& read) {
    Incoming item;
    item.kind = kind;
    item.uid = text_of(icalcomponent_get_uid(component));
    item.summary = text_of(icalcomponent_get_summary(component));
    item.description = text_of(icalcomponent_get_description(component));
    if (item.uid.empty()) {
        read.left_out.push_back({described(item), "没有 UID"});
        return;
    }
    if (item.uid.size() > limits.uid_bytes) {
        item.uid.clear();
        read.left_out.push_back(
            {described(item), "UID 超过 " + std::to_string(limits.uid_bytes) + " 字节"});
        return;
    }
    if (kind == ComponentKind::todo) item.due = date_of(icalcomponent_get_due(component));
    const icaltimetype start = icalcomponent_get_dtstart(component);
    item.start = date_of(start);
    item.all_day = item.start && start.is_date;
    item.completed = icalcomponent_get_status(component) == ICAL_STATUS_COMPLETED;
    read_properties(component, item);
    item.text = component_text(component);
    read.components.push_back(std::move(item));
}

void read_calendar_component(icalcomponent* calendar, const ReadLimits& limits,
                             CalendarRead& read) {
    for (icalcomponent* component = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT);
         component; component = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        switch (icalcomponent_isa(component)) {
            case ICAL_VTODO_COMPONENT:
                read_component(component, ComponentKind::todo, limits, read);
                break;
            case ICAL_VJOURNAL_COMPONENT:
                read_component(component, ComponentKind::journal, limits, read);
                break;
            case ICAL_VEVENT_COMPONENT:
                read_component(component, ComponentKind::event, limits, read);
                break;
            default: break;  // time zones and the like: nothing of the user's
        }
    }
}

// Servers that take an unknown property for text escape its semicolons
// ("RSCALE=CHINESE\\;FREQ=YEARLY"), which libical then refuses as a rule
// and drops: our rule's line is unfolded and its escapes undone, as a rule
// holds none of its own. Every other line passes as it is.
std::string with_plain_lunar_rules(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool in_rule = false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(at, end - at);
        at = end;
        const bool continued = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!continued) in_rule = starts_with_word(line, calendar::ics::lunar_rule_property);
        if (!in_rule) {
            out += line;
            continue;
        }
        if (continued && !out.empty() && out.back() == '\n') out.pop_back();
        if (continued && !out.empty() && out.back() == '\r') out.pop_back();
        for (std::size_t i = continued ? 1 : 0; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size() &&
                (line[i + 1] == ';' || line[i + 1] == ','))
                continue;
            out += line[i];
        }
    }
    return out;
}

}  // namespace

CalendarRead read_calendar(std::string_view text, const ReadLimits& limits) {
    CalendarRead read;
    read.refused = scan_refusal(text, limits);
    if (!read.refused.empty()) return read;
    const std::string copy = with_plain_lunar_rules(text);
    const Component root(icalparser_parse_string(copy.c_str()));
    if (!root) {
        read.refused = "日历数据无法解析";
        return read;
    }
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        read_calendar_component(root.get(), limits, read);
        return read;
    }
    for (icalcomponent* calendar =
             icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
         calendar;
         calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT)) {
        read_calendar_component(calendar, limits, read);
    }
    return read;
}

}  // namespace velmora::sync
