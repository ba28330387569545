// The module "velmora_ical": libical's reading behind the plain C interface
// of ical_module.h. No exception and no C++ object crosses that boundary.
#include <cstdlib>
#include <cstring>

#include "sync/field_lines.h"
#include "sync/ical_module.h"

#define VELMORA_ICAL_EXPORT __attribute__((visibility("default")))

extern "C" VELMORA_ICAL_EXPORT int velmora_ical_abi(void) {
    return velmora::sync::ical_abi_version;
}

extern "C" VELMORA_ICAL_EXPORT int velmora_ical_read(const char* text, size_t length,
                                                     const velmora_ical_limits* limits, char** out,
                                                     size_t* out_length) {
    if (!text || !limits || !out || !out_length) return 1;
    *out = nullptr;
    *out_length = 0;
    try {
        const velmora::sync::ReadLimits bounds{limits->total_bytes, limits->line_bytes,
                                               limits->depth, limits->uid_bytes,
                                               limits->components};
        return velmora::sync::hand_over(velmora::sync::format_read(velmora::sync::read_calendar(
                                            std::string_view(text, length), bounds)),
                                        out, out_length);
    } catch (...) {
        return 1;
    }
}

extern "C" VELMORA_ICAL_EXPORT void velmora_ical_free(char* out) {
    std::free(out);
}
