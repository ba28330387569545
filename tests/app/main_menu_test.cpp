// The menu of the strip's button and the about dialog, in a started window.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>

#include "../modal_answer.h"
#include "app/widgets/main_menu.h"
#include "app/widgets/ufrm_about.h"
#include "app/widgets/ufrm_option.h"
#include "main_window_fixture.h"

namespace velmora::testing {
namespace {

using app::Tfrm_about;

class MainMenuTest : public MainWindowFixture {
protected:
    app::MainMenu& menu() { return window->main_menu(); }
    std::vector<std::string> captions() {
        std::vector<std::string> texts;
        for (QAction* item : menu().pm_menu().actions()) {
            texts.push_back(item->isSeparator() ? "-" : item->text().toStdString());
        }
        return texts;
    }
};

TEST_F(MainMenuTest, TheItemsInOrder) {
    EXPECT_EQ(captions(), (std::vector<std::string>{"选项设置", "数据管理", "导入放假安排…", "-",
                                                    "访问软件主页", "写信给作者", "-", "关于", "-",
                                                    "关闭软件"}));
}

TEST_F(MainMenuTest, OptionsOpenAtTheBasicPage) {
    bool opened = false;
    when_modal_opens<app::Tfrm_option>([&opened](app::Tfrm_option& dialog) {
        opened = true;
        EXPECT_EQ(dialog.RzPageControl1->currentIndex(), 0);
        dialog.reject();
    });
    menu().pm_menu();
    menu().N5->trigger();
    EXPECT_TRUE(opened);
}

TEST_F(MainMenuTest, HomePageAndMailOpenTheirWholeAddresses) {
    menu().pm_menu();
    menu().N3->trigger();
    menu().N4->trigger();
    const app::Addresses& addresses = window->remote_settings().addresses;
    EXPECT_EQ(platform.opened,
              (std::vector<std::string>{addresses.home_page, addresses.author_mail}));
}

TEST_F(MainMenuTest, TwoOpeningsShowTwoFreshAboutDialogs) {
    std::vector<const Tfrm_about*> seen;
    const auto look = [&seen](Tfrm_about& dialog) {
        seen.push_back(&dialog);
        EXPECT_EQ(dialog.windowTitle(), "关于");
        EXPECT_EQ(dialog.size(), QSize(325, 222));
        EXPECT_EQ(dialog.Label_ver->text(), "版本：2011.O");
        EXPECT_EQ(dialog.Label_url->text(), "velmora.example/");
        EXPECT_EQ(dialog.Label_email->text(), "support@velmora.example");
        EXPECT_EQ(dialog.Button1->text(), "确定(&S)");
        dialog.Label_urlClick();
        dialog.Button1->click();
    };
    menu().pm_menu();
    when_modal_opens<Tfrm_about>(look);
    menu().N8->trigger();
    when_modal_opens<Tfrm_about>(look);
    window->N8Click();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(platform.opened.size(), 2u);
    EXPECT_EQ(platform.opened[0], window->remote_settings().addresses.home_page);
}

TEST_F(MainMenuTest, CloseRunsTheCloseSequence) {
    menu().pm_menu();
    menu().N9->trigger();
    EXPECT_TRUE(window->close_sequence_done());
    EXPECT_TRUE(std::filesystem::exists(root.path() / "prog/zenqset.kxi"));
}

TEST(AddressWithoutScheme, DropsSchemesOfAnyLength) {
    EXPECT_EQ(app::address_without_scheme("http://a.example/"), "a.example/");
    EXPECT_EQ(app::address_without_scheme("https://a.example/x"), "a.example/x");
    EXPECT_EQ(app::address_without_scheme("mailto:me@a.example"), "me@a.example");
    EXPECT_EQ(app::address_without_scheme("a.example"), "a.example");
    EXPECT_EQ(app::address_without_scheme("我的:站"), "我的:站");
    EXPECT_EQ(app::address_without_scheme(":x"), ":x");
}

}  // namespace
}  // namespace velmora::testing
