// Small text helpers shared by the parsers and the record routines.
#pragma once

#include <string>
#include <string_view>

namespace velmora::sys {

// Without leading and trailing blanks, tabs and line breaks.
inline std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

}  // namespace velmora::sys
