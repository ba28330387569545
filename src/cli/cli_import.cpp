#include "cli/cli.h"
#include "cli/cli_export.h"
#include "cli/open_container.h"
#include "sys/atomicfile.h"
#include "sys/program_layout.h"
#include "sys/sysutil.h"

#ifdef VELMORA_HAS_SYNC
#include "sync/ical_module.h"
#include "sync/ics_import.h"
#endif

namespace velmora::cli {

namespace {

// The most an .ics file may hold: as much as the reader takes.
constexpr std::size_t calendar_file_limit = 16u << 20;

std::string calendar_file(const std::string& file) {
    sys::ReadFailure failure = sys::ReadFailure::none;
    std::optional<std::string> text = sys::read_file(file, calendar_file_limit, &failure);
    if (text) return std::move(*text);
    const char* why = failure == sys::ReadFailure::missing       ? "文件不存在"
                      : failure == sys::ReadFailure::not_regular ? "它不是普通文件"
                      : failure == sys::ReadFailure::too_large   ? "文件超过 16 MB"
                                                                 : "文件无法读取";
    throw DataError{"velmora-cli: 没有导入 " + file + "：" + why + "。"};
}

}  // namespace

std::string import_ics(const std::string& data_dir, const std::string& file) {
#ifdef VELMORA_HAS_SYNC
    const std::string text = calendar_file(file);
    OpenContainer container(data_dir);
    const sys::StagingFolder staging;
    if (staging.error() != 0) {
        throw DataError{"velmora-cli: 无法在 " + sys::system_temp_dir() + " 中建立临时文件夹"};
    }
    const std::string& modules = sys::program_layout().lib_dir;
    const sync::ImportReport report = sync::import_calendar(
        text, staging.path(),
        [&modules](std::string_view in) { return sync::read_calendar_via_module(modules, in); });
    if (!report.refused.empty()) throw DataError{"velmora-cli: " + report.refused};
    return sync::report_text(report);
#else
    (void)data_dir;
    (void)calendar_file;
    throw DataError{"velmora-cli: 没有导入 " + file + "：这个版本不带 iCalendar 读取库。"};
#endif
}

}  // namespace velmora::cli
