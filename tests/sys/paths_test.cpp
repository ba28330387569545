#include <gtest/gtest.h>

#include "sys/sysutil.h"

using namespace velmora::sys;

namespace {

struct PathCase {
    const char* path;
    const char* parent;
    const char* last;
    const char* ext;
    const char* base;
};

// The splitting table holds on every system.
const PathCase backslash_table[] = {
    {"a\\b\\c.txt", "a\\b", "c.txt", ".txt", "c"},
    {"\\a\\b\\", "a", "b", "", "b"},
    {"x\\b.tar.gz", "x", "b.tar.gz", ".gz", "b.tar"},
    {"x\\b.", "x", "b.", ".", "b"},
    {"a", "", "a", "", "a"},
    {"", "", "", "", ""},
    {"C:\\zenq\\zenqdata.fx", "C:\\zenq", "zenqdata.fx", ".fx", "zenqdata"},
    {".hidden", "", ".hidden", ".hidden", ""},
    {"a\\\\b", "a\\", "b", "", "b"},
};

TEST(BackslashPaths, SplitAsTheTableSays) {
    for (const PathCase& c : backslash_table) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(path_parent(c.path), c.parent);
        EXPECT_EQ(path_last(c.path), c.last);
        EXPECT_EQ(path_ext(c.path), c.ext);
        EXPECT_EQ(path_base_name(c.path), c.base);
    }
}

TEST(BackslashPaths, DotsInFolderNamesAreNotExtensions) {
    EXPECT_EQ(path_ext("v1.2\\readme"), "");
    EXPECT_EQ(path_base_name("v1.2\\readme"), "readme");
}

TEST(BackslashPaths, ChineseNamesSplitWhole) {
    // "表" ends in the byte 0x5C in GBK; UTF-8 text never holds that byte
    // inside a character, so the split is safe on internal text.
    EXPECT_EQ(path_last("资料\\表格.xls"), "表格.xls");
    EXPECT_EQ(path_base_name("资料\\表格.xls"), "表格");
}

#ifndef _WIN32
TEST(BackslashPaths, SlashAlsoSeparatesOnPosixAndAbsolutePathsStayAbsolute) {
    EXPECT_EQ(path_parent("/home/u/x.txt"), "/home/u");
    EXPECT_EQ(path_last("/home/u/x.txt"), "x.txt");
    EXPECT_EQ(path_parent("/home/"), "/");
    EXPECT_EQ(path_last("/home/u/"), "u");
    EXPECT_EQ(path_parent("a/b\\c"), "a/b");
}
#endif

TEST(PathJoin, AddsExactlyOneSeparator) {
    EXPECT_EQ(path_join("dir", "f"), std::string("dir") + path_separator + "f");
    EXPECT_EQ(path_join(std::string("dir") + path_separator, "f"),
              std::string("dir") + path_separator + "f");
    EXPECT_EQ(path_join("", "f"), "f");
}

TEST(OsVersionName, NamesTheOldFamiliesAndNothingNewer) {
    EXPECT_EQ(os_version_name_for(OsPlatform::nt, 3, 51, ""), "osNT3");
    EXPECT_EQ(os_version_name_for(OsPlatform::nt, 4, 0, ""), "osNT4");
    EXPECT_EQ(os_version_name_for(OsPlatform::nt, 5, 0, ""), "os2K");
    EXPECT_EQ(os_version_name_for(OsPlatform::nt, 5, 1, "Service Pack 3"), "osXP");
    EXPECT_EQ(os_version_name_for(OsPlatform::nt, 5, 2, ""), "os2K");
    EXPECT_EQ(os_version_name_for(OsPlatform::nt, 6, 1, ""), "osUnknown");
    EXPECT_EQ(os_version_name_for(OsPlatform::nt, 10, 0, ""), "osUnknown");
    EXPECT_EQ(os_version_name_for(OsPlatform::win9x, 4, 0, ""), "os95");
    EXPECT_EQ(os_version_name_for(OsPlatform::win9x, 4, 0, " B "), "os95OSR2");
    EXPECT_EQ(os_version_name_for(OsPlatform::win9x, 4, 10, ""), "os98");
    EXPECT_EQ(os_version_name_for(OsPlatform::win9x, 4, 10, "A"), "os98SE");
    EXPECT_EQ(os_version_name_for(OsPlatform::win9x, 4, 90, ""), "osME");
    EXPECT_EQ(os_version_name_for(OsPlatform::win9x, 4, 90, "A"), "osME");
    EXPECT_EQ(os_version_name_for(OsPlatform::other, 5, 1, ""), "osUnknown");
}

}  // namespace
