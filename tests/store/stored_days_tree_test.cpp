// The tree of stored days over a real container: every day with a record,
// under its year and month in date order, and the rule that a shown day
// that cannot be saved keeps the tree where it was.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <filesystem>
#include <string>
#include <vector>

#include "store/container_names.h"
#include "store/day_store.h"
#include "store/widgets/stored_days_tree.h"
#include "store_fixture.h"

namespace {

using velmora::days::day_node_key;
using velmora::days::StoredDaysTree;
using velmora::store::DayStore;
using velmora::store::PlanGrid;

class StoredDaysTreeTest : public velmora::testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        std::filesystem::create_directories(folder_.path() / "work");
        PlanGrid grid;
        grid.row(1) = {"A", "进行中", "task"};
        // Stored out of order, across a year's end.
        for (const char* key : {"20270102", "20261231", "20261209", "20260105"}) {
            ASSERT_EQ(days.savedata2fx_schedule2(grid, key), velmora::store::FxError::none);
        }
        ASSERT_EQ(days.savedata2fx_note2("a note, not a plan", "20250101"),
                  velmora::store::FxError::none);
    }
    // The tree as lines "caption" indented by level.
    static std::vector<std::string> outline(const QTreeWidget& tree) {
        std::vector<std::string> lines;
        for (int y = 0; y < tree.topLevelItemCount(); ++y) {
            const QTreeWidgetItem* year = tree.topLevelItem(y);
            lines.push_back(year->text(0).toStdString());
            for (int m = 0; m < year->childCount(); ++m) {
                lines.push_back(" " + year->child(m)->text(0).toStdString());
                for (int d = 0; d < year->child(m)->childCount(); ++d) {
                    lines.push_back("  " + year->child(m)->child(d)->text(0).toStdString());
                }
            }
        }
        return lines;
    }

    DayStore days{folder_.file("work")};
};

TEST_F(StoredDaysTreeTest, ListsTheFoldersDaysInDateOrderWithTheirKeys) {
    StoredDaysTree tree(nullptr, velmora::store::plan_folder, [] { return true; });
    EXPECT_EQ(outline(tree),
              (std::vector<std::string>{"2026年", " 01月", "  05日", " 12月", "  09日", "  31日",
                                        "2027年", " 01月", "  02日"}));
    const QTreeWidgetItem* year = tree.topLevelItem(0);
    EXPECT_EQ(day_node_key(year), "");
    EXPECT_EQ(day_node_key(year->child(0)), "");
    EXPECT_EQ(day_node_key(year->child(1)->child(1)), "20261231");
}

TEST_F(StoredDaysTreeTest, ADayThatCannotBeLeftKeepsTheTreeOnIt) {
    bool may_leave = true;
    StoredDaysTree tree(nullptr, velmora::store::plan_folder, [&] { return may_leave; });
    QSignalSpy shown(&tree, &StoredDaysTree::nodeShown);
    QTreeWidgetItem* december = tree.topLevelItem(0)->child(1);
    tree.setCurrentItem(december->child(0));
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.last().at(0).value<std::string>(), "20261209");
    may_leave = false;
    tree.setCurrentItem(december->child(1));
    EXPECT_EQ(tree.currentItem(), december->child(0));
    EXPECT_EQ(shown.count(), 1);
    may_leave = true;
    tree.setCurrentItem(tree.topLevelItem(1));
    EXPECT_EQ(shown.count(), 2);
    EXPECT_EQ(shown.last().at(0).value<std::string>(), "");
}

}  // namespace
