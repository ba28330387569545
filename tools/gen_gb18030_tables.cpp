// Writes src/sys/win32/gb18030_ranges.inc: the parts of GB18030 that the
// Windows build cannot take from code page 936 when the system lacks code
// page 54936. The reference is this host's iconv "GB18030", so the Windows
// fallback produces the same bytes as the Linux build.
//
// Build and run on a Linux host (the output is committed; the Windows build
// never runs this):
//   g++ -std=c++20 -O2 -o /tmp/gen_gb18030_tables tools/gen_gb18030_tables.cpp
//   /tmp/gen_gb18030_tables > src/sys/win32/gb18030_ranges.inc
//
// What it writes:
//   four_byte_runs     four-byte codes of the Basic Multilingual Plane, as runs
//                      where the linear index and the code point advance together
//   two_byte_overrides two-byte codes whose character differs from code page 936
//                      (or that code page 936 leaves unassigned)
// A character that no table and no code of code page 936 maps is one that
// GB18030 here cannot encode (a few private-use characters).
// The supplementary planes are linear from 0x90308130 and need no table.
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr unsigned bmp_four_byte_count = 39420;  // 0x81308130 .. 0x8431A439

class Iconv {
public:
    Iconv(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "iconv cannot convert %s to %s\n", from, to);
            std::exit(1);
        }
    }
    ~Iconv() { iconv_close(handle_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // The whole input as one conversion, or nothing when any part fails.
    std::optional<std::string> convert(const std::string& input) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(input.data());
        std::size_t in_left = input.size();
        char buffer[64];
        char* out = buffer;
        std::size_t out_left = sizeof buffer;
        if (iconv(handle_, &in, &in_left, &out, &out_left) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        return std::string(buffer, static_cast<std::size_t>(out - buffer));
    }

private:
    iconv_t handle_;
};

std::string utf32(char32_t code_point) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((code_point >> (8 * i)) & 0xFF);
    return bytes;
}

std::optional<char32_t> single_code_point(const std::optional<std::string>& utf32_bytes) {
    if (!utf32_bytes || utf32_bytes->size() != 4) return std::nullopt;
    char32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>((*utf32_bytes)[i]);
    return value;
}

std::string four_byte_code(unsigned linear) {
    std::string code(4, '\0');
    code[3] = static_cast<char>(0x30 + linear % 10);
    code[2] = static_cast<char>(0x81 + linear / 10 % 126);
    code[1] = static_cast<char>(0x30 + linear / 1260 % 10);
    code[0] = static_cast<char>(0x81 + linear / 12600);
    return code;
}

unsigned two_byte_value(const std::string& code) {
    return static_cast<unsigned char>(code[0]) << 8 | static_cast<unsigned char>(code[1]);
}

std::vector<std::string> all_two_byte_codes() {
    std::vector<std::string> codes;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F) codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    return codes;
}

bool is_surrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

struct Tables {
    std::map<unsigned, char32_t> gb_decode_2;          // two-byte code -> code point
    std::map<unsigned, char32_t> cp936_decode;         // two-byte code -> code point
    std::map<char32_t, std::string> gb_encode;         // code point -> bytes
    std::vector<std::optional<char32_t>> gb_decode_4;  // linear index -> code point
};

Tables read_tables() {
    Tables t;
    Iconv gb_to_unicode("UTF-32LE", "GB18030");
    Iconv cp936_to_unicode("UTF-32LE", "CP936");
    Iconv unicode_to_gb("GB18030", "UTF-32LE");
    for (const std::string& code : all_two_byte_codes()) {
        if (auto c = single_code_point(gb_to_unicode.convert(code)))
            t.gb_decode_2[two_byte_value(code)] = *c;
        if (auto c = single_code_point(cp936_to_unicode.convert(code)))
            t.cp936_decode[two_byte_value(code)] = *c;
    }
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        if (is_surrogate(c)) continue;
        if (auto bytes = unicode_to_gb.convert(utf32(c))) t.gb_encode[c] = *bytes;
    }
    for (unsigned linear = 0; linear < bmp_four_byte_count; ++linear) {
        t.gb_decode_4.push_back(single_code_point(gb_to_unicode.convert(four_byte_code(linear))));
    }
    return t;
}

[[noreturn]] void fail(const char* what, unsigned a, unsigned b) {
    std::fprintf(stderr, "unexpected mapping (%s): %X %X\n", what, a, b);
    std::exit(1);
}

// The tables below describe a one-to-one mapping; stop when the host's
// iconv says otherwise, rather than write a table that encodes wrongly.
void check_round_trips(const Tables& t) {
    for (const auto& [code, c] : t.gb_decode_2) {
        auto it = t.gb_encode.find(c);
        if (it == t.gb_encode.end() || it->second.size() != 2 ||
            two_byte_value(it->second) != code) {
            fail("two-byte decode", code, static_cast<unsigned>(c));
        }
    }
    for (unsigned linear = 0; linear < bmp_four_byte_count; ++linear) {
        if (!t.gb_decode_4[linear]) continue;
        auto it = t.gb_encode.find(*t.gb_decode_4[linear]);
        if (it == t.gb_encode.end() || it->second != four_byte_code(linear)) {
            fail("four-byte decode", linear, static_cast<unsigned>(*t.gb_decode_4[linear]));
        }
    }
    for (const auto& [c, bytes] : t.gb_encode) {
        if (c < 0x10000 && bytes.size() == 4 && bytes[0] > '\x84') fail("BMP beyond range", c, 0);
        if (c >= 0x10000 && bytes.size() == 4) {
            const unsigned linear = static_cast<unsigned>(c - 0x10000) + 189000;  // 0x90308130
            if (bytes != four_byte_code(linear)) fail("supplementary not linear", c, 0);
        }
    }
}

void print_four_byte_runs(const Tables& t) {
    std::printf("// {first linear index after 0x81308130, first code point, count}\n");
    std::printf("constexpr FourByteRun four_byte_runs[] = {\n");
    int runs = 0;
    for (unsigned linear = 0; linear < bmp_four_byte_count;) {
        if (!t.gb_decode_4[linear]) {
            ++linear;
            continue;
        }
        const char32_t first = *t.gb_decode_4[linear];
        unsigned count = 1;
        while (linear + count < bmp_four_byte_count &&
               t.gb_decode_4[linear + count] == first + count)
            ++count;
        std::printf("    {0x%04X, 0x%04X, %u},\n", linear, static_cast<unsigned>(first), count);
        linear += count;
        ++runs;
    }
    std::printf("};\n\n");
    std::fprintf(stderr, "four-byte runs: %d\n", runs);
}

// Two-byte codes where GB18030 and code page 936 disagree, as runs along the
// trail byte.
void print_two_byte_overrides(const Tables& t) {
    std::vector<std::pair<unsigned, char32_t>> differing;
    for (const std::string& code : all_two_byte_codes()) {
        const unsigned value = two_byte_value(code);
        auto gb = t.gb_decode_2.find(value);
        auto cp = t.cp936_decode.find(value);
        const bool same =
            gb != t.gb_decode_2.end() && cp != t.cp936_decode.end() && gb->second == cp->second;
        if (same) continue;
        if (gb == t.gb_decode_2.end()) fail("two-byte code GB18030 leaves unassigned", value, 0);
        differing.emplace_back(value, gb->second);
    }
    std::printf("// {first two-byte code, first code point, count}\n");
    std::printf("constexpr TwoByteRun two_byte_overrides[] = {\n");
    int runs = 0;
    for (std::size_t i = 0; i < differing.size();) {
        std::size_t n = 1;
        while (i + n < differing.size() && differing[i + n].first == differing[i].first + n &&
               differing[i + n].second == differing[i].second + n) {
            ++n;
        }
        std::printf("    {0x%04X, 0x%05X, %zu},\n", differing[i].first,
                    static_cast<unsigned>(differing[i].second), n);
        i += n;
        ++runs;
    }
    std::printf("};\n");
    std::fprintf(stderr, "two-byte override runs: %d (%zu codes)\n", runs, differing.size());
}

}  // namespace

int main() {
    const Tables tables = read_tables();
    check_round_trips(tables);
    std::printf(
        "// Generated by tools/gen_gb18030_tables.cpp from the host's iconv \"GB18030\".\n");
    std::printf("// Do not edit; run the generator again.\n\n");
    print_four_byte_runs(tables);
    print_two_byte_overrides(tables);
    return 0;
}
