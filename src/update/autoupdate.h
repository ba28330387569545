// The background download of the remote settings "zenqrset.kxi": at every
// start one worker fetches a fresh copy from the vendor and puts it in
// place of the old one. It reports nothing back; the copy takes effect at
// the next start. Plain C++; the HTTP client is loaded from a module on the
// worker (http_fetch.h), so the program itself never links it.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "update/http_fetch.h"

namespace velmora::update {

// The name on the server (the body is the settings file as it is, nothing
// to unpack) and the name it is stored under beside the program.
inline constexpr const char* remote_file_name = "zenqrset.rar";
inline constexpr const char* stored_file_name = "zenqrset.kxi";
// The remote settings are a few lines; a larger body is something else.
inline constexpr std::size_t remote_settings_limit = std::size_t{1} << 20;

// One more file fetched beside the remote settings, from the same base and
// the same fallback folder, stored beside the program only when `accepts`
// takes the body: a damaged copy leaves the old file in place.
struct ExtraDownload {
    std::string primary_url;
    std::string fallback_url;  // empty: none
    std::string target_path;
    std::size_t max_bytes = 0;
    bool (*accepts)(std::string_view body) = nullptr;
    // Instead of `accepts` and the write: takes every answer, a failed one
    // too, and says whether it is done with it (false tries the fallback).
    // Called on the worker, never once the owner asked it to stop.
    std::function<bool(const FetchResult& answer)> receive;
};

struct DownloadJob {
    std::string primary_url;   // the download base + "zenqrset.rar"
    std::string fallback_url;  // the vendor's site + "/download/zenqrset.rar"
    std::string target_path;   // the program folder + "zenqrset.kxi"
    // Where the module "velmora_fetch" is; empty: the program's own folder.
    std::string module_folder;
    std::chrono::milliseconds connect_timeout{10000};
    std::chrono::milliseconds total_timeout{60000};
    // Fetched one after the other once the remote settings are done, each
    // with its own fallback; a failure of one does not stop the next.
    std::vector<ExtraDownload> extra_files;
};

// Both addresses and the target. `download_base` ends in "/download/" by
// convention (a missing final "/" is added); a final "/" of `vendor_site`
// is not doubled. `program_dir` ends in a separator.
DownloadJob make_download_job(const std::string& download_base, const std::string& vendor_site,
                              const std::string& program_dir);

// Adds `remote_name` to the job: fetched from the folders of the remote
// settings' two addresses and stored as `target_path`.
void add_extra_download(DownloadJob& job, const std::string& remote_name,
                        const std::string& target_path, std::size_t max_bytes,
                        bool (*accepts)(std::string_view body));

// Adds `remote_name` from the same two folders, each answer handed to
// `receive` (see ExtraDownload::receive).
void add_extra_download(DownloadJob& job, const std::string& remote_name, std::size_t max_bytes,
                        std::function<bool(const FetchResult& answer)> receive);

// True when `body` may replace the stored remote settings: at most
// remote_settings_limit bytes and at least one of their sections
// ("interface", "ad"). An error page answered with status 200 has neither.
bool is_remote_settings(std::string_view body);

// One download attempt sequence on a worker thread of its own: the primary
// address, and when its fetch or its write fails, the fallback once; a
// second failure is ignored. The extra files follow in the same way. The file is replaced in one
// rename, so a reader sees the old or the new file, never a part.
//
// The program never waits for the worker. Destroying the object asks the
// worker to stop: from then on it writes nothing, and its transfer ends at
// the client's next progress check. The worker keeps its state in a block
// of its own, so it may outlive this object safely.
class TautoupdateThread {
public:
    // The job is copied here: the worker never reads a shared value.
    explicit TautoupdateThread(DownloadJob job);
    ~TautoupdateThread();
    TautoupdateThread(const TautoupdateThread&) = delete;
    TautoupdateThread& operator=(const TautoupdateThread&) = delete;

    // Starts the worker and returns at once; only the first call counts.
    // When the system refuses a thread, there is no download this run.
    void start();

    // For tests: waits until the worker has ended (true) or `timeout` has
    // passed (false). The program itself never waits.
    bool wait_for_finish(std::chrono::milliseconds timeout) const;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    bool started_ = false;
};

// True while any worker has not yet ended. The process's exit runs the
// libraries' exit handlers (TLS among them), which must not run under a
// transfer in progress: main() ends with std::_Exit while this is true.
bool download_in_progress();

}  // namespace velmora::update
