#include "update/autoupdate.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "sys/atomicfile.h"
#include "sys/inifile.h"
#include "sys/program_layout.h"
#include "sys/sysutil.h"
#include "update/http_fetch.h"

namespace velmora::update {

// Everything the worker touches. The owner and the worker each hold it, so
// it lives as long as the longer of the two.
struct TautoupdateThread::Shared {
    explicit Shared(DownloadJob download) : job(std::move(download)) {}

    const DownloadJob job;
    std::atomic<bool> cancelled{false};
    // Held while the worker writes and while the owner asks it to stop, so
    // once the owner is gone no write can begin.
    std::mutex mutex;
    std::condition_variable finished_signal;
    bool finished = false;
};

namespace {

using Shared = TautoupdateThread::Shared;

std::atomic<int> running_downloads{0};

std::string module_folder_of(const DownloadJob& job) {
    return job.module_folder.empty() ? sys::program_layout().lib_dir : job.module_folder;
}

bool store(Shared& shared, const std::string& target, const std::string& body) {
    const std::lock_guard lock(shared.mutex);
    if (shared.cancelled) return false;
    return sys::write_file_atomic(target, body);
}

// Hands the answer over while the owner cannot ask the worker to stop.
bool hand_over(Shared& shared, const ExtraDownload& file, const FetchResult& answer) {
    const std::lock_guard lock(shared.mutex);
    if (shared.cancelled) return true;
    return file.receive(answer);
}

// One GET and, when the body is what the file must hold, one write.
bool attempt(Shared& shared, const std::string& url, const ExtraDownload& file,
             const std::string& module_folder) {
    if (url.empty()) return false;
    FetchRequest request;
    request.url = url;
    request.connect_timeout = shared.job.connect_timeout;
    request.total_timeout = shared.job.total_timeout;
    request.max_bytes = file.max_bytes;
    request.cancelled = [&shared] { return shared.cancelled.load(); };
    const FetchResult result = http_get_via_module(module_folder, request);
    if (file.receive) return hand_over(shared, file, result);
    return result.status == FetchStatus::ok && file.accepts(result.body) &&
           store(shared, file.target_path, result.body);
}

void fetch(Shared& shared, const ExtraDownload& file, const std::string& module_folder) {
    if (shared.cancelled || (!file.accepts && !file.receive)) return;
    if (!attempt(shared, file.primary_url, file, module_folder) && !shared.cancelled) {
        attempt(shared, file.fallback_url, file, module_folder);
    }
}

// The remote settings come first: they are what every start depends on.
ExtraDownload settings_file(const DownloadJob& job) {
    return {job.primary_url,       job.fallback_url,   job.target_path,
            remote_settings_limit, is_remote_settings, {}};
}

// The folder part of an address, up to and including its last "/".
std::string folder_of(const std::string& url) {
    const std::size_t slash = url.rfind('/');
    return slash == std::string::npos ? std::string() : url.substr(0, slash + 1);
}

void mark_finished(Shared& shared) {
    {
        const std::lock_guard lock(shared.mutex);
        shared.finished = true;
    }
    shared.finished_signal.notify_all();
}

void work(const std::shared_ptr<Shared>& shared) {
    try {
        const std::string folder = module_folder_of(shared->job);
        fetch(*shared, settings_file(shared->job), folder);
        for (const ExtraDownload& file : shared->job.extra_files) fetch(*shared, file, folder);
    } catch (...) {
        // Out of memory or the like: this run goes without a fresh copy,
        // exactly as when the server is unreachable.
    }
    running_downloads.fetch_sub(1);
    mark_finished(*shared);
}

}  // namespace

DownloadJob make_download_job(const std::string& download_base, const std::string& vendor_site,
                              const std::string& program_dir) {
    std::string base = download_base;
    if (base.empty() || base.back() != '/') base += '/';
    std::string site = vendor_site;
    while (!site.empty() && site.back() == '/') site.pop_back();
    DownloadJob job;
    job.primary_url = base + remote_file_name;
    job.fallback_url = site + "/download/" + remote_file_name;
    job.target_path = program_dir + stored_file_name;
    return job;
}

void add_extra_download(DownloadJob& job, const std::string& remote_name,
                        const std::string& target_path, std::size_t max_bytes,
                        bool (*accepts)(std::string_view body)) {
    job.extra_files.push_back({folder_of(job.primary_url) + remote_name,
                               folder_of(job.fallback_url) + remote_name,
                               target_path,
                               max_bytes,
                               accepts,
                               {}});
}

void add_extra_download(DownloadJob& job, const std::string& remote_name, std::size_t max_bytes,
                        std::function<bool(const FetchResult& answer)> receive) {
    ExtraDownload file{folder_of(job.primary_url) + remote_name,
                       folder_of(job.fallback_url) + remote_name,
                       {},
                       max_bytes,
                       nullptr,
                       {}};
    file.receive = std::move(receive);
    job.extra_files.push_back(std::move(file));
}

bool is_remote_settings(std::string_view body) {
    if (body.size() > remote_settings_limit) return false;
    const auto document = ini::IniDocument::from_bytes(std::string(body));
    return document.has_section("interface") || document.has_section("ad");
}

TautoupdateThread::TautoupdateThread(DownloadJob job)
    : shared_(std::make_shared<Shared>(std::move(job))) {}

TautoupdateThread::~TautoupdateThread() {
    // Waits at most for a write under way, a few milliseconds; a transfer
    // sees the flag at its next progress check and ends without writing.
    const std::lock_guard lock(shared_->mutex);
    shared_->cancelled = true;
}

void TautoupdateThread::start() {
    if (started_) return;
    started_ = true;
    // Counted before the thread exists, so no window of time shows a worker
    // inside the client while nothing is counted.
    running_downloads.fetch_add(1);
    try {
        std::thread(work, shared_).detach();
    } catch (const std::system_error&) {
        running_downloads.fetch_sub(1);
        mark_finished(*shared_);
    }
}

bool TautoupdateThread::wait_for_finish(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(shared_->mutex);
    return shared_->finished_signal.wait_for(lock, timeout, [this] { return shared_->finished; });
}

bool download_in_progress() {
    return running_downloads.load() > 0;
}

}  // namespace velmora::update
