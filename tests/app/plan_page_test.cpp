#include <gmock/gmock.h>

#include <QApplication>
#include <QButtonGroup>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <functional>

#include "main_window_fixture.h"
#include "plans/ufrm_plan.h"

using velmora::plans::Tfrm_plan;

namespace {

// Answers the plan dialog that the next action opens.
void when_plan_dialog_opens(std::function<void(Tfrm_plan&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Tfrm_plan*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

class PlanPageTest : public velmora::testing::MainWindowFixture {
protected:
    QString cell(int row, int column) const {
        QTableWidgetItem* item = window->sg_mon_log->item(row, column);
        return item ? item->text() : QString();
    }
    void add(const QString& text, int category, int state) {
        when_plan_dialog_opens([=](Tfrm_plan& dialog) {
            dialog.Memo1->setPlainText(text);
            dialog.RadioGroup1->button(category)->setChecked(true);
            dialog.RadioGroup2->button(state)->setChecked(true);
            dialog.Button1Click();
        });
        window->bt_plan_addClick();
    }
};

TEST_F(PlanPageTest, AddingToAnEmptyDayFillsRowOneAndLinesAreJoined) {
    EXPECT_EQ(window->sg_mon_log->rowCount(), 1);
    add("买菜\n付款", 1, 0);
    EXPECT_TRUE(window->day_store().plan_dirty);
    ASSERT_EQ(window->sg_mon_log->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "B");
    EXPECT_EQ(cell(0, 1), "进行中");
    EXPECT_EQ(cell(0, 2), "买菜付款");
    add("复习", 3, 1);
    EXPECT_EQ(window->sg_mon_log->rowCount(), 2);
    EXPECT_EQ(cell(1, 1), "已完成");
}

TEST_F(PlanPageTest, AnEmptyTaskIsRefusedAndCancelChangesNothing) {
    add("x", 0, 0);
    window->day_store().plan_dirty = false;
    when_plan_dialog_opens([this](Tfrm_plan& dialog) {
        dialog.Memo1->setPlainText("   ");
        dialog.Button1Click();  // refused: the dialog stays open
        EXPECT_EQ(prompts.shown.back(), "计划安排不能为空！");
        EXPECT_TRUE(dialog.isVisible());
        dialog.Memo1->setPlainText("changed");
        dialog.Button2Click();
    });
    window->sg_mon_log->setCurrentCell(0, 0);
    window->bt_plan_editClick();
    EXPECT_EQ(cell(0, 2), "x");
    EXPECT_FALSE(window->day_store().plan_dirty);
}

TEST_F(PlanPageTest, DeletingTheOnlyTaskDropsTheRecordAtTheNextSave) {
    add("only", 0, 0);
    window->CnDayMouseDown(10);
    ASSERT_GT(FX_Directory_Changenodenametoindex("plumora_plan/20261209.txt"), 0);
    window->CnDayMouseDown(9);
    window->sg_mon_log->setCurrentCell(0, 0);
    window->bt_plan_delClick();
    EXPECT_EQ(window->sg_mon_log->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "");
    window->CnDayMouseDown(10);
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_plan/20261209.txt"), -1);
}

TEST_F(PlanPageTest, DoubleClickTogglesAndSelectionMarksTheRow) {
    window->sg_mon_logDblClick();  // an empty grid does nothing
    EXPECT_FALSE(window->day_store().plan_dirty);
    add("t", 2, 0);
    window->sg_mon_log->setCurrentCell(0, 1);
    EXPECT_EQ(window->plan_row(), 1);
    window->sg_mon_logDblClick();
    EXPECT_EQ(cell(0, 1), "已完成");
}

}  // namespace

namespace {

TEST_F(PlanPageTest, TaskcheckCountsTheGridForTodayAndTheStoredRecordOtherwise) {
    add("open", 0, 0);
    add("done", 0, 1);
    add("open too", 1, 0);
    window->taskcheck();
    EXPECT_EQ(window->task_counts().undone, 2);  // unsaved edits count
    EXPECT_EQ(window->task_counts().done, 1);
    window->CnDayMouseDown(20);  // saves today's grid, shows another day
    window->taskcheck();
    EXPECT_EQ(window->task_counts().undone, 2);
    EXPECT_EQ(window->task_counts().done, 1);
}

}  // namespace
