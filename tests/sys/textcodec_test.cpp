#include <gtest/gtest.h>

#include <string>

#include "noise.h"
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
    EXPECT_EQ(from_gb18030("\xFF"
                           "x"),
              replacement + "x");
    EXPECT_EQ(from_gb18030("\xD6\xD0"
                           "\x81"
                           " "
                           "\xD6\xD0"),
              "中" + replacement + " 中");
    // Invalid UTF-8 never stops the encoding either.
    std::string encoded = to_gb18030("a\xC3(b");
    EXPECT_EQ(encoded.front(), 'a');
    EXPECT_EQ(encoded.substr(encoded.size() - 2), "(b");
}

TEST(Gb18030, ArbitraryBytesNeverCrash) {
    const std::string noise = velmora::testing::noise_bytes(20000, 12345);
    std::string decoded = from_gb18030(noise);
    EXPECT_FALSE(decoded.empty());
    EXPECT_EQ(from_gb18030(to_gb18030(decoded)), decoded);
}

// --- Seams of the mapping ------------------------------------------------------
// A build may assemble GB18030 from pieces (the Windows build on a system
// without code page 54936 uses code page 936 plus generated tables). These
// are the seams: the ends of each form, two-byte codes that differ from GBK,
// and the replacement of each kind of malformed input. Bytes as the host's
// iconv "GB18030" writes them.

struct SeamVector {
    std::string utf8;
    std::string gb;
    const char* what;
};

const SeamVector seam_vectors[] = {
    {"\u0080", "\x81\x30\x81\x30", "first four-byte code"},
    {"\u00A4", "\xA1\xE8", "two-byte code shared with GBK"},
    {"\u01F9", "\xA8\xBF", "two-byte code GBK leaves unassigned"},
    {"\uFE10", "\xA6\xD9", "two-byte code GBK gives to a private-use character"},
    {"\uE000", "\xAA\xA1", "first user-defined two-byte code"},
    {"\uE4C6", "\xA1\x40", "user-defined code below the GBK symbols"},
    {"\uFFFF", "\x84\x31\xA4\x39", "last four-byte code of the BMP"},
    {"\U00010000", "\x90\x30\x81\x30", "first supplementary code"},
    {"\U0010FFFF", "\xE3\x32\x9A\x35", "last supplementary code"},
    {"\U00020087", "\xFE\x51", "supplementary character with a two-byte code"},
};

TEST(Gb18030Seams, EachFormRoundTripsAtItsEnds) {
    for (const SeamVector& v : seam_vectors) {
        SCOPED_TRACE(v.what);
        EXPECT_EQ(to_gb18030(v.utf8), v.gb);
        EXPECT_EQ(from_gb18030(v.gb), v.utf8);
        EXPECT_EQ(gb_length(v.utf8), v.gb.size());
    }
}

TEST(Gb18030Seams, TheFourByteCodeOfATwoByteCharacterStillDecodes) {
    EXPECT_EQ(from_gb18030("\x95\x32\x90\x31"), "\U00020087");
}

TEST(Gb18030Seams, EachRefusedByteBecomesOneReplacement) {
    const std::string r = "\xEF\xBF\xBD";
    EXPECT_EQ(from_gb18030("\x80"), r);
    EXPECT_EQ(from_gb18030("\x84\x31\xA5\x30"), r + "1" + r + "0");  // past the BMP table
    EXPECT_EQ(from_gb18030("\x84\x31\x82\x36"), r + "1" + r + "6");  // unassigned four-byte code
    EXPECT_EQ(from_gb18030("\xE3\x32\x9A\x36"), r + "2" + r + "6");  // past U+10FFFF
    EXPECT_EQ(from_gb18030("\x81\x30\x7F\x30"), r + "0" + '\x7F' + "0");
    EXPECT_EQ(from_gb18030("\xA1\x7F"), r + "\x7F");

    const std::string g = "\x84\x31\xA4\x37";
    EXPECT_EQ(to_gb18030("\xED\xA0\x80"), g + g + g);          // an encoded surrogate
    EXPECT_EQ(to_gb18030("\xC0\xAF"), g + g);                  // an overlong form
    EXPECT_EQ(to_gb18030("\xF4\x90\x80\x80"), g + g + g + g);  // past U+10FFFF
    EXPECT_EQ(to_gb18030("\xE4\xBD"), g + g);                  // cut short at the end
    EXPECT_EQ(to_gb18030("\uE78D"), g + g + g);  // a private-use character without a code
}

// The charsets bookmark files and web pages declare, through the system's
// own converters.
TEST(TextDecode, DeclaredCharsetsAndAnUnknownOne) {
    EXPECT_EQ(decode("\xA4\xA4\xA4\xE5", "big5"), "中文");
    EXPECT_EQ(decode("Caf\xE9", "windows-1252"), "Café");
    EXPECT_EQ(decode("\x82\xA0", "shift_jis"), "あ");
    EXPECT_FALSE(decode("abc", "x-no-such-charset").has_value());
}

}  // namespace
