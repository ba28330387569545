// The days that hold a record in one of the day-record folders, read from
// the container's listing and grouped by year and month in date order.
#pragma once

#include <map>
#include <set>
#include <string>

namespace velmora::store {

// year -> month -> days, all as the digits of the record's key.
using RecordDays = std::map<std::string, std::map<std::string, std::set<std::string>>>;

// `folder` is "plumora_plan" or "plumora_note".
RecordDays stored_record_days(const std::string& folder);

}  // namespace velmora::store
