#include <gmock/gmock.h>

#include <filesystem>

#include "../store/store_fixture.h"
#include "../sys/small_disk.h"
#include "plans/plan_list.h"

using namespace velmora::plans;
using velmora::store::PlanGrid;

namespace {

const std::string doing = "进行中";
const std::string done = "已完成";

TEST(PlanString, EncodesAndDecodesEveryCategoryAndState) {
    for (int category = 0; category < 4; ++category) {
        for (int state = 0; state < 2; ++state) {
            const PlanGrid::Row row{std::string(1, "ABCD"[category]), state ? done : doing, "买菜"};
            const std::string plan = encode_plan_string(row);
            EXPECT_EQ(plan, std::to_string(category) + std::to_string(state) + "买菜");
            EXPECT_EQ(decode_plan_string(plan), row);
        }
    }
    EXPECT_EQ(encode_plan_string({}), "");
    EXPECT_EQ(decode_plan_string("  10复习  "), (PlanGrid::Row{"B", doing, "复习"}));
}

TEST(PlanList, AddFillsTheBlankRowFirstAndBlankResultsChangeNothing) {
    PlanGrid grid;
    EXPECT_FALSE(add_task(grid, "   "));
    ASSERT_TRUE(add_task(grid, "00一"));
    EXPECT_EQ(grid.row_count(), 2);
    ASSERT_TRUE(add_task(grid, "31二"));
    EXPECT_EQ(grid.row_count(), 3);
    EXPECT_EQ(grid.row(2), (PlanGrid::Row{"D", done, "二"}));
}

TEST(PlanList, DeleteEditAndToggle) {
    PlanGrid grid;
    EXPECT_FALSE(delete_task(grid, 1));  // nothing to delete
    EXPECT_FALSE(toggle_task(grid, 1));  // an empty grid does not toggle
    add_task(grid, "00a");
    add_task(grid, "10b");
    EXPECT_TRUE(toggle_task(grid, 2));
    EXPECT_EQ(grid.row(2)[1], done);
    EXPECT_TRUE(toggle_task(grid, 2));
    EXPECT_EQ(grid.row(2)[1], doing);
    EXPECT_FALSE(edit_task(grid, 1, ""));  // cancelled
    EXPECT_EQ(grid.row(1)[2], "a");
    EXPECT_TRUE(edit_task(grid, 1, "21c"));
    EXPECT_EQ(grid.row(1), (PlanGrid::Row{"C", done, "c"}));
    EXPECT_TRUE(delete_task(grid, 1));
    EXPECT_EQ(grid.row_count(), 2);
    EXPECT_EQ(grid.row(1)[2], "b");
    EXPECT_TRUE(delete_task(grid, 1));  // the only task leaves a blank row
    EXPECT_EQ(grid.row_count(), 2);
    EXPECT_TRUE(grid.is_empty());
}

TEST(PlanMove, RefusalsAndTheChangeMarkOnce) {
    PlanGrid grid;
    EXPECT_EQ(move_refusal(grid, 1), "-");
    add_task(grid, "01done");
    add_task(grid, "00open");
    EXPECT_EQ(move_refusal(grid, 1), "已完成的任务无法变更！");
    EXPECT_EQ(move_refusal(grid, 2), "");
    EXPECT_EQ(moved_task_text("x", true), "【变更】x");
    EXPECT_EQ(moved_task_text("【变更】x", true), "【变更】x");
    EXPECT_EQ(moved_task_text("x", false), "x");
}

class PlanMoveStore : public velmora::testing::StoreTest {};

TEST_F(PlanMoveStore, AMovedTaskBecomesTheTargetDaysLastTaskAndKeepsTheShownDayDirty) {
    std::filesystem::create_directories(folder_.path() / "work");
    velmora::store::DayStore days(folder_.file("work"));
    PlanGrid target;
    add_task(target, "20existing");
    days.savedata2fx_schedule2(target, "20261210");
    append_to_day(days, "20261210", {"A", doing, "【变更】moved"});
    PlanGrid loaded;
    days.load_schedule(loaded, "20261210");
    ASSERT_EQ(loaded.row_count(), 3);
    EXPECT_EQ(loaded.row(2), (PlanGrid::Row{"A", doing, "【变更】moved"}));
    append_to_day(days, "20261211", {"B", doing, "new day"});
    days.load_schedule(loaded, "20261211");
    EXPECT_EQ(loaded.row(1)[2], "new day");
}

// A target day whose plans cannot be read is not replaced by the moved
// task alone; the user is told, and neither day changes.
TEST_F(PlanMoveStore, ATaskIsNotMovedOntoADayThatCannotBeRead) {
    velmora::testing::SmallDisk disk(folder_.file("work"));
    if (!disk.mounted()) GTEST_SKIP() << "mounting a test file system needs root";
    velmora::store::DayStore days(folder_.file("work"));
    PlanGrid target;
    add_task(target, "20existing");
    ASSERT_EQ(days.savedata2fx_schedule2(target, "20261210"), velmora::store::FxError::none);
    disk.fill();
    EXPECT_EQ(append_to_day(days, "20261210", {"A", doing, "moved"}),
              velmora::store::FxError::disk_full);
    EXPECT_EQ(task_not_moved_message("20261210", velmora::store::FxError::disk_full),
              "任务没有移到2026-12-10：磁盘空间已满。两天的计划都没有改动。");
    disk.free_space();
    PlanGrid loaded;
    ASSERT_EQ(days.load_schedule(loaded, "20261210"), velmora::store::FxError::none);
    EXPECT_EQ(loaded.row_count(), 2);
    EXPECT_EQ(loaded.row(1)[2], "existing");
}

}  // namespace
