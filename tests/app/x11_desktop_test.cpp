// Widget tests run on the offscreen platform: a desktop without global
// hotkeys, where registering and releasing must still go through quietly.
#include <gtest/gtest.h>

#include "app/widgets/x11_desktop.h"
#include "recording_prompts.h"

using namespace velmora::app;

TEST(DesktopWithoutX11, HotkeysExplainThemselvesAndNothingFails) {
    const std::unique_ptr<DesktopWindows> desktop = make_desktop_windows([](int) {});
    LocalSettings settings;
    settings.hotkey_hidewindows_use = "1";
    velmora::testing::RecordingPrompts prompts;
    GlobalHotkeys hotkeys(settings, *desktop, prompts);
    hotkeys.reghotkey();
    EXPECT_FALSE(hotkeys.available());
    EXPECT_TRUE(hotkeys.unavailable().empty());
    EXPECT_EQ(hotkeys.note(), hotkey_messages::no_x11);
    hotkeys.HotKeyDown(static_cast<int>(Hotkey::hide_windows));
    EXPECT_TRUE(hotkeys.hidden_windows().empty());
    hotkeys.unreghotkey();
}
