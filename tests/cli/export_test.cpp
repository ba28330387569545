// The calendar export read back by a real iCalendar parser (libical), and
// both exports run on a real container as the command line runs them.
#include <gtest/gtest.h>
#include <libical/ical.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "../store/store_fixture.h"
#include "bookmarks/bookmark_html.h"
#include "calendar/ics_writer.h"
#include "cli/cli.h"
#include "cli/cli_export.h"
#include "cli_run.h"
#include "store/day_records.h"
#include "sys/textcodec.h"

namespace velmora::cli {
namespace {

namespace ics = calendar::ics;
using calendar::Date;

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Calendar = std::unique_ptr<icalcomponent, ComponentFree>;

Calendar parse(const std::string& text) {
    return Calendar(icalparser_parse_string(text.c_str()));
}

std::vector<icalcomponent*> components(icalcomponent* calendar, icalcomponent_kind kind) {
    std::vector<icalcomponent*> found;
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, kind); c != nullptr;
         c = icalcomponent_get_next_component(calendar, kind)) {
        found.push_back(c);
    }
    return found;
}

int count(icalcomponent* c, icalproperty_kind kind) {
    return icalcomponent_count_properties(c, kind);
}

std::string text_of(icalcomponent* c, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (p == nullptr) return "<none>";
    const char* value = icalvalue_as_ical_string(icalproperty_get_value(p));
    // TEXT values come back escaped: compare what a reader shows instead.
    if (icalvalue_isa(icalproperty_get_value(p)) == ICAL_TEXT_VALUE) {
        return icalvalue_get_text(icalproperty_get_value(p));
    }
    return value;
}

std::string date_of(icalcomponent* c, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (p == nullptr) return "<none>";
    const icaltimetype time = icalvalue_get_datetime(icalproperty_get_value(p));
    return time.is_date ? icaltime_as_ical_string(time) : "not a DATE";
}

// libical marks what it could not read with X-LIC-ERROR properties, and
// its check of the standard's property rules adds them too.
void expect_valid(icalcomponent* calendar) {
    ASSERT_NE(calendar, nullptr);
    EXPECT_EQ(icalcomponent_isa(calendar), ICAL_VCALENDAR_COMPONENT);
    EXPECT_EQ(icalrestriction_check(calendar), 1);
    EXPECT_EQ(icalcomponent_count_errors(calendar), 0) << icalcomponent_as_ical_string(calendar);
}

// Every physical line ends with CR LF, holds at most 75 octets and starts
// with a whole character; unfolded, the lines give the content back.
void expect_well_folded(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find("\r\n", begin);
        ASSERT_NE(end, std::string::npos) << "a line without CR LF at " << begin;
        const std::string line = text.substr(begin, end - begin);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos);
        const std::size_t first = !line.empty() && line[0] == ' ' ? 1 : 0;
        if (line.size() > first) {
            EXPECT_NE(static_cast<unsigned char>(line[first]) & 0xC0U, 0x80U) << line;
        }
        begin = end + 2;
    }
}

std::string unfolded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "\r\n ") == 0) {
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The first `count` days a recurrence rule gives from `start`.
std::vector<std::string> first_days(const icalrecurrencetype& rule, const char* start, int count) {
    icalrecur_iterator* it = icalrecur_iterator_new(rule, icaltime_from_string(start));
    std::vector<std::string> days(static_cast<std::size_t>(count));
    for (std::string& day : days) day = icaltime_as_ical_string(icalrecur_iterator_next(it));
    icalrecur_iterator_free(it);
    return days;
}

const std::string long_chinese = [] {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "长文本，分号；";
    return text;
}();

TEST(IcsWriter, TextIsEscapedAndLongLinesFoldAtCharacterBoundaries) {
    EXPECT_EQ(ics::escape_text("a,b;c\\d\ne\r\nf\rg\x01h\ti"), "a\\,b\\;c\\\\d\\ne\\nf\\ng h\ti");
    for (const std::size_t ascii_prefix : {0u, 1u, 2u, 3u, 73u, 74u, 75u}) {
        const std::string line = "SUMMARY:" + std::string(ascii_prefix, 'x') + long_chinese + "😀𠀀";
        const std::string folded = ics::fold_line(line);
        expect_well_folded(folded);
        EXPECT_EQ(unfolded(folded), line + "\r\n");
    }
    EXPECT_EQ(ics::fold_line(std::string(75, 'a')), std::string(75, 'a') + "\r\n");
    EXPECT_EQ(unfolded(ics::fold_line(std::string(200, '\x80'))),
              std::string(200, '\x80') + "\r\n");
    EXPECT_EQ(ics::fold_line(std::string(76, 'a')), std::string(75, 'a') + "\r\n a\r\n");
    EXPECT_EQ(ics::next_day({2024, 2, 28}), (Date{2024, 2, 29}));
    EXPECT_EQ(ics::next_day({2023, 12, 31}), (Date{2024, 1, 1}));
    EXPECT_EQ(ics::utc_stamp(1700000000), "20231114T221320Z");
}

ics::AnniversaryEvent lunar(const std::string& title, std::vector<Date> dates, int month, bool leap,
                            int day) {
    ics::AnniversaryEvent event;
    event.title = title;
    event.date = dates.front();
    event.yearly = true;
    event.lunar = true;
    event.dates = std::move(dates);
    event.lunar_year = calendar::lunar_of_solar(event.date)->year;
    event.lunar_month = month;
    event.leap_month = leap;
    event.lunar_day = day;
    return event;
}

IcsContent sample_content() {
    IcsContent content;
    content.plans.push_back({{2024, 2, 10},
                             {{"A", store::state_in_progress, "拜年, 买票; 路径 C:\\temp"},
                              {"D", store::state_done, long_chinese},
                              {"", store::state_in_progress, "无类别"}}});
    content.plans.push_back({{2025, 1, 1}, {{"B", store::state_done, "元旦"}}});
    content.notes.push_back({{2024, 2, 9}, "除夕守岁\n第二行，逗号,分号;\n" + long_chinese});
    ics::AnniversaryEvent birthday;
    birthday.title = "生日";
    birthday.date = {2025, 2, 10};
    content.anniversaries.push_back(birthday);
    ics::AnniversaryEvent wedding = birthday;
    wedding.title = "结婚纪念日";
    wedding.date = {2020, 2, 29};
    wedding.yearly = true;
    content.anniversaries.push_back(wedding);
    ics::AnniversaryEvent founding = birthday;
    founding.title = "成立日";
    founding.date = {2001, 11, 23};
    founding.yearly = true;
    content.anniversaries.push_back(founding);
    // 除夕 as the lunar 30th of the twelfth month: kept on the 29th in years
    // whose twelfth month is short.
    content.anniversaries.push_back(
        lunar("除夕", {{2024, 2, 9}, {2025, 1, 28}, {2026, 2, 16}, {2027, 2, 5}}, 12, false, 30));
    content.anniversaries.push_back(lunar("春节", {{2024, 2, 10}}, 1, false, 1));
    content.anniversaries.back().yearly = false;
    return content;
}

TEST(IcsExport, LibicalReadsEveryComponentWithItsValues) {
    const std::string text = ics_text(sample_content(), "20240101T080000Z");
    expect_well_folded(text);
    Calendar calendar = parse(text);
    expect_valid(calendar.get());
    EXPECT_EQ(text_of(calendar.get(), ICAL_VERSION_PROPERTY), "2.0");
    const auto todos = components(calendar.get(), ICAL_VTODO_COMPONENT);
    ASSERT_EQ(todos.size(), 4u);
    EXPECT_EQ(text_of(todos[0], ICAL_SUMMARY_PROPERTY), "拜年, 买票; 路径 C:\\temp");
    EXPECT_EQ(text_of(todos[0], ICAL_STATUS_PROPERTY), "NEEDS-ACTION");
    EXPECT_EQ(text_of(todos[0], ICAL_CATEGORIES_PROPERTY), "重要，急");
    EXPECT_EQ(text_of(todos[0], ICAL_PRIORITY_PROPERTY), "1");
    EXPECT_EQ(date_of(todos[0], ICAL_DUE_PROPERTY), "20240210");
    EXPECT_EQ(text_of(todos[1], ICAL_SUMMARY_PROPERTY), long_chinese);
    EXPECT_EQ(text_of(todos[1], ICAL_STATUS_PROPERTY), "COMPLETED");
    EXPECT_EQ(text_of(todos[1], ICAL_PRIORITY_PROPERTY), "9");
    EXPECT_EQ(count(todos[2], ICAL_CATEGORIES_PROPERTY) + count(todos[2], ICAL_PRIORITY_PROPERTY),
              0);
    EXPECT_EQ(date_of(todos[3], ICAL_DUE_PROPERTY), "20250101");
    std::set<std::string> uids;
    for (icalcomponent* c = icalcomponent_get_first_component(calendar.get(), ICAL_ANY_COMPONENT);
         c != nullptr; c = icalcomponent_get_next_component(calendar.get(), ICAL_ANY_COMPONENT)) {
        EXPECT_EQ(count(c, ICAL_UID_PROPERTY), 1);
        EXPECT_EQ(count(c, ICAL_DTSTAMP_PROPERTY), 1);
        uids.insert(text_of(c, ICAL_UID_PROPERTY));
    }
    EXPECT_EQ(uids.size(), 4u + 1u + 5u);

    const auto journals = components(calendar.get(), ICAL_VJOURNAL_COMPONENT);
    ASSERT_EQ(journals.size(), 1u);
    EXPECT_EQ(date_of(journals[0], ICAL_DTSTART_PROPERTY), "20240209");
    EXPECT_EQ(text_of(journals[0], ICAL_DESCRIPTION_PROPERTY),
              "除夕守岁\n第二行，逗号,分号;\n" + long_chinese);
    EXPECT_EQ(text_of(journals[0], ICAL_SUMMARY_PROPERTY), "除夕守岁");
}

TEST(IcsExport, AnniversariesAreAllDayEventsAndLunarOnesCarryTheirDaysAndRule) {
    Calendar calendar = parse(ics_text(sample_content(), "20240101T080000Z"));
    expect_valid(calendar.get());
    const auto events = components(calendar.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(date_of(events[0], ICAL_DTSTART_PROPERTY), "20250210");
    EXPECT_EQ(date_of(events[0], ICAL_DTEND_PROPERTY), "20250211");
    EXPECT_EQ(count(events[0], ICAL_RRULE_PROPERTY), 0);
    EXPECT_EQ(date_of(events[1], ICAL_DTEND_PROPERTY), "20200301");
    // Kept every year: on the 28th when February has no 29th.
    const icalrecurrencetype yearly =
        icalproperty_get_rrule(icalcomponent_get_first_property(events[1], ICAL_RRULE_PROPERTY));
    EXPECT_EQ(yearly.freq, ICAL_YEARLY_RECURRENCE);
    EXPECT_EQ(
        first_days(yearly, "20200229", 5),
        (std::vector<std::string>{"20200229", "20210228", "20220228", "20230228", "20240229"}));

    // The lunar one: its first day, the others as RDATE, no Gregorian rule,
    // and the Chinese-calendar rule beside them.
    EXPECT_EQ(text_of(events[2], ICAL_RRULE_PROPERTY), "FREQ=YEARLY");
    icalcomponent* eve = events[3];
    EXPECT_EQ(text_of(eve, ICAL_SUMMARY_PROPERTY), "除夕");
    EXPECT_EQ(date_of(eve, ICAL_DTSTART_PROPERTY), "20240209");
    EXPECT_EQ(count(eve, ICAL_RRULE_PROPERTY), 0);
    std::vector<std::string> rdates;
    for (icalproperty* p = icalcomponent_get_first_property(eve, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(eve, ICAL_RDATE_PROPERTY)) {
        rdates.push_back(icaltime_as_ical_string(icalproperty_get_rdate(p).time));
    }
    EXPECT_EQ(rdates, (std::vector<std::string>{"20250128", "20260216", "20270205"}));
    icalproperty* rule = icalcomponent_get_first_property(eve, ICAL_X_PROPERTY);
    ASSERT_NE(rule, nullptr);
    EXPECT_STREQ(icalproperty_get_x_name(rule), ics::lunar_rule_property);

    // A reader that knows the Chinese calendar expands the rule to the days
    // of the list: the rule says what the list says. (libical's calendar
    // places the new moon of February 2027, at 23:56 Beijing time, after
    // midnight and so ends that twelfth month a day late; one reason the
    // listed days, not the rule, are what every reader is given.)
    icalrecurrencetype recurrence =
        icalrecurrencetype_from_string(icalproperty_get_value_as_string(rule));
    // The parsed rule owns its copy of the calendar's name.
    const std::unique_ptr<char, decltype(&std::free)> rscale(recurrence.rscale, &std::free);
    ASSERT_EQ(recurrence.freq, ICAL_YEARLY_RECURRENCE);
    ASSERT_STREQ(recurrence.rscale, "CHINESE");
    if (icalrecurrencetype_rscale_is_supported()) {
        EXPECT_EQ(first_days(recurrence, "20240209", 3),
                  (std::vector<std::string>{"20240209", "20250128", "20260216"}));
    }
    // Kept once: no further days, no rule.
    EXPECT_EQ(count(events[4], ICAL_RDATE_PROPERTY) + count(events[4], ICAL_X_PROPERTY), 0);
    EXPECT_EQ(ics::lunar_rule(lunar("x", {{2023, 6, 18}}, 4, true, 1)),
              "RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=4L;BYMONTHDAY=1;SKIP=BACKWARD");
    EXPECT_EQ(ics::lunar_rule(lunar("x", {{2023, 6, 18}}, 13, false, 1)), "");
}

using testing::cli;
using testing::Result;

class CliExport : public testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        put(store::plan_folder, "20240210.txt",
            store::format_plan_record({{"A", store::state_in_progress, "拜年, 买票"},
                                       {"C", store::state_done, "包饺子"}}));
        put(store::plan_folder, "20240301.txt",
            store::format_plan_record({{"B", store::state_in_progress, "春游"}}));
        put(store::note_folder, "20240210.txt", store::note_to_record("除夕守岁\n第二行"));
        put("plumora_files", "datehint.txt",
            text::to_gb18030("02025-02-1003开启生日\r\n02024-13-4003开启坏行\r\n"));
        ASSERT_EQ(FX_Addnode(index("plumora_url"), ""), 1);
        ASSERT_EQ(FX_Changeitemname(index("plumora_url"), index("plumora_url/新建文件夹"), "工作"),
                  1);
        put("plumora_url/工作", "文档 <站点> & 说明",
            text::to_gb18030("https://例子.cn/a?b=1&c=2"));
        put("plumora_url", "Example", "http://example.org/");
        FX_Closefx(1);
        dir_ = folder_.path().string();
    }
    std::string dir_;
};

// The anniversary list's entries as the export sees them: a lunar leap-month
// date kept in later years without that leap month on the ordinary month,
// a yearly lunar one listed up to the end of the engine's range.
TEST(AnniversaryEvents, LunarEntriesBecomeTheirGregorianDays) {
    calendar::Anniversary leap;
    leap.date = "2023-02-29";
    leap.kind = calendar::DateKind::lunar_leap;
    leap.yearly = true;
    leap.description = "奶奶生日";
    calendar::Anniversary once = leap;
    once.date = "2024-01-01";
    once.kind = calendar::DateKind::lunar;
    once.yearly = false;
    calendar::Anniversary wedding;
    wedding.date = "2020-05-20";
    wedding.yearly = true;
    const std::vector<ics::AnniversaryEvent> events =
        anniversary_events({leap, once, wedding}, 2023);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events[0].lunar && events[0].leap_month && events[0].yearly);
    EXPECT_EQ(events[0].lunar_month, 2);
    EXPECT_EQ(events[0].lunar_day, 29);
    ASSERT_EQ(events[0].dates.size(), 28u);  // 2023 to 2050, the engine's last year
    EXPECT_EQ(events[0].date, (Date{2023, 4, 19}));
    EXPECT_EQ(events[0].dates[1], (Date{2024, 4, 7}));  // 2024 has no leap second month
    EXPECT_EQ(events[0].dates.back().year, 2050);
    EXPECT_EQ(events[1].dates, (std::vector<Date>{{2024, 2, 10}}));
    EXPECT_FALSE(events[1].yearly);
    EXPECT_FALSE(events[2].lunar);
    EXPECT_TRUE(events[2].yearly);
    EXPECT_EQ(events[2].date, (Date{2020, 5, 20}));
}

// An entry of 1985 kept every year: its days from this year (the clock's)
// to the engine's last year, not the thirty years from 1985 that ended in
// 2014. A one-off lunar entry keeps its one day, however long ago.
TEST(AnniversaryEvents, AnOldYearlyLunarEntryIsListedFromThisYearToTheEnginesLastYear) {
    calendar::Anniversary mid_autumn;
    mid_autumn.date = "1985-08-15";
    mid_autumn.kind = calendar::DateKind::lunar;
    mid_autumn.yearly = true;
    mid_autumn.description = "团圆";
    calendar::Anniversary once = mid_autumn;
    once.yearly = false;
    calendar::Anniversary future = mid_autumn;
    future.date = "2030-08-15";
    const std::vector<ics::AnniversaryEvent> events =
        anniversary_events({mid_autumn, once, future}, 2026);
    ASSERT_EQ(events.size(), 3u);
    ASSERT_EQ(events[0].dates.size(), 25u);  // 2026 to 2050
    EXPECT_EQ(events[0].dates[0], (Date{2026, 9, 25}));
    EXPECT_EQ(events[0].dates[1], (Date{2027, 9, 15}));
    EXPECT_EQ(events[0].dates.back().year, calendar::last_lunar_year);
    EXPECT_EQ(events[0].date, (Date{2026, 9, 25}));
    for (const Date day : events[0].dates) {
        EXPECT_EQ(calendar::lunar_of_solar(day)->month, 8) << calendar::day_key(day);
        EXPECT_EQ(calendar::lunar_of_solar(day)->day, 15) << calendar::day_key(day);
    }
    EXPECT_EQ(events[0].lunar_year, 1985);
    EXPECT_EQ(events[1].dates, (std::vector<Date>{{1985, 9, 29}}));
    // Not yet begun: from its own year.
    EXPECT_EQ(events[2].dates.front(), (Date{2030, 9, 12}));
    EXPECT_EQ(events[2].dates.size(), 21u);
    // Past the engine's range: no day left to list, no event.
    EXPECT_TRUE(anniversary_events({mid_autumn}, 2051).empty());
}

std::vector<std::string> uids_of(const std::string& text) {
    Calendar calendar = parse(text);
    std::vector<std::string> uids;
    for (icalcomponent* c = icalcomponent_get_first_component(calendar.get(), ICAL_ANY_COMPONENT);
         c != nullptr; c = icalcomponent_get_next_component(calendar.get(), ICAL_ANY_COMPONENT)) {
        uids.push_back(text_of(c, ICAL_UID_PROPERTY));
    }
    return uids;
}

bool all_different(const std::vector<std::string>& uids) {
    return std::set<std::string>(uids.begin(), uids.end()).size() == uids.size();
}

// A UID is made of what the item is, not of where it stands in the file:
// a plan and a note added on an earlier day, or a year gone by, change no
// other UID; the same task twice on one day still gives two UIDs, the same
// two every time.
TEST(IcsUids, StayTheSameAcrossExportsAndAreUnique) {
    IcsContent content = sample_content();
    content.plans.front().tasks.push_back(content.plans.front().tasks.front());  // a duplicate
    const std::vector<std::string> first = uids_of(ics_text(content, "20240101T080000Z"));
    EXPECT_TRUE(all_different(first));
    EXPECT_EQ(uids_of(ics_text(content, "20250101T080000Z")), first);

    IcsContent more = content;
    more.plans.insert(more.plans.begin(),
                      DayPlans{{2023, 5, 1}, {{"B", store::state_in_progress, "新计划"}}});
    more.notes.insert(more.notes.begin(), DayNote{{2023, 5, 1}, "新笔记"});
    more.anniversaries.front().dates = {{2026, 2, 16}};  // listed from a later year
    const std::vector<std::string> second = uids_of(ics_text(more, "20240101T080000Z"));
    EXPECT_TRUE(all_different(second));
    EXPECT_EQ(second.size(), first.size() + 2);
    for (const std::string& uid : first) {
        EXPECT_NE(std::find(second.begin(), second.end(), uid), second.end()) << uid;
    }
    const std::string new_year =
        ics::todo_uid({{2024, 2, 10}, "拜年, 买票; 路径 C:\\temp", false, {}, 0, {}, {}});
    EXPECT_EQ(first[0], new_year + "@velmora");
    EXPECT_EQ(first[3], new_year + "-2@velmora");
    EXPECT_EQ(first[5], "note-20240209@velmora");
    // Neither the running count nor a state: the task's day and text alone.
    EXPECT_EQ(ics::todo_uid({{2024, 2, 10}, "x", true, "重要，急", 1, {}, {}}),
              ics::todo_uid({{2024, 2, 10}, "x", false, {}, 0, {}, {}}));
    EXPECT_NE(ics::todo_uid({{2024, 2, 10}, "x", false, {}, 0, {}, {}}),
              ics::todo_uid({{2024, 2, 11}, "x", false, {}, 0, {}, {}}));
    EXPECT_NE(ics::todo_uid({{2024, 2, 10}, "x", false, {}, 0, {}, {}}),
              ics::todo_uid({{2024, 2, 10}, "y", false, {}, 0, {}, {}}));
    ics::AnniversaryEvent eve = lunar("除夕", {{2026, 2, 16}}, 12, false, 30);
    eve.lunar_year = 1950;
    const std::string eve_uid = ics::anniversary_uid(eve);
    eve.dates = {{2027, 2, 5}};
    eve.date = eve.dates.front();
    EXPECT_EQ(ics::anniversary_uid(eve), eve_uid);
    EXPECT_EQ(eve_uid.rfind("anniversary-lunar-19501230-", 0), 0u) << eve_uid;
}

TEST_F(CliExport, TheContainersPlansNotesAndAnniversariesBecomeOneCalendar) {
    const std::string before = folder_.read("zenqdata.fx");
    const std::string file = folder_.file("out.ics");
    folder_.write("out.ics", "an older export");
    const Result done = cli({"--data", dir_, "export-ics", file});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_EQ(done.out, "3 to-dos, 1 journal entries, 1 events written to " + file + "\n");
    Calendar calendar = parse(folder_.read("out.ics"));
    expect_valid(calendar.get());
    const auto todos = components(calendar.get(), ICAL_VTODO_COMPONENT);
    ASSERT_EQ(todos.size(), 3u);
    EXPECT_EQ(text_of(todos[0], ICAL_SUMMARY_PROPERTY), "拜年, 买票");
    EXPECT_EQ(text_of(todos[1], ICAL_CATEGORIES_PROPERTY), "不重要，急");
    EXPECT_EQ(text_of(todos[1], ICAL_STATUS_PROPERTY), "COMPLETED");
    EXPECT_EQ(date_of(todos[2], ICAL_DUE_PROPERTY), "20240301");
    const auto notes = components(calendar.get(), ICAL_VJOURNAL_COMPONENT);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(text_of(notes[0], ICAL_DESCRIPTION_PROPERTY), "除夕守岁\n第二行");
    const auto events = components(calendar.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(text_of(events[0], ICAL_SUMMARY_PROPERTY), "生日");
    EXPECT_EQ(date_of(events[0], ICAL_DTSTART_PROPERTY), "20250210");
    EXPECT_EQ(folder_.read("zenqdata.fx"), before);
}

TEST_F(CliExport, TheBookmarkTreeBecomesABrowserFileThatReadsBackAsTheSameTree) {
    const std::string file = folder_.file("bookmarks.html");
    const Result done = cli({"--data", dir_, "export-bookmarks", file});
    ASSERT_EQ(done.status, 0) << done.err;
    const bookmarks::ParsedBookmarks parsed =
        bookmarks::parse_bookmark_html(folder_.read("bookmarks.html"));
    EXPECT_TRUE(parsed.recognised);
    const std::vector<bookmarks::BookmarkNode> expected{
        {"工作", "", true, {{"文档 <站点> & 说明", "https://例子.cn/a?b=1&c=2", false, {}}}},
        {"Example", "http://example.org/", false, {}}};
    EXPECT_EQ(parsed.top, expected);
    EXPECT_NE(folder_.read("bookmarks.html").find("&lt;站点&gt; &amp; 说明"), std::string::npos);
}

TEST_F(CliExport, AFailedExportSaysWhyAndLeavesTheOlderFileAsItWas) {
    const Result no_folder = cli({"--data", dir_, "export-ics", folder_.file("none/out.ics")});
    EXPECT_EQ(no_folder.status, 2);
    EXPECT_NE(no_folder.err.find("cannot write"), std::string::npos) << no_folder.err;
    EXPECT_FALSE(std::filesystem::exists(folder_.file("none")));

    testing::TempFolder empty;
    empty.write("old.html", "older");
    const Result missing =
        cli({"--data", empty.path().string(), "export-bookmarks", empty.file("old.html")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no data file"), std::string::npos);
    EXPECT_EQ(empty.read("old.html"), "older");
    EXPECT_EQ(cli({"--data", dir_, "export-ics"}).status, 2);
    EXPECT_EQ(cli({"export-ics", "x.ics"}).status, 2);
}

class FixedClock : public sys::Clock {
public:
    sys::LocalTime now() const override { return {2026, 12, 10, 9, 30, 0}; }
};

// The container's UIDs, exported before and after a plan is added on an
// earlier day: every one of the first export is in the second.
TEST_F(CliExport, TwoExportsAroundAnAddedPlanKeepEveryUid) {
    const FixedClock clock;
    ASSERT_EQ(cli({"--data", dir_, "export-ics", folder_.file("first.ics")}, clock).status, 0);
    ASSERT_EQ(FX_Createoropenfx(path_, store::container_password, 0, "", ""), 1);
    put(store::plan_folder, "20231231.txt",
        store::format_plan_record({{"A", store::state_in_progress, "年终总结"},
                                   {"A", store::state_in_progress, "年终总结"}}));
    FX_Closefx(1);
    ASSERT_EQ(cli({"--data", dir_, "export-ics", folder_.file("second.ics")}, clock).status, 0);
    const std::vector<std::string> first = uids_of(folder_.read("first.ics"));
    const std::vector<std::string> second = uids_of(folder_.read("second.ics"));
    EXPECT_EQ(second.size(), first.size() + 2);
    EXPECT_TRUE(all_different(second));
    for (const std::string& uid : first) {
        EXPECT_NE(std::find(second.begin(), second.end(), uid), second.end()) << uid;
    }
    // DTSTAMP is the clock's time, in UTC.
    EXPECT_NE(folder_.read("first.ics").find("DTSTAMP:" + export_stamp(clock.now())),
              std::string::npos);
}

TEST_F(CliExport, AnOldYearlyLunarAnniversaryIsListedFromTheClocksYear) {
    ASSERT_EQ(FX_Createoropenfx(path_, store::container_password, 0, "", ""), 1);
    put("plumora_files", "datehint.txt", text::to_gb18030("11985-08-1503开启〔每年〕团圆\r\n"));
    FX_Closefx(1);
    const Result done = cli({"--data", dir_, "export-ics", "-"}, FixedClock());
    ASSERT_EQ(done.status, 0) << done.err;
    Calendar calendar = parse(done.out);
    expect_valid(calendar.get());
    const auto events = components(calendar.get(), ICAL_VEVENT_COMPONENT);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(date_of(events[0], ICAL_DTSTART_PROPERTY), "20260925");
    icalproperty* next = icalcomponent_get_first_property(events[0], ICAL_RDATE_PROPERTY);
    ASSERT_NE(next, nullptr);
    EXPECT_STREQ(icaltime_as_ical_string(icalproperty_get_rdate(next).time), "20270915");
}

// What stands at the target, to tell that a refused export left it as it was.
struct Target {
    std::filesystem::file_type type;
    std::string content;
    std::string link_to;
    std::filesystem::perms perms;
    std::uintmax_t links;
    bool operator==(const Target&) const = default;
};
Target target_at(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::file_status status = fs::symlink_status(path);
    Target target{status.type(), {}, {}, status.permissions(), 0};
    if (status.type() == fs::file_type::symlink) {
        target.link_to = fs::read_symlink(path).string();
    } else if (status.type() == fs::file_type::regular) {
        std::ifstream in(path, std::ios::binary);
        target.content.assign(std::istreambuf_iterator<char>(in), {});
        target.links = fs::hard_link_count(path);
    }
    return target;
}

// Neither export writes anything but a new name or a regular file of one
// name: a FIFO, links of both kinds, a read-only file and a device are each
// left as they were, the command says why and fails; "-" is standard output.
TEST_F(CliExport, RefusesEveryTargetButARegularFileAndLeavesItAsItWas) {
    namespace fs = std::filesystem;
    testing::TempFolder targets;
    targets.write("real.ics", "the real file");
    targets.write("read-only.ics", "kept");
    fs::permissions(targets.path() / "read-only.ics", fs::perms::owner_read,
                    fs::perm_options::replace);
    targets.write("linked.ics", "linked");
    fs::create_hard_link(targets.path() / "linked.ics", targets.path() / "other.ics");
    ASSERT_EQ(mkfifo(targets.file("fifo").c_str(), 0600), 0);
    fs::create_symlink(targets.path() / "real.ics", targets.path() / "link.ics");
    fs::create_symlink(targets.path() / "nowhere.ics", targets.path() / "dangling.ics");
    const std::pair<std::string, std::string> cases[] = {
        {targets.file("fifo"), "命名管道"},       {targets.file("link.ics"), "符号链接"},
        {targets.file("dangling.ics"), "不存在"}, {targets.file("read-only.ics"), "只读"},
        {targets.file("linked.ics"), "硬链接"},   {"/dev/null", "设备"},
    };
    for (const char* command : {"export-ics", "export-bookmarks"}) {
        for (const auto& [path, why] : cases) {
            const Target was = target_at(path);
            const Result refused = cli({"--data", dir_, command, path}, FixedClock());
            EXPECT_EQ(refused.status, 2) << command << " " << path;
            EXPECT_EQ(refused.out, "") << path;
            EXPECT_NE(refused.err.find("没有写入 " + path + "："), std::string::npos)
                << refused.err;
            EXPECT_NE(refused.err.find(why), std::string::npos) << refused.err;
            EXPECT_EQ(target_at(path), was) << command << " " << path;
        }
    }
    EXPECT_EQ(targets.read("real.ics"), "the real file");
    EXPECT_FALSE(fs::exists(targets.path() / "nowhere.ics"));
    EXPECT_EQ(std::distance(fs::directory_iterator(targets.path()), fs::directory_iterator()), 7);

    const Result ics_out = cli({"--data", dir_, "export-ics", "-"}, FixedClock());
    ASSERT_EQ(ics_out.status, 0) << ics_out.err;
    EXPECT_EQ(ics_out.out.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    expect_valid(parse(ics_out.out).get());
    const Result html_out = cli({"--data", dir_, "export-bookmarks", "-"});
    ASSERT_EQ(html_out.status, 0) << html_out.err;
    EXPECT_EQ(bookmarks::parse_bookmark_html(html_out.out).top.size(), 2u);
    EXPECT_FALSE(fs::exists("-"));
    // The file the link points to is written by its own name.
    ASSERT_EQ(cli({"--data", dir_, "export-ics", targets.file("real.ics")}).status, 0);
    EXPECT_TRUE(fs::is_symlink(targets.path() / "link.ics"));
    EXPECT_EQ(targets.read("link.ics").rfind("BEGIN:VCALENDAR", 0), 0u);
}

}  // namespace
}  // namespace velmora::cli
