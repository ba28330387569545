// The main window on a disk that fills up: a failed save keeps what was
// typed on screen and says so once; a day that cannot be read says so and
// takes no edits.
#include <gmock/gmock.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

#include "../modal_answer.h"
#include "../sys/small_disk.h"
#include "main_window_fixture.h"
#include "notes/widgets/ufrm_note_manage.h"
#include "notes/widgets/ufrm_noteedit.h"
#include "plans/widgets/ufrm_plan.h"
#include "plans/widgets/ufrm_schedule_manage.h"

#include <QButtonGroup>
#include <QTreeWidget>

namespace {

using ::testing::HasSubstr;
using velmora::notes::Tfrm_noteedit;
using velmora::plans::Tfrm_plan;
using velmora::store::FxError;

class FullDiskPageTest : public velmora::testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        disk = std::make_unique<velmora::testing::SmallDisk>(root.file("prog/zenqplumora"));
        if (!disk->mounted()) GTEST_SKIP() << "mounting a test file system needs root";
    }
    void TearDown() override {
        MainWindowFixture::TearDown();
        disk.reset();
    }
    // Adds a plan through the plan dialog, as the user does.
    void type_plan(const QString& text) {
        velmora::testing::when_modal_opens<Tfrm_plan>([text](Tfrm_plan& dialog) {
            dialog.Memo1->setPlainText(text);
            dialog.Button1Click();
        });
        window->bt_plan_addClick();
    }
    std::string stored_task(const std::string& key) {
        velmora::store::PlanGrid grid;
        EXPECT_EQ(window->day_store().load_schedule(grid, key), FxError::none);
        return grid.row(1)[2];
    }
    QLabel* plans_unavailable() const { return window->findChild<QLabel*>("plans_unavailable"); }

    std::unique_ptr<velmora::testing::SmallDisk> disk;
};

TEST_F(FullDiskPageTest, AFailedPlanSaveKeepsTheDayAndItsPlansOnScreen) {
    type_plan("交报告");
    disk->fill();
    window->CnDayMouseDown(10);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_THAT(prompts.shown[0], HasSubstr("2026-12-09的计划没有保存：磁盘空间已满"));
    EXPECT_EQ(window->daykey(), "20261209");
    EXPECT_EQ(window->sg_mon_log()->item(0, 2)->text(), "交报告");
    EXPECT_TRUE(window->plan_page().dirty());

    disk->free_space();
    window->CnDayMouseDown(10);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(window->daykey(), "20261210");
    EXPECT_EQ(stored_task("20261209"), "交报告");
}

// A real box runs the event loop: the two-second save of the edit must not
// fire inside it and tell the same failure in a second box.
TEST_F(FullDiskPageTest, AFailureIsToldOnceWhileItsMessageIsOpen) {
    type_plan("交报告");
    disk->fill();
    prompts.while_open = [] { QTest::qWait(velmora::ui::SaveSoon::delay_ms + 500); };
    window->CnDayMouseDown(10);
    EXPECT_EQ(prompts.shown.size(), 1u);
    prompts.answers = {false};
    type_plan("再加一条");
    window->close();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_THAT(prompts.shown[1], HasSubstr("仍要退出吗"));
    prompts.while_open = nullptr;
}

TEST_F(FullDiskPageTest, ADayThatCannotBeReadShowsWhyAndTakesNoEdits) {
    velmora::store::PlanGrid stored;
    stored.row(1) = {"B", "进行中", "已存的计划"};
    ASSERT_EQ(window->day_store().savedata2fx_schedule2(stored, "20261210"), FxError::none);
    ASSERT_EQ(window->day_store().savedata2fx_note2("已存的便笺", "20261210"), FxError::none);
    disk->fill();
    window->CnDayMouseDown(10);
    EXPECT_TRUE(plans_unavailable()->isVisibleTo(window.get()));
    EXPECT_THAT(plans_unavailable()->text().toStdString(), HasSubstr("无法读取2026-12-10的计划"));
    for (QWidget* control :
         {static_cast<QWidget*>(window->sg_mon_log()), static_cast<QWidget*>(window->bt_plan_add()),
          static_cast<QWidget*>(window->bt_plan_edit()), static_cast<QWidget*>(window->Button2()),
          static_cast<QWidget*>(window->note_page().Button1)}) {
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    }
    EXPECT_THAT(window->note_page().Memo_note->placeholderText().toStdString(),
                HasSubstr("无法读取2026-12-10的便笺"));

    disk->free_space();
    window->CnDayMouseDown(10);
    EXPECT_FALSE(plans_unavailable()->isVisibleTo(window.get()));
    EXPECT_TRUE(window->bt_plan_add()->isEnabled());
    EXPECT_EQ(window->sg_mon_log()->item(0, 2)->text(), "已存的计划");
    EXPECT_EQ(window->note_page().Memo_note->toPlainText(), "已存的便笺");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(FullDiskPageTest, ANoteThatCannotBeSavedGoesBackIntoTheEditor) {
    disk->fill();
    int editors = 0;
    velmora::testing::when_modal_opens<Tfrm_noteedit>([&](Tfrm_noteedit& first) {
        ++editors;
        first.Memo1->setPlainText("长长的一段便笺");
        velmora::testing::when_modal_opens<Tfrm_noteedit>([&](Tfrm_noteedit& second) {
            ++editors;
            EXPECT_EQ(second.Memo1->toPlainText(), "长长的一段便笺");
            disk->free_space();
            second.Button1Click();
        });
        first.Button1Click();
    });
    window->note_page().Memo_noteDblClick();
    EXPECT_EQ(editors, 2);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_THAT(prompts.shown[0], HasSubstr("2026-12-09的便笺没有保存"));
    EXPECT_EQ(window->note_page().Memo_note->toPlainText(), "长长的一段便笺");
    std::string note;
    EXPECT_EQ(window->day_store().load_note("20261209", note), FxError::none);
    EXPECT_EQ(note, "长长的一段便笺");
}

TEST_F(FullDiskPageTest, ClosingWithPlansThatCannotBeSavedAsksOnceAndMayStay) {
    type_plan("别丢");
    disk->fill();
    prompts.answers = {false};
    window->close();
    EXPECT_FALSE(window->close_sequence_done());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_THAT(prompts.shown[0], HasSubstr("仍要退出吗"));
    EXPECT_EQ(window->sg_mon_log()->item(0, 2)->text(), "别丢");

    prompts.answers = {true};
    window->close();
    EXPECT_TRUE(window->close_sequence_done());
    EXPECT_EQ(prompts.shown.size(), 2u);  // the question, and nothing more
}

// The managers: a day whose edits cannot be saved stays selected, with the
// edits on screen, and "关闭" does not close over them.
TEST_F(FullDiskPageTest, ThePlanManagerStaysOnADayItCouldNotSave) {
    for (const char* key : {"20261201", "20261202"}) {
        velmora::store::PlanGrid grid;
        grid.row(1) = {"A", "进行中", key};
        ASSERT_EQ(window->day_store().savedata2fx_schedule2(grid, key), FxError::none);
    }
    std::string manage_daykey;
    velmora::plans::Tfrm_schedule_manage manager(
        window.get(), window->day_store(), prompts,
        [this](const velmora::store::PlanGrid& grid, const std::string& key) {
            return window->day_store().savedata2fx_schedule2(grid, key);
        },
        manage_daykey);
    QTreeWidgetItem* month = manager.RzTreeView1->topLevelItem(0)->child(0);
    manager.RzTreeView1->setCurrentItem(month->child(0));
    manager.RadioGroup1->button(1)->setChecked(true);
    manager.RadioGroup2->button(0)->setChecked(true);
    manager.Memo1->setPlainText("新任务");
    manager.bt_addClick();
    disk->fill();
    manager.RzTreeView1->setCurrentItem(month->child(1));
    EXPECT_EQ(manager.RzTreeView1->currentItem(), month->child(0));
    EXPECT_EQ(manage_daykey, "20261201");
    EXPECT_EQ(manager.grid().row_count(), 3);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_THAT(prompts.shown[0], HasSubstr("2026-12-01的计划没有保存"));
    manager.accept();
    EXPECT_EQ(prompts.shown.size(), 2u);
    EXPECT_NE(manager.result(), QDialog::Accepted);

    disk->free_space();
    manager.accept();
    EXPECT_EQ(manager.result(), QDialog::Accepted);
    velmora::store::PlanGrid stored;
    EXPECT_EQ(window->day_store().load_schedule(stored, "20261201"), FxError::none);
    EXPECT_EQ(stored.row(2)[2], "新任务");
}

TEST_F(FullDiskPageTest, TheNoteManagerStaysOnANoteItCouldNotSave) {
    ASSERT_EQ(window->day_store().savedata2fx_note2("一日", "20261201"), FxError::none);
    ASSERT_EQ(window->day_store().savedata2fx_note2("二日", "20261202"), FxError::none);
    velmora::notes::Tfrm_note_manage manager(
        window.get(), window->day_store(), prompts,
        [this](const std::string& note, const std::string& key) {
            return window->day_store().savedata2fx_note2(note, key);
        });
    QTreeWidgetItem* month = manager.RzTreeView1->topLevelItem(0)->child(0);
    manager.RzTreeView1->setCurrentItem(month->child(0));
    manager.Memo1->setPlainText("一日，改过");
    disk->fill();
    manager.RzTreeView1->setCurrentItem(month->child(1));
    EXPECT_EQ(manager.RzTreeView1->currentItem(), month->child(0));
    EXPECT_EQ(manager.Memo1->toPlainText(), "一日，改过");
    manager.Button1Click();
    EXPECT_NE(manager.result(), QDialog::Accepted);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_THAT(prompts.shown[1], HasSubstr("2026-12-01的便笺没有保存"));

    disk->free_space();
    manager.Button1Click();
    EXPECT_EQ(manager.result(), QDialog::Accepted);
    std::string note;
    EXPECT_EQ(window->day_store().load_note("20261201", note), FxError::none);
    EXPECT_EQ(note, "一日，改过");
}

}  // namespace
