// Loads the module that carries the HTTP client and calls it. Runs on the
// download thread only: loading libcurl with its TLS and directory libraries
// costs milliseconds that the user-interface thread never pays.
#include <atomic>

#include "sys/diagnostic.h"
#include "sys/module_loader.h"
#include "update/http_fetch.h"

namespace velmora::update {

namespace {

struct FetchModule {
    velmora_fetch_get_fn get = nullptr;
    velmora_fetch_free_fn release = nullptr;
};

// One line per run is enough to find the cause in a session log.
void report_once(const std::string& line) {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) sys::diagnostic(line);
}

bool load(const std::string& folder, FetchModule& module) {
    const std::string path = sys::module_file(folder, fetch_module_name);
    std::string error;
    void* library = sys::open_module(path, error);
    if (!library) {
        report_once("cannot load the download client " + path + ": " + error);
        return false;
    }
    const auto abi = sys::module_symbol<velmora_fetch_abi_fn>(library, fetch_abi_symbol);
    module.get = sys::module_symbol<velmora_fetch_get_fn>(library, fetch_get_symbol);
    module.release = sys::module_symbol<velmora_fetch_free_fn>(library, fetch_free_symbol);
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
