// The HTTP client on libcurl. Built into the module "velmora_fetch" and
// nowhere else in the program (see http_fetch.h).
#include "update/http_fetch.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace velmora::update {

namespace {

struct Transfer {
    const FetchRequest* request = nullptr;
    std::string body;
    bool too_large = false;
    bool cancelled = false;
};

bool asked_to_stop(Transfer& transfer) {
    const auto& cancelled = transfer.request->cancelled;
    if (cancelled && cancelled()) transfer.cancelled = true;
    return transfer.cancelled;
}

// Keeps at most max_bytes: one byte more ends the transfer, whatever the
// server announced (a missing or false Content-Length included).
std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (asked_to_stop(transfer)) return 0;
    if (bytes > transfer.request->max_bytes - transfer.body.size()) {
        transfer.too_large = true;
        return 0;  // anything short of `bytes` aborts the transfer
    }
    transfer.body.append(data, bytes);
    return bytes;
}

// Called about once a second at least, also while waiting for a connection
// or an answer, so an owner that goes away stops a stalled transfer soon.
int on_progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return asked_to_stop(*static_cast<Transfer*>(user)) ? 1 : 0;
}

void configure(CURL* curl, Transfer& transfer) {
    const FetchRequest& request = *transfer.request;
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    // Signals are process-wide; a worker thread must never raise one.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(request.connect_timeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.total_timeout.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.max_bytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, on_body);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, on_progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
}

FetchStatus status_of(CURLcode code, CURL* curl, const Transfer& transfer) {
    if (transfer.cancelled) return FetchStatus::cancelled;
    if (transfer.too_large || code == CURLE_FILESIZE_EXCEEDED) return FetchStatus::too_large;
    if (code == CURLE_HTTP_RETURNED_ERROR) return FetchStatus::http_error;
    if (code != CURLE_OK) return FetchStatus::transport_error;
    long answer = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer);
    // A redirect left unfollowed or an informational answer is no body.
    return answer >= 200 && answer < 300 ? FetchStatus::ok : FetchStatus::http_error;
}

}  // namespace

FetchResult http_get(const FetchRequest& request) {
    // Thread-safe from libcurl 7.84 on; the call is made once all the same.
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return {FetchStatus::transport_error, {}};
    Transfer transfer;
    transfer.request = &request;
    configure(curl.get(), transfer);
    const CURLcode code = curl_easy_perform(curl.get());
    FetchResult result{status_of(code, curl.get(), transfer), {}};
    if (result.status == FetchStatus::ok) result.body = std::move(transfer.body);
    return result;
}

}  // namespace velmora::update
