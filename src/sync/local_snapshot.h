// Everything the sync exchanges, read from the open container at once: the
// tasks and notes of every day and the anniversary list; what a run changes
// is written back day by day in the run's transaction.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "calendar/datehint.h"
#include "store/day_records.h"
#include "store/fx_error.h"
#include "sync/ics_mapping.h"

namespace velmora::sync {

class LocalSnapshot {
public:
    store::FxError read(const std::string& work_folder);
    store::FxError write(const std::string& work_folder) const;

    // Every item, tasks first (by day, in list order), then notes, then
    // anniversaries.
    std::vector<LocalItem> items() const;
    void add(const LocalItem& item);
    // Removes the item equal to this one; false when there is none.
    bool remove(const LocalItem& item);
    // The item equal to `before` takes the place and value of `after` (a
    // task on another day moves there).
    bool replace(const LocalItem& before, const LocalItem& after);

private:
    std::map<std::string, std::vector<store::PlanTask>> tasks_;
    std::map<std::string, std::string> notes_;
    calendar::AnniversaryRecord anniversaries_;
    std::set<std::string> changed_tasks_;
    std::set<std::string> changed_notes_;
    bool changed_anniversaries_ = false;
};

bool same_item(const LocalItem& a, const LocalItem& b);

}  // namespace velmora::sync
