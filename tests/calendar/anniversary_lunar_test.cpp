// Anniversaries kept by the lunar calendar and every year: their stored
// lines as this build and the builds before it read them, the days they
// fall on, what is announced, and how the dialog takes them.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <filesystem>

#include "app/recording_prompts.h"
#include "calendar/datehint.h"
#include "calendar/widgets/ufrm_datehint.h"
#include "store/store_fixture.h"
#include "sys/clock.h"
#include "sys/textcodec.h"
#include "ui/date_field.h"

namespace velmora::calendar {
namespace {

using text::to_gb18030;

// The rule the builds before lunar dates read a line by: the first byte
// skipped, a real Gregorian date, two digits, 开启 or 关闭. A line it refuses
// it carries through a save unchanged.
struct OldEntry {
    std::string date;
    int days;
    std::string description;
};
std::optional<OldEntry> old_parse_line(const std::string& bytes) {
    if (bytes.size() < 17) return std::nullopt;
    const std::string days = bytes.substr(11, 2);
    const std::string state = text::from_gb18030(bytes.substr(13, 4));
    if (!parse_dashed_date(bytes.substr(1, 10)) || !isdigit(days[0]) || !isdigit(days[1]))
        return std::nullopt;
    if (state != "开启" && state != "关闭") return std::nullopt;
    return OldEntry{bytes.substr(1, 10), std::stoi(days), text::from_gb18030(bytes.substr(17))};
}

Anniversary entry(const char* date, DateKind kind, bool yearly, const char* description = "生日",
                  int days = 3) {
    return {date, days, state_on, description, kind, yearly};
}

TEST(AnniversaryKinds, EachKindRoundTripsAndOlderBuildsReadOrKeepTheLine) {
    const Anniversary cases[] = {entry("2025-02-10", DateKind::gregorian, false),
                                 entry("2020-02-10", DateKind::gregorian, true),
                                 entry("2024-03-05", DateKind::lunar, false),
                                 entry("2023-02-29", DateKind::lunar_leap, true),
                                 entry("2023-12-30", DateKind::lunar, true)};
    for (const Anniversary& anniversary : cases) {
        const std::string line = format_line(anniversary);
        EXPECT_EQ(parse_line(line), anniversary) << line;
        const std::optional<OldEntry> old = old_parse_line(line);
        // An older build reads the same digits as a Gregorian date, or, when
        // they are no Gregorian date (lunar 02-29 of 2023), keeps the line.
        EXPECT_EQ(old.has_value(), parse_dashed_date(anniversary.date).has_value()) << line;
        if (!old) continue;
        EXPECT_EQ(old->date, anniversary.date);
        EXPECT_EQ(old->days, anniversary.days_ahead);
        // The yearly flag is in the text it writes back, so it survives.
        EXPECT_EQ(old->description,
                  (anniversary.yearly ? "〔每年〕" : "") + anniversary.description);
        const std::string written_back = "0" + line.substr(1, 16) + to_gb18030(old->description);
        EXPECT_EQ(parse_line(written_back)->yearly, anniversary.yearly);
    }
    EXPECT_EQ(format_line(cases[3]), to_gb18030("22023-02-2903开启〔每年〕生日"));
    EXPECT_EQ(format_line(cases[2]), to_gb18030("12024-03-0503开启生日"));
    // A kind this build does not know, or a lunar day past 30, is kept as read.
    const std::string later = to_gb18030("32024-03-0503开启生日");
    const AnniversaryRecord record =
        parse_record(later + "\r\n" + to_gb18030("12024-13-0503开启生日\r\n12024-03-3103开启生日"));
    EXPECT_TRUE(record.entries.empty());
    EXPECT_EQ(record.unparsable.size(), 3u);
    EXPECT_EQ(format_record({}, record.unparsable).substr(0, later.size() + 2), later + "\r\n");
}

TEST(AnniversaryOccurrences, ALunarThirtiethFallsOnTheTwentyNinthInShortMonths) {
    // 腊月三十 is New Year's Eve in every year, whether the month has 29 or 30 days.
    const Anniversary eve = entry("1950-12-30", DateKind::lunar, true);
    const std::vector<Occurrence> all = occurrences(eve, 1901, 2050);
    ASSERT_EQ(all.size(), 100u);  // lunar 1950..2049; 2050's falls in 2051
    int short_months = 0;
    for (const Occurrence& when : all) {
        EXPECT_EQ(lunar_festival(when.date), "除夕") << day_key(when.date);
        const int lunar_year = 1950 + when.years;
        EXPECT_EQ(lunar_of_solar(when.date)->year, lunar_year);
        if (lunar_month_days(lunar_year, 12, false) == 29) {
            ++short_months;
            EXPECT_EQ(lunar_of_solar(when.date)->day, 29);
        }
    }
    EXPECT_GT(short_months, 10);
    const std::vector<Occurrence> two = occurrences(eve, 2024, 2025);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].date, (Date{2024, 2, 9}));
    EXPECT_EQ(two[1].date, (Date{2025, 1, 28}));
    EXPECT_EQ(two[1].years, 74);
}

TEST(AnniversaryOccurrences, ALeapMonthDateFallsInTheOrdinaryMonthWithoutOne) {
    const Anniversary leap = entry("2023-02-15", DateKind::lunar_leap, true);
    int leap_years = 0;
    for (const Occurrence& when : occurrences(leap, 1901, 2050)) {
        const int lunar_year = 2023 + when.years;
        const bool has_leap = lunar_month_days(lunar_year, 2, true) != 0;
        leap_years += has_leap ? 1 : 0;
        EXPECT_EQ(lunar_of_solar(when.date), (LunarDay{lunar_year, 2, has_leap, 15}));
    }
    EXPECT_GE(leap_years, 1);
    EXPECT_EQ(occurrences(leap, 2024, 2024).front().date, (Date{2024, 3, 24}));
    // Once only: its own day, and nothing in other years.
    const Anniversary once = entry("2020-04-01", DateKind::lunar_leap, false);
    ASSERT_EQ(occurrences(once, 2000, 2050).size(), 1u);
    EXPECT_EQ(occurrences(once, 2000, 2050)[0].date, (Date{2020, 5, 23}));
    EXPECT_TRUE(occurrences(once, 2021, 2050).empty());
    // Gregorian: a yearly 29 February is kept on the 28th in common years.
    const std::vector<Occurrence> leap_day =
        occurrences(entry("2024-02-29", DateKind::gregorian, true), 2023, 2028);
    ASSERT_EQ(leap_day.size(), 5u);
    EXPECT_EQ(leap_day[1].date, (Date{2025, 2, 28}));
    EXPECT_EQ(leap_day[4].date, (Date{2028, 2, 29}));
}

TEST(AnniversaryDue, YearlyEntriesSayWhichAnniversaryAndLunarOnesTheirCalendar) {
    const std::vector<Anniversary> entries = {
        entry("2020-02-10", DateKind::gregorian, true, "结婚"),
        entry("2023-12-30", DateKind::lunar, true, "守岁", 0),
        entry("2024-12-29", DateKind::lunar, false, "一次", 0),
        entry("2025-02-10", DateKind::gregorian, true, "当年")};
    EXPECT_EQ(due_messages(entries, {2025, 2, 7}),
              (std::vector<std::string>{"今天距离【结婚】第5周年还有3天！",
                                        "今天距离【当年】还有3天！"}));
    EXPECT_EQ(
        due_messages(entries, {2025, 1, 28}),
        (std::vector<std::string>{
            "今天距离【守岁】第1周年还有0天！（今年腊月只有廿九天，按腊月廿九，公历2025-01-28）",
            "今天距离【一次】还有0天！（农历腊月廿九，公历2025-01-28）"}));
    // A notice that reaches into the next year.
    const std::vector<Anniversary> new_year = {
        entry("2000-01-01", DateKind::gregorian, true, "元旦", 5)};
    EXPECT_EQ(due_messages(new_year, {2025, 12, 27}),
              std::vector<std::string>{"今天距离【元旦】第26周年还有5天！"});
    EXPECT_TRUE(due_messages(entries, {2026, 1, 28}).empty());
}

// A yearly lunar date that a year lacks is kept on another day: the text
// names that day, and why, never the day the year does not have.
TEST(AnniversaryDue, ADayTheYearLacksIsNamedAsTheDayItIsKeptOnAndWhy) {
    const std::vector<Anniversary> leap = {
        entry("2025-06-01", DateKind::lunar_leap, true, "奶奶生日")};
    EXPECT_EQ(
        due_messages(leap, {2026, 7, 11}),
        std::vector<std::string>{
            "今天距离【奶奶生日】第1周年还有3天！（今年无闰六月，按六月初一，公历2026-07-14）"});
    EXPECT_EQ(due_messages(leap, {2025, 7, 22}),
              std::vector<std::string>{
                  "今天距离【奶奶生日】还有3天！（农历闰六月初一，公历2025-07-25）"});
    const std::vector<Anniversary> eve = {entry("2023-12-30", DateKind::lunar, true, "守岁", 0)};
    EXPECT_EQ(
        due_messages(eve, {2027, 2, 5}),
        std::vector<std::string>{
            "今天距离【守岁】第3周年还有0天！（今年腊月只有廿九天，按腊月廿九，公历2027-02-05）"});
    EXPECT_EQ(
        due_messages(eve, {2024, 2, 9}),
        std::vector<std::string>{"今天距离【守岁】还有0天！（农历腊月三十，公历2024-02-09）"});
    // Both at once: 2018 has no leap sixth month, and its sixth month 29 days.
    const std::vector<Anniversary> both = {
        entry("2017-06-30", DateKind::lunar_leap, true, "满月", 0)};
    EXPECT_EQ(
        due_messages(both, {2018, 8, 10}),
        std::vector<std::string>{"今天距离【满月】第1周年还有0天！（今年无闰六月，六月只有廿九天，"
                                 "按六月廿九，公历2018-08-10）"});
    const std::vector<Anniversary> mid_autumn = {
        entry("1985-08-15", DateKind::lunar, true, "团圆", 0)};
    EXPECT_EQ(due_messages(mid_autumn, {2026, 9, 25}),
              std::vector<std::string>{
                  "今天距离【团圆】第41周年还有0天！（农历八月十五，公历2026-09-25）"});
}

TEST(AnniversaryDue, RefusalsOfLunarDaysThatDoNotExist) {
    EXPECT_FALSE(lunar_date_refusal(2023, 2, true, 29));
    EXPECT_EQ(lunar_date_refusal(2023, 2, true, 30),
              "农历2023年闰二月三十不存在：这个月只有29天。");
    EXPECT_EQ(lunar_date_refusal(2024, 4, true, 1),
              "农历2024年闰四月初一不存在：这一年没有闰四月。");
    EXPECT_EQ(lunar_date_refusal(2050, 12, false, 1),
              "农历2050年腊月初一不在可换算的范围内（公历1901年至2050年）。");
}

class FixedClock : public sys::Clock {
public:
    sys::LocalTime now() const override { return {2024, 2, 10, 9, 0, 0}; }
};

class LunarDialog : public testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        std::filesystem::create_directories(temp_work_);
    }
    static void set_lunar(Tfrm_datehint& dialog, int year, int month, bool leap, int day) {
        dialog.cbx_calendar->setCurrentIndex(1);
        dialog.sp_lunar_year->setValue(year);
        dialog.cbx_lunar_month->setCurrentIndex(month - 1);
        dialog.cb_leap->setChecked(leap);
        dialog.cbx_lunar_day->setCurrentIndex(day - 1);
    }
    std::string temp_work_ = folder_.file("zenqplumora");
    testing::RecordingPrompts prompts_;
    FixedClock clock_;
};

TEST_F(LunarDialog, TakesALunarDateRefusesOneThatDoesNotExistAndShowsItAgain) {
    {
        Tfrm_datehint dialog(prompts_, temp_work_, clock_);
        dialog.cbx_calendar->setCurrentIndex(1);  // starts from the picker's day
        EXPECT_EQ(dialog.sp_lunar_year->value(), 2024);
        EXPECT_EQ(dialog.cbx_lunar_day->currentText(), "初一");
        EXPECT_FALSE(dialog.RzDateTimePicker1->isEnabled());

        // A year without the leap month is said at once, before 增加.
        set_lunar(dialog, 2024, 4, true, 1);
        EXPECT_TRUE(dialog.lb_lunar_refusal->isVisibleTo(&dialog));
        EXPECT_EQ(dialog.lb_lunar_refusal->text().toStdString(),
                  "农历2024年闰四月初一不存在：这一年没有闰四月。");
        EXPECT_TRUE(prompts_.shown.empty());
        set_lunar(dialog, 2023, 2, true, 30);
        EXPECT_TRUE(dialog.lb_lunar_refusal->text().contains("这个月只有29天"));
        dialog.RzMemo1->setPlainText("奶奶生日");
        dialog.btn_add->click();
        EXPECT_EQ(prompts_.shown,
                  std::vector<std::string>{"农历2023年闰二月三十不存在：这个月只有29天。"});
        EXPECT_TRUE(dialog.list_empty());
        EXPECT_EQ(dialog.RzMemo1->toPlainText(), "奶奶生日");

        set_lunar(dialog, 2023, 2, true, 29);
        EXPECT_FALSE(dialog.lb_lunar_refusal->isVisibleTo(&dialog));
        EXPECT_EQ(dialog.RzDateTimePicker1->date(), QDate(2023, 4, 19));
        dialog.cb_yearly->setChecked(true);
        dialog.btn_add->click();
        ASSERT_EQ(dialog.entries().size(), 1u);
        EXPECT_EQ(dialog.entries()[0],
                  (Anniversary{"2023-02-29", 3, state_on, "奶奶生日", DateKind::lunar_leap, true}));
        EXPECT_EQ(dialog.RzStringGrid1->item(0, 1)->text(), "农历2023年闰二月廿九 每年");
        dialog.btn_ok->click();
    }
    EXPECT_EQ(get(index(datehint_record)), to_gb18030("22023-02-2903开启〔每年〕奶奶生日\r\n"));

    Tfrm_datehint again(prompts_, temp_work_, clock_);
    EXPECT_EQ(again.cbx_calendar->currentText(), "农历");
    EXPECT_TRUE(again.cb_leap->isChecked());
    EXPECT_TRUE(again.cb_yearly->isChecked());
    EXPECT_EQ(again.cbx_lunar_month->currentText(), "二月");
    EXPECT_EQ(again.cbx_lunar_day->currentText(), "廿九");
    // Back to Gregorian: the picker keeps the day the lunar date fell on.
    again.cbx_calendar->setCurrentIndex(0);
    again.cb_yearly->setChecked(false);
    again.btn_edit->click();
    EXPECT_EQ(again.entries()[0],
              (Anniversary{"2023-04-19", 3, state_on, "奶奶生日", DateKind::gregorian, false}));
}

}  // namespace
}  // namespace velmora::calendar
