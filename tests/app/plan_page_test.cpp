#include <gmock/gmock.h>

#include <QApplication>
#include <QButtonGroup>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <functional>

#include "main_window_fixture.h"
#include "plans/plan_list.h"
#include "plans/ufrm_plan.h"
#include "plans/ufrm_schedule_manage.h"
#include "store/container_names.h"

#include <QTreeWidget>

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
    EXPECT_TRUE(window->plan_page().dirty());
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
    window->plan_page().save_shown();
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
    EXPECT_FALSE(window->plan_page().dirty());
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
    EXPECT_FALSE(window->plan_page().dirty());
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

namespace {

using velmora::plans::Tfrm_schedule_manage;

class PlanManagerTest : public PlanPageTest {
protected:
    void store_day(const std::string& key, const std::string& plan) {
        velmora::store::PlanGrid grid;
        velmora::plans::add_task(grid, plan);
        window->day_store().savedata2fx_schedule2(grid, key);
    }
    std::unique_ptr<Tfrm_schedule_manage> open_manager() {
        return std::make_unique<Tfrm_schedule_manage>(
            window.get(), window->day_store(), prompts,
            [this](const velmora::store::PlanGrid& grid, const std::string& key) {
                return window->day_store().savedata2fx_schedule2(grid, key);
            },
            manage_daykey);
    }
    std::string manage_daykey;
};

TEST_F(PlanManagerTest, TheTreeListsStoredDaysInDateOrder) {
    store_day("20110120", "00b");
    store_day("20101205", "00a");
    auto manager = open_manager();
    QTreeWidget* tree = manager->RzTreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "2010年");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), "2011年");
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "12月");
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->child(0)->text(0), "05日");
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->text(0), "01月");
    EXPECT_EQ(tree->topLevelItem(1)->child(0)->child(0)->text(0), "20日");
    EXPECT_FALSE(manager->bt_add->isEnabled());
}

TEST_F(PlanManagerTest, EmptyingADayDropsItsRecordAndCategoriesSurvive) {
    store_day("20101205", "00a");
    store_day("20110120", "00b");
    auto manager = open_manager();
    QTreeWidgetItem* first_day = manager->RzTreeView1->topLevelItem(0)->child(0)->child(0);
    manager->RzTreeView1->setCurrentItem(first_day);
    EXPECT_EQ(manage_daykey, "20101205");
    ASSERT_TRUE(manager->bt_del->isEnabled());
    manager->bt_delClick();
    manager->RzTreeView1->setCurrentItem(manager->RzTreeView1->topLevelItem(1));
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_plan/20101205.txt"), -1);

    manager->RzTreeView1->setCurrentItem(manager->RzTreeView1->topLevelItem(1)->child(0)->child(0));
    manager->RadioGroup1->button(3)->setChecked(true);
    manager->Memo1->setPlainText("fourth");
    manager->bt_addClick();
    manager->close();
    velmora::store::PlanGrid stored;
    window->day_store().load_schedule(stored, "20110120");
    ASSERT_EQ(stored.row_count(), 3);
    EXPECT_EQ(stored.row(2)[0], "D");
    auto again = open_manager();
    again->RzTreeView1->setCurrentItem(again->RzTreeView1->topLevelItem(0)->child(0)->child(0));
    again->sg_schedule_manage->setCurrentCell(1, 0);
    EXPECT_EQ(again->RadioGroup1->checkedId(), 3);
}

// The hidden line buffer holds the record as text, as typed.
TEST_F(PlanPageTest, TheLineBufferHoldsTheRecordsText) {
    add("交报告", 1, 0);
    window->CnDayMouseDown(10);
    window->CnDayMouseDown(9);
    EXPECT_TRUE(
        window->Memo_plan_temp->toPlainText().startsWith(QString::fromUtf8("B进行中交报告")))
        << window->Memo_plan_temp->toPlainText().toStdString();
}

// A change is saved within two seconds while the day stays shown, so a
// crash or a lost display loses at most those seconds.
TEST_F(PlanPageTest, AChangeIsSavedWithinTwoSecondsWithoutADayChange) {
    EXPECT_FALSE(window->plan_page().save_soon().pending());
    add("交报告", 0, 0);
    ASSERT_TRUE(window->plan_page().save_soon().pending());
    EXPECT_LE(window->plan_page().save_soon().remaining_ms(), 2000);
    add("再加一条", 0, 0);  // a later change does not postpone the save
    EXPECT_LE(window->plan_page().save_soon().remaining_ms(), 2000);
    window->plan_page().save_soon().save_now();
    EXPECT_FALSE(window->plan_page().dirty());
    velmora::store::PlanGrid stored;
    ASSERT_EQ(window->day_store().load_schedule(stored, "20261209"), velmora::store::FxError::none);
    EXPECT_EQ(stored.row_count(), 3);
    EXPECT_EQ(window->daykey(), "20261209");
}

TEST_F(PlanManagerTest, TheManagersEditsAreSavedSoonAndWhenTheSessionEndsWithItOpen) {
    store_day("20261201", "00a");
    store_day("20261202", "00b");
    auto manager = open_manager();
    manager->show();
    QTreeWidgetItem* month = manager->RzTreeView1->topLevelItem(0)->child(0);
    manager->RzTreeView1->setCurrentItem(month->child(0));
    manager->RadioGroup1->button(0)->setChecked(true);
    manager->RadioGroup2->button(0)->setChecked(true);
    manager->Memo1->setPlainText("soon");
    manager->bt_addClick();
    ASSERT_TRUE(manager->save_soon().pending());
    manager->save_soon().save_now();
    velmora::store::PlanGrid stored;
    window->day_store().load_schedule(stored, "20261201");
    EXPECT_EQ(stored.row(2)[2], "soon");

    manager->Memo1->setPlainText("at the end");
    manager->bt_addClick();
    window->close();  // what SIGTERM, SIGHUP and the session's end do
    ASSERT_TRUE(window->close_sequence_done());
    manager->accept();  // the manager goes after the container has closed
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front();
    ASSERT_EQ(FX_Createoropenfx(root.file("prog") + "/zenqdata.fx",
                                velmora::store::container_password, 0, "", ""),
              1);
    window->day_store().load_schedule(stored, "20261201");
    ASSERT_EQ(stored.row_count(), 4);
    EXPECT_EQ(stored.row(3)[2], "at the end");
}

}  // namespace
