#include "calendar/ics_items.h"

#include <algorithm>
#include <optional>

namespace velmora::calendar::ics {

Todo plan_todo(Date day, const store::PlanTask& task) {
    static constexpr const char* categories[] = {"重要，急", "重要，不急", "不重要，急",
                                                 "不重要，不急"};
    static constexpr int priorities[] = {1, 3, 5, 9};
    Todo todo{day, task.text, task.state == store::state_done, {}, 0, {}, {}};
    if (task.category.size() == 1 && task.category[0] >= 'A' && task.category[0] <= 'D') {
        const auto at = static_cast<std::size_t>(task.category[0] - 'A');
        todo.category = categories[at];
        todo.priority = priorities[at];
        todo.quadrant = task.category;
    }
    return todo;
}

namespace {

std::optional<AnniversaryEvent> gregorian_event(const Anniversary& entry) {
    const std::optional<Date> date = parse_dashed_date(entry.date);
    if (!date) return std::nullopt;
    AnniversaryEvent event;
    event.title = entry.description;
    event.date = *date;
    event.yearly = entry.yearly;
    return event;
}

// A lunar anniversary as the Gregorian days it falls on, with its lunar
// month and day for the Chinese-calendar rule. Other programs cannot work
// the days out, the lunar calendar being ours to know, so a yearly one
// lists every day the engine knows from this year on: the days that are
// gone matter least to a calendar, the ones to come most.
std::optional<AnniversaryEvent> lunar_event(const Anniversary& entry, int this_year) {
    const bool leap = entry.kind == DateKind::lunar_leap;
    const std::optional<LunarDay> lunar = parse_lunar_date(entry.date, leap);
    if (!lunar) return std::nullopt;
    // Its own day: in its lunar year, which may end in the next Gregorian one.
    const std::vector<Occurrence> first = occurrences(entry, lunar->year, lunar->year + 1);
    if (first.empty()) return std::nullopt;
    const int own_year = first.front().date.year;
    const int from = entry.yearly ? std::max(own_year, this_year) : own_year;
    const int to = entry.yearly ? last_lunar_year : own_year;
    AnniversaryEvent event;
    event.title = entry.description;
    event.yearly = entry.yearly;
    event.lunar = true;
    event.lunar_year = lunar->year;
    event.lunar_month = lunar->month;
    event.leap_month = lunar->leap;
    event.lunar_day = lunar->day;
    for (const Occurrence& day : occurrences(entry, from, to)) {
        event.dates.push_back(day.date);
    }
    if (event.dates.empty()) return std::nullopt;
    event.date = event.dates.front();
    return event;
}

}  // namespace

std::vector<AnniversaryEvent> anniversary_events(const std::vector<Anniversary>& entries,
                                                 int this_year) {
    std::vector<AnniversaryEvent> events;
    for (const Anniversary& entry : entries) {
        std::optional<AnniversaryEvent> event = entry.kind == DateKind::gregorian
                                                    ? gregorian_event(entry)
                                                    : lunar_event(entry, this_year);
        if (event) events.push_back(std::move(*event));
    }
    return events;
}

}  // namespace velmora::calendar::ics
