// Whole-file reads, exclusive moves and the diagnostic line: the parts of
// the file helpers that behave the same on every system.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "sys/atomicfile.h"
#include "sys/diagnostic.h"
#include "temp_folder.h"

using namespace velmora::sys;
using velmora::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

TEST(ReadFile, ReadsUpToTheLimitAndRefusesOneByteMore) {
    TempFolder folder;
    const std::string content(100, 'r');
    folder.write("f.txt", content);
    ReadFailure failure = ReadFailure::io_error;
    EXPECT_EQ(read_file(folder.file("f.txt"), content.size(), &failure), content);
    EXPECT_EQ(failure, ReadFailure::none);
    EXPECT_FALSE(read_file(folder.file("f.txt"), content.size() - 1, &failure).has_value());
    EXPECT_EQ(failure, ReadFailure::too_large);
    folder.write("empty.txt", "");
    EXPECT_EQ(read_file(folder.file("empty.txt"), 0, &failure), "");
    EXPECT_EQ(failure, ReadFailure::none);
}

TEST(ReadFile, TellsAMissingFileFromAFolder) {
    TempFolder folder;
    folder.write("plain.txt", "x");
    ReadFailure failure = ReadFailure::none;
    EXPECT_FALSE(read_file(folder.file("missing.txt"), default_read_limit, &failure).has_value());
    EXPECT_EQ(failure, ReadFailure::missing);
    EXPECT_FALSE(
        read_file(folder.file("no-folder") + "/x.txt", default_read_limit, &failure).has_value());
    EXPECT_EQ(failure, ReadFailure::missing);
    fs::create_directory(folder.path() / "sub");
    EXPECT_FALSE(read_file(folder.file("sub"), default_read_limit, &failure).has_value());
    EXPECT_EQ(failure, ReadFailure::not_regular);
}

TEST(RenameNoReplace, MovesOntoAFreeNameOnly) {
    TempFolder folder;
    folder.write("new.txt", "new");
    folder.write("old.txt", "old");
    fs::create_directory(folder.path() / "sub");
    EXPECT_FALSE(rename_no_replace(folder.file("new.txt"), folder.file("old.txt")));
    EXPECT_FALSE(rename_no_replace(folder.file("new.txt"), folder.file("sub")));
    EXPECT_EQ(folder.read("old.txt"), "old");
    EXPECT_EQ(folder.read("new.txt"), "new");
    EXPECT_TRUE(fs::is_empty(folder.path() / "sub"));

    EXPECT_TRUE(rename_no_replace(folder.file("new.txt"), folder.file("moved.txt")));
    EXPECT_EQ(folder.read("moved.txt"), "new");
    EXPECT_FALSE(fs::exists(folder.path() / "new.txt"));
    EXPECT_FALSE(rename_no_replace(folder.file("new.txt"), folder.file("again.txt")));
}

TEST(Diagnostic, IsOneLineNamingTheProgram) {
    ::testing::internal::CaptureStderr();
    diagnostic("settings.kxi is not a regular file; ignored");
    diagnostic("a\r\nvelmora: planted");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "velmora: settings.kxi is not a regular file; ignored\n"
              "velmora: a  velmora: planted\n");
}

}  // namespace
