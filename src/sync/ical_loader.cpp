// Loads the calendar reader module on first use and hands the text over.
#include <mutex>

#include "sync/ical_module.h"
#include "sys/module_loader.h"

namespace velmora::sync {

namespace {

struct IcalModule {
    velmora_ical_read_fn read = nullptr;
    velmora_ical_free_fn release = nullptr;
    std::string problem;  // why the module cannot be used
};

IcalModule load(const std::string& folder) {
    IcalModule module;
    const std::string path = sys::module_file(folder, ical_module_name);
    std::string error;
    void* library = sys::open_module(path, error);
    if (!library) {
        module.problem = "无法载入日历读取模块 " + path + "（" + error + "）";
        return module;
    }
    const auto abi = sys::module_symbol<velmora_ical_abi_fn>(library, "velmora_ical_abi");
    module.read = sys::module_symbol<velmora_ical_read_fn>(library, "velmora_ical_read");
    module.release = sys::module_symbol<velmora_ical_free_fn>(library, "velmora_ical_free");
    if (!abi || abi() != ical_abi_version || !module.read || !module.release) {
        module.read = nullptr;
        module.problem = "日历读取模块 " + path + " 与本程序的版本不符";
    }
    return module;
}

}  // namespace

CalendarRead read_calendar_via_module(const std::string& module_folder, std::string_view text,
                                      const ReadLimits& limits) {
    static std::mutex loading;
    static IcalModule module;
    {
        const std::lock_guard<std::mutex> held(loading);
        if (!module.read) module = load(module_folder);
    }
    if (!module.read) return {{}, {}, module.problem};
    const velmora_ical_limits bounds{limits.total_bytes, limits.line_bytes, limits.depth,
                                     limits.uid_bytes, limits.components};
    char* out = nullptr;
    std::size_t length = 0;
    const int status = module.read(text.data(), text.size(), &bounds, &out, &length);
    CalendarRead read = status == 0 && out ? parse_read(std::string_view(out, length))
                                           : CalendarRead{{}, {}, "日历读取模块没有回答"};
    module.release(out);
    return read;
}

}  // namespace velmora::sync
