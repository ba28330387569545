// The four global desktop hotkeys: hide the ordinary windows, close them,
// hide the desktop icons, hide the taskbar. The keys are taken for the whole
// desktop once at start; whether a press does anything is decided at the
// press, from the live settings, so switching a hotkey on or off in the
// options needs no new registration. The desktop itself is behind
// `DesktopWindows`: X11 in the program, a fake in the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/settings.h"
#include "sys/prompts.h"

namespace velmora::app {

// The id each hotkey is registered with and comes back with when pressed.
enum class Hotkey : int { hide_windows = 1, close_windows = 2, hide_icons = 3, hide_taskbar = 4 };

inline constexpr Hotkey all_hotkeys[] = {Hotkey::hide_windows, Hotkey::close_windows,
                                         Hotkey::hide_icons, Hotkey::hide_taskbar};

struct HotkeyCombination {
    bool ctrl = false;
    bool alt = false;
    char key = 0;  // 'A'–'Z'; anything else cannot be registered

    bool valid() const { return key >= 'A' && key <= 'Z'; }
    bool operator==(const HotkeyCombination&) const = default;
};

// A stored code: "01" is Alt, "10" Ctrl, every other pair ("11" and "00"
// alike) Ctrl+Alt; the third character is the letter, a small one taken as
// its capital.
HotkeyCombination parse_combination(const std::string& code);
// "Alt+Z", "Ctrl+Alt+T"; a combination without a letter ends in "?".
std::string combination_name(const HotkeyCombination& combination);
// The combination as a desktop portal's preferred trigger, in the shortcut
// notation of the XDG specifications ("CTRL+ALT+t": modifiers, then the
// key's keysym name, lowercase without SHIFT).
std::string portal_trigger(const HotkeyCombination& combination);
// What the desktop shows the user for each hotkey when it asks to confirm.
const char* hotkey_description(Hotkey hotkey);

namespace hotkey_messages {
inline constexpr const char* close_question = "关闭当前所有打开的窗口？";
inline constexpr const char* icons_hiding =
    "桌面上所有快捷图标将隐藏，可再次通过本热键将其恢复显示！";
inline constexpr const char* icons_showing =
    "桌面上所有快捷图标将恢复显示，可再次通过本热键将其隐藏！";
inline constexpr const char* taskbar_hiding =
    "桌面底部任务栏将隐藏，可再次通过本热键将其恢复显示！";
inline constexpr const char* taskbar_showing =
    "桌面底部任务栏将恢复显示，可再次通过本热键将其隐藏！";
inline constexpr const char* no_x11 = "当前桌面不是X11，全局热键不可用。";
inline constexpr const char* not_registered = "以下热键无法使用（已被其他程序占用或设置重复）：";
inline constexpr const char* not_valid = "以下热键的设置无效，请重新选择：";
}  // namespace hotkey_messages

// An X window id or a window handle.
using WindowId = std::uint64_t;

// The areas of the desktop a hotkey hides as a whole.
enum class DesktopArea { icons, taskbar };

class DesktopWindows {
public:
    virtual ~DesktopWindows() = default;
    // False where the desktop has no global hotkeys at all (not an X11
    // session); nothing else is then asked.
    virtual bool available() const = 0;
    // Takes the combination for the whole desktop; its presses come back
    // with `id`. False when another program already holds it.
    virtual bool grab(int id, const HotkeyCombination& combination) = 0;
    virtual void ungrab(int id) = 0;
    // The user's ordinary application windows shown now, topmost first,
    // never this program's own.
    virtual std::vector<WindowId> ordinary_windows() = 0;
    virtual bool exists(WindowId window) = 0;
    virtual void hide(WindowId window) = 0;
    virtual void show(WindowId window) = 0;
    // Asks the window to close, as its close button would.
    virtual void close(WindowId window) = 0;
    virtual void hide_area(DesktopArea area) = 0;
    virtual void show_area(DesktopArea area) = 0;
};

class GlobalHotkeys {
public:
    // `settings` is the program's live settings object: the codes are read
    // at registration, the on/off flags at every press.
    GlobalHotkeys(const LocalSettings& settings, DesktopWindows& desktop, sys::Prompts& prompts);

    // Registers all four whatever their flags say. Calling it again (after
    // the options changed a code) releases the earlier registration first.
    void reghotkey();
    void unreghotkey();
    // A registered hotkey was pressed.
    void HotKeyDown(int id);

    bool available() const { return desktop_.available(); }
    // The combinations that could not be registered, in registration order:
    // held by another program, repeated among the four, or without a letter.
    const std::vector<std::string>& unavailable() const { return unavailable_; }
    // One line for the options dialog's hotkey page; "" when all four work.
    std::string note() const;

    const std::vector<WindowId>& hidden_windows() const { return hidden_windows_; }
    bool windows_hidden() const { return hidewindows_state_; }
    bool icons_hidden() const { return hidelink_state_; }
    bool taskbar_hidden() const { return hidetask_state_; }

private:
    const std::string& code_of(Hotkey hotkey) const;
    const std::string& use_flag(Hotkey hotkey) const;
    void handle(Hotkey hotkey);
    void hide_windows();
    void close_windows();
    void toggle_area(DesktopArea area, bool& hidden, const char* hiding, const char* showing);

    const LocalSettings& settings_;
    DesktopWindows& desktop_;
    sys::Prompts& prompts_;
    std::vector<std::string> unavailable_;
    std::vector<std::string> invalid_;  // stored codes without a letter
    bool registered_ = false;
    // A notice or question is open: a press arriving meanwhile (its dialog
    // runs the event loop) would act on the same toggle twice.
    bool handling_ = false;
    std::vector<WindowId> hidden_windows_;
    // Only in memory: every run starts with everything shown as far as the
    // hotkeys know, and closing the program leaves the desktop as it is.
    bool hidewindows_state_ = false;
    bool hidelink_state_ = false;
    bool hidetask_state_ = false;
};

}  // namespace velmora::app
