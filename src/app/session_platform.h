// Which Qt platform the program runs on. The panel places itself, stays on
// top, docks at the screen's edges, hides other windows and grabs hotkeys:
// all of that needs X11. In a Wayland session with Xwayland at hand (DISPLAY
// set) the program therefore runs as an X11 client, unless the user chose a
// platform (QT_QPA_PLATFORM); without Xwayland it runs natively and tells
// the user once what cannot work there. Plain C++.
#pragma once

#include <functional>
#include <string>

namespace velmora::app {

// The platform to ask Qt for ("xcb"), or "" to leave Qt's own choice.
// `env` answers an environment variable, "" when unset.
std::string platform_for_session(const std::function<std::string(const char*)>& env);

// What the user reads once on a native Wayland platform.
inline constexpr const char* wayland_limits_note =
    "当前是 Wayland 桌面，且没有 Xwayland：窗口停靠、总在最前、隐藏其他窗口和热键在这里无法使用，"
    "日历、计划、记事和提醒照常使用。若要完整的功能，请安装 Xwayland 后重新启动软件。";

// Whether the note on a native Wayland platform is still to be told: the
// settings file's [notice] wayland is not "1" yet. Telling it marks it.
bool wayland_limits_untold(const std::string& settings_path);
void mark_wayland_limits_told(const std::string& settings_path);

// What the options' basic page says where the desktop places windows itself.
inline constexpr const char* placement_note =
    "这个桌面自行安排窗口的位置：软件无法把窗口放回上次的位置，因此也不保存桌面选的位置；"
    "把窗口拖到想要的地方后，下次退出时保存。";

}  // namespace velmora::app
