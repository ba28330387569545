// What the options dialog shows and stores, without a window: the values of
// its controls read from the settings, the check of the hotkey keys, and
// the settings an OK writes back. The dialog only moves these values into
// its controls and out again.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/settings.h"
#include "calendar/holidays.h"
#include "sys/clock.h"

namespace velmora::app {

// The six pages, as callers name them.
enum OptionPage {
    basic_page = 1,
    hotkey_page = 2,
    eye_page = 3,
    shutdown_page = 4,
    editor_page = 5,
    task_page = 6
};
// "选项设置", "热键管理", ...; "" for a number that is no page.
const char* option_caption(int page);

struct HotkeyChoice {
    bool use = false;
    bool ctrl = false;
    bool alt = true;
    std::string key = "Z";
};

struct OptionValues {
    bool desktoplink = false;
    bool autorun = false;
    bool todesktop = false;
    int form_blend = 255;
    // Hide windows, close windows, hide desktop icons, hide taskbar.
    std::array<HotkeyChoice, 4> hotkeys;
    bool eyehint = false;
    int eyehint_time = 30;
    bool shutdown = false;
    sys::LocalTime shutdown_at;  // the time of day counts
    std::string font_name;
    std::optional<int> font_colour;  // 0x00BBGGRR; none: not one of the named colours
    std::optional<int> font_size;    // none: not one of the listed sizes
    int stored_font_size = 12;       // what the preview shows in either case
    bool taskhint = false;
    int taskhint_time = 2;
    // "只在工作日提醒" on the eye-care and the task page.
    bool eyehint_workdays = false;
    bool taskhint_workdays = false;
};

// The named colours the colour box offers, with their 0x00BBGGRR values.
struct NamedColour {
    const char* name;
    int value;
};
extern const std::array<NamedColour, 16> named_colours;
extern const std::array<int, 8> font_sizes;

// The controls' values for the dialog opened at `page`. The shutdown is
// loaded on its own page only; a colour that is not a number reads as black.
OptionValues option_values(const LocalSettings& settings, int page, const sys::LocalTime& now);

// The line under "只在工作日提醒" when `year` has no arrangement in
// `holidays`, so that the user knows the reminders go by Monday to Friday
// ("2027年放假安排尚未公布，只在工作日提醒时按星期一至星期五算。"); empty
// when the year's arrangement is known.
std::string workdays_note(const calendar::HolidayTable& holidays, int year);

// The message for the first hotkey whose key is not a letter A to Z.
std::optional<std::string> hotkey_key_problem(const OptionValues& values);
// Whether a stored combination code can be shown and kept as it is.
bool usable_hotkey_key(const std::string& key);

// Why the logon start entry and the desktop launcher the settings ask for
// cannot be made for a program in `program_dir` (a desktop would skip them
// without a word); empty when they can, or when none is asked for.
std::string desktop_entries_refusal(const LocalSettings& settings, const std::string& program_dir);

// Writes the controls' values into the settings. The timed shutdown is
// changed only from its own page: elsewhere its controls were never loaded.
void store_options(LocalSettings& settings, const OptionValues& values, int page,
                   const sys::LocalTime& now);

}  // namespace velmora::app
