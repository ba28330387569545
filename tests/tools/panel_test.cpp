// The tools page: eight entries in their order, and a double click that
// runs the tool of its caption, wherever the entry stands.
#include "tools/widgets/tools_panel.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QWidget>

#include <string>
#include <vector>

namespace velmora::tools {
namespace {

class ToolsPanelTest : public ::testing::Test {
protected:
    void SetUp() override { panel.fill(); }
    void choose(int row) {
        panel.ListView_tool->setCurrentRow(row);
        panel.ListView_toolDblClick();
    }

    std::vector<std::string> ran;
    QWidget page;
    ToolsPanel panel{
        &page,
        {[this](int p) { ran.push_back("options " + std::to_string(p)); },
         [this] { ran.push_back("anniversaries"); }, [this] { ran.push_back("capture"); },
         [this] { ran.push_back("folder lock"); }, [this] { ran.push_back("dictionary"); },
         [this] { ran.push_back("search"); }, [this] { ran.push_back("holiday import"); }}};
};

TEST_F(ToolsPanelTest, EachEntryRunsItsTool) {
    ASSERT_EQ(panel.ListView_tool->count(), 9);
    for (int row = 0; row < 9; ++row) choose(row);
    EXPECT_EQ(ran, (std::vector<std::string>{"options 2", "options 3", "options 4", "anniversaries",
                                             "capture", "folder lock", "dictionary", "search",
                                             "holiday import"}));
    EXPECT_FALSE(panel.ListView_tool->item(4)->icon().isNull());
}

TEST_F(ToolsPanelTest, TheCaptionDecidesAndNoSelectionDoesNothing) {
    panel.ListView_tool->clearSelection();
    panel.ListView_toolDblClick();
    EXPECT_TRUE(ran.empty());
    panel.ListView_tool->insertItem(0, "分类搜索");  // the search, now first
    panel.ListView_tool->insertItem(1, "未知");
    choose(0);
    choose(1);
    EXPECT_EQ(ran, std::vector<std::string>{"search"});
}

}  // namespace
}  // namespace velmora::tools
