#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "noise.h"
#include "sys/inifile.h"
#include "sys/textcodec.h"
#include "temp_folder.h"

using namespace velmora::ini;
using velmora::testing::TempFolder;

namespace {

const std::string settings =
    "; kept as it is\r\n"
    "[option]\r\n"
    "pos_top=120\r\n"
    "Skin = \xB0\xC2\xC0\xB6\xC8\xE7\xC3\xCE.skn \r\n"  // 奥蓝如梦.skn in GBK
    "\r\n"
    "[Other]\r\n"
    "x=1\r\n";

TEST(IniRead, SectionsAndKeysIgnoreLetterCaseAndValuesAreTrimmed) {
    IniDocument doc = IniDocument::from_bytes(settings);
    EXPECT_EQ(doc.read("OPTION", "POS_TOP", "-1"), "120");
    EXPECT_EQ(doc.read("option", "skin", ""), "奥蓝如梦.skn");
    EXPECT_EQ(doc.read("other", "X", ""), "1");
    EXPECT_EQ(doc.read("option", "x", "dflt"), "dflt");
    EXPECT_EQ(doc.read("missing", "pos_top", "dflt"), "dflt");
}

TEST(IniRead, FirstOccurrenceWinsAndCommentsAreNoKeys) {
    IniDocument doc = IniDocument::from_bytes(
        "[a]\nk=first\n;k=comment\nk=second\n[A]\nk=third\nnot a key line\n");
    EXPECT_EQ(doc.read("a", "k", ""), "first");
    EXPECT_EQ(doc.read("a", ";k", "none"), "none");
}

TEST(IniRead, ChineseNamesDoNotMatchByFoldingTrailBytes) {
    // "丆" (0x81 0x41) and "乣" (0x81 0x61) differ only in a trail byte that
    // looks like a letter; they are different keys.
    IniDocument doc = IniDocument::from_bytes("[s]\n\x81\x41=upper\n\x81\x61=lower\n");
    EXPECT_EQ(doc.read("s", velmora::text::from_gb18030("\x81\x61"), ""), "lower");
    EXPECT_EQ(doc.read("s", velmora::text::from_gb18030("\x81\x41"), ""), "upper");
}

TEST(IniWrite, ChangesOnlyTheKeysLine) {
    IniDocument doc = IniDocument::from_bytes(settings);
    doc.write("option", "pos_top", "7");
    std::string expected = settings;
    expected.replace(expected.find("pos_top=120"), 11, "pos_top=7");
    EXPECT_EQ(doc.bytes(), expected);
}

TEST(IniWrite, NewKeyJoinsTheEndOfItsSectionBeforeBlankLines) {
    IniDocument doc = IniDocument::from_bytes(settings);
    doc.write("OPTION", "form_blend", "200");
    EXPECT_NE(doc.bytes().find(".skn \r\nform_blend=200\r\n\r\n[Other]"), std::string::npos);
    doc.write("other", "y", "2");
    EXPECT_TRUE(doc.bytes().ends_with("x=1\r\ny=2\r\n"));
}

TEST(IniWrite, NewSectionIsAppendedAfterAMissingFinalLineEnd) {
    IniDocument doc = IniDocument::from_bytes("[a]\r\nk=1");
    doc.write("ad", "count", "3");
    EXPECT_EQ(doc.bytes(), "[a]\r\nk=1\r\n[ad]\r\ncount=3\r\n");
    doc.write("a", "j", "2");
    EXPECT_EQ(doc.bytes(), "[a]\r\nk=1\r\nj=2\r\n[ad]\r\ncount=3\r\n");
}

TEST(IniWrite, ValuesAreStoredInGb18030AndLineBreaksCannotPlantKeys) {
    IniDocument doc;
    doc.write("option", "note_fontname", "黑体😀");
    EXPECT_EQ(doc.bytes(), "[option]\r\nnote_fontname=\xBA\xDA\xCC\xE5\x94\x39\xFC\x36\r\n");
    doc.write("option", "skin", "a\r\n[evil]\r\nx=1");
    EXPECT_FALSE(doc.has_section("evil"));
    EXPECT_EQ(doc.read("option", "note_fontname", ""), "黑体😀");
}

TEST(IniFile, FirstWriteCreatesTheFileAndBatchWritesKeepOrder) {
    TempFolder folder;
    const std::string path = folder.file("zenqset.kxi");
    EXPECT_EQ(read_profile_string(path, "option", "pos_top", "-1"), "-1");
    ASSERT_TRUE(write_profile_string(path, "option", "pos_top", "5"));
    ASSERT_TRUE(write_profile_strings(path, "option", {{"pos_left", "6"}, {"skin", "蓝.skn"}}));
    EXPECT_EQ(folder.read("zenqset.kxi"),
              "[option]\r\npos_top=5\r\npos_left=6\r\nskin=\xC0\xB6.skn\r\n");
    EXPECT_EQ(read_profile_string(path, "OPTION", "skin", ""), "蓝.skn");

#ifndef _WIN32  // a file's identity, its inode, is a POSIX notion
    // Values it holds already leave the file itself alone; a change replaces it.
    const auto inode = [&] {
        struct stat status {};
        ::stat(path.c_str(), &status);
        return status.st_ino;
    };
    const auto before = inode();
    ASSERT_TRUE(write_profile_strings(path, "option", {{"pos_left", "6"}, {"skin", "蓝.skn"}}));
    EXPECT_EQ(inode(), before);
    ASSERT_TRUE(write_profile_string(path, "option", "pos_left", "7"));
    EXPECT_NE(inode(), before);
    EXPECT_EQ(read_profile_string(path, "option", "pos_left", ""), "7");
#endif
}

TEST(IniFile, WriteIntoAMissingFolderIsRefused) {
    TempFolder folder;
    EXPECT_FALSE(write_profile_string(folder.file("sub") + "/settings.kxi", "option", "k", "v"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "sub"));
}

TEST(IniFile, ReadersNeverSeeAHalfWrittenFile) {
    TempFolder folder;
    const std::string path = folder.file("r.kxi");
    const std::string big(200000, 'x');
    ASSERT_TRUE(write_profile_strings(path, "s", {{"a", "1"}, {"pad", big}, {"z", "1"}}));
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int i = 2; i < 40; ++i) {
            write_profile_strings(path, "s", {{"a", std::to_string(i)}, {"z", std::to_string(i)}});
        }
        done = true;
    });
    int checks = 0;
    while (!done || checks == 0) {
        IniDocument doc = IniDocument::load(path);
        EXPECT_EQ(doc.read("s", "a", "missing"), doc.read("s", "z", "missing2"));
        EXPECT_EQ(doc.read("s", "pad", "").size(), big.size());
        ++checks;
    }
    writer.join();
}

TEST(IniRead, AnyBytesAreReadWithoutCrash) {
    const std::string noise = velmora::testing::noise_bytes(100000, 99);
    IniDocument doc = IniDocument::from_bytes(noise + "\n[option]\nk=v");
    EXPECT_EQ(doc.read("option", "k", ""), "v");
    std::string long_line = "[s]\n" + std::string(10 * 1024 * 1024, 'q') + "\nk=1";
    EXPECT_EQ(IniDocument::from_bytes(long_line).read("s", "k", ""), "1");
    EXPECT_EQ(IniDocument::from_bytes("[unclosed\nk=1").read("unclosed", "k", ""), "1");
    EXPECT_EQ(IniDocument::from_bytes(std::string("\0\0[s]\0\n", 7)).read("s", "k", "d"), "d");
}

// Far more sections and lines than any real settings file, with the decoys
// a lookup must step over: comments, repeated keys, a repeated section, the
// same key name in every section and letter case that differs from the query.
std::string many_sections(int sections) {
    std::string bytes = "top=before any section\r\n";
    for (int s = 0; s < sections; ++s) {
        const std::string n = std::to_string(s);
        bytes += (s % 2 ? "[sec" : "[SEC") + n + "]\r\n";
        bytes += ";key" + n + "=comment\r\n";
        bytes += "Key" + n + " = value" + n + "\r\n";
        bytes += "key" + n + "=second\r\n";
        for (int pad = 0; pad < 15; ++pad) bytes += "shared=" + n + "\r\n";
        bytes += "\r\n";
    }
    return bytes + "[sec0]\r\nkey0=late\r\nonly_late=1\r\n";
}

void expect_every_key(const IniDocument& doc, int sections) {
    for (int s = 0; s < sections; ++s) {
        const std::string n = std::to_string(s);
        ASSERT_EQ(doc.read("Sec" + n, "KEY" + n, "missing"), "value" + n);
        ASSERT_EQ(doc.read("sec" + n, "shared", "missing"), n);
        ASSERT_EQ(doc.read("sec" + n, "key" + std::to_string(s + 1), "none"), "none");
    }
}

TEST(IniIndex, FindsEveryKeyOfALargeFileWithTheSameRulesAsASmallOne) {
    const int sections = 1000;  // 20 lines each
    const IniDocument doc = IniDocument::from_bytes(many_sections(sections));
    expect_every_key(doc, sections);
    EXPECT_EQ(doc.read("sec0", "only_late", "none"), "none");
    EXPECT_EQ(doc.read("sec0", "top", "none"), "none");
    EXPECT_TRUE(doc.has_section("SEC999"));
    EXPECT_FALSE(doc.has_section("sec1000"));
}

TEST(IniIndex, WritesAfterLookupsEditTheRightBytes) {
    const int sections = 1000;
    const std::string original = many_sections(sections);
    IniDocument doc = IniDocument::from_bytes(original);
    expect_every_key(doc, sections);
    const IniDocument before = doc;

    doc.write("sec500", "key500", "changed");
    std::string expected = original;
    expected.replace(expected.find("Key500 = value500\r\n"), 17, "key500=changed");
    EXPECT_EQ(doc.bytes(), expected);
    EXPECT_EQ(doc.read("sec500", "key500", ""), "changed");
    EXPECT_EQ(doc.read("sec999", "key999", ""), "value999");

    doc.write("SEC500", "fresh", "1");
    const std::size_t next_section = expected.find("[sec501]");
    expected.insert(expected.rfind("shared=500\r\n", next_section) + 12, "fresh=1\r\n");
    EXPECT_EQ(doc.bytes(), expected);
    EXPECT_EQ(doc.read("sec500", "fresh", ""), "1");
    EXPECT_EQ(doc.read("sec501", "fresh", "none"), "none");
    EXPECT_EQ(doc.read("sec998", "key998", ""), "value998");

    // A copy made before the writes still answers from its own bytes.
    expect_every_key(before, sections);
    EXPECT_EQ(before.bytes(), original);
}

TEST(IniLoad, AFileOverTheLimitIsIgnoredWithADiagnostic) {
    TempFolder folder;
    const std::string path = folder.file("big.kxi");
    const std::string head = "[s]\r\nk=v\r\n";
    folder.write("big.kxi", head + std::string(settings_read_limit - head.size(), ';'));
    EXPECT_EQ(IniDocument::load(path).read("s", "k", ""), "v");

    folder.write("big.kxi", head + std::string(settings_read_limit - head.size() + 1, ';'));
    ::testing::internal::CaptureStderr();
    const IniDocument doc = IniDocument::load(path);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "velmora: " + path + " is larger than 16 MiB; ignored\n");
    EXPECT_TRUE(doc.bytes().empty());
}

TEST(IniLoad, AFolderIsIgnoredWithADiagnosticAndAMissingFileSilently) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path() / "settings.kxi");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(IniDocument::load(folder.file("settings.kxi")).bytes().empty());
    EXPECT_TRUE(IniDocument::load(folder.file("missing.kxi")).bytes().empty());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "velmora: " + folder.file("settings.kxi") + " is not a regular file; ignored\n");
}

TEST(ProfileInt, DecimalHexAndFallbacks) {
    EXPECT_EQ(parse_profile_int("255", 0), 255);
    EXPECT_EQ(parse_profile_int("-1", 0), -1);
    EXPECT_EQ(parse_profile_int(" 45 ", 0), 45);
    EXPECT_EQ(parse_profile_int("0x1F", 0), 31);
    EXPECT_EQ(parse_profile_int("16711680", 0), 16711680);
    EXPECT_EQ(parse_profile_int("", 30), 30);
    EXPECT_EQ(parse_profile_int("12a", 30), 30);
    EXPECT_EQ(parse_profile_int("-", 30), 30);
    EXPECT_EQ(parse_profile_int("0x", 30), 30);
    EXPECT_EQ(parse_profile_int("99999999999999999999", 30), 30);
}

}  // namespace
