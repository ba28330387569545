#include "cli/cli.h"
#include "cli/cli_export.h"
#include "cli/open_container.h"
#include "sys/atomicfile.h"
#include "sys/program_layout.h"
#include "sys/sysutil.h"

#ifdef VELMORA_HAS_SYNC
#include <cstdlib>
#include <random>

#include "sync/ical_module.h"
#include "sync/ics_import.h"
#include "sync/sync_run.h"
#include "sys/inifile.h"
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

#ifdef VELMORA_HAS_SYNC

std::string staging_of(const sys::StagingFolder& staging) {
    if (staging.error() != 0) {
        throw DataError{"velmora-cli: 无法在 " + sys::system_temp_dir() + " 中建立临时文件夹"};
    }
    return staging.path();
}

// 128 random bits: a UID no other device makes.
std::string random_uid() {
    static std::random_device source;
    static const char hex[] = "0123456789abcdef";
    std::string uid;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t bits = source();
        for (int k = 0; k < 8; ++k) uid += hex[(bits >> (4 * k)) & 15];
    }
    return uid + "@velmora";
}

sync::SyncAccount account_of(const std::string& data_dir) {
    const ini::IniDocument settings =
        ini::IniDocument::load(sys::path_join(data_dir, "zenqset.kxi"));
    sync::SyncAccount account{
        settings.read("sync", "url", ""), settings.read("sync", "user", ""), {}};
    if (account.collection.empty()) {
        throw DataError{"velmora-cli: 没有同步：" + data_dir +
                        "/zenqset.kxi 的 [sync] 中没有日历地址（url）。"};
    }
    const bool local = account.collection.rfind("http://127.0.0.1", 0) == 0 ||
                       account.collection.rfind("http://localhost", 0) == 0 ||
                       account.collection.rfind("http://[::1]", 0) == 0;
    if (account.collection.rfind("https://", 0) != 0 && !local) {
        throw DataError{
            "velmora-cli: 没有同步：日历地址必须以 https:// 开头（本机的服务器可以用 "
            "http://）。"};
    }
    if (account.collection.back() != '/') account.collection += '/';
    const char* password = std::getenv("VELMORA_SYNC_PASSWORD");  // NOLINT(concurrency-mt-unsafe)
    if (password) account.password = password;
    return account;
}

#endif

}  // namespace

std::string sync_data(const std::string& data_dir, const sys::Clock& clock) {
#ifdef VELMORA_HAS_SYNC
    const sync::SyncAccount account = account_of(data_dir);
    OpenContainer container(data_dir);
    const sys::StagingFolder staging;
    const std::string& modules = sys::program_layout().lib_dir;
    sync::SyncLinks links;
    links.send = [&modules](const sync::DavRequest& request) {
        return sync::send_via_module(modules, request);
    };
    links.read_multistatus = [&modules](std::string_view xml) {
        return sync::read_multistatus_via_module(modules, xml);
    };
    links.read_calendar = [&modules](std::string_view text) {
        return sync::read_calendar_via_module(modules, text);
    };
    links.this_year = clock.now().year;
    links.stamp = export_stamp(clock.now());
    links.new_uid = random_uid;
    const sync::SyncOutcome outcome = sync::run_sync(account, staging_of(staging), links);
    if (!outcome.ok) throw DataError{"velmora-cli: " + outcome.message};
    return outcome.message + "\n";
#else
    (void)clock;
    throw DataError{"velmora-cli: 没有同步 " + data_dir + "：这个版本不带日历同步。"};
#endif
}

std::string import_ics(const std::string& data_dir, const std::string& file) {
#ifdef VELMORA_HAS_SYNC
    const std::string text = calendar_file(file);
    OpenContainer container(data_dir);
    const sys::StagingFolder staging;
    const std::string& modules = sys::program_layout().lib_dir;
    const sync::ImportReport report = sync::import_calendar(
        text, staging_of(staging),
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
