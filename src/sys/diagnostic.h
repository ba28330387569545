// One line on standard error for things a user should be able to find in a
// session log but that are not worth a message box: a settings file that
// was ignored, a fallback that was taken.
#pragma once

#include <string_view>

namespace velmora::sys {

// Writes "velmora: <line>\n" in one write, so lines from several threads or
// processes sharing the log never interleave. Line breaks inside `line`
// become spaces: one call is one line of the log.
void diagnostic(std::string_view line);

}  // namespace velmora::sys
