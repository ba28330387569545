#include "sys/utf.h"

#include <cstddef>

#include "sys/text_util.h"

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

char32_t next_code_point(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    i += length;
    return code;
}

bool is_hidden_character(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || c == 0x061C ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF;
}

std::string without_hidden_characters(std::string_view text) {
    if (!is_valid_utf8(text)) return std::string(text);
    std::string kept;
    kept.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = next_code_point(text, i);
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
        if (control) {
            kept += ' ';
        } else if (!is_hidden_character(c)) {
            kept.append(text.substr(start, i - start));
        }
    }
    return kept;
}

}  // namespace velmora::sys
