// The system's failures in the user's words: what a real full, read-only or
// forbidden disk answers reads as Chinese, the system's English only in
// the detail for the diagnostic output.
#include "sys/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "small_disk.h"
#include "sys/atomicfile.h"
#include "temp_folder.h"

namespace velmora::sys {
namespace {

// The text for what writing `path` fails with.
std::string write_failure(const std::string& path) {
    errno = 0;
    if (write_file_atomic(path, std::string(8192, 'x'))) return "written";
    return error_text(errno);
}

TEST(ErrorText, AFullAReadOnlyAndAForbiddenDiskReadAsChinese) {
    testing::TempFolder temp;
    EXPECT_EQ(write_failure(temp.file("missing/a.txt")), "文件或文件夹不存在");
    testing::SmallDisk disk(temp.file("disk"), 64);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    disk.fill();
    EXPECT_EQ(write_failure(disk.folder() + "/a.txt"), "磁盘空间已满");
    disk.free_space();
    ASSERT_TRUE(disk.make_read_only());
    EXPECT_EQ(write_failure(disk.folder() + "/a.txt"), "磁盘是只读的");
    const int forbidden = testing::as_ordinary_user(
        [&] { return write_failure(temp.file("a.txt")) == "没有权限" ? 0 : 1; });
    EXPECT_EQ(forbidden, 0);
}

TEST(ErrorText, AnUnknownNumberIsNamedAndTheDetailKeepsTheSystemsText) {
    EXPECT_EQ(error_text(99999), "系统错误（代码 99999）");
    const std::string detail = error_detail(ENOSPC);
    EXPECT_EQ(detail.rfind("磁盘空间已满 (", 0), 0u) << detail;
    EXPECT_GT(detail.size(), std::string("磁盘空间已满 ()").size());
}

}  // namespace
}  // namespace velmora::sys
