// A full disk, a read-only disk or file: every failure is told apart from
// "no record", nothing is saved over a record that could not be read, and
// the stored records survive.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "../sys/small_disk.h"
#include "store/day_store.h"
#include "store/fxstore.h"
#include "store_fixture.h"

namespace {

namespace fs = std::filesystem;
using velmora::store::DayStore;
using velmora::store::FxError;
using velmora::store::FxStore;
using velmora::store::PlanGrid;
using velmora::testing::as_ordinary_user;
using velmora::testing::SmallDisk;
using velmora::testing::StoreTest;
using velmora::testing::TempFolder;

PlanGrid one_task(const std::string& text) {
    PlanGrid grid;
    grid.row(1) = {"A", "进行中", text};
    return grid;
}

std::string stored_task(DayStore& days, const std::string& key) {
    PlanGrid grid;
    EXPECT_EQ(days.load_schedule(grid, key), FxError::none);
    return grid.row(1)[2];
}

// The working folder, where records are staged on their way in and out,
// sits on a small disk of its own.
class FullWorkingFolder : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        if (!disk.mounted()) GTEST_SKIP() << "mounting a test file system needs root";
    }
    SmallDisk disk{folder_.file("work")};
    DayStore days{folder_.file("work")};
};

TEST_F(FullWorkingFolder, AnUnreadableDayIsNeverSavedOver) {
    ASSERT_EQ(days.savedata2fx_schedule2(one_task("stored plan"), "20261209"), FxError::none);
    ASSERT_EQ(days.savedata2fx_note2("stored note", "20261209"), FxError::none);
    disk.fill();

    PlanGrid shown = one_task("left from another day");
    EXPECT_EQ(days.load_schedule(shown, "20261209"), FxError::disk_full);
    EXPECT_TRUE(shown.is_empty());
    std::string note = "left from another day";
    EXPECT_EQ(days.load_note("20261209", note), FxError::disk_full);
    EXPECT_EQ(note, "");

    // What the user then types does not replace the record that could not
    // be shown, even once the disk has room again.
    disk.free_space();
    EXPECT_EQ(days.savedata2fx_schedule2(one_task("typed later"), "20261209"),
              FxError::record_unreadable);
    EXPECT_EQ(days.savedata2fx_note2("typed later", "20261209"), FxError::record_unreadable);
    EXPECT_EQ(days.savedata2fx_schedule2(PlanGrid{}, "20261209"), FxError::record_unreadable);

    // Read again, the day is editable again.
    EXPECT_EQ(stored_task(days, "20261209"), "stored plan");
    EXPECT_EQ(days.savedata2fx_schedule2(one_task("typed later"), "20261209"), FxError::none);
    EXPECT_EQ(stored_task(days, "20261209"), "typed later");
}

TEST_F(FullWorkingFolder, AFailedSaveSaysWhyAndKeepsTheOldRecord) {
    ASSERT_EQ(days.savedata2fx_schedule2(one_task("old"), "20261210"), FxError::none);
    disk.fill();
    EXPECT_EQ(days.savedata2fx_schedule2(one_task("new"), "20261210"), FxError::disk_full);
    EXPECT_EQ(days.savedata2fx_note2("new note", "20261210"), FxError::disk_full);
    disk.free_space();
    EXPECT_EQ(stored_task(days, "20261210"), "old");
    std::string note;
    EXPECT_EQ(days.load_note("20261210", note), FxError::none);
    EXPECT_EQ(note, "");
}

// The container itself on a disk that fills up.
TEST(FullContainerDisk, AFailedImportReportsAFullDiskAndTheStoreKeepsItsState) {
    TempFolder folder;
    SmallDisk disk(folder.file("disk"), 1024);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a test file system needs root";
    fs::create_directories(folder.path() / "work");
    DayStore days(folder.file("work"));
    const std::string container = disk.folder() + "/zenqdata.fx";
    ASSERT_EQ(FX_Createoropenfx(container, velmora::store::container_password, 0, "", ""), 1);
    ASSERT_EQ(FX_Addnode(0, "plumora_plan"), 1);
    ASSERT_EQ(days.savedata2fx_schedule2(one_task("kept"), "20261211"), FxError::none);
    disk.fill();
    EXPECT_EQ(days.savedata2fx_schedule2(one_task(std::string(200000, 'x')), "20261211"),
              FxError::disk_full);
    EXPECT_EQ(stored_task(days, "20261211"), "kept");
    FX_Closefx(1);
    disk.free_space();
    ASSERT_EQ(FX_Createoropenfx(container, velmora::store::container_password, 0, "", ""), 1);
    EXPECT_EQ(stored_task(days, "20261211"), "kept");
    FX_Closefx(1);
}

int open_error(const std::string& path) {
    FxStore store;
    store.open(path, velmora::store::container_password);
    return static_cast<int>(store.last_error());
}

TEST(ReadOnly, AReadOnlyFileOrFolderIsReportedAsSuchAndLeftAlone) {
    TempFolder folder;
    const std::string container = folder.file("data/zenqdata.fx");
    fs::create_directories(folder.path() / "data");
    {
        FxStore store;
        ASSERT_TRUE(store.open(container, velmora::store::container_password));
    }
    const std::string before = folder.read("data/zenqdata.fx");
    fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
    fs::permissions(folder.path() / "data", fs::perms::all);
    fs::permissions(container,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(as_ordinary_user([&] { return open_error(container); }),
              static_cast<int>(FxError::not_writable));
    fs::permissions(container, fs::perms::all);
    fs::permissions(folder.path() / "data", fs::perms::owner_all | fs::perms::group_read |
                                                fs::perms::group_exec | fs::perms::others_read |
                                                fs::perms::others_exec);
    EXPECT_EQ(as_ordinary_user([&] { return open_error(container); }),
              static_cast<int>(FxError::folder_not_writable));
    EXPECT_EQ(folder.read("data/zenqdata.fx"), before);
    EXPECT_FALSE(fs::exists(container + "-wal"));
}

TEST(ReadOnly, AReadOnlyDiskIsReportedAsSuch) {
    TempFolder folder;
    SmallDisk disk(folder.file("disk"));
    if (!disk.mounted()) GTEST_SKIP() << "mounting a test file system needs root";
    const std::string container = disk.folder() + "/zenqdata.fx";
    {
        FxStore store;
        ASSERT_TRUE(store.open(container, velmora::store::container_password));
    }
    ASSERT_TRUE(disk.make_read_only());
    EXPECT_EQ(open_error(container), static_cast<int>(FxError::read_only_fs));
}

// Plans and notes are nobody else's business, whatever the umask.
TEST(FileModes, ANewContainerAndItsLogAreTheOwnersAlone) {
    TempFolder folder;
    const mode_t old_mask = umask(022);
    const std::string container = folder.file("zenqdata.fx");
    FxStore store;
    ASSERT_TRUE(store.open(container, velmora::store::container_password));
    ASSERT_TRUE(store.add_folder(0, "plumora_plan"));
    umask(old_mask);
    const auto mode = [](const std::string& path) {
        return fs::status(path).permissions() & fs::perms::mask;
    };
    const fs::perms owner = fs::perms::owner_read | fs::perms::owner_write;
    EXPECT_EQ(mode(container), owner);
    EXPECT_EQ(mode(container + "-wal"), owner);
    ASSERT_TRUE(store.compact_copy(folder.file("copy.fx"), velmora::store::container_password));
    EXPECT_EQ(mode(folder.file("copy.fx")), owner);
    store.close();

    // An existing container keeps the mode its owner gave it.
    fs::permissions(container, owner | fs::perms::group_read);
    ASSERT_TRUE(store.open(container, velmora::store::container_password));
    ASSERT_TRUE(store.add_folder(0, "plumora_note"));
    store.close();
    EXPECT_EQ(mode(container), owner | fs::perms::group_read);
}

}  // namespace
