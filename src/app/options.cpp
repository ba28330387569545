#include "app/options.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "plans/timed_actions.h"
#include "vrx_reg/entries.h"

namespace velmora::app {

const std::array<NamedColour, 16> named_colours = {{
    {"黑色", 0x000000},
    {"栗色", 0x000080},
    {"绿色", 0x008000},
    {"橄榄色", 0x008080},
    {"藏青", 0x800000},
    {"紫色", 0x800080},
    {"蓝绿", 0x808000},
    {"灰色", 0x808080},
    {"银色", 0xC0C0C0},
    {"红色", 0x0000FF},
    {"酸橙色", 0x00FF00},
    {"黄色", 0x00FFFF},
    {"蓝色", 0xFF0000},
    {"紫红", 0xFF00FF},
    {"水绿", 0xFFFF00},
    {"白色", 0xFFFFFF},
}};

const std::array<int, 8> font_sizes = {9, 10, 11, 12, 14, 16, 18, 20};

namespace {

constexpr const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::optional<int> strict_int(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

HotkeyChoice hotkey_choice(const std::string& use, const std::string& code) {
    return {use == "1", !code.empty() && code[0] == '1', code.size() > 1 && code[1] == '1',
            code.size() > 2 ? code.substr(2) : std::string()};
}

std::string trimmed_upper(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string code_of(const HotkeyChoice& choice) {
    return std::string(choice.ctrl ? "1" : "0") + (choice.alt ? "1" : "0") +
           trimmed_upper(choice.key);
}

// The stored time "hhmmss", or the current time when none is set.
sys::LocalTime shutdown_time(const std::string& stored, const sys::LocalTime& now) {
    if (stored == "000000" || stored.size() != 6) return now;
    sys::LocalTime at = now;
    const auto part = [&](std::size_t from) { return strict_int(stored.substr(from, 2)); };
    if (!part(0) || !part(2) || !part(4)) return now;
    at.hour = std::clamp(*part(0), 0, 23);
    at.minute = std::clamp(*part(2), 0, 59);
    at.second = std::clamp(*part(4), 0, 59);
    return at;
}

std::optional<int> listed_colour(const std::string& stored) {
    const int colour = strict_int(stored).value_or(0);
    const bool named = std::any_of(named_colours.begin(), named_colours.end(),
                                   [colour](const NamedColour& c) { return c.value == colour; });
    return named ? std::optional<int>(colour) : std::nullopt;
}

std::optional<int> listed_size(int size) {
    const bool listed = std::find(font_sizes.begin(), font_sizes.end(), size) != font_sizes.end();
    return listed ? std::optional<int>(size) : std::nullopt;
}

const char* yes(bool ticked) {
    return ticked ? "1" : "0";
}

}  // namespace

const char* option_caption(int page) {
    switch (page) {
        case basic_page: return "选项设置";
        case hotkey_page: return "热键管理";
        case eye_page: return "护眼提醒";
        case shutdown_page: return "定时关机";
        case editor_page: return "编辑器设置";
        case task_page: return "任务提醒";
        default: return "";
    }
}

OptionValues option_values(const LocalSettings& s, int page, const sys::LocalTime& now) {
    OptionValues v;
    v.desktoplink = s.desktoplink == "1";
    v.autorun = s.autorun == "1";
    v.todesktop = s.todesktop == "1";
    v.form_blend = std::clamp(s.form_blend, 30, 255);
    v.hotkeys = {hotkey_choice(s.hotkey_hidewindows_use, s.hotkey_hidewindows),
                 hotkey_choice(s.hotkey_closewindows_use, s.hotkey_closewindows),
                 hotkey_choice(s.hotkey_hidelink_use, s.hotkey_hidelink),
                 hotkey_choice(s.hotkey_hidetask_use, s.hotkey_hidetask)};
    v.eyehint = s.eyehint_use == "1";
    v.eyehint_time = static_cast<int>(std::clamp<std::int64_t>(s.eyehint_time, 10, 300));
    v.shutdown_at = now;
    if (page == shutdown_page) {
        v.shutdown = s.shutdown_use == "1" && s.shutdown_date == plans::date_key(now);
        v.shutdown_at = shutdown_time(s.shutdown_time, now);
    }
    v.font_name = s.note_fontname;
    v.font_colour = listed_colour(s.note_fontcolor);
    v.font_size = listed_size(s.note_fontsize);
    v.stored_font_size = s.note_fontsize;
    v.taskhint = s.taskhint_use == "1";
    v.taskhint_time = std::clamp(s.taskhint_time, 1, 12);
    v.eyehint_workdays = s.eyehint_workdays == "1";
    v.taskhint_workdays = s.taskhint_workdays == "1";
    return v;
}

std::string workdays_note(const calendar::HolidayTable& holidays, int year) {
    const calendar::YearState state = holidays.year_state(year);
    if (state == calendar::YearState::known) return {};
    const char* missing = state == calendar::YearState::unpublished ? "尚未公布" : "尚未获取";
    return std::to_string(year) + "年放假安排" + missing + "，只在工作日提醒时按星期一至星期五算。";
}

bool usable_hotkey_key(const std::string& key) {
    const std::string upper = trimmed_upper(key);
    return upper.size() == 1 && std::string_view(letters).find(upper[0]) != std::string::npos;
}

std::optional<std::string> hotkey_key_problem(const OptionValues& values) {
    static constexpr const char* messages[] = {
        "隐藏所有窗口热键设置不正确！", "关闭所有窗口热键设置不正确！",
        "隐藏桌面图标热键设置不正确！", "隐藏任务栏热键设置不正确！"};
    for (std::size_t i = 0; i < values.hotkeys.size(); ++i) {
        if (!usable_hotkey_key(values.hotkeys[i].key)) return std::string(messages[i]);
    }
    return std::nullopt;
}

namespace {

void store_hotkeys(LocalSettings& s, const OptionValues& v) {
    const std::array<std::pair<std::string*, std::string*>, 4> fields = {{
        {&s.hotkey_hidewindows_use, &s.hotkey_hidewindows},
        {&s.hotkey_closewindows_use, &s.hotkey_closewindows},
        {&s.hotkey_hidelink_use, &s.hotkey_hidelink},
        {&s.hotkey_hidetask_use, &s.hotkey_hidetask},
    }};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        *fields[i].first = yes(v.hotkeys[i].use);
        *fields[i].second = code_of(v.hotkeys[i]);
    }
}

void store_shutdown(LocalSettings& s, const OptionValues& v, const sys::LocalTime& now) {
    s.shutdown_use = yes(v.shutdown);
    s.shutdown_date = plans::date_key(now);
    s.shutdown_time = plans::time_key(v.shutdown_at);
}

}  // namespace

void store_options(LocalSettings& s, const OptionValues& v, int page, const sys::LocalTime& now) {
    store_hotkeys(s, v);
    s.desktoplink = yes(v.desktoplink);
    s.autorun = yes(v.autorun);
    s.form_blend = v.form_blend;
    s.eyehint_use = yes(v.eyehint);
    s.eyehint_time = v.eyehint_time;
    s.taskhint_use = yes(v.taskhint);
    s.taskhint_time = v.taskhint_time;
    s.eyehint_workdays = yes(v.eyehint_workdays);
    s.taskhint_workdays = yes(v.taskhint_workdays);
    s.todesktop = yes(v.todesktop);
    if (page == shutdown_page) store_shutdown(s, v, now);
    if (!v.font_name.empty()) s.note_fontname = v.font_name;
    if (v.font_colour) s.note_fontcolor = std::to_string(*v.font_colour);
    if (v.font_size) s.note_fontsize = *v.font_size;
}

std::string desktop_entries_refusal(const LocalSettings& settings, const std::string& program_dir) {
    if (settings.autorun != "1" && settings.desktoplink != "1") return {};
    if (vrx_reg::fits_desktop_entry(program_dir)) return {};
    return "程序所在的文件夹“" + program_dir +
           "”的路径中含有“%”、控制字符或不是 UTF-8 的字节，桌面环境无法从开机启动项和桌面"
           "快捷方式启动它。设置已经保存；开机启动和桌面快捷方式没有设置。请把程序放到路径中"
           "没有这些字符的文件夹中。";
}

}  // namespace velmora::app
