// One HTTP GET into memory. The client is libcurl, which drags TLS,
// Kerberos, LDAP and more into any process that links it; the program keeps
// it in the module "velmora_fetch" beside itself and loads that only on the
// download thread, so no start pays for those libraries. Between program and
// module there is a plain C interface, the same for every compiler.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

extern "C" {

struct velmora_fetch_request {
    const char* url;
    long connect_timeout_ms;
    long total_timeout_ms;
    size_t max_bytes;  // a body larger than this ends the transfer
    // Asked while the transfer runs; non-zero stops it. May be null.
    int (*cancelled)(void* context);
    void* context;
};

// Answers one of the fetch status numbers below; on success `*body` holds
// `*length` bytes (plus a terminating zero) that only velmora_fetch_free
// may release, on failure `*body` is null.
typedef int (*velmora_fetch_get_fn)(const struct velmora_fetch_request* request, char** body,
                                    size_t* length);
typedef void (*velmora_fetch_free_fn)(char* body);
// Bumped whenever the structure above changes, so an old module beside a
// new program is refused instead of misread.
typedef int (*velmora_fetch_abi_fn)(void);
}

namespace velmora::update {

inline constexpr const char* fetch_module_name = "velmora_fetch";
inline constexpr const char* fetch_get_symbol = "velmora_fetch_get";
inline constexpr const char* fetch_free_symbol = "velmora_fetch_free";
inline constexpr const char* fetch_abi_symbol = "velmora_fetch_abi";
inline constexpr int fetch_abi_version = 1;

enum class FetchStatus : int {
    ok = 0,
    transport_error = 1,  // no connection, a time-out, a body cut off
    http_error = 2,       // any final answer outside 200–299
    too_large = 3,
    cancelled = 4,
    no_client = 5,  // the module is missing or does not fit
};

struct FetchRequest {
    std::string url;
    std::chrono::milliseconds connect_timeout{10000};
    std::chrono::milliseconds total_timeout{60000};
    std::size_t max_bytes = std::size_t{1} << 20;
    std::function<bool()> cancelled;  // may be empty
};

struct FetchResult {
    FetchStatus status = FetchStatus::no_client;
    std::string body;  // the whole body, only when status is ok
};

// The client itself, run on the calling thread. Follows a few redirects,
// over http and https only. Lives in the module; tests link it directly.
FetchResult http_get(const FetchRequest& request);

// The same through the module "velmora_fetch" in `module_folder` (a folder
// path ending in a separator), loaded on first use and kept for the run. A
// module that is missing or does not fit answers no_client.
FetchResult http_get_via_module(const std::string& module_folder, const FetchRequest& request);

}  // namespace velmora::update
