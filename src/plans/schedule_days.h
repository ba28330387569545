// The days that hold a plan record, read from the container's listing and
// grouped by year and month in date order: what the plan manager's tree shows.
#pragma once

#include <map>
#include <set>
#include <string>

namespace velmora::plans {

// year -> month -> days, all as the digits of the record's key.
using PlanDays = std::map<std::string, std::map<std::string, std::set<std::string>>>;

PlanDays stored_plan_days();

}  // namespace velmora::plans
