// Loads the WebDAV module on first use and hands requests over.
#include <mutex>

#include "sync/dav_client.h"
#include "sys/module_loader.h"

namespace velmora::sync {

namespace {

struct DavModule {
    velmora_dav_call_fn call = nullptr;
    velmora_dav_free_fn release = nullptr;
    std::string problem;
};

const DavModule& module_in(const std::string& folder) {
    static std::mutex loading;
    static DavModule module;
    const std::lock_guard<std::mutex> held(loading);
    if (module.call) return module;
    const sys::LoadedModule loaded =
        sys::load_module(sys::module_file(folder, dav_module_name), "velmora_dav_abi",
                         dav_abi_version, {"velmora_dav_call", "velmora_dav_free"}, "同步");
    module.problem = loaded.problem;
    if (!loaded.functions.empty()) {
        module.call = reinterpret_cast<velmora_dav_call_fn>(loaded.functions[0]);
        module.release = reinterpret_cast<velmora_dav_free_fn>(loaded.functions[1]);
    }
    return module;
}

// The module's answer lines; empty with `problem` set when none came.
std::string call(const std::string& folder, const char* operation, const std::string& in,
                 std::string& problem) {
    const DavModule& module = module_in(folder);
    if (!module.call) {
        problem = module.problem;
        return {};
    }
    char* out = nullptr;
    std::size_t length = 0;
    const int status = module.call(operation, in.data(), in.size(), &out, &length);
    std::string lines = status == 0 && out ? std::string(out, length) : std::string();
    module.release(out);
    if (lines.empty()) problem = "同步模块没有回答";
    return lines;
}

}  // namespace

DavResponse send_via_module(const std::string& module_folder, const DavRequest& request) {
    std::string problem;
    const std::string lines = call(module_folder, "send", format_request(request), problem);
    if (lines.empty()) return {0, problem, {}, {}, {}, {}};
    return parse_response(lines);
}

Multistatus read_multistatus_via_module(const std::string& module_folder, std::string_view xml) {
    std::string problem;
    const std::string lines = call(module_folder, "multistatus", std::string(xml), problem);
    if (lines.empty()) return {{}, {}, problem};
    return parse_multistatus(lines);
}

}  // namespace velmora::sync
