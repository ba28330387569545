// How a component from outside becomes one of the organiser's own items: a
// VTODO a task of its due day, a VJOURNAL the note of its day, an all-day
// VEVENT an anniversary (yearly with a yearly rule; lunar with a
// Chinese-calendar rule). What does not fit says why.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calendar/DateCn.h"
#include "calendar/datehint.h"
#include "store/day_records.h"
#include "sync/ics_reader.h"
#include "sync/sync_state.h"

namespace velmora::sync {

struct LocalItem {
    ItemKind kind = ItemKind::task;
    calendar::Date day;           // a task's or a note's day
    store::PlanTask task;         // a task
    std::string note;             // a note's text
    calendar::Anniversary entry;  // an anniversary
};

struct Mapping {
    bool fits = false;
    LocalItem item;
    std::string why;  // when it does not fit
};

Mapping map_incoming(const Incoming& component);

// The quadrant letter of a to-do: our own property, else one of the four
// category names, else its priority (1–2 A, 3–4 B, 5–6 C, 7–9 D); "A"
// without any, as a new task in the program.
std::string quadrant_of(const Incoming& component);

// The fields the state keeps of an item, by which it is found again, and
// the item they describe (nothing for fields this build did not write).
std::vector<std::string> fields_of(const LocalItem& item);
std::optional<LocalItem> item_of(ItemKind kind, const std::vector<std::string>& fields);

// The same anniversary: its date, kind, rule and title (the notice days
// and the on/off state are the user's own and never travel).
bool same_entry(const calendar::Anniversary& a, const calendar::Anniversary& b);

// The item as a calendar of one component with this UID; empty for a
// yearly lunar anniversary with no day left in the engine's years.
std::string calendar_text(const LocalItem& item, const std::string& uid, int this_year,
                          const std::string& stamp);

}  // namespace velmora::sync
