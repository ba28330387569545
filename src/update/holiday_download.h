// The holiday arrangement's part of the background download: the published
// per-year files of this year and the next, at most once a day, and the
// vendor's file at every start. Each answer is checked and merged into the
// renewed copy on the worker, with a line on standard error for every year
// it concerns; the shipped file is never written.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calendar/holidays.h"
#include "sys/inifile.h"
#include "update/autoupdate.h"

namespace velmora::update {

struct HolidayDownload {
    std::string url_template;  // with "{year}" in it
    std::vector<int> years;
    std::string renewed_path;
    std::string today;  // yyyy-mm-dd
    // Copied for the worker: the merge never replaces a year it knows.
    calendar::HolidayTable shipped;
    // Called on the worker after each answer was stored, while the owner
    // cannot end the job: the new marks can be shown at once.
    std::function<void()> stored;
};

// The address of the published files, "[holiday] url" of the local
// settings; the project's own files when the file has none.
std::string holiday_url_setting(const ini::IniDocument& settings);

// Why a fetch gave no body, in the user's words.
std::string fetch_failure_text(FetchStatus status);

// The per-year files, fetched from the address of `plan.url_template`. A
// template that is no http or https address with "{year}" in it adds
// nothing and is logged.
void add_published_holidays(DownloadJob& job, const std::shared_ptr<const HolidayDownload>& plan);
// The vendor's file beside the remote settings, merged as the vendor's.
void add_vendor_holidays(DownloadJob& job, const std::shared_ptr<const HolidayDownload>& plan);

}  // namespace velmora::update
