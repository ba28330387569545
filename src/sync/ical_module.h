// The calendar reader (libical, which brings ICU's three libraries along)
// lives in the module "velmora_ical" beside the programs and is loaded only
// when calendar text is read: no other command and no start pays for it.
// Between host and module there is a plain C interface; the answer crosses
// it as lines of fields (calendar_read_lines.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "sync/ics_reader.h"

extern "C" {

struct velmora_ical_limits {
    size_t total_bytes;
    size_t line_bytes;
    int depth;
    size_t uid_bytes;
    size_t components;
};
// Answers 0 and the read in `*out` (`*length` bytes) that only
// velmora_ical_free may release; non-zero when nothing could be answered.
typedef int (*velmora_ical_read_fn)(const char* text, size_t length,
                                    const struct velmora_ical_limits* limits, char** out,
                                    size_t* out_length);
typedef void (*velmora_ical_free_fn)(char* out);
typedef int (*velmora_ical_abi_fn)(void);
}

namespace velmora::sync {

inline constexpr const char* ical_module_name = "velmora_ical";
inline constexpr int ical_abi_version = 1;

// The reader in the module of `module_folder` (ending in a separator); a
// module that is missing or does not fit refuses the text, saying so.
CalendarRead read_calendar_via_module(const std::string& module_folder, std::string_view text,
                                      const ReadLimits& limits = {});

// The two sides of the crossing.
std::string format_read(const CalendarRead& read);
CalendarRead parse_read(std::string_view lines);

}  // namespace velmora::sync
