// The plan page and the plan manager without the main window: the tests
// move between days the way the day selection does, save then load.
#include <gmock/gmock.h>

#include <QApplication>
#include <QButtonGroup>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include "page_fixture.h"
#include "plan_dialog_answer.h"
#include "plans/plan_list.h"
#include "plans/widgets/plan_page.h"
#include "plans/widgets/ufrm_plan.h"
#include "plans/widgets/ufrm_schedule_manage.h"
#include "stored_plans.h"
#include "ui/pending_edit.h"

namespace {

using velmora::plans::PlanPage;
using velmora::plans::Tfrm_plan;
using velmora::store::FxError;

class PlanPageTest : public velmora::testing::PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        page = std::make_unique<PlanPage>(
            &host, &line_buffer, days, prompts, clock,
            PlanPage::Links{[this] { ++redraws; }, [](const velmora::calendar::Date&) {}, [] {}});
        page->load("20261209");
    }
    void TearDown() override {
        page.reset();
        PageTest::TearDown();
    }
    QString cell(int row, int column) const {
        QTableWidgetItem* item = page->sg_mon_log->item(row, column);
        return item ? item->text() : QString();
    }
    void add(const QString& text, int category, int state) {
        velmora::testing::confirm_plan_dialog(text, category, state);
        page->bt_plan_addClick();
    }
    // What the day selection does on a click on another day.
    void go_to(const std::string& key) {
        ASSERT_TRUE(page->save_before_leaving());
        page->load(key);
    }

    velmora::ui::LineBuffer line_buffer;
    std::unique_ptr<PlanPage> page;
};

TEST_F(PlanPageTest, AddingToAnEmptyDayFillsRowOneAndLinesAreJoined) {
    EXPECT_EQ(page->sg_mon_log->rowCount(), 1);
    add("买菜\n付款", 1, 0);
    EXPECT_TRUE(page->dirty());
    ASSERT_EQ(page->sg_mon_log->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "B");
    EXPECT_EQ(cell(0, 1), "进行中");
    EXPECT_EQ(cell(0, 2), "买菜付款");
    add("复习", 3, 1);
    EXPECT_EQ(page->sg_mon_log->rowCount(), 2);
    EXPECT_EQ(cell(1, 1), "已完成");
    EXPECT_EQ(page->sg_mon_log->horizontalHeaderItem(2)->text(), "任务安排");
}

TEST_F(PlanPageTest, AnEmptyTaskIsRefusedAndCancelChangesNothing) {
    add("x", 0, 0);
    ASSERT_EQ(page->save_shown(), FxError::none);
    velmora::testing::when_modal_opens<Tfrm_plan>([this](Tfrm_plan& dialog) {
        dialog.Memo1->setPlainText("   ");
        dialog.Button1Click();  // refused: the dialog stays open
        EXPECT_EQ(prompts.shown.back(), "计划安排不能为空！");
        EXPECT_TRUE(dialog.isVisible());
        dialog.Memo1->setPlainText("changed");
        dialog.Button2Click();
    });
    page->sg_mon_log->setCurrentCell(0, 0);
    page->bt_plan_editClick();
    EXPECT_EQ(cell(0, 2), "x");
    EXPECT_FALSE(page->dirty());
}

// The session ends while the dialog is open (what the close sequence does
// first): the typed task reaches the grid once, the dialog closes, and a
// dialog left blank adds nothing.
TEST_F(PlanPageTest, SessionEndKeepsTheTypedTaskOfAnOpenDialogOnce) {
    const auto end_session_with = [this](const QString& typed) {
        velmora::testing::when_modal_opens<Tfrm_plan>([typed](Tfrm_plan& dialog) {
            dialog.Memo1->setPlainText(typed);
            EXPECT_EQ(velmora::ui::PendingEdit::keep_all(true), 1);
        });
    };
    end_session_with("typed, not confirmed");
    page->bt_plan_addClick();
    EXPECT_EQ(cell(0, 2), "typed, not confirmed");
    EXPECT_EQ(page->sg_mon_log->rowCount(), 1);
    EXPECT_TRUE(page->dirty());
    end_session_with("edited, not confirmed");
    page->bt_plan_editClick();
    EXPECT_EQ(cell(0, 2), "edited, not confirmed");
    end_session_with("  ");
    page->bt_plan_addClick();
    EXPECT_EQ(page->sg_mon_log->rowCount(), 1);
    EXPECT_EQ(velmora::ui::PendingEdit::keep_all(true), 0);  // nothing left open
}

TEST_F(PlanPageTest, DeletingTheOnlyTaskDropsTheRecordAtTheNextSave) {
    add("only", 0, 0);
    go_to("20261210");
    ASSERT_GT(index("plumora_plan/20261209.txt"), 0);
    EXPECT_GT(redraws, 0);  // the new mark is drawn
    go_to("20261209");
    page->sg_mon_log->setCurrentCell(0, 0);
    page->bt_plan_delClick();
    EXPECT_EQ(page->sg_mon_log->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "");
    go_to("20261210");
    EXPECT_EQ(index("plumora_plan/20261209.txt"), -1);
}

TEST_F(PlanPageTest, DoubleClickTogglesAndSelectionMarksTheRow) {
    page->sg_mon_logDblClick();  // an empty grid does nothing
    EXPECT_FALSE(page->dirty());
    add("t", 2, 0);
    page->sg_mon_log->setCurrentCell(0, 1);
    EXPECT_EQ(page->plan_row(), 1);
    page->sg_mon_logDblClick();
    EXPECT_EQ(cell(0, 1), "已完成");
}

// The hidden line buffer holds the record as text, as typed.
TEST_F(PlanPageTest, TheLineBufferHoldsTheRecordsText) {
    add("交报告", 1, 0);
    go_to("20261210");
    go_to("20261209");
    EXPECT_TRUE(line_buffer.toPlainText().startsWith(QString::fromUtf8("B进行中交报告")))
        << line_buffer.toPlainText().toStdString();
}

// A change is saved within two seconds while the day stays shown, so a
// crash or a lost display loses at most those seconds.
TEST_F(PlanPageTest, AChangeIsSavedWithinTwoSecondsWithoutADayChange) {
    EXPECT_FALSE(page->save_soon().pending());
    add("交报告", 0, 0);
    ASSERT_TRUE(page->save_soon().pending());
    EXPECT_LE(page->save_soon().remaining_ms(), 2000);
    add("再加一条", 0, 0);  // a later change does not postpone the save
    EXPECT_LE(page->save_soon().remaining_ms(), 2000);
    page->save_soon().save_now();
    EXPECT_FALSE(page->dirty());
    velmora::store::PlanGrid stored;
    ASSERT_EQ(days.load_schedule(stored, "20261209"), FxError::none);
    EXPECT_EQ(stored.row_count(), 3);
    EXPECT_EQ(page->daykey(), "20261209");
}

// The reminder's count: the grid for the shown day, unsaved edits included;
// the stored record for any other day.
TEST_F(PlanPageTest, TasksOfTheShownDayComeFromTheGridOfOthersFromTheStore) {
    add("open", 0, 0);
    add("done", 0, 1);
    EXPECT_EQ(page->tasks_of("20261209").undone, 1);
    EXPECT_EQ(page->tasks_of("20261209").done, 1);
    EXPECT_EQ(page->tasks_of("20261210").undone, 0);
    go_to("20261210");
    EXPECT_EQ(page->tasks_of("20261209").undone, 1);
    EXPECT_EQ(page->tasks_of("20261209").done, 1);
}

using velmora::plans::Tfrm_schedule_manage;

class PlanManagerTest : public PlanPageTest {
protected:
    void store_day(const std::string& key, const std::string& plan) {
        velmora::testing::store_one_task(days, key, plan);
    }
    std::unique_ptr<Tfrm_schedule_manage> open_manager() {
        return std::make_unique<Tfrm_schedule_manage>(
            &host, days, prompts,
            [this](const velmora::store::PlanGrid& grid, const std::string& key) {
                return days.savedata2fx_schedule2(grid, key);
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
    EXPECT_EQ(index("plumora_plan/20101205.txt"), -1);

    manager->RzTreeView1->setCurrentItem(manager->RzTreeView1->topLevelItem(1)->child(0)->child(0));
    manager->RadioGroup1->button(3)->setChecked(true);
    manager->Memo1->setPlainText("fourth");
    manager->bt_addClick();
    manager->close();
    velmora::store::PlanGrid stored;
    days.load_schedule(stored, "20110120");
    ASSERT_EQ(stored.row_count(), 3);
    EXPECT_EQ(stored.row(2)[0], "D");
    auto again = open_manager();
    again->RzTreeView1->setCurrentItem(again->RzTreeView1->topLevelItem(0)->child(0)->child(0));
    again->sg_schedule_manage->setCurrentCell(1, 0);
    EXPECT_EQ(again->RadioGroup1->checkedId(), 3);
}

// The dialog and the manager share one editor: a task shown in it comes
// back as the same plan string.
TEST_F(PlanManagerTest, TheEditorShowsATaskAndGivesBackItsPlanString) {
    store_day("20261201", "21注意 事项");
    auto manager = open_manager();
    manager->RzTreeView1->setCurrentItem(manager->RzTreeView1->topLevelItem(0)->child(0)->child(0));
    manager->sg_schedule_manage->setCurrentCell(0, 0);
    EXPECT_EQ(manager->RadioGroup1->checkedId(), 2);
    EXPECT_EQ(manager->RadioGroup2->checkedId(), 1);
    EXPECT_EQ(manager->Memo1->toPlainText(), "注意 事项");
    Tfrm_plan dialog(&host, prompts, "21注意 事项");
    EXPECT_EQ(dialog.RadioGroup1->checkedId(), 2);
    EXPECT_EQ(dialog.RadioGroup2->checkedId(), 1);
    dialog.Button1Click();
    EXPECT_EQ(dialog.result(), "21注意 事项");
}

}  // namespace
