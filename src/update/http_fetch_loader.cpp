// Loads the module that carries the HTTP client and calls it. Runs on the
// download thread only: loading libcurl with its TLS and directory libraries
// costs milliseconds that the user-interface thread never pays.
#include <dlfcn.h>

#include <atomic>

#include "sys/diagnostic.h"
#include "update/http_fetch.h"

namespace velmora::update {

namespace {

struct FetchModule {
    velmora_fetch_get_fn get = nullptr;
    velmora_fetch_free_fn release = nullptr;
};

// The platform-specific piece, POSIX only: the Windows build carries no
// download yet, and would load "velmora_fetch.dll" with LoadLibrary here.
constexpr const char* module_suffix = ".so";

// The module is never unloaded: a later download finds it loaded, and
// libcurl's TLS library does not take well to being unloaded while the
// process runs.
void* open_library(const std::string& path, std::string& error) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = why ? why : "unknown error";
    }
    return handle;
}

template <typename Function>
Function symbol(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

// One line per run is enough to find the cause in a session log.
void report_once(const std::string& line) {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) sys::diagnostic(line);
}

bool load(const std::string& folder, FetchModule& module) {
    const std::string path = folder + fetch_module_name + module_suffix;
    std::string error;
    void* library = open_library(path, error);
    if (!library) {
        report_once("cannot load the download client " + path + ": " + error);
        return false;
    }
    const auto abi = symbol<velmora_fetch_abi_fn>(library, fetch_abi_symbol);
    module.get = symbol<velmora_fetch_get_fn>(library, fetch_get_symbol);
    module.release = symbol<velmora_fetch_free_fn>(library, fetch_free_symbol);
    if (abi && abi() == fetch_abi_version && module.get && module.release) return true;
    report_once("the download client " + path + " does not fit this program");
    return false;
}

int ask_cancelled(void* context) {
    const auto& cancelled = *static_cast<const std::function<bool()>*>(context);
    return cancelled() ? 1 : 0;
}

}  // namespace

FetchResult http_get_via_module(const std::string& module_folder, const FetchRequest& request) {
    FetchModule module;
    if (!load(module_folder, module)) return {FetchStatus::no_client, {}};
    velmora_fetch_request in{};
    in.url = request.url.c_str();
    in.connect_timeout_ms = static_cast<long>(request.connect_timeout.count());
    in.total_timeout_ms = static_cast<long>(request.total_timeout.count());
    in.max_bytes = request.max_bytes;
    if (request.cancelled) {
        in.cancelled = ask_cancelled;
        in.context = const_cast<std::function<bool()>*>(&request.cancelled);
    }
    char* body = nullptr;
    size_t length = 0;
    const int status = module.get(&in, &body, &length);
    FetchResult result{static_cast<FetchStatus>(status), {}};
    if (body) result.body.assign(body, length);
    module.release(body);
    if (status < 0 || status > static_cast<int>(FetchStatus::no_client)) {
        result.status = FetchStatus::transport_error;
    }
    if (result.status != FetchStatus::ok) result.body.clear();
    return result;
}

}  // namespace velmora::update
