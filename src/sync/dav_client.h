// Speaking WebDAV and CalDAV: one request and its answer as plain values,
// and a server's multistatus answer read into its responses and properties.
// The HTTP client (libcurl) and the XML reader (libxml2) live in the module
// "velmora_dav" beside the programs, loaded when a sync first runs; between
// host and module the request and the answer cross a plain C interface as
// lines of fields (field_lines.h).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

extern "C" {
// `operation` is "send" or "multistatus"; `in` its lines. Answers 0 and the
// lines of the answer in `*out` (released by velmora_dav_free only).
typedef int (*velmora_dav_call_fn)(const char* operation, const char* in, size_t in_length,
                                   char** out, size_t* out_length);
typedef void (*velmora_dav_free_fn)(char* out);
typedef int (*velmora_dav_abi_fn)(void);
}

namespace velmora::sync {

inline constexpr const char* dav_module_name = "velmora_dav";
inline constexpr int dav_abi_version = 1;

struct DavRequest {
    std::string method;
    std::string url;
    std::string user;
    std::string password;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    long connect_timeout_ms = 10000;
    long total_timeout_ms = 60000;
    std::size_t max_bytes = std::size_t{16} << 20;
};

struct DavResponse {
    int status = 0;     // the HTTP status; 0 when no answer came
    std::string error;  // why no answer came, for the user
    std::string body;
    std::string etag;
    std::string location;
    std::string content_type;
    bool ok() const { return status >= 200 && status < 300; }
};

// One property of one response of a multistatus answer, by its namespace
// and name ("DAV:getetag", "urn:ietf:params:xml:ns:caldav:calendar-data").
// An element value is the text of its <href>, or its children's names.
struct DavProperty {
    std::string name;
    std::string value;
    int status = 0;  // its propstat's
};

struct DavItem {
    std::string href;
    int status = 0;  // the response's own status (a removed member: 404)
    std::vector<DavProperty> properties;
    const std::string* property(std::string_view name) const;
};

struct Multistatus {
    std::vector<DavItem> items;
    std::string sync_token;
    std::string refused;  // why the answer could not be read
};

using DavTransport = std::function<DavResponse(const DavRequest&)>;

// Through the module in `module_folder` (ending in a separator).
DavResponse send_via_module(const std::string& module_folder, const DavRequest& request);
Multistatus read_multistatus_via_module(const std::string& module_folder, std::string_view xml);

// The module's own work, linked directly by tests.
DavResponse send_request(const DavRequest& request);
Multistatus read_multistatus(std::string_view xml);

// What the user reads when a request `what` ("上传") got no answer or a
// failing one.
std::string request_failure(const DavResponse& answer, const std::string& what);

// The crossing of the module's interface.
std::string format_request(const DavRequest& request);
DavRequest parse_request(std::string_view lines);
std::string format_response(const DavResponse& response);
DavResponse parse_response(std::string_view lines);
std::string format_multistatus(const Multistatus& answer);
Multistatus parse_multistatus(std::string_view lines);

inline constexpr const char* dav_ns = "DAV:";
inline constexpr const char* caldav_ns = "urn:ietf:params:xml:ns:caldav";

}  // namespace velmora::sync
