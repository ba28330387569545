#include "calendar/holiday_keeper.h"

#include "calendar/holiday_renewal.h"
#include "sys/atomicfile.h"
#include "sys/diagnostic.h"

namespace velmora::calendar {

namespace {

std::string read_failure_text(sys::ReadFailure failure) {
    switch (failure) {
        case sys::ReadFailure::missing: return "文件不存在";
        case sys::ReadFailure::not_regular: return "不是普通文件";
        case sys::ReadFailure::too_large: return "文件超过 256 KB，不是放假安排";
        case sys::ReadFailure::io_error:
        case sys::ReadFailure::none: break;
    }
    return "文件无法读取";
}

std::string file_name_of(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void HolidayKeeper::load(const std::string& shipped_path, const std::string& renewed_path) {
    shipped_ = HolidayTable::load(shipped_path, HolidaySource::shipped);
    renewed_path_ = renewed_path;
    reload_renewed();
}

void HolidayKeeper::reload_renewed() {
    renewed_ = HolidayTable::load(renewed_path_, HolidaySource::imported);
    in_force_ = HolidayTable::combine(shipped_, renewed_);
}

bool HolidayKeeper::fetch_due(const std::string& today) const {
    return renewed_.last_check() != today;
}

HolidayKeeper::Imported HolidayKeeper::import_file(const std::string& path,
                                                   const std::string& today) {
    const std::string name = file_name_of(path);
    sys::ReadFailure failure = sys::ReadFailure::none;
    const auto body = sys::read_file(path, published_file_limit, &failure);
    if (!body) return {false, "未导入“" + name + "”：" + read_failure_text(failure) + "。"};
    const SourceOrigin from{HolidaySource::imported, path, today};
    const SourceReading reading = read_holiday_source(*body, from);
    if (!reading.error.empty()) return {false, "未导入“" + name + "”：" + reading.error + "。"};
    MergeReport report;
    std::string error;
    const bool stored = renew_holiday_file(
        renewed_path_,
        [&](HolidayTable& renewed) { report = merge_reading(renewed, shipped_, reading, from); },
        &error);
    if (!stored) return {false, "放假安排未保存：" + error + "。"};
    reload_renewed();
    std::string message =
        report.changed ? "已导入“" + name + "”：" : "“" + name + "”没有带来变化：";
    for (const std::string& line : report.lines) message += "\n" + line;
    for (const std::string& line : report.lines) sys::diagnostic("休/班: " + line);
    return {report.changed, message};
}

}  // namespace velmora::calendar
