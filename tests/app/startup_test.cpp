#include <gmock/gmock.h>

#include <sys/stat.h>

#include <cerrno>

#include <filesystem>

#include "../store/index_damage.h"
#include "../sys/small_disk.h"
#include "../sys/temp_folder.h"
#include "app/startup.h"
#include "recording_prompts.h"
#include "store/container_names.h"
#include "store/fxstore.h"
#include "store/kx_efs.h"

using namespace velmora::app;
using velmora::testing::RecordingPrompts;
using velmora::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() / "prog");
        fs::create_directories(root.path() / "systemp");
        paths = {root.file("prog") + "/", root.file("systemp") + "/"};
    }
    void TearDown() override { FX_Closefx(1); }

    void install_template() { fs::copy_file(VELMORA_TEMPLATE, paths.template_file()); }

    TempFolder root;
    AppPaths paths;
    RecordingPrompts prompts;
};

TEST_F(StartupTest, WorkingFoldersAreMadeEmptiedAndGetDesktopIni) {
    ASSERT_TRUE(create_vrx_temp(paths, prompts));
    ASSERT_TRUE(create_vrx_sys_temp(paths, true, prompts));
    root.write("prog/zenqplumora/old.txt", "x");
    root.write("prog/zenqplumora/sub/deep.txt", "x");
    ASSERT_TRUE(create_vrx_temp(paths, prompts));
    EXPECT_TRUE(fs::is_empty(paths.temp_work()));
    EXPECT_EQ(root.read("systemp/zenqplumora/desktop.ini"),
              "[.ShellClassInfo]\r\nCLSID={20D04FE0-3AEA-1069-A2D8-08002B30309D}\r\n");
    ASSERT_TRUE(create_vrx_sys_temp(paths, false, prompts));  // the close sequence
    EXPECT_TRUE(fs::is_empty(paths.sys_work()));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(StartupTest, AFolderThatCannotBeMadeIsReported) {
    root.write("prog/zenqplumora", "a file where the folder belongs");
    EXPECT_FALSE(create_vrx_temp(paths, prompts));
    EXPECT_THAT(prompts.shown, ::testing::ElementsAre("创建缓冲文件夹出错！"));
    paths.system_temp_dir = root.file("missing/parent") + "/";
    EXPECT_FALSE(create_vrx_sys_temp(paths, true, prompts));
    EXPECT_EQ(prompts.shown.back(), "创建系统缓冲文件夹出错！");
}

TEST_F(StartupTest, TheTemplateBecomesTheDataFileAndKeepsACopyInside) {
    install_template();
    ASSERT_EQ(initapp_fromfx(paths, prompts), ContainerStart::opened);
    EXPECT_TRUE(fs::exists(paths.data_file()));
    const int copy = FX_Directory_Changenodenametoindex("plumora_files/zenqmodal.fx");
    EXPECT_GT(copy, 0);
    FX_Closefx(1);
    const auto size = fs::file_size(paths.data_file());
    ASSERT_EQ(initapp_fromfx(paths, prompts), ContainerStart::opened);  // no second copy
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_files/zenqmodal.fx"), copy);
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_files/zenqmodal.fx (2)"), -1);
    FX_Closefx(1);
    EXPECT_EQ(fs::file_size(paths.data_file()), size);
    EXPECT_TRUE(prompts.shown.empty());
}

// An index out of step with the items (which the open's check finds): the
// program starts, says why nothing will be saved and where the repair is,
// and adds nothing, not even the template's copy the index no longer finds.
TEST_F(StartupTest, AnIndexOutOfStepIsToldAtTheStartAndNothingIsAdded) {
    install_template();
    ASSERT_EQ(initapp_fromfx(paths, prompts), ContainerStart::opened);
    const int copy = FX_Directory_Changenodenametoindex("plumora_files/zenqmodal.fx");
    FX_Closefx(1);
    ASSERT_NO_FATAL_FAILURE(
        velmora::testing::misname_in_index(paths.data_file(), "plumora_files/zenqmodal.fx"));
    const std::string damaged = velmora::testing::file_bytes(paths.data_file());
    EarlyOpen early(paths);
    ASSERT_EQ(initapp_fromfx(paths, prompts, &early), ContainerStart::opened);
    EXPECT_THAT(prompts.shown, ::testing::ElementsAre(messages::needs_repair));
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_files/zenqmodal.fx"), copy);
    FX_Closefx(1);
    EXPECT_EQ(velmora::testing::file_bytes(paths.data_file()), damaged);
}

TEST_F(StartupTest, BothFilesMissingIsReportedAndNothingIsMade) {
    EXPECT_EQ(initapp_fromfx(paths, prompts), ContainerStart::files_missing);
    EXPECT_THAT(prompts.shown, ::testing::ElementsAre("数据文件和数据模板文件均丢失！"));
    EXPECT_FALSE(fs::exists(paths.data_file()));
}

TEST_F(StartupTest, AnUnusableDataFileStopsTheStartInsteadOfLosingWhatIsTyped) {
    install_template();
    root.write("prog/zenqdata.fx", "not a container");
    EXPECT_EQ(initapp_fromfx(paths, prompts), ContainerStart::unusable);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], container_message(velmora::store::FxError::foreign, paths));
    EXPECT_EQ(root.read("prog/zenqdata.fx"), "not a container");
}

TEST_F(StartupTest, OldVersionFilesAreRemoved) {
    root.write("prog/zenqreg.exe", "x");
    root.write("prog/kx_update.exe", "x");
    root.write("prog/keep.exe", "x");
    clearoldver(paths);
    EXPECT_FALSE(fs::exists(root.path() / "prog/zenqreg.exe"));
    EXPECT_FALSE(fs::exists(root.path() / "prog/kx_update.exe"));
    EXPECT_TRUE(fs::exists(root.path() / "prog/keep.exe"));
}

// A data file kept on a disk or in a sync folder through a link: while the
// target is away, the link is not replaced by a new, empty container.
TEST_F(StartupTest, ADataFileLinkToNothingIsReportedAndLeftInPlace) {
    install_template();
    const fs::path target = root.path() / "unplugged/zenqdata.fx";
    fs::create_symlink(target, paths.data_file());
    EXPECT_EQ(initapp_fromfx(paths, prompts), ContainerStart::unusable);
    EXPECT_THAT(prompts.shown, ::testing::ElementsAre(
                                   container_message(velmora::store::FxError::unreachable, paths)));
    EXPECT_NE(prompts.shown[0].find("链接"), std::string::npos);
    EXPECT_TRUE(fs::is_symlink(paths.data_file()));
    EXPECT_EQ(fs::read_symlink(paths.data_file()), target);
    EXPECT_FALSE(fs::exists(target));

    // Once the disk is back, the same link opens the container behind it.
    fs::create_directories(target.parent_path());
    fs::copy_file(paths.template_file(), target);
    prompts.shown.clear();
    EXPECT_EQ(initapp_fromfx(paths, prompts), ContainerStart::opened);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(fs::is_symlink(paths.data_file()));
}

TEST_F(StartupTest, ReadOnlyPlacesAreNamedAsSuchNotAsDamage) {
    using velmora::store::FxError;
    for (FxError error :
         {FxError::not_writable, FxError::folder_not_writable, FxError::read_only_fs}) {
        const std::string message = container_message(error, paths);
        EXPECT_EQ(message.find("损坏"), std::string::npos) << message;
        EXPECT_NE(
            message.find(error == FxError::not_writable ? paths.data_file() : root.file("prog")),
            std::string::npos)
            << message;
    }
    EXPECT_NE(container_message(FxError::damaged, paths).find("损坏"), std::string::npos);
}

// A link planted where a working folder belongs would carry the staged
// plans and notes elsewhere: it gives way to a real, private folder.
TEST_F(StartupTest, AWorkingFolderLinkIsReplacedByAPrivateFolder) {
    root.write("elsewhere/keep.txt", "someone else's");
    fs::create_symlink(root.path() / "elsewhere", paths.temp_work());
    const mode_t old_mask = umask(022);
    ASSERT_TRUE(create_vrx_temp(paths, prompts));
    ASSERT_TRUE(create_vrx_sys_temp(paths, true, prompts));
    umask(old_mask);
    EXPECT_FALSE(fs::is_symlink(paths.temp_work()));
    EXPECT_TRUE(fs::is_directory(paths.temp_work()));
    EXPECT_EQ(root.read("elsewhere/keep.txt"), "someone else's");
    for (const std::string& folder : {paths.temp_work(), paths.sys_work()}) {
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::mask, fs::perms::owner_all)
            << folder;
    }
    EXPECT_TRUE(prompts.shown.empty());
}

// A program folder that refuses the working folder is the data file's
// folder: the message says so rather than only that a folder failed.
TEST_F(StartupTest, AReadOnlyProgramFolderIsNamedWhenTheWorkingFolderCannotBeMade) {
    fs::permissions(root.path(), fs::perms::all, fs::perm_options::add);
    fs::permissions(root.path() / "prog", fs::perms::owner_all | fs::perms::group_read |
                                              fs::perms::group_exec | fs::perms::others_read |
                                              fs::perms::others_exec);
    const std::string expected =
        container_message(velmora::store::FxError::folder_not_writable, paths);
    EXPECT_EQ(velmora::testing::as_ordinary_user([&] {
                  RecordingPrompts child_prompts;
                  const bool made = create_vrx_temp(paths, child_prompts);
                  return !made && child_prompts.shown == std::vector<std::string>{expected} ? 0 : 1;
              }),
              0);

    velmora::testing::SmallDisk disk(root.file("prog"));
    if (!disk.mounted()) GTEST_SKIP() << "mounting a test file system needs root";
    ASSERT_TRUE(disk.make_read_only());
    EXPECT_FALSE(create_vrx_temp(paths, prompts));
    EXPECT_THAT(prompts.shown, ::testing::ElementsAre(container_message(
                                   velmora::store::FxError::read_only_fs, paths)));
}

TEST_F(StartupTest, TheDataFileMadeFromTheTemplateIsTheOwnersAlone) {
    install_template();
    const mode_t old_mask = umask(022);
    ASSERT_EQ(initapp_fromfx(paths, prompts), ContainerStart::opened);
    umask(old_mask);
    EXPECT_EQ(fs::status(paths.data_file()).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(UnableToWrite, NamesTheFile) {
    EXPECT_EQ(unable_to_write("/p/zenqset.kxi"), "无法写入文件：/p/zenqset.kxi");
    EXPECT_EQ(unable_to_write("/p/zenqset.kxi", ENOSPC),
              "无法写入文件：/p/zenqset.kxi（磁盘空间已满）");
    EXPECT_EQ(unable_to_write("/p/zenqset.kxi", EACCES),
              "无法写入文件：/p/zenqset.kxi（没有写入文件的权限）");
}

}  // namespace
