#include "sys/utf.h"

#include <cstddef>

namespace velmora::sys {

bool is_high_surrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool is_low_surrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

char32_t combine_surrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

void append_utf8(std::string& out, char32_t code_point) {
    if ((code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF) {
        code_point = replacement_character;
    }
    const auto byte = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (code_point < 0x80) {
        byte(code_point);
    } else if (code_point < 0x800) {
        byte(0xC0 | (code_point >> 6));
        byte(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        byte(0xE0 | (code_point >> 12));
        byte(0x80 | ((code_point >> 6) & 0x3F));
        byte(0x80 | (code_point & 0x3F));
    } else {
        byte(0xF0 | (code_point >> 18));
        byte(0x80 | ((code_point >> 12) & 0x3F));
        byte(0x80 | ((code_point >> 6) & 0x3F));
        byte(0x80 | (code_point & 0x3F));
    }
}

std::string utf16le_to_utf8(std::string_view bytes) {
    const std::size_t units = bytes.size() / 2;
    const auto unit_at = [bytes](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    std::string out;
    out.reserve(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = unit_at(i);
        if (is_high_surrogate(unit) && i + 1 < units && is_low_surrogate(unit_at(i + 1))) {
            append_utf8(out, combine_surrogates(unit, unit_at(i + 1)));
            ++i;
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

}  // namespace velmora::sys
