// Where an installed program and a portable one keep their parts and the
// user's data, and the checks an installed program's data folder passes
// before anything is written into it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "sys/program_layout.h"
#include "temp_folder.h"

namespace velmora::sys {
namespace {

namespace fs = std::filesystem;

class ProgramLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"usr/bin", "usr/lib/velmora", "usr/share/velmora", "home"}) {
            fs::create_directories(temp.path() / folder);
        }
        install = {dir("usr/bin"), dir("usr/lib/velmora"), dir("usr/share/velmora")};
    }
    std::string dir(const std::string& name) const { return temp.file(name) + "/"; }
    ProgramLayout layout_for(const std::string& exe_dir) const {
        return layout_of(
            exe_dir, install,
            [this](const char* name) {
                const auto found = environment.find(name);
                return found == environment.end() ? std::string() : found->second;
            },
            dir("home"));
    }

    testing::TempFolder temp;
    InstallPlaces install;
    std::map<std::string, std::string> environment;
};

TEST_F(ProgramLayoutTest, AProgramInItsOwnFolderKeepsEverythingThere) {
    fs::create_directories(temp.path() / "build/bin");
    const ProgramLayout layout = layout_for(dir("build/bin"));
    EXPECT_FALSE(layout.installed);
    for (const std::string& folder :
         {layout.program_dir, layout.lib_dir, layout.share_dir, layout.data_dir}) {
        EXPECT_EQ(folder, dir("build/bin"));
    }
    EXPECT_EQ(prepare_data_dir(layout), "");
}

TEST_F(ProgramLayoutTest, AnInstalledProgramReadsTheInstallAndKeepsDataInTheUsersFolder) {
    for (const std::string& exe_dir : {dir("usr/bin"), dir("usr/lib/velmora")}) {
        const ProgramLayout layout = layout_for(exe_dir);
        EXPECT_TRUE(layout.installed) << exe_dir;
        EXPECT_EQ(layout.program_dir, dir("usr/bin"));
        EXPECT_EQ(layout.lib_dir, dir("usr/lib/velmora"));
        EXPECT_EQ(layout.share_dir, dir("usr/share/velmora"));
        EXPECT_EQ(layout.data_dir, dir("home") + ".local/share/velmora/");
    }
    environment["XDG_DATA_HOME"] = temp.file("data");
    EXPECT_EQ(layout_for(dir("usr/bin")).data_dir, temp.file("data") + "/velmora/");
    // A relative value is no base directory: it is ignored.
    environment["XDG_DATA_HOME"] = "relative/data";
    EXPECT_EQ(layout_for(dir("usr/bin")).data_dir, dir("home") + ".local/share/velmora/");
    // /bin on a merged-/usr system is /usr/bin reached through a link.
    fs::create_directory_symlink(temp.path() / "usr/bin", temp.path() / "bin");
    EXPECT_TRUE(layout_for(dir("bin")).installed);
}

TEST_F(ProgramLayoutTest, TheDataFolderIsMadePrivateAndNeverALinkOrAnotherUsersFolder) {
    ProgramLayout layout = layout_for(dir("usr/bin"));
    ASSERT_EQ(prepare_data_dir(layout), "");
    struct stat info {};
    ASSERT_EQ(stat(layout.data_dir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // Opened up by hand: made private again.
    chmod(layout.data_dir.c_str(), 0755);
    EXPECT_EQ(prepare_data_dir(layout), "");
    ASSERT_EQ(stat(layout.data_dir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    environment["XDG_DATA_HOME"] = temp.file("linked");
    fs::create_directories(temp.path() / "linked");
    fs::create_directory_symlink(temp.path() / "elsewhere", temp.path() / "linked/velmora");
    layout = layout_for(dir("usr/bin"));
    EXPECT_NE(prepare_data_dir(layout).find("符号链接"), std::string::npos);
    EXPECT_FALSE(fs::exists(temp.path() / "elsewhere")) << "nothing is made where the link points";

    environment["XDG_DATA_HOME"] = temp.file("file");
    fs::create_directories(temp.path() / "file");
    temp.write("file/velmora", "not a folder");
    EXPECT_NE(prepare_data_dir(layout_for(dir("usr/bin"))).find("不是文件夹"), std::string::npos);

    environment["XDG_DATA_HOME"] = temp.file("locked");
    fs::create_directories(temp.path() / "locked");
    chmod(temp.file("locked").c_str(), 0500);
    if (access(temp.file("locked").c_str(), W_OK) != 0) {  // root may write anyway
        EXPECT_NE(prepare_data_dir(layout_for(dir("usr/bin"))).find("无法创建数据文件夹"),
                  std::string::npos);
    }
    chmod(temp.file("locked").c_str(), 0700);

    // Another user's folder, where the test may hand one over (as root).
    environment["XDG_DATA_HOME"] = temp.file("theirs");
    fs::create_directories(temp.path() / "theirs/velmora");
    if (chown(temp.file("theirs/velmora").c_str(), 65534, 65534) == 0) {
        EXPECT_NE(prepare_data_dir(layout_for(dir("usr/bin"))).find("另一个用户"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace velmora::sys
