// Lines of tab-separated fields, with tabs, line breaks and backslashes
// inside a field escaped: the sync state's record, and the answers the
// calendar reader module hands over.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::sync {

void append_line(std::string& out, const std::vector<std::string_view>& fields);
// Each line's fields, in one pass.
std::vector<std::vector<std::string>> split_lines(std::string_view text);

// A module's answer handed to its host: a copy the host releases through
// the module's free function. Answers 0, or 1 when there is nothing to hand.
int hand_over(const std::string& lines, char** out, std::size_t* length);

}  // namespace velmora::sync
