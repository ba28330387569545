#include "sync/ics_mapping.h"

#include <charconv>

#include "calendar/ics_items.h"

namespace velmora::sync {

namespace {

constexpr const char* quadrant_names[] = {"重要，急", "重要，不急", "不重要，急", "不重要，不急"};

// A task is one line of its day's list.
std::string one_line(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    }
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A part of a recurrence rule ("BYMONTH=8L"), its value; empty without it.
std::string rule_part(const std::string& rule, std::string_view name) {
    std::size_t at = 0;
    while (at < rule.size()) {
        std::size_t end = rule.find(';', at);
        if (end == std::string::npos) end = rule.size();
        const std::string_view part(rule.data() + at, end - at);
        if (part.size() > name.size() && part.substr(0, name.size()) == name &&
            part[name.size()] == '=') {
            return std::string(part.substr(name.size() + 1));
        }
        at = end + 1;
    }
    return {};
}

int number_of(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

char digit_pair(int value, int at) {
    return static_cast<char>('0' + (at == 0 ? value / 10 % 10 : value % 10));
}

std::string dashed(int year, int month, int day) {
    std::string text = std::to_string(year);
    while (text.size() < 4) text.insert(text.begin(), '0');
    return text + "-" + digit_pair(month, 0) + digit_pair(month, 1) + "-" + digit_pair(day, 0) +
           digit_pair(day, 1);
}

Mapping refused(std::string why) {
    return {false, {}, std::move(why)};
}

Mapping task_of(const Incoming& component) {
    const std::optional<calendar::Date> day = component.due ? component.due : component.start;
    if (!day) return refused("没有截止日期");
    const std::string text = one_line(component.summary);
    if (text.empty()) return refused("没有内容");
    Mapping mapped{true, {}, {}};
    mapped.item.kind = ItemKind::task;
    mapped.item.day = *day;
    mapped.item.task = {quadrant_of(component),
                        component.completed ? store::state_done : store::state_in_progress, text};
    return mapped;
}

Mapping note_of(const Incoming& component) {
    if (!component.start) return refused("没有日期");
    const std::string& text =
        component.description.empty() ? component.summary : component.description;
    if (store::is_blank_note(text)) return refused("没有内容");
    Mapping mapped{true, {}, {}};
    mapped.item.kind = ItemKind::note;
    mapped.item.day = *component.start;
    mapped.item.note = text;
    return mapped;
}

// The lunar date of a Chinese-calendar rule: its month and day, in the
// lunar year of the event's first day.
std::optional<calendar::Anniversary> lunar_entry(const Incoming& component) {
    std::string month = rule_part(component.lunar_rule, "BYMONTH");
    const bool leap = !month.empty() && month.back() == 'L';
    if (leap) month.pop_back();
    const int lunar_month = number_of(month);
    const int lunar_day = number_of(rule_part(component.lunar_rule, "BYMONTHDAY"));
    const std::optional<calendar::LunarDay> first = calendar::lunar_of_solar(*component.start);
    if (lunar_month < 1 || lunar_month > 12 || lunar_day < 1 || lunar_day > 30 || !first) {
        return std::nullopt;
    }
    calendar::Anniversary entry;
    entry.kind = leap ? calendar::DateKind::lunar_leap : calendar::DateKind::lunar;
    entry.date = dashed(first->year, lunar_month, lunar_day);
    entry.yearly = rule_part(component.lunar_rule, "FREQ") == "YEARLY";
    return entry;
}

Mapping anniversary_of(const Incoming& component) {
    if (!component.start) return refused("没有日期");
    if (!component.all_day) return refused("有具体时刻的日程不能作为纪念日");
    const std::string title = calendar::one_line_description(component.summary);
    if (title.empty()) return refused("没有标题");
    std::optional<calendar::Anniversary> entry;
    if (!component.lunar_rule.empty()) {
        entry = lunar_entry(component);
        if (!entry) return refused("农历规则无法识别");
    } else {
        entry = calendar::Anniversary{};
        entry->date = calendar::dashed_date(*component.start);
        entry->yearly = rule_part(component.rule, "FREQ") == "YEARLY";
        if (!component.rule.empty() && !entry->yearly) return refused("只能导入每年重复的日程");
    }
    entry->description = title;
    Mapping mapped{true, {}, {}};
    mapped.item.kind = ItemKind::anniversary;
    mapped.item.entry = std::move(*entry);
    return mapped;
}

}  // namespace

std::string quadrant_of(const Incoming& component) {
    if (component.quadrant.size() == 1 && component.quadrant[0] >= 'A' &&
        component.quadrant[0] <= 'D') {
        return component.quadrant;
    }
    for (const std::string& category : component.categories) {
        for (int i = 0; i < 4; ++i) {
            if (category == quadrant_names[i]) return std::string(1, static_cast<char>('A' + i));
        }
    }
    if (component.priority >= 1 && component.priority <= 9) {
        return std::string(1, static_cast<char>('A' + (component.priority - 1) / 2 -
                                                (component.priority == 9 ? 1 : 0)));
    }
    return "A";
}

Mapping map_incoming(const Incoming& component) {
    switch (component.kind) {
        case ComponentKind::todo: return task_of(component);
        case ComponentKind::journal: return note_of(component);
        case ComponentKind::event: return anniversary_of(component);
    }
    return refused("无法识别");
}

std::vector<std::string> fields_of(const LocalItem& item) {
    switch (item.kind) {
        case ItemKind::task:
            return {calendar::day_key(item.day), item.task.category, item.task.state,
                    item.task.text};
        case ItemKind::note: return {calendar::day_key(item.day), item.note};
        case ItemKind::anniversary:
            return {std::to_string(static_cast<int>(item.entry.kind)), item.entry.date,
                    item.entry.yearly ? "1" : "0", item.entry.description};
    }
    return {};
}

bool same_entry(const calendar::Anniversary& a, const calendar::Anniversary& b) {
    return a.kind == b.kind && a.date == b.date && a.yearly == b.yearly &&
           a.description == b.description;
}

std::optional<LocalItem> item_of(ItemKind kind, const std::vector<std::string>& fields) {
    LocalItem item;
    item.kind = kind;
    const bool dated = kind != ItemKind::anniversary;
    std::optional<calendar::Date> day;
    if (dated && !fields.empty() && fields[0].size() == 8) {
        day = calendar::parse_dashed_date(fields[0].substr(0, 4) + "-" + fields[0].substr(4, 2) +
                                          "-" + fields[0].substr(6, 2));
    }
    switch (kind) {
        case ItemKind::task:
            if (fields.size() != 4 || !day) return std::nullopt;
            item.day = *day;
            item.task = {fields[1], fields[2], fields[3]};
            return item;
        case ItemKind::note:
            if (fields.size() != 2 || !day) return std::nullopt;
            item.day = *day;
            item.note = fields[1];
            return item;
        case ItemKind::anniversary:
            if (fields.size() != 4 || fields[0].size() != 1 || fields[0][0] < '0' ||
                fields[0][0] > '2') {
                return std::nullopt;
            }
            item.entry.kind = static_cast<calendar::DateKind>(fields[0][0] - '0');
            item.entry.date = fields[1];
            item.entry.yearly = fields[2] == "1";
            item.entry.description = fields[3];
            return item;
    }
    return std::nullopt;
}

std::string calendar_text(const LocalItem& item, const std::string& uid, int this_year,
                          const std::string& stamp) {
    calendar::ics::Writer writer(stamp);
    switch (item.kind) {
        case ItemKind::task: {
            calendar::ics::Todo todo = calendar::ics::plan_todo(item.day, item.task);
            todo.uid = uid;
            writer.add(todo);
            break;
        }
        case ItemKind::note: writer.add(calendar::ics::Journal{item.day, item.note, uid}); break;
        case ItemKind::anniversary: {
            std::vector<calendar::ics::AnniversaryEvent> events =
                calendar::ics::anniversary_events({item.entry}, this_year);
            if (events.empty()) return {};
            events[0].uid = uid;
            writer.add(events[0]);
            break;
        }
    }
    return writer.text();
}

}  // namespace velmora::sync
