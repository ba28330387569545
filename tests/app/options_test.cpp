// The options without a window: what the controls show for the stored
// settings, the check of the hotkey keys, and what an OK writes back.
#include "app/options.h"

#include <gtest/gtest.h>

namespace velmora::app {
namespace {

const sys::LocalTime now{2026, 12, 10, 9, 30, 15};

TEST(OptionValues, TheShutdownIsShownOnItsOwnPageOnlyAndOnlyForToday) {
    LocalSettings s;
    s.shutdown_use = "1";
    s.shutdown_date = "20261210";
    s.shutdown_time = "221500";
    const OptionValues own = option_values(s, shutdown_page, now);
    EXPECT_TRUE(own.shutdown);
    EXPECT_EQ(own.shutdown_at.hour, 22);
    EXPECT_EQ(own.shutdown_at.minute, 15);
    const OptionValues elsewhere = option_values(s, basic_page, now);
    EXPECT_FALSE(elsewhere.shutdown);
    s.shutdown_date = "20261209";
    EXPECT_FALSE(option_values(s, shutdown_page, now).shutdown);
    s.shutdown_time = "000000";
    EXPECT_EQ(option_values(s, shutdown_page, now).shutdown_at.minute, 30);  // the time now
}

TEST(OptionValues, OnlyTheShutdownPageChangesAPendingShutdown) {
    LocalSettings s;
    s.shutdown_use = "1";
    s.shutdown_date = "20261210";
    s.shutdown_time = "221500";
    OptionValues opacity_only = option_values(s, basic_page, now);
    opacity_only.form_blend = 120;
    store_options(s, opacity_only, basic_page, now);
    EXPECT_EQ(s.form_blend, 120);
    EXPECT_EQ(s.shutdown_use, "1");
    EXPECT_EQ(s.shutdown_time, "221500");
    OptionValues off = option_values(s, shutdown_page, now);
    off.shutdown = false;
    off.shutdown_at.hour = 7;
    store_options(s, off, shutdown_page, now);
    EXPECT_EQ(s.shutdown_use, "0");
    EXPECT_EQ(s.shutdown_date, "20261210");
    EXPECT_EQ(s.shutdown_time, "071500");
}

TEST(OptionValues, CombinationCodesFromTheirBoxes) {
    LocalSettings s;
    s.hotkey_hidetask = "11Q";
    s.hotkey_hidelink = "00Q";
    OptionValues v = option_values(s, hotkey_page, now);
    EXPECT_TRUE(v.hotkeys[3].ctrl && v.hotkeys[3].alt);
    EXPECT_FALSE(v.hotkeys[2].ctrl || v.hotkeys[2].alt);
    v.hotkeys[0] = {true, true, false, " q "};
    v.hotkeys[1].alt = false;
    store_options(s, v, hotkey_page, now);
    EXPECT_EQ(s.hotkey_hidewindows, "10Q");
    EXPECT_EQ(s.hotkey_hidewindows_use, "1");
    EXPECT_EQ(s.hotkey_closewindows, "00X");
    EXPECT_EQ(s.hotkey_hidelink, "00Q");
    EXPECT_EQ(s.hotkey_hidetask, "11Q");
}

TEST(OptionValues, TheFirstKeyThatIsNoLetterIsNamed) {
    OptionValues v = option_values(LocalSettings{}, hotkey_page, now);
    EXPECT_FALSE(hotkey_key_problem(v));
    v.hotkeys[0].key = "z";  // lower case is taken as its capital
    EXPECT_FALSE(hotkey_key_problem(v));
    v.hotkeys[3].key = "";
    v.hotkeys[2].key = "1";
    EXPECT_EQ(hotkey_key_problem(v), "隐藏桌面图标热键设置不正确！");
    v.hotkeys[2].key = "D";
    EXPECT_EQ(hotkey_key_problem(v), "隐藏任务栏热键设置不正确！");
    v.hotkeys[3].key = "TT";
    EXPECT_TRUE(hotkey_key_problem(v));
}

TEST(OptionValues, FontValuesOutsideTheListsAreKept) {
    LocalSettings s;
    s.note_fontsize = 13;
    s.note_fontcolor = "12345";
    OptionValues v = option_values(s, editor_page, now);
    EXPECT_FALSE(v.font_size);
    EXPECT_EQ(v.stored_font_size, 13);
    EXPECT_FALSE(v.font_colour);
    store_options(s, v, editor_page, now);
    EXPECT_EQ(s.note_fontsize, 13);
    EXPECT_EQ(s.note_fontcolor, "12345");
    s.note_fontcolor = "blue";  // not a number: black, and no error
    EXPECT_EQ(option_values(s, editor_page, now).font_colour, 0);
    s.note_fontcolor = "16711680";
    EXPECT_EQ(option_values(s, editor_page, now).font_colour, 0xFF0000);
}

TEST(OptionValues, TheWorkingDaySwitchesAreReadAndStoredEachOnItsOwn) {
    LocalSettings s;
    OptionValues v = option_values(s, eye_page, now);
    EXPECT_FALSE(v.eyehint_workdays);
    EXPECT_FALSE(v.taskhint_workdays);
    v.eyehint_workdays = true;
    store_options(s, v, eye_page, now);
    EXPECT_EQ(s.eyehint_workdays, "1");
    EXPECT_EQ(s.taskhint_workdays, "0");
    v = option_values(s, task_page, now);
    EXPECT_TRUE(v.eyehint_workdays) << "kept by an OK on another page";
    v.eyehint_workdays = false;
    v.taskhint_workdays = true;
    store_options(s, v, task_page, now);
    EXPECT_EQ(s.eyehint_workdays, "0");
    EXPECT_EQ(s.taskhint_workdays, "1");
    s.taskhint_workdays = "yes";  // hand-edited: only "1" counts as on
    EXPECT_FALSE(option_values(s, task_page, now).taskhint_workdays);
}

TEST(WorkdaysNote, ShownForEveryYearWhoseArrangementIsNotKnown) {
    calendar::Arrangement known;
    known.year = 2026;
    known.days = {{{2026, 10, 1}, calendar::DayOff::rest, "国庆节"}};
    calendar::YearCheck asked;
    asked.year = 2027;
    asked.outcome = calendar::YearCheck::Outcome::unpublished;
    calendar::YearCheck failed;
    failed.year = 2028;
    failed.outcome = calendar::YearCheck::Outcome::failed;
    const calendar::HolidayTable table = calendar::HolidayTable::of({known}, {asked, failed});
    EXPECT_EQ(workdays_note(table, 2026), "");
    EXPECT_EQ(workdays_note(table, 2027),
              "2027年放假安排尚未公布，只在工作日提醒时按星期一至星期五算。");
    EXPECT_EQ(workdays_note(table, 2028),
              "2028年放假安排尚未获取，只在工作日提醒时按星期一至星期五算。");
    EXPECT_EQ(workdays_note(table, 2029),
              "2029年放假安排尚未获取，只在工作日提醒时按星期一至星期五算。");
    EXPECT_EQ(workdays_note(calendar::HolidayTable{}, 2026),
              "2026年放假安排尚未获取，只在工作日提醒时按星期一至星期五算。")
        << "no file at all: every year goes by Monday to Friday";
}

// A desktop skips an entry whose program path holds "%": the options say
// so instead of the entries silently not appearing.
TEST(OptionValues, EntriesForAProgramPathWithAPercentSignAreRefusedAloud) {
    LocalSettings settings;
    settings.autorun = "1";
    settings.desktoplink = "0";
    const std::string refused = desktop_entries_refusal(settings, "/opt/100%/");
    EXPECT_NE(refused.find("“/opt/100%/”"), std::string::npos) << refused;
    EXPECT_NE(refused.find("开机启动和桌面快捷方式没有设置"), std::string::npos);
    EXPECT_EQ(desktop_entries_refusal(settings, "/opt/velmora/"), "");
    settings.autorun = "0";
    EXPECT_EQ(desktop_entries_refusal(settings, "/opt/100%/"), "") << "nothing asked for";
}

}  // namespace
}  // namespace velmora::app
