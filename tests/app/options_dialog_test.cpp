// The options dialog in the running window: opened at its caller's page,
// OK stores, applies and saves at once and starts the helper once, cancel
// keeps everything but the opacity preview.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include "../modal_answer.h"
#include "app/widgets/ufrm_option.h"
#include "main_window_fixture.h"
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

}  // namespace
}  // namespace velmora::testing
