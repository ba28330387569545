#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/hotkeys.h"
#include "recording_prompts.h"

using namespace velmora::app;
namespace messages = velmora::app::hotkey_messages;

namespace {

// Messages and desktop actions land in one log, so their order shows.
class LoggingPrompts : public velmora::testing::RecordingPrompts {
public:
    explicit LoggingPrompts(std::vector<std::string>& log) : log_(log) {}
    std::function<void()> while_open;  // runs while a message is open

    void inform(const std::string& text, const std::string& caption,
                velmora::sys::PromptIcon icon) override {
        log_.push_back(text);
        RecordingPrompts::inform(text, caption, icon);
        if (while_open) while_open();
    }
    bool ask_yes_no(const std::string& text, const std::string& caption, bool no,
                    velmora::sys::PromptIcon icon) override {
        log_.push_back(text);
        if (while_open) while_open();
        return RecordingPrompts::ask_yes_no(text, caption, no, icon);
    }

private:
    std::vector<std::string>& log_;
};

// Windows topmost first; showing one puts it on top, as a window manager does.
class FakeDesktop : public DesktopWindows {
public:
    explicit FakeDesktop(std::vector<std::string>& log) : log_(log) {}
    bool x11 = true;
    std::vector<HotkeyCombination> held_by_others;
    std::map<int, HotkeyCombination> grabbed;
    std::vector<WindowId> stacking;
    std::map<WindowId, bool> shown;

    void open(WindowId window) {
        stacking.insert(stacking.begin(), window);
        shown[window] = true;
    }
    void vanish(WindowId window) {
        std::erase(stacking, window);
        shown.erase(window);
    }

    bool available() const override { return x11; }
    bool grab(int id, const HotkeyCombination& combination) override {
        if (std::find(held_by_others.begin(), held_by_others.end(), combination) !=
            held_by_others.end()) {
            return false;
        }
        return grabbed.emplace(id, combination).second;
    }
    void ungrab(int id) override { grabbed.erase(id); }
    std::vector<WindowId> ordinary_windows() override {
        std::vector<WindowId> visible;
        std::copy_if(stacking.begin(), stacking.end(), std::back_inserter(visible),
                     [this](WindowId window) { return shown[window]; });
        return visible;
    }
    bool exists(WindowId window) override { return shown.count(window) != 0; }
    void hide(WindowId window) override { shown.at(window) = false; }
    void show(WindowId window) override {
        shown.at(window) = true;
        std::erase(stacking, window);
        stacking.insert(stacking.begin(), window);
    }
    void close(WindowId window) override { log_.push_back("close " + std::to_string(window)); }
    void hide_area(DesktopArea area) override { log_.push_back("hide " + name(area)); }
    void show_area(DesktopArea area) override { log_.push_back("show " + name(area)); }

private:
    static std::string name(DesktopArea area) {
        return area == DesktopArea::icons ? "icons" : "taskbar";
    }
    std::vector<std::string>& log_;
};

class HotkeysTest : public ::testing::Test {
protected:
    void press(Hotkey hotkey) { hotkeys.HotKeyDown(static_cast<int>(hotkey)); }
    void switch_all_on() {
        for (std::string* flag :
             {&settings.hotkey_hidewindows_use, &settings.hotkey_closewindows_use,
              &settings.hotkey_hidelink_use, &settings.hotkey_hidetask_use}) {
            *flag = "1";
        }
    }

    std::vector<std::string> log;
    LocalSettings settings;
    FakeDesktop desktop{log};
    LoggingPrompts prompts{log};
    GlobalHotkeys hotkeys{settings, desktop, prompts};
};

TEST(HotkeyCombination, ModifierPairsAndLetter) {
    EXPECT_EQ(parse_combination("01Z"), (HotkeyCombination{false, true, 'Z'}));
    EXPECT_EQ(parse_combination("10X"), (HotkeyCombination{true, false, 'X'}));
    EXPECT_EQ(parse_combination("11D"), (HotkeyCombination{true, true, 'D'}));
    EXPECT_EQ(parse_combination("00T"), (HotkeyCombination{true, true, 'T'}));
    EXPECT_EQ(parse_combination("01q").key, 'Q');
    EXPECT_FALSE(parse_combination("01").valid());
    EXPECT_FALSE(parse_combination("015").valid());
    EXPECT_EQ(combination_name(parse_combination("10X")), "Ctrl+X");
    EXPECT_EQ(combination_name(parse_combination("00T")), "Ctrl+Alt+T");
    EXPECT_EQ(combination_name(parse_combination("01")), "Alt+?");
}

TEST_F(HotkeysTest, AllFourRegisteredButSwitchedOffDoNothing) {
    desktop.open(7);
    hotkeys.reghotkey();
    EXPECT_EQ(desktop.grabbed.size(), 4U);
    EXPECT_EQ(desktop.grabbed.at(static_cast<int>(Hotkey::hide_taskbar)),
              parse_combination(settings.hotkey_hidetask));
    for (Hotkey hotkey : all_hotkeys) press(hotkey);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(desktop.shown.at(7));
    EXPECT_FALSE(hotkeys.windows_hidden() || hotkeys.icons_hidden() || hotkeys.taskbar_hidden());
    EXPECT_EQ(hotkeys.note(), "");

    // The flag is read at the press: no new registration needed.
    settings.hotkey_hidewindows_use = "1";
    press(Hotkey::hide_windows);
    EXPECT_FALSE(desktop.shown.at(7));
}

TEST_F(HotkeysTest, CombinationsThatCannotBeTakenAreReported) {
    desktop.held_by_others = {parse_combination("01X")};
    settings.hotkey_hidetask = settings.hotkey_hidewindows;
    settings.hotkey_hidelink = "01";
    hotkeys.reghotkey();
    EXPECT_EQ(hotkeys.unavailable(), (std::vector<std::string>{"Alt+X", "Alt+Z"}));
    // A stored code without a letter is named as stored, not as "Alt+?".
    EXPECT_EQ(hotkeys.note(),
              "以下热键的设置无效，请重新选择：隐藏桌面图标（保存的是“01”）\n"
              "以下热键无法使用（已被其他程序占用或设置重复）：Alt+X、Alt+Z");
    EXPECT_EQ(desktop.grabbed.size(), 1U);

    hotkeys.reghotkey();  // again: no report repeated
    EXPECT_EQ(hotkeys.unavailable().size(), 2U);
    hotkeys.unreghotkey();
    EXPECT_TRUE(desktop.grabbed.empty());
}

TEST_F(HotkeysTest, WithoutX11NothingIsGrabbedAndTheNoteSaysWhy) {
    desktop.x11 = false;
    hotkeys.reghotkey();
    EXPECT_TRUE(desktop.grabbed.empty());
    EXPECT_TRUE(hotkeys.unavailable().empty());
    EXPECT_EQ(hotkeys.note(), messages::no_x11);
}

TEST_F(HotkeysTest, SecondPressShowsExactlyWhatTheFirstHid) {
    switch_all_on();
    for (WindowId window : {3, 2, 1}) desktop.open(window);  // 1 on top
    press(Hotkey::hide_windows);
    EXPECT_EQ(hotkeys.hidden_windows(), (std::vector<WindowId>{1, 2, 3}));
    EXPECT_TRUE(desktop.ordinary_windows().empty());

    desktop.open(4);
    desktop.vanish(2);
    press(Hotkey::hide_windows);
    EXPECT_FALSE(hotkeys.windows_hidden());
    // Bottommost first, so the stacking comes back as it was; 4 left alone.
    EXPECT_EQ(desktop.stacking, (std::vector<WindowId>{1, 3, 4}));

    press(Hotkey::hide_windows);  // a fresh list
    EXPECT_EQ(hotkeys.hidden_windows(), (std::vector<WindowId>{1, 3, 4}));
}

TEST_F(HotkeysTest, CloseAsksFirstThenClosesTheWindowsOpenAtTheAnswer) {
    switch_all_on();
    desktop.open(1);
    prompts.answers = {false, true};
    press(Hotkey::close_windows);
    EXPECT_EQ(log, (std::vector<std::string>{messages::close_question}));
    EXPECT_TRUE(prompts.no_by_default);

    prompts.while_open = [this] { desktop.open(2); };
    press(Hotkey::close_windows);
    EXPECT_EQ(log, (std::vector<std::string>{messages::close_question, messages::close_question,
                                             "close 2", "close 1"}));
}

TEST_F(HotkeysTest, IconsAndTaskbarToggleAfterTheirNotice) {
    switch_all_on();
    press(Hotkey::hide_icons);
    press(Hotkey::hide_taskbar);
    press(Hotkey::hide_icons);
    EXPECT_FALSE(hotkeys.icons_hidden());
    EXPECT_TRUE(hotkeys.taskbar_hidden());
    press(Hotkey::hide_taskbar);
    EXPECT_EQ(log, (std::vector<std::string>{messages::icons_hiding, "hide icons",
                                             messages::taskbar_hiding, "hide taskbar",
                                             messages::icons_showing, "show icons",
                                             messages::taskbar_showing, "show taskbar"}));
}

// A notice runs the event loop; a press arriving meanwhile must not act on
// the same toggle a second time.
TEST_F(HotkeysTest, PressWhileANoticeIsOpenIsIgnored) {
    switch_all_on();
    prompts.while_open = [this] { press(Hotkey::hide_taskbar); };
    press(Hotkey::hide_taskbar);
    EXPECT_EQ(log, (std::vector<std::string>{messages::taskbar_hiding, "hide taskbar"}));
    EXPECT_TRUE(hotkeys.taskbar_hidden());
    hotkeys.HotKeyDown(0);
    hotkeys.HotKeyDown(5);
    EXPECT_EQ(log.size(), 2U);
}

}  // namespace
