// The module "velmora_dav": libcurl and libxml2 behind the plain C
// interface of dav_client.h. No exception and no C++ object crosses that
// boundary.
#include <cstdlib>
#include <cstring>

#include "sync/dav_client.h"
#include "sync/field_lines.h"

#define VELMORA_DAV_EXPORT __attribute__((visibility("default")))

namespace {

std::string answer(const char* operation, std::string_view in) {
    using namespace velmora::sync;
    if (std::strcmp(operation, "send") == 0) {
        return format_response(send_request(parse_request(in)));
    }
    if (std::strcmp(operation, "multistatus") == 0) {
        return format_multistatus(read_multistatus(in));
    }
    return {};
}

}  // namespace

extern "C" VELMORA_DAV_EXPORT int velmora_dav_abi(void) {
    return velmora::sync::dav_abi_version;
}

extern "C" VELMORA_DAV_EXPORT int velmora_dav_call(const char* operation, const char* in,
                                                   size_t in_length, char** out,
                                                   size_t* out_length) {
    if (!operation || !in || !out || !out_length) return 1;
    *out = nullptr;
    *out_length = 0;
    try {
        return velmora::sync::hand_over(answer(operation, std::string_view(in, in_length)), out,
                                        out_length);
    } catch (...) {
        return 1;
    }
}

extern "C" VELMORA_DAV_EXPORT void velmora_dav_free(char* out) {
    std::free(out);
}
