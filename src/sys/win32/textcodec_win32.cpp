// GB18030 on Windows. The byte structure (which bytes form one character,
// what counts as malformed) is handled here for both directions; only the
// mapping of one character comes from the system:
//   - code page 54936 (the system's GB18030) where the system has it;
//   - otherwise code page 936 for the two-byte characters, corrected by the
//     generated tables in gb18030_ranges.inc, plus the four-byte form, which is
//     arithmetic over the same tables. Some systems (Wine among them) lack
//     54936 but all have 936.
// Malformed input never stops a conversion. Like the Linux build, which skips
// one byte at a time past anything its converter refuses, each refused byte
// becomes one replacement character, so both builds write the same bytes.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "sys/textcodec.h"
#include "sys/utf.h"
#include "sys/win32/wide.h"

namespace velmora::text {

namespace {

struct FourByteRun {
    std::uint16_t linear;  // index of the first code counted from 0x81308130
    std::uint16_t code_point;
    std::uint16_t count;
};

struct TwoByteRun {
    std::uint16_t code;  // lead byte * 256 + trail byte
    char32_t code_point;
    std::uint16_t count;
};

#include "gb18030_ranges.inc"

constexpr std::string_view gb_replacement = "\x84\x31\xA4\x37";  // U+FFFD
constexpr std::string_view utf8_replacement = "\xEF\xBF\xBD";
constexpr UINT gb18030_code_page = 54936;
constexpr UINT gbk_code_page = 936;
constexpr std::uint32_t bmp_four_byte_count = 39420;         // 0x81308130 .. 0x8431A439
constexpr std::uint32_t supplementary_linear_base = 189000;  // 0x90308130 is U+10000

unsigned char byte_at(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

bool between(unsigned char byte, unsigned low, unsigned high) {
    return byte >= low && byte <= high;
}

bool is_continuation(unsigned char byte) {
    return between(byte, 0x80, 0xBF);
}

bool is_ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

// --- UTF-8 ------------------------------------------------------------------

// Accepted second bytes after a lead byte: these bounds exclude overlong
// forms, surrogates and code points beyond U+10FFFF.
std::pair<unsigned, unsigned> second_byte_range(unsigned char lead) {
    switch (lead) {
        case 0xE0: return {0xA0, 0xBF};
        case 0xED: return {0x80, 0x9F};
        case 0xF0: return {0x90, 0xBF};
        case 0xF4: return {0x80, 0x8F};
        default: return {0x80, 0xBF};
    }
}

std::size_t utf8_length_of_lead(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (between(lead, 0xC2, 0xDF)) return 2;
    if (between(lead, 0xE0, 0xEF)) return 3;
    if (between(lead, 0xF0, 0xF4)) return 4;
    return 0;
}

// The length of the well-formed sequence that starts `text`, with its code
// point; 0 when the first byte does not start one.
std::size_t decode_utf8(std::string_view text, char32_t& code_point) {
    const unsigned char lead = byte_at(text, 0);
    const std::size_t length = utf8_length_of_lead(lead);
    if (length == 0 || length > text.size()) return 0;
    if (length == 1) {
        code_point = lead;
        return 1;
    }
    const auto [low, high] = second_byte_range(lead);
    if (!between(byte_at(text, 1), low, high)) return 0;
    code_point = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if (!is_continuation(byte_at(text, i))) return 0;
        code_point = (code_point << 6) | (byte_at(text, i) & 0x3F);
    }
    return length;
}

// --- GB18030 byte structure -------------------------------------------------

bool is_gb_lead(unsigned char byte) {
    return between(byte, 0x81, 0xFE);
}
bool is_gb_digit(unsigned char byte) {
    return between(byte, 0x30, 0x39);
}
bool is_gb_two_byte_trail(unsigned char byte) {
    return between(byte, 0x40, 0x7E) || between(byte, 0x80, 0xFE);
}

// 1, 2 or 4 for a character of the right form at the start of `bytes`,
// 0 when no such character starts there (0x80 and 0xFF never do).
std::size_t gb_sequence_length(std::string_view bytes) {
    const unsigned char lead = byte_at(bytes, 0);
    if (lead < 0x80) return 1;
    if (!is_gb_lead(lead) || bytes.size() < 2) return 0;
    if (is_gb_two_byte_trail(byte_at(bytes, 1))) return 2;
    const bool four_byte = bytes.size() >= 4 && is_gb_digit(byte_at(bytes, 1)) &&
                           is_gb_lead(byte_at(bytes, 2)) && is_gb_digit(byte_at(bytes, 3));
    return four_byte ? 4 : 0;
}

std::uint32_t four_byte_linear(std::string_view code) {
    return (byte_at(code, 0) - 0x81u) * 12600u + (byte_at(code, 1) - 0x30u) * 1260u +
           (byte_at(code, 2) - 0x81u) * 10u + (byte_at(code, 3) - 0x30u);
}

void append_four_byte(std::string& out, std::uint32_t linear) {
    out += static_cast<char>(0x81 + linear / 12600);
    out += static_cast<char>(0x30 + linear / 1260 % 10);
    out += static_cast<char>(0x81 + linear / 10 % 126);
    out += static_cast<char>(0x30 + linear % 10);
}

std::size_t two_byte_index(unsigned code) {
    const unsigned trail = code & 0xFF;
    return ((code >> 8) - 0x81) * 190 + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
}

constexpr std::size_t two_byte_code_count = 126 * 190;

// --- One character through the system ------------------------------------

class CharacterMap {
public:
    virtual ~CharacterMap() = default;
    // Appends the bytes of a non-ASCII character; false when it has none.
    virtual bool encode(char32_t c, std::string& out) const = 0;
    // The character of one two- or four-byte sequence; false when unassigned.
    virtual bool decode(std::string_view sequence, char32_t& c) const = 0;
};

std::wstring utf16_of(char32_t c) {
    if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
    const char32_t offset = c - 0x10000;
    return {static_cast<wchar_t>(0xD800 + (offset >> 10)),
            static_cast<wchar_t>(0xDC00 + (offset & 0x3FF))};
}

// One character of `code_page`, or false when the page has none for the bytes.
bool decode_with_code_page(UINT code_page, std::string_view sequence, char32_t& c) {
    wchar_t units[2];
    const int count = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, sequence.data(),
                                          static_cast<int>(sequence.size()), units, 2);
    if (count == 1 && (units[0] < 0xD800 || units[0] > 0xDFFF)) {
        c = units[0];
        return true;
    }
    if (count == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF) {
        c = 0x10000 + ((static_cast<char32_t>(units[0]) - 0xD800) << 10) +
            (static_cast<char32_t>(units[1]) - 0xDC00);
        return true;
    }
    return false;
}

class SystemGb18030 final : public CharacterMap {
public:
    bool encode(char32_t c, std::string& out) const override {
        const std::wstring units = utf16_of(c);
        char bytes[8];
        const int count =
            WideCharToMultiByte(gb18030_code_page, 0, units.data(), static_cast<int>(units.size()),
                                bytes, sizeof bytes, nullptr, nullptr);
        if (count <= 0) return false;
        out.append(bytes, static_cast<std::size_t>(count));
        return true;
    }
    bool decode(std::string_view sequence, char32_t& c) const override {
        return decode_with_code_page(gb18030_code_page, sequence, c);
    }
};

// GB18030 assembled from code page 936 and the generated tables. Both
// directions are looked up in arrays filled once, so a conversion makes no
// system call.
class Gb18030FromGbk final : public CharacterMap {
public:
    Gb18030FromGbk() : two_byte_(two_byte_code_count, 0), bmp_codes_(0x10000, 0) {
        fill_two_byte_from_gbk();
        apply_two_byte_overrides();
        index_two_byte_codes();
        index_four_byte_codes();
    }

    bool encode(char32_t c, std::string& out) const override {
        if (c < 0x10000) return encode_bmp(c, out);
        for (const auto& [code_point, code] : supplementary_two_byte_) {
            if (code_point != c) continue;
            append_two_byte(code, out);
            return true;
        }
        if (c > 0x10FFFF) return false;
        append_four_byte(out, supplementary_linear_base + (c - 0x10000));
        return true;
    }

    bool decode(std::string_view sequence, char32_t& c) const override {
        if (sequence.size() == 2) {
            c = two_byte_[two_byte_index(byte_at(sequence, 0) << 8 | byte_at(sequence, 1))];
            return c != 0;
        }
        return decode_four_byte(four_byte_linear(sequence), c);
    }

private:
    // Bytes of a BMP character: a two-byte code, or 0x80000000 + the linear
    // index of its four-byte code, or 0 when it has none.
    static constexpr std::uint32_t four_byte_flag = 0x80000000;

    static void append_two_byte(unsigned code, std::string& out) {
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
    }

    bool encode_bmp(char32_t c, std::string& out) const {
        const std::uint32_t entry = bmp_codes_[c];
        if (entry == 0) return false;
        if (entry & four_byte_flag) {
            append_four_byte(out, entry & ~four_byte_flag);
        } else {
            append_two_byte(entry, out);
        }
        return true;
    }

    static bool decode_four_byte(std::uint32_t linear, char32_t& c) {
        if (linear >= supplementary_linear_base && linear - supplementary_linear_base < 0x100000) {
            c = 0x10000 + (linear - supplementary_linear_base);
            return true;
        }
        if (linear >= bmp_four_byte_count) return false;
        const auto after = std::upper_bound(
            std::begin(four_byte_runs), std::end(four_byte_runs), linear,
            [](std::uint32_t value, const FourByteRun& run) { return value < run.linear; });
        if (after == std::begin(four_byte_runs)) return false;
        const FourByteRun& run = *std::prev(after);
        if (linear - run.linear >= run.count) return false;
        c = run.code_point + (linear - run.linear);
        return true;
    }

    void fill_two_byte_from_gbk() {
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char32_t c = 0;
                if (decode_with_code_page(gbk_code_page, {code, 2}, c)) {
                    two_byte_[two_byte_index(lead << 8 | trail)] = c;
                }
            }
        }
    }

    void apply_two_byte_overrides() {
        for (const TwoByteRun& run : two_byte_overrides) {
            for (unsigned i = 0; i < run.count; ++i) {
                two_byte_[two_byte_index(run.code + i)] = run.code_point + i;
            }
        }
    }

    // The first code that decodes to a character is the one that encodes it.
    void index_two_byte_codes() {
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F) continue;
                const unsigned code = lead << 8 | trail;
                const char32_t c = two_byte_[two_byte_index(code)];
                if (c >= 0x10000) {
                    supplementary_two_byte_.emplace_back(c, code);
                } else if (c >= 0x80 && bmp_codes_[c] == 0) {
                    bmp_codes_[c] = code;
                }
            }
        }
    }

    void index_four_byte_codes() {
        for (const FourByteRun& run : four_byte_runs) {
            for (unsigned i = 0; i < run.count; ++i) {
                bmp_codes_[run.code_point + i] = four_byte_flag | (run.linear + i);
            }
        }
    }

    std::vector<char32_t> two_byte_;        // by two_byte_index; 0 when unassigned
    std::vector<std::uint32_t> bmp_codes_;  // by code point
    std::vector<std::pair<char32_t, unsigned>> supplementary_two_byte_;
};

const CharacterMap& character_map() {
    static const std::unique_ptr<CharacterMap> map =
        IsValidCodePage(gb18030_code_page)
            ? std::unique_ptr<CharacterMap>(std::make_unique<SystemGb18030>())
            : std::unique_ptr<CharacterMap>(std::make_unique<Gb18030FromGbk>());
    return *map;
}

void append_replacements(std::string& out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) out += gb_replacement;
}

}  // namespace

std::string to_gb18030(std::string_view utf8) {
    if (is_ascii(utf8)) return std::string(utf8);
    const CharacterMap& map = character_map();
    std::string out;
    out.reserve(utf8.size() + 8);
    while (!utf8.empty()) {
        char32_t c = 0;
        const std::size_t length = decode_utf8(utf8, c);
        if (length == 0) {
            out += gb_replacement;
            utf8.remove_prefix(1);
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (!map.encode(c, out)) {
            append_replacements(out, length);  // one per byte, as the Linux build does
        }
        utf8.remove_prefix(length);
    }
    return out;
}

std::string from_gb18030(std::string_view bytes) {
    if (is_ascii(bytes)) return std::string(bytes);
    const CharacterMap& map = character_map();
    std::string out;
    out.reserve(bytes.size() * 3 / 2 + 8);
    while (!bytes.empty()) {
        const std::size_t length = gb_sequence_length(bytes);
        char32_t c = byte_at(bytes, 0);
        if (length == 0 || (length > 1 && !map.decode(bytes.substr(0, length), c))) {
            out += utf8_replacement;
            bytes.remove_prefix(1);
            continue;
        }
        sys::append_utf8(out, c);
        bytes.remove_prefix(length);
    }
    return out;
}

std::size_t gb_length(std::string_view utf8) {
    return is_ascii(utf8) ? utf8.size() : to_gb18030(utf8).size();
}

namespace {

// The code pages of the charsets that files commonly declare, by the names
// the Linux build hands to iconv.
UINT code_page_of(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    static constexpr std::pair<std::string_view, UINT> pages[] = {
        {"utf-8", CP_UTF8},     {"big5", 950},          {"big5-hkscs", 951},
        {"shift_jis", 932},     {"windows-31j", 932},   {"euc-jp", 20932},
        {"euc-kr", 949},        {"koi8-r", 20866},      {"koi8-u", 21866},
        {"iso-8859-1", 28591},  {"iso-8859-2", 28592},  {"iso-8859-5", 28595},
        {"iso-8859-7", 28597},  {"iso-8859-15", 28605}, {"windows-874", 874},
        {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
        {"windows-1253", 1253}, {"windows-1254", 1254}, {"windows-1255", 1255},
        {"windows-1256", 1256}, {"windows-1257", 1257}, {"windows-1258", 1258}};
    for (const auto& [charset, page] : pages) {
        if (name == charset) return page;
    }
    return 0;
}

}  // namespace

std::optional<std::string> decode(std::string_view bytes, const std::string& charset) {
    const UINT code_page = code_page_of(charset);
    if (code_page == 0 || !IsValidCodePage(code_page)) return std::nullopt;
    if (bytes.empty()) return std::string();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
    return sys::win32::to_utf8(wide);
}

}  // namespace velmora::text
