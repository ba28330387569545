// The module "velmora_fetch": the HTTP client behind the plain C interface
// of http_fetch.h. No exception and no C++ object crosses that boundary.
#include <cstdlib>
#include <cstring>
#include <new>

#include "update/http_fetch.h"

#ifdef _WIN32
#define VELMORA_FETCH_EXPORT __declspec(dllexport)
#else
#define VELMORA_FETCH_EXPORT __attribute__((visibility("default")))
#endif

using velmora::update::FetchRequest;
using velmora::update::FetchResult;
using velmora::update::FetchStatus;

namespace {

FetchRequest request_from(const velmora_fetch_request& in) {
    FetchRequest request;
    request.url = in.url;
    request.connect_timeout = std::chrono::milliseconds(in.connect_timeout_ms);
    request.total_timeout = std::chrono::milliseconds(in.total_timeout_ms);
    request.max_bytes = in.max_bytes;
    if (in.cancelled) request.cancelled = [&in] { return in.cancelled(in.context) != 0; };
    return request;
}

int hand_over(const FetchResult& result, char** body, size_t* length) {
    if (result.status != FetchStatus::ok) return static_cast<int>(result.status);
    auto* copy = static_cast<char*>(std::malloc(result.body.size() + 1));
    if (!copy) return static_cast<int>(FetchStatus::transport_error);
    std::memcpy(copy, result.body.data(), result.body.size());
    copy[result.body.size()] = '\0';
    *body = copy;
    *length = result.body.size();
    return static_cast<int>(FetchStatus::ok);
}

}  // namespace

extern "C" VELMORA_FETCH_EXPORT int velmora_fetch_abi(void) {
    return velmora::update::fetch_abi_version;
}

extern "C" VELMORA_FETCH_EXPORT int velmora_fetch_get(const velmora_fetch_request* request,
                                                      char** body, size_t* length) {
    if (!body || !length) return static_cast<int>(FetchStatus::transport_error);
    *body = nullptr;
    *length = 0;
    if (!request || !request->url) return static_cast<int>(FetchStatus::transport_error);
    try {
        return hand_over(velmora::update::http_get(request_from(*request)), body, length);
    } catch (...) {
        return static_cast<int>(FetchStatus::transport_error);
    }
}

extern "C" VELMORA_FETCH_EXPORT void velmora_fetch_free(char* body) {
    std::free(body);
}
