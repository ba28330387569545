#include <string>

#include "sync/field_lines.h"
#include "sync/ical_module.h"

namespace velmora::sync {

namespace {

// "yyyymmdd", written and read here: the module carries no calendar engine.
std::string date_field(const std::optional<calendar::Date>& date) {
    if (!date || date->year < 0 || date->year > 9999) return {};
    char text[9];
    const int parts[] = {date->year / 100, date->year % 100, date->month, date->day};
    for (std::size_t i = 0; i < 4; ++i) {
        text[2 * i] = static_cast<char>('0' + parts[i] / 10 % 10);
        text[2 * i + 1] = static_cast<char>('0' + parts[i] % 10);
    }
    text[8] = '\0';
    return text;
}

std::optional<calendar::Date> date_of(const std::string& key) {
    if (key.size() != 8) return std::nullopt;
    int value[8];
    for (int i = 0; i < 8; ++i) {
        if (key[i] < '0' || key[i] > '9') return std::nullopt;
        value[i] = key[i] - '0';
    }
    return calendar::Date{value[0] * 1000 + value[1] * 100 + value[2] * 10 + value[3],
                          value[4] * 10 + value[5], value[6] * 10 + value[7]};
}

constexpr std::size_t item_fields = 14;  // before the categories

Incoming incoming_of(const std::vector<std::string>& fields) {
    Incoming item;
    item.kind = static_cast<ComponentKind>(fields[1] == "1" ? 1 : fields[1] == "2" ? 2 : 0);
    item.uid = fields[2];
    item.summary = fields[3];
    item.description = fields[4];
    item.due = date_of(fields[5]);
    item.start = date_of(fields[6]);
    item.all_day = fields[7] == "1";
    item.completed = fields[8] == "1";
    item.priority = fields[9].size() == 1 && fields[9][0] >= '0' && fields[9][0] <= '9'
                        ? fields[9][0] - '0'
                        : 0;
    item.quadrant = fields[10];
    item.rule = fields[11];
    item.lunar_rule = fields[12];
    item.text = fields[13];
    item.categories.assign(fields.begin() + item_fields, fields.end());
    return item;
}

}  // namespace

std::string format_read(const CalendarRead& read) {
    std::string out;
    if (!read.refused.empty()) append_line(out, {"refused", read.refused});
    for (const LeftOut& left : read.left_out) append_line(out, {"left", left.what, left.why});
    for (const Incoming& item : read.components) {
        const std::string kind = std::to_string(static_cast<int>(item.kind));
        const std::string due = date_field(item.due), start = date_field(item.start);
        const std::string priority = std::to_string(item.priority % 10);
        std::vector<std::string_view> fields = {"item",
                                                kind,
                                                item.uid,
                                                item.summary,
                                                item.description,
                                                due,
                                                start,
                                                item.all_day ? "1" : "0",
                                                item.completed ? "1" : "0",
                                                priority,
                                                item.quadrant,
                                                item.rule,
                                                item.lunar_rule,
                                                item.text};
        for (const std::string& category : item.categories) fields.emplace_back(category);
        append_line(out, fields);
    }
    return out;
}

CalendarRead parse_read(std::string_view lines) {
    CalendarRead read;
    for (const std::vector<std::string>& fields : split_lines(lines)) {
        if (fields[0] == "refused" && fields.size() == 2) {
            read.refused = fields[1];
        } else if (fields[0] == "left" && fields.size() == 3) {
            read.left_out.push_back({fields[1], fields[2]});
        } else if (fields[0] == "item" && fields.size() >= item_fields) {
            read.components.push_back(incoming_of(fields));
        } else {
            return {{}, {}, "日历读取模块的回答无法识别"};
        }
    }
    return read;
}

}  // namespace velmora::sync
