// The options dialog in the running window: opened at its caller's page,
// OK stores, applies and saves at once and starts the helper once, cancel
// keeps everything but the opacity preview.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include <fstream>

#include "../modal_answer.h"
#include "../plans/plan_dialog_answer.h"
#include "app/widgets/ufrm_option.h"
#include "main_window_fixture.h"
#include "plans/widgets/Utaskhintmess.h"
#include "plans/widgets/uTip.h"
#include "sys/inifile.h"

namespace velmora::testing {
namespace {

using app::Tfrm_option;

class OptionsDialogTest : public MainWindowFixture {
protected:
    app::LocalSettings stored() {
        return app::read_local_settings(ini::IniDocument::load(root.file("prog/zenqset.kxi")));
    }
    std::string helper() const { return root.file("prog") + "/vrx_reg"; }
};

TEST_F(OptionsDialogTest, TheRemindButtonOpensTheTaskPageAndOkTakesEffectAtOnce) {
    when_modal_opens<Tfrm_option>([](Tfrm_option& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "任务提醒");
        for (int tab = 0; tab < dialog.RzPageControl1->count(); ++tab) {
            EXPECT_EQ(dialog.RzPageControl1->isTabVisible(tab), tab == 5) << tab;
        }
        dialog.cb_taskhint->setChecked(true);
        dialog.UpDown2->setValue(5);
        dialog.Button1->click();
    });
    window->Button7()->click();
    EXPECT_EQ(stored().taskhint_use, "1");
    EXPECT_EQ(stored().taskhint_time, 5);
    EXPECT_TRUE(window->Timer_taskhint.isActive());
    EXPECT_EQ(window->Timer_taskhint.interval(), 5 * 3600000);
    ASSERT_EQ(platform.starts.size(), 1u);
    EXPECT_EQ(platform.starts[0].file, "\"" + helper() + "\"");
}

TEST_F(OptionsDialogTest, CancelKeepsEverythingButThePreviewedOpacity) {
    const app::LocalSettings before = window->local_settings();
    when_modal_opens<Tfrm_option>([](Tfrm_option& dialog) {
        dialog.TrackBar1->setValue(100);
        dialog.cb_autorun->setChecked(!dialog.cb_autorun->isChecked());
        dialog.Button2->click();
    });
    window->option_show(app::basic_page);
    EXPECT_NEAR(window->windowOpacity(), 100 / 255.0, 0.01);
    EXPECT_EQ(window->local_settings().form_blend, before.form_blend);
    EXPECT_EQ(window->local_settings().autorun, before.autorun);
    EXPECT_TRUE(platform.starts.empty());
}

TEST_F(OptionsDialogTest, AKeyThatIsNoLetterKeepsTheDialogOpenAndStoresNothing) {
    when_modal_opens<Tfrm_option>([this](Tfrm_option& dialog) {
        EXPECT_FALSE(dialog.hotkeys[1].key->isEnabled());  // combinations are shown, not edited
        dialog.hotkeys[1].key->addItem("?");
        dialog.hotkeys[1].key->setCurrentText("?");
        dialog.hotkeys[1].use->setChecked(true);
        dialog.Button1->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(prompts.shown.back(), "关闭所有窗口热键设置不正确！");
        dialog.Button2->click();
    });
    window->option_show(app::hotkey_page);
    EXPECT_EQ(window->local_settings().hotkey_closewindows_use, "0");
    EXPECT_TRUE(platform.starts.empty());
}

TEST_F(OptionsDialogTest, AHelperThatCannotStartIsToldAndTheDialogStaysWithTheSettingsSaved) {
    platform.start_succeeds = false;
    platform.start_error = ENOENT;
    when_modal_opens<Tfrm_option>([this](Tfrm_option& dialog) {
        dialog.cb_eyehint->setChecked(false);
        dialog.Button1->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_NE(prompts.shown.back().find("无法启动" + helper()), std::string::npos);
        dialog.Button2->click();
    });
    window->option_show(app::eye_page);
    EXPECT_EQ(stored().eyehint_use, "0");
    EXPECT_FALSE(window->Timer_eye.isActive());
}

TEST_F(OptionsDialogTest, APendingShutdownSurvivesAnOkOnAnotherPage) {
    when_modal_opens<Tfrm_option>([](Tfrm_option& dialog) {
        dialog.cb_shutdown->setChecked(true);
        dialog.Button1->click();
    });
    window->option_show(app::shutdown_page);
    ASSERT_TRUE(window->Timer_shutdown.isActive());
    const std::string armed_at = window->local_settings().shutdown_time;
    when_modal_opens<Tfrm_option>([](Tfrm_option& dialog) {
        EXPECT_FALSE(dialog.cb_shutdown->isVisible());
        dialog.Button1->click();
    });
    window->option_show(app::basic_page);
    EXPECT_EQ(window->local_settings().shutdown_use, "1");
    EXPECT_EQ(window->local_settings().shutdown_time, armed_at);
    EXPECT_TRUE(window->Timer_shutdown.isActive());
    when_modal_opens<Tfrm_option>([](Tfrm_option& dialog) {
        EXPECT_TRUE(dialog.cb_shutdown->isChecked());  // reloaded on its own page
        dialog.Button2->click();
    });
    window->option_show(app::shutdown_page);
}

// "只在工作日提醒": stored from its page, and a line beside it while the
// year's arrangement is not known. This program folder has no holiday
// file, so 2026 is not known.
TEST_F(OptionsDialogTest, EachReminderPageSaysWhenTheYearIsNotKnownAndStoresItsOwnSwitch) {
    const std::string note = "2026年放假安排尚未获取，只在工作日提醒时按星期一至星期五算。";
    when_modal_opens<Tfrm_option>([&](Tfrm_option& dialog) {
        EXPECT_FALSE(dialog.cb_eyehint_workdays->isChecked()) << "off until chosen";
        EXPECT_TRUE(dialog.eye_workdays_note->isVisible());
        EXPECT_EQ(dialog.eye_workdays_note->text().toStdString(), note);
        dialog.cb_eyehint_workdays->setChecked(true);
        dialog.Button1->click();
    });
    window->option_show(app::eye_page);
    EXPECT_EQ(stored().eyehint_workdays, "1");
    EXPECT_EQ(stored().taskhint_workdays, "0");

    when_modal_opens<Tfrm_option>([&](Tfrm_option& dialog) {
        EXPECT_TRUE(dialog.task_workdays_note->isVisible());
        EXPECT_EQ(dialog.task_workdays_note->text().toStdString(), note);
        EXPECT_FALSE(dialog.cb_taskhint_workdays->isChecked());
        dialog.cb_taskhint_workdays->setChecked(true);
        dialog.Button1->click();
    });
    window->option_show(app::task_page);
    EXPECT_EQ(stored().taskhint_workdays, "1");
    EXPECT_EQ(stored().eyehint_workdays, "1");
}

// A program folder whose holiday file knows 2026 and makes the window's day,
// Wednesday 9 December 2026, a day off.
class DayOffTest : public OptionsDialogTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root.path() / "prog");
        std::ofstream(root.file("prog/zenqholiday.txt"))
            << "#@\t2026\tshipped\t\t\t\n2026-10-01\t休\t国庆节\n2026-12-09\t休\t试休日\n";
        OptionsDialogTest::SetUp();
        QCoreApplication::processEvents();  // the tip window is made once the window is up
    }
    void set_reminders(bool eye_workdays, bool task_workdays) {
        for (const int page : {app::eye_page, app::task_page}) {
            when_modal_opens<Tfrm_option>([=](Tfrm_option& dialog) {
                EXPECT_TRUE(dialog.eye_workdays_note->isHidden());
                EXPECT_TRUE(dialog.task_workdays_note->isHidden());
                dialog.cb_eyehint->setChecked(true);
                dialog.UpDown1->setValue(10);
                dialog.cb_eyehint_workdays->setChecked(eye_workdays);
                dialog.cb_taskhint->setChecked(true);
                dialog.cb_taskhint_workdays->setChecked(task_workdays);
                dialog.Button1->click();
            });
            window->option_show(page);
        }
    }
    // Ten minutes of the eye-care counter and one task reminder tick; what
    // showed: the tip, the task popup. Both are put away afterwards.
    std::pair<bool, bool> run_reminders() {
        for (int minute = 0; minute < 10; ++minute) {
            QMetaObject::invokeMethod(&window->Timer_eye, "timeout");
        }
        QMetaObject::invokeMethod(&window->Timer_taskhint, "timeout");
        bool tip = false, popup = false;
        for (QWidget* shown : QApplication::topLevelWidgets()) {
            if (!shown->isVisible()) continue;
            if (auto* eye = qobject_cast<plans::Tfrm_tip*>(shown)) {
                tip = true;
                for (QTimer* step : {&eye->Timer1, &eye->Timer2, &eye->Timer3}) step->stop();
                eye->hide();
            }
            if (auto* task = qobject_cast<plans::Tfrm_taskhintmess*>(shown)) {
                popup = true;
                task->close();
            }
        }
        return {tip, popup};
    }
};

TEST_F(DayOffTest, TheRemindersKeptToWorkingDaysStayQuietOnADayOffAndTheOthersSpeak) {
    confirm_plan_dialog("open", 0, 0);
    window->bt_plan_addClick();
    set_reminders(true, true);
    EXPECT_EQ(run_reminders(), std::make_pair(false, false));
    set_reminders(false, true);
    EXPECT_EQ(run_reminders(), std::make_pair(true, false)) << "each switch is its own";
    set_reminders(true, false);
    EXPECT_EQ(run_reminders(), std::make_pair(false, true));
}

}  // namespace
}  // namespace velmora::testing
