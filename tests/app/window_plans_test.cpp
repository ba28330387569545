#include <gmock/gmock.h>

#include <QApplication>
#include <QButtonGroup>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <functional>

#include "../plans/plan_dialog_answer.h"
#include "../plans/stored_plans.h"
#include "main_window_fixture.h"
#include "plans/plan_list.h"
#include "plans/widgets/ufrm_plan.h"
#include "plans/widgets/ufrm_schedule_manage.h"
#include "store/container_names.h"

#include <QTreeWidget>

namespace {

class PlanPageTest : public velmora::testing::MainWindowFixture {
protected:
    void add(const QString& text, int category, int state) {
        velmora::testing::confirm_plan_dialog(text, category, state);
        window->bt_plan_addClick();
    }
};

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
        velmora::testing::store_one_task(window->day_store(), key, plan);
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
