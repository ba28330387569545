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

// The export writer's target check, in the cases every system has.
TEST(WriteToTarget, WritesANewNameOrARegularFileAndRefusesAFolderOrAReadOnlyFile) {
    TempFolder folder;
    folder.write("old.txt", "old");
    TargetWrite written = write_to_target(folder.file("old.txt"), "new");
    EXPECT_TRUE(written.written);
    EXPECT_EQ(written.target, WriteTarget::regular);
    EXPECT_EQ(folder.read("old.txt"), "new");
    written = write_to_target(folder.file("fresh.txt"), "fresh");
    EXPECT_TRUE(written.written);
    EXPECT_EQ(written.target, WriteTarget::new_name);
    EXPECT_EQ(folder.read("fresh.txt"), "fresh");

    fs::create_directory(folder.path() / "sub");
    written = write_to_target(folder.file("sub"), "x");
    EXPECT_TRUE(written.refused);
    EXPECT_EQ(written.target, WriteTarget::folder);
    EXPECT_TRUE(fs::is_empty(folder.path() / "sub"));

    folder.write("read-only.txt", "kept");
    const fs::path read_only = folder.path() / "read-only.txt";
    fs::permissions(read_only,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(inspect_write_target(read_only.string()), WriteTarget::read_only);
    written = write_to_target(read_only.string(), "replaced");
    EXPECT_TRUE(written.refused);
    EXPECT_FALSE(written.written);
    EXPECT_EQ(folder.read("read-only.txt"), "kept");
    // Once the user has said so, it is replaced, and stays read-only.
    written = write_to_target(read_only.string(), "replaced", true);
    EXPECT_TRUE(written.written);
    EXPECT_EQ(folder.read("read-only.txt"), "replaced");
    EXPECT_EQ(inspect_write_target(read_only.string()), WriteTarget::read_only);
    fs::permissions(read_only, fs::perms::owner_write, fs::perm_options::add);
    // Nothing but the files themselves: no temporary left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 4);

    EXPECT_EQ(write_target_refusal(WriteTarget::fifo), "这是一个命名管道（FIFO），不是普通文件");
    EXPECT_EQ(write_target_refusal(WriteTarget::regular), "");
    EXPECT_TRUE(may_write(WriteTarget::read_only, true));
    EXPECT_FALSE(may_write(WriteTarget::read_only, false));
    EXPECT_FALSE(may_write(WriteTarget::hard_linked, true));
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
