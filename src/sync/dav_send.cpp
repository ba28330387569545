// One WebDAV request on libcurl. Built into the module "velmora_dav" and
// nowhere else in the programs (see dav_client.h). Redirects are not
// followed here: the sync follows one only to the same server.
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>

#include "sync/dav_client.h"

namespace velmora::sync {

namespace {

struct Transfer {
    const DavRequest* request = nullptr;
    DavResponse response;
    bool too_large = false;
};

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (bytes > transfer.request->max_bytes - transfer.response.body.size()) {
        transfer.too_large = true;
        return 0;
    }
    transfer.response.body.append(data, bytes);
    return bytes;
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return std::string(text);
}

// The answer's headers the sync reads; a later answer (after a 100
// Continue) replaces an earlier one's.
std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
    auto& response = static_cast<Transfer*>(user)->response;
    const std::string_view line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return size * count;
    const std::string name = lower(line.substr(0, colon));
    const std::string value = trimmed(line.substr(colon + 1));
    if (name == "etag") response.etag = value.substr(0, 1024);
    if (name == "location") response.location = value.substr(0, 8192);
    if (name == "content-type") response.content_type = value.substr(0, 256);
    return size * count;
}

struct Headers {
    curl_slist* list = nullptr;
    ~Headers() { curl_slist_free_all(list); }
};

void configure(CURL* curl, Transfer& transfer, Headers& headers) {
    const DavRequest& request = *transfer.request;
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    if (request.method == "HEAD") curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (!request.body.empty() || request.method == "PUT") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
    }
    if (!request.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC | CURLAUTH_DIGEST);
        curl_easy_setopt(curl, CURLOPT_USERNAME, request.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, request.password.c_str());
    }
    // No "Expect: 100-continue": some servers stall on it.
    headers.list = curl_slist_append(headers.list, "Expect:");
    for (const auto& [name, value] : request.headers) {
        std::string line = name;
        line.append(": ").append(value);
        headers.list = curl_slist_append(headers.list, line.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.connect_timeout_ms);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.total_timeout_ms);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, on_body);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, on_header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
}

std::string megabytes(std::size_t bytes) {
    return std::to_string(bytes >> 20) + " MB";
}

// What the user reads when no answer came; curl's own words only as a detail.
std::string failure_text(CURLcode code, const char* detail, const Transfer& transfer) {
    if (transfer.too_large) {
        return "服务器的回答超过 " + megabytes(transfer.request->max_bytes) + "，没有读完";
    }
    const std::string why = detail && *detail ? detail : curl_easy_strerror(code);
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST: return "找不到服务器（" + why + "）";
        case CURLE_COULDNT_CONNECT: return "无法连接服务器（" + why + "）";
        case CURLE_OPERATION_TIMEDOUT: return "服务器没有及时回答（" + why + "）";
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE: return "服务器的证书无法验证，没有连接（" + why + "）";
        case CURLE_SSL_CONNECT_ERROR: return "无法与服务器建立加密连接（" + why + "）";
        case CURLE_UNSUPPORTED_PROTOCOL: return "服务器地址只能以 https:// 或 http:// 开头";
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_PARTIAL_FILE: return "与服务器的连接中断了（" + why + "）";
        default: return "网络出错（" + why + "）";
    }
}

}  // namespace

DavResponse send_request(const DavRequest& request) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    const std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) return {0, "网络出错（无法初始化）", {}, {}, {}, {}};
    Transfer transfer;
    transfer.request = &request;
    Headers headers;
    configure(curl.get(), transfer, headers);
    char detail[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, detail);
    const CURLcode code = curl_easy_perform(curl.get());
    if (code != CURLE_OK || transfer.too_large) {
        return {0, failure_text(code, detail, transfer), {}, {}, {}, {}};
    }
    long status = 0;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    transfer.response.status = static_cast<int>(status);
    return std::move(transfer.response);
}

}  // namespace velmora::sync
