// A day's plans put straight into the store: one task, given as the plan
// dialog's string ("category digit, state digit, text").
#pragma once

#include <string>

#include "plans/plan_list.h"
#include "store/day_store.h"

namespace velmora::testing {

inline void store_one_task(store::DayStore& days, const std::string& key, const std::string& plan) {
    store::PlanGrid grid;
    plans::add_task(grid, plan);
    days.savedata2fx_schedule2(grid, key);
}

}  // namespace velmora::testing
