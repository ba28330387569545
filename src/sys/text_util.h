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

// Whether the bytes are well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing above U+10FFFF.
inline bool is_valid_utf8(std::string_view text) {
    const auto sequence_length = [](unsigned char lead) -> std::size_t {
        if (lead < 0x80) return 1;
        if (lead >= 0xC2 && lead <= 0xDF) return 2;
        if (lead >= 0xE0 && lead <= 0xEF) return 3;
        if (lead >= 0xF0 && lead <= 0xF4) return 4;
        return 0;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequence_length(lead);
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        const auto second = length > 1 ? static_cast<unsigned char>(text[i + 1]) : 0;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace velmora::sys
