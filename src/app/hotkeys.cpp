#include "app/hotkeys.h"

#include <algorithm>
#include <utility>

namespace velmora::app {

HotkeyCombination parse_combination(const std::string& code) {
    HotkeyCombination combination;
    const std::string pair = code.substr(0, 2);
    combination.alt = pair != "10";
    combination.ctrl = pair != "01";
    if (code.size() > 2) {
        const char key = code[2];
        combination.key = key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key;
    }
    return combination;
}

std::string combination_name(const HotkeyCombination& combination) {
    std::string name;
    if (combination.ctrl) name += "Ctrl+";
    if (combination.alt) name += "Alt+";
    name += combination.valid() ? combination.key : '?';
    return name;
}

GlobalHotkeys::GlobalHotkeys(const LocalSettings& settings, DesktopWindows& desktop,
                             sys::Prompts& prompts)
    : settings_(settings), desktop_(desktop), prompts_(prompts) {}

const std::string& GlobalHotkeys::code_of(Hotkey hotkey) const {
    switch (hotkey) {
        case Hotkey::hide_windows: return settings_.hotkey_hidewindows;
        case Hotkey::close_windows: return settings_.hotkey_closewindows;
        case Hotkey::hide_icons: return settings_.hotkey_hidelink;
        case Hotkey::hide_taskbar: break;
    }
    return settings_.hotkey_hidetask;
}

std::string portal_trigger(const HotkeyCombination& combination) {
    std::string trigger;
    if (combination.ctrl) trigger += "CTRL+";
    if (combination.alt) trigger += "ALT+";
    trigger += static_cast<char>(combination.key - 'A' + 'a');
    return trigger;
}

const char* hotkey_description(Hotkey hotkey) {
    switch (hotkey) {
        case Hotkey::hide_windows: return "隐藏所有窗口";
        case Hotkey::close_windows: return "关闭所有窗口";
        case Hotkey::hide_icons: return "隐藏桌面图标";
        case Hotkey::hide_taskbar: break;
    }
    return "隐藏任务栏";
}

const std::string& GlobalHotkeys::use_flag(Hotkey hotkey) const {
    switch (hotkey) {
        case Hotkey::hide_windows: return settings_.hotkey_hidewindows_use;
        case Hotkey::close_windows: return settings_.hotkey_closewindows_use;
        case Hotkey::hide_icons: return settings_.hotkey_hidelink_use;
        case Hotkey::hide_taskbar: break;
    }
    return settings_.hotkey_hidetask_use;
}

// A combination repeated among the four would be taken twice by this very
// program, and a press could only ever reach one of them: the later one is
// reported instead of silently losing.
void GlobalHotkeys::reghotkey() {
    unreghotkey();
    if (!available()) return;
    std::vector<HotkeyCombination> taken;
    for (Hotkey hotkey : all_hotkeys) {
        const HotkeyCombination combination = parse_combination(code_of(hotkey));
        const bool repeated = std::find(taken.begin(), taken.end(), combination) != taken.end();
        if (!combination.valid()) {
            // A hand-edited setting: say what was stored, not a key nobody chose.
            invalid_.push_back(std::string(hotkey_description(hotkey)) + "（保存的是“" +
                               code_of(hotkey) + "”）");
        } else if (!repeated && desktop_.grab(static_cast<int>(hotkey), combination)) {
            taken.push_back(combination);
        } else {
            unavailable_.push_back(combination_name(combination));
        }
    }
    registered_ = true;
}

void GlobalHotkeys::unreghotkey() {
    unavailable_.clear();
    invalid_.clear();
    if (!registered_) return;
    registered_ = false;
    for (Hotkey hotkey : all_hotkeys) desktop_.ungrab(static_cast<int>(hotkey));
}

namespace {

std::string listed(const char* heading, const std::vector<std::string>& items) {
    std::string line = heading;
    for (std::size_t i = 0; i < items.size(); ++i) line += (i == 0 ? "" : "、") + items[i];
    return line;
}

}  // namespace

std::string GlobalHotkeys::note() const {
    if (!available()) return hotkey_messages::no_x11;
    std::string note;
    if (!invalid_.empty()) note = listed(hotkey_messages::not_valid, invalid_);
    if (!unavailable_.empty()) {
        if (!note.empty()) note += "\n";
        note += listed(hotkey_messages::not_registered, unavailable_);
    }
    return note;
}

void GlobalHotkeys::HotKeyDown(int id) {
    if (handling_ || id < static_cast<int>(Hotkey::hide_windows) ||
        id > static_cast<int>(Hotkey::hide_taskbar)) {
        return;
    }
    const auto hotkey = static_cast<Hotkey>(id);
    if (use_flag(hotkey) == "0") return;
    handling_ = true;
    handle(hotkey);
    handling_ = false;
}

void GlobalHotkeys::handle(Hotkey hotkey) {
    using namespace hotkey_messages;
    switch (hotkey) {
        case Hotkey::hide_windows: hide_windows(); break;
        case Hotkey::close_windows: close_windows(); break;
        case Hotkey::hide_icons:
            toggle_area(DesktopArea::icons, hidelink_state_, icons_hiding, icons_showing);
            break;
        case Hotkey::hide_taskbar:
            toggle_area(DesktopArea::taskbar, hidetask_state_, taskbar_hiding, taskbar_showing);
            break;
    }
}

// The second press shows exactly what the first hid, never a window opened
// since. They come back bottommost first: the window manager raises each
// window it maps, so the one that was on top ends on top again.
void GlobalHotkeys::hide_windows() {
    if (!hidewindows_state_) {
        hidden_windows_ = desktop_.ordinary_windows();
        for (WindowId window : hidden_windows_) desktop_.hide(window);
    } else {
        for (auto window = hidden_windows_.rbegin(); window != hidden_windows_.rend(); ++window) {
            if (desktop_.exists(*window)) desktop_.show(*window);
        }
    }
    hidewindows_state_ = !hidewindows_state_;
}

// The list is made after the answer: the question may have stood open while
// windows came and went. Topmost first, so a window that asks about unsaved
// work asks where the user is looking.
void GlobalHotkeys::close_windows() {
    if (!prompts_.ask_yes_no(hotkey_messages::close_question, {}, true)) return;
    for (WindowId window : desktop_.ordinary_windows()) desktop_.close(window);
}

// The notice comes first: the user reads what is about to happen, and it
// happens once the notice is gone.
void GlobalHotkeys::toggle_area(DesktopArea area, bool& hidden, const char* hiding,
                                const char* showing) {
    prompts_.inform(hidden ? showing : hiding);
    if (hidden) {
        desktop_.show_area(area);
    } else {
        desktop_.hide_area(area);
    }
    hidden = !hidden;
}

}  // namespace velmora::app
