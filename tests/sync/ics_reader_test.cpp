// Calendar text from outside: what the one-pass check refuses before
// libical sees it, and how what passes becomes the organiser's items.
#include <gtest/gtest.h>

#include <string>

#include "sync/ical_module.h"
#include "sync/ics_mapping.h"
#include "sync/ics_reader.h"

namespace velmora::sync {
namespace {

std::string calendar_of(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t\r\n" + body + "END:VCALENDAR\r\n";
}

TEST(IcsReader, HostileTextIsRefusedBeforeItIsParsed) {
    ReadLimits small;
    small.total_bytes = 1u << 20;
    small.line_bytes = 4096;
    std::string deep = "BEGIN:VCALENDAR\r\n";
    for (int i = 0; i < 10000; ++i) deep += "BEGIN:VTODO\r\n";
    std::string folded_line = "SUMMARY:x";
    for (int i = 0; i < 200; ++i) folded_line += "\r\n " + std::string(60, 'y');
    const struct {
        std::string text;
        const char* refusal;
    } cases[] = {
        {deep, "嵌套过深"},
        {calendar_of("BEGIN:VTODO\r\nUID:a\r\n" + folded_line + "\r\nEND:VTODO\r\n"), "超过"},
        {calendar_of("BEGIN:VTODO\r\nUID:\xff\xfe\r\nEND:VTODO\r\n"), "UTF-8"},
        {calendar_of(std::string("BEGIN:VTODO\r\nUID:a\0b\r\nEND:VTODO\r\n", 31)), "空字符"},
        {calendar_of("BEGIN:VTODO\r\nUID:a\r\n"), "不成对"},
        {calendar_of("END:VTODO\r\nEND:VTODO\r\n"), "不成对"},
        {"<html><body>Login</body></html>", "BEGIN:VCALENDAR"},
        {"", "空的"},
        {calendar_of(std::string(2u << 20, 'x')), "超过 1 MB"},
    };
    for (const auto& hostile : cases) {
        const CalendarRead read = read_calendar(hostile.text, small);
        EXPECT_NE(read.refused.find(hostile.refusal), std::string::npos)
            << hostile.refusal << ": " << read.refused;
        EXPECT_TRUE(read.components.empty());
    }
}

TEST(IcsReader, ComponentsWithoutAUsableUidAreLeftOutAndTheRestRead) {
    const CalendarRead read = read_calendar(
        calendar_of("BEGIN:VTODO\r\nSUMMARY:无名\r\nEND:VTODO\r\n"
                    "BEGIN:VTODO\r\nUID:" +
                    std::string(10000, 'u') +
                    "\r\nSUMMARY:长\r\nEND:VTODO\r\n"
                    "BEGIN:VTODO\r\nUID:t1\r\nDUE;VALUE=DATE:20261220\r\nSUMMARY:买菜\\, 做饭\r\n"
                    "STATUS:COMPLETED\r\nPRIORITY:5\r\nCATEGORIES:不重要，急\r\nEND:VTODO\r\n"
                    "BEGIN:VEVENT\r\nUID:e1\r\nDTSTART;VALUE=DATE:20260926\r\nSUMMARY:生日\r\n"
                    "RRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=8;BYMONTHDAY=16\r\nEND:VEVENT\r\n"));
    ASSERT_TRUE(read.refused.empty()) << read.refused;
    ASSERT_EQ(read.left_out.size(), 2u);
    EXPECT_EQ(read.left_out[0].why, "没有 UID");
    EXPECT_NE(read.left_out[1].why.find("1024"), std::string::npos);
    ASSERT_EQ(read.components.size(), 2u);
    const Incoming& todo = read.components[0];
    EXPECT_EQ(todo.summary, "买菜, 做饭");
    EXPECT_TRUE(todo.completed);
    EXPECT_EQ(todo.due->day, 20);
    EXPECT_NE(todo.text.find("UID:t1"), std::string::npos);
    EXPECT_EQ(read.components[1].lunar_rule.find("RSCALE=CHINESE"), 0u);
    EXPECT_TRUE(read.components[1].rule.empty());
}

// A server that took our rule for text escaped it and folded it anew.
TEST(IcsReader, OurLunarRuleIsReadBackAfterAServerEscapedIt) {
    const CalendarRead read = read_calendar(calendar_of(
        "BEGIN:VEVENT\r\nUID:e\r\nDTSTART;VALUE=DATE:20260926\r\nSUMMARY:生日\r\n"
        "X-VELMORA-LUNAR-RRULE;VALUE=RECUR:RSCALE=CHINESE\\;FREQ=YEARLY\\;BYMONTH=8\\;B\r\n"
        " YMONTHDAY=16\\;SKIP=BACKWARD\r\nEND:VEVENT\r\n"));
    ASSERT_EQ(read.components.size(), 1u) << read.refused;
    const std::string& rule = read.components[0].lunar_rule;
    EXPECT_EQ(rule.rfind("RSCALE=CHINESE;", 0), 0u) << rule;
    for (const char* part : {"FREQ=YEARLY", "BYMONTH=8;", "BYMONTHDAY=16"}) {
        EXPECT_NE(rule.find(part), std::string::npos) << rule;
    }
}

// What crosses the module's interface arrives whole.
TEST(IcsReader, TheModulesReadIsTheReadersOwn) {
    const std::string text = calendar_of(
        "BEGIN:VTODO\r\nSUMMARY:无名\r\nEND:VTODO\r\n"
        "BEGIN:VTODO\r\nUID:t\\1\r\nDUE:20261220T090000\r\nSUMMARY:两\\n行\tx\r\n"
        "PRIORITY:9\r\nCATEGORIES:甲\r\nCATEGORIES:乙\r\nX-VELMORA-QUADRANT:D\r\nEND:VTODO\r\n"
        "BEGIN:VEVENT\r\nUID:e\r\nDTSTART;VALUE=DATE:20260926\r\nSUMMARY:s\r\n"
        "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n");
    const CalendarRead direct = read_calendar(text);
    const CalendarRead crossed = read_calendar_via_module(VELMORA_MODULE_DIR, text);
    ASSERT_TRUE(crossed.refused.empty()) << crossed.refused;
    ASSERT_EQ(crossed.components.size(), 2u);
    EXPECT_EQ(format_read(crossed), format_read(direct));
    EXPECT_EQ(crossed.components[0].categories, (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(crossed.components[0].summary, "两\n行\tx");
    EXPECT_EQ(crossed.components[0].due->year, 2026);
    EXPECT_FALSE(crossed.components[0].all_day);
    EXPECT_EQ(crossed.left_out.size(), 1u);
}

Incoming todo_with(int priority, std::vector<std::string> categories = {},
                   std::string quadrant = {}) {
    Incoming todo;
    todo.priority = priority;
    todo.categories = std::move(categories);
    todo.quadrant = std::move(quadrant);
    return todo;
}

TEST(IcsMapping, TheQuadrantComesFromOurPropertyThenTheCategoryThenThePriority) {
    EXPECT_EQ(quadrant_of(todo_with(1, {"不重要，不急"}, "C")), "C");
    EXPECT_EQ(quadrant_of(todo_with(1, {"工作", "不重要，不急"})), "D");
    const std::pair<int, const char*> priorities[] = {
        {1, "A"}, {2, "A"}, {3, "B"}, {4, "B"}, {5, "C"}, {6, "C"}, {7, "D"}, {9, "D"}, {0, "A"}};
    for (const auto& [priority, quadrant] : priorities) {
        EXPECT_EQ(quadrant_of(todo_with(priority)), quadrant) << priority;
    }
}

TEST(IcsMapping, EventsBecomeAnniversariesOnlyWhenTheyAreWholeDays) {
    Incoming event;
    event.kind = ComponentKind::event;
    event.uid = "e";
    event.summary = "生日";
    event.start = calendar::Date{2026, 9, 26};
    event.all_day = true;
    event.lunar_rule = "RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=8;BYMONTHDAY=16";
    Mapping lunar = map_incoming(event);
    ASSERT_TRUE(lunar.fits) << lunar.why;
    EXPECT_EQ(lunar.item.entry.kind, calendar::DateKind::lunar);
    EXPECT_EQ(lunar.item.entry.date, "2026-08-16");
    EXPECT_TRUE(lunar.item.entry.yearly);
    event.lunar_rule = "RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=6L;BYMONTHDAY=1";
    EXPECT_EQ(map_incoming(event).item.entry.kind, calendar::DateKind::lunar_leap);
    event.lunar_rule.clear();
    event.rule = "FREQ=WEEKLY";
    EXPECT_FALSE(map_incoming(event).fits);
    event.rule = "FREQ=YEARLY";
    EXPECT_EQ(map_incoming(event).item.entry.date, "2026-09-26");
    event.all_day = false;
    EXPECT_FALSE(map_incoming(event).fits);
}

}  // namespace
}  // namespace velmora::sync
