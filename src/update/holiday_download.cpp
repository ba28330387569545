#include "update/holiday_download.h"

#include "calendar/holiday_renewal.h"
#include "sys/diagnostic.h"

namespace velmora::update {

namespace {

using calendar::HolidaySource;
using calendar::HolidayTable;
using calendar::MergeReport;
using calendar::SourceOrigin;

bool is_web_address(const std::string& url) {
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

// One merge into the renewed copy, its lines and any failure on stderr.
void store(const HolidayDownload& plan,
           const std::function<MergeReport(HolidayTable& renewed)>& merge) {
    std::string error;
    calendar::renew_holiday_file(
        plan.renewed_path,
        [&](HolidayTable& renewed) {
            for (const std::string& line : merge(renewed).lines) sys::diagnostic("休/班: " + line);
            calendar::mark_checked(renewed, plan.today);
        },
        &error);
    if (!error.empty()) {
        sys::diagnostic("休/班: " + error);
    } else if (plan.stored) {
        plan.stored();
    }
}

bool receive_published(const HolidayDownload& plan, int year, const std::string& url,
                       const FetchResult& answer) {
    if (answer.status == FetchStatus::cancelled) return true;
    const SourceOrigin from{HolidaySource::published, url, plan.today};
    store(plan, [&](HolidayTable& renewed) {
        if (answer.status != FetchStatus::ok) {
            return calendar::merge_failure(renewed, plan.shipped, year, from,
                                           fetch_failure_text(answer.status));
        }
        const auto reading = calendar::read_published_json(answer.body, year, from);
        if (!reading.error.empty()) {
            return calendar::merge_failure(renewed, plan.shipped, year, from, reading.error);
        }
        return calendar::merge_reading(renewed, plan.shipped, reading, from);
    });
    return true;
}

}  // namespace

std::string holiday_url_setting(const ini::IniDocument& settings) {
    std::string url;
    if (!settings.lookup("holiday", "url", url) || url.empty())
        return calendar::default_holiday_url;
    return url;
}

std::string fetch_failure_text(FetchStatus status) {
    switch (status) {
        case FetchStatus::ok: return {};
        case FetchStatus::transport_error: return "无法连接服务器，或传输中断";
        case FetchStatus::http_error: return "服务器没有给出这份文件（HTTP 错误）";
        case FetchStatus::too_large: return "回答超过 256 KB，不是放假安排";
        case FetchStatus::cancelled: return "下载已取消";
        case FetchStatus::no_client: return "缺少下载模块 velmora_fetch";
    }
    return {};
}

void add_published_holidays(DownloadJob& job, const std::shared_ptr<const HolidayDownload>& plan) {
    for (const int year : plan->years) {
        const std::string url = calendar::holiday_url_for(plan->url_template, year);
        if (url.empty() || !is_web_address(url)) {
            sys::diagnostic("休/班: [holiday] url \"" + plan->url_template +
                            "\" is no http or https address with {year} in it; not fetched");
            return;
        }
        ExtraDownload file{url, {}, {}, calendar::published_file_limit, nullptr, {}};
        file.receive = [plan, year, url](const FetchResult& answer) {
            return receive_published(*plan, year, url, answer);
        };
        job.extra_files.push_back(std::move(file));
    }
}

void add_vendor_holidays(DownloadJob& job, const std::shared_ptr<const HolidayDownload>& plan) {
    add_extra_download(
        job, calendar::holiday_file_name, calendar::holiday_file_limit,
        [plan](const FetchResult& answer) {
            if (answer.status != FetchStatus::ok) return false;
            const SourceOrigin from{HolidaySource::vendor, "vendor:zenqholiday.txt", plan->today};
            const auto reading = calendar::read_line_file(answer.body, from);
            if (!reading.error.empty()) {
                sys::diagnostic("休/班: the vendor's zenqholiday.txt is not used: " +
                                reading.error);
                return false;
            }
            store(*plan, [&](HolidayTable& renewed) {
                return calendar::merge_reading(renewed, plan->shipped, reading, from);
            });
            return true;
        });
}

}  // namespace velmora::update
