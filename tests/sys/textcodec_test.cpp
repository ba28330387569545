#include <gtest/gtest.h>

#include <string>

#include "sys/textcodec.h"

using namespace velmora::text;

namespace {

struct Vector {
    const char* utf8;
    std::string gb;
};

// Byte sequences as the system's own GB18030 converter writes them.
const Vector vectors[] = {
    {"plain ASCII 123", "plain ASCII 123"},
    {"进行中", "\xBD\xF8\xD0\xD0\xD6\xD0"},
    {"已完成", "\xD2\xD1\xCD\xEA\xB3\xC9"},
    {"重要，急", "\xD6\xD8\xD2\xAA\xA3\xAC\xBC\xB1"},
    {"€", "\xA2\xE3"},
    {"ḿ", "\xA8\xBC"},
    {"Ā", std::string("\x81\x30\x8B\x38", 4)},
    {"㐀", std::string("\x81\x39\xEE\x39", 4)},
    {"😀", std::string("\x94\x39\xFC\x36", 4)},
    {"𠀀", std::string("\x95\x32\x82\x36", 4)},
};

TEST(Gb18030, EncodesAndDecodesKnownCharacters) {
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.utf8);
        EXPECT_EQ(to_gb18030(v.utf8), v.gb);
        EXPECT_EQ(from_gb18030(v.gb), v.utf8);
    }
}

TEST(Gb18030, FixedWidthFieldsCountEncodedBytes) {
    EXPECT_EQ(gb_length("进行中"), 6u);
    EXPECT_EQ(gb_length("A已完成买菜"), 11u);
    EXPECT_EQ(gb_length("😀"), 4u);
    EXPECT_EQ(gb_length(""), 0u);
}

TEST(Gb18030, MixedTextRoundTripsWhole) {
    const std::string text = "计划：买😀菜 at 9:00；€5 ḿ 㐀\r\n第二行";
    EXPECT_EQ(from_gb18030(to_gb18030(text)), text);
}

std::string utf8_of(char32_t c) {
    std::string s;
    if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
    } else {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    s += static_cast<char>(0x80 | (c & 0x3F));
    return s;
}

// Private-use code points are left out: editions of the standard disagree
// on a few of them, and no user types them.
TEST(Gb18030, EveryAssignedBmpCharacterRoundTrips) {
    int mismatches = 0;
    char32_t first_mismatch = 0;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || (c >= 0xE000 && c <= 0xF8FF)) continue;
        const std::string text = utf8_of(c);
        if (from_gb18030(to_gb18030(text)) == text) continue;
        if (mismatches++ == 0) first_mismatch = c;
    }
    EXPECT_EQ(mismatches, 0) << "first at U+" << std::hex << static_cast<unsigned>(first_mismatch);
}

TEST(Gb18030, MalformedBytesBecomeReplacementCharactersAndTheRestSurvives) {
    const std::string replacement = "\xEF\xBF\xBD";
    // A lead byte at the very end, a lone 0xFF, a lead byte before ASCII.
    EXPECT_EQ(from_gb18030("ab\x81"), "ab" + replacement);
    EXPECT_EQ(from_gb18030("\xFF" "x"), replacement + "x");
    EXPECT_EQ(from_gb18030("\xD6\xD0" "\x81" " " "\xD6\xD0"), "中" + replacement + " 中");
    // Invalid UTF-8 never stops the encoding either.
    std::string encoded = to_gb18030("a\xC3(b");
    EXPECT_EQ(encoded.front(), 'a');
    EXPECT_EQ(encoded.substr(encoded.size() - 2), "(b");
}

TEST(Gb18030, ArbitraryBytesNeverCrash) {
    std::string noise;
    unsigned state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        noise += static_cast<char>(state >> 16);
    }
    std::string decoded = from_gb18030(noise);
    EXPECT_FALSE(decoded.empty());
    EXPECT_EQ(from_gb18030(to_gb18030(decoded)), decoded);
}

}  // namespace
