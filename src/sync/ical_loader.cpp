// Loads the calendar reader module on first use and hands the text over.
#include <mutex>

#include "sync/ical_module.h"
#include "sys/module_loader.h"

namespace velmora::sync {

namespace {

struct IcalModule {
    velmora_ical_read_fn read = nullptr;
    velmora_ical_free_fn release = nullptr;
    std::string problem;
};

IcalModule load(const std::string& folder) {
    const sys::LoadedModule loaded =
        sys::load_module(sys::module_file(folder, ical_module_name), "velmora_ical_abi",
                         ical_abi_version, {"velmora_ical_read", "velmora_ical_free"}, "日历读取");
    if (loaded.functions.empty()) return {nullptr, nullptr, loaded.problem};
    return {reinterpret_cast<velmora_ical_read_fn>(loaded.functions[0]),
            reinterpret_cast<velmora_ical_free_fn>(loaded.functions[1]),
            {}};
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
