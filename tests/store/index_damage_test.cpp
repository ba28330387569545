// A container whose name index is out of step with its items (the damage
// SQLite's page walk cannot see): it opens, every item can still be read by
// its name, and nothing at all is written until the index is rebuilt, so no
// save can go over a record that a lookup in the index would have missed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "index_damage.h"
#include "store/container_names.h"
#include "store/day_records.h"
#include "store/day_store.h"
#include "store/kx_efs.h"
#include "store/record_io.h"
#include "store_fixture.h"
#include "sys/textcodec.h"

namespace {

namespace fs = std::filesystem;
using velmora::store::DayStore;
using velmora::store::FxError;
using velmora::store::PlanGrid;
using velmora::testing::file_bytes;
using velmora::testing::misname_in_index;

const std::string hidden_day = "20260115";
const std::string hidden_bookmark = "plumora_url/隐藏的书签";

PlanGrid one_task(const std::string& text) {
    PlanGrid grid;
    grid.row(1) = {"A", velmora::store::state_in_progress, text};
    return grid;
}

class IndexOutOfStep : public velmora::testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        fs::create_directories(folder_.path() / "work");
        for (int day = 10; day < 20; ++day) {
            const std::string key = "202601" + std::to_string(day);
            ASSERT_EQ(days_.savedata2fx_schedule2(one_task("任务 " + key), key), FxError::none);
        }
        put("plumora_url", "甲书签", "http://a.example/");
        put("plumora_url", "隐藏的书签", "http://hidden.example/");
        put("plumora_url", "乙书签", "http://b.example/");
        hidden_plan_index_ = index(velmora::store::plan_record_name(hidden_day));
        hidden_bookmark_index_ = index(hidden_bookmark);
        ASSERT_GT(hidden_plan_index_, 0);
        ASSERT_GT(hidden_bookmark_index_, 0);
        FX_Closefx(1);
        ASSERT_NO_FATAL_FAILURE(misname_in_index(
            path_, velmora::text::to_gb18030(velmora::store::plan_record_name(hidden_day))));
        ASSERT_NO_FATAL_FAILURE(
            misname_in_index(path_, velmora::text::to_gb18030(hidden_bookmark)));
        damaged_ = file_bytes(path_);
    }

    bool open() {
        return FX_Createoropenfx(path_, velmora::store::container_password, 0, "fileX", "ccc") == 1;
    }

    DayStore days_{folder_.file("work")};
    int hidden_plan_index_ = -1;
    int hidden_bookmark_index_ = -1;
    std::string damaged_;
};

TEST_F(IndexOutOfStep, OpensWithEveryItemFoundByItsNameAndWaitsForRepair) {
    ASSERT_TRUE(open());
    EXPECT_EQ(FX_Needsrepair(), 1);
    EXPECT_EQ(index(velmora::store::plan_record_name(hidden_day)), hidden_plan_index_);
    EXPECT_EQ(FX_Getlasterror(), FxError::none);
    EXPECT_EQ(index(hidden_bookmark), hidden_bookmark_index_);
    EXPECT_TRUE(DayStore::has_plan(hidden_day)) << "the month view marks the day";

    PlanGrid grid;
    ASSERT_EQ(days_.load_schedule(grid, hidden_day), FxError::none);
    EXPECT_EQ(grid.row(1)[2], "任务 " + hidden_day);
    const velmora::store::RecordRead bookmark =
        velmora::store::read_record(hidden_bookmark, folder_.file("work"));
    EXPECT_EQ(bookmark.error, FxError::none);
    EXPECT_EQ(bookmark.bytes, "http://hidden.example/");

    // A whole folder written out holds every bookmark, the hidden one too.
    const std::string out = folder_.file("out");
    fs::create_directories(out);
    ASSERT_EQ(FX_Outputall(0, out, {std::to_string(index("plumora_url"))}, 1, 1), 1);
    EXPECT_TRUE(fs::exists(out + "/plumora_url/隐藏的书签"));
    EXPECT_EQ(folder_.read("out/plumora_url/甲书签"), "http://a.example/");
}

TEST_F(IndexOutOfStep, NothingIsWrittenBeforeTheRepair) {
    ASSERT_TRUE(open());
    // The day's page, the note pane and the bookmarks: every kind of save.
    EXPECT_EQ(days_.savedata2fx_schedule2(PlanGrid(), hidden_day), FxError::needs_repair);
    EXPECT_EQ(days_.savedata2fx_schedule2(one_task("新的"), hidden_day), FxError::needs_repair);
    EXPECT_EQ(days_.savedata2fx_schedule2(one_task("新的"), "20260301"), FxError::needs_repair);
    EXPECT_EQ(days_.savedata2fx_note2("便笺", hidden_day), FxError::needs_repair);
    EXPECT_EQ(velmora::store::store_file(index("plumora_url"), "丙书签", "http://c/",
                                         folder_.file("work"), false),
              FxError::needs_repair);
    EXPECT_EQ(FX_Deleteitem(hidden_bookmark_index_, 1), 0);
    EXPECT_EQ(FX_Getlasterror(), FxError::needs_repair);
    EXPECT_EQ(FX_Addnode(index("plumora_url"), ""), 0);
    EXPECT_EQ(FX_Getlasterror(), FxError::needs_repair);
    EXPECT_EQ(FX_Changeitemname(index("plumora_url"), hidden_bookmark_index_, "改名"), 0);
    EXPECT_EQ(FX_Getlasterror(), FxError::needs_repair);
    EXPECT_EQ(FX_Fxcopy(-1, folder_.file("copy.~fx"), velmora::store::container_password), 0);
    EXPECT_FALSE(fs::exists(folder_.file("copy.~fx")));
    EXPECT_NE(std::string(velmora::store::describe(FxError::needs_repair)).find("数据管理"),
              std::string::npos);
    FX_Closefx(1);
    EXPECT_EQ(file_bytes(path_), damaged_) << "not one byte of the container changed";
    EXPECT_FALSE(fs::exists(path_ + "-wal"));
}

TEST_F(IndexOutOfStep, TheFullCheckFindsItAndTheRepairBringsTheIndexBack) {
    ASSERT_TRUE(open());
    std::vector<std::string> problems;
    ASSERT_EQ(FX_Checkfx(problems), 1);
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.front().find("missing from index"), std::string::npos) << problems.front();
    ASSERT_EQ(FX_Repairfx(), 1);
    EXPECT_EQ(FX_Needsrepair(), 0);
    EXPECT_EQ(FX_Checkfx(problems), 0);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(index(velmora::store::plan_record_name(hidden_day)), hidden_plan_index_);
    EXPECT_EQ(days_.savedata2fx_schedule2(one_task("改过"), hidden_day), FxError::none);
    FX_Closefx(1);
    ASSERT_TRUE(open());
    EXPECT_EQ(FX_Needsrepair(), 0) << "the next open finds it whole";
    PlanGrid grid;
    ASSERT_EQ(days_.load_schedule(grid, hidden_day), FxError::none);
    EXPECT_EQ(grid.row(1)[2], "改过");
}

TEST_F(IndexOutOfStep, AWholeContainerNeedsNoRepair) {
    fs::remove(path_);
    ASSERT_TRUE(open());
    EXPECT_EQ(FX_Needsrepair(), 0);
    std::vector<std::string> problems;
    EXPECT_EQ(FX_Checkfx(problems), 0);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(FX_Addnode(0, "plumora_plan"), 1);
}

TEST(IndexCheck, NoContainerOpenCannotBeChecked) {
    FX_Closefx(1);
    std::vector<std::string> problems;
    EXPECT_EQ(FX_Checkfx(problems), -1);
    EXPECT_EQ(FX_Getlasterror(), FxError::not_open);
    EXPECT_EQ(FX_Repairfx(), 0);
    EXPECT_EQ(FX_Needsrepair(), 0);
}

}  // namespace
