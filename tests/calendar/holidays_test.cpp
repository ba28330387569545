// The holiday arrangement: the parser with good, bad and damaged input, the
// bounded file reader, and the data file that ships beside the program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "calendar/holidays.h"

namespace velmora::calendar {
namespace {

namespace fs = std::filesystem;
using State = HolidayTable::State;

std::string kind_of(const HolidayTable& table, Date date) {
    return day_off_text(table.mark(date).kind);
}

TEST(HolidayParser, ReadsGoodLinesAndSkipsAndCountsBadOnes) {
    const HolidayTable table = HolidayTable::parse(
        "\xEF\xBB\xBF# comment\r\n"
        "\n"
        "2024-02-04\t班\t春节\r\n"
        "2024-02-10\t休\t春节\n"
        "2024-02-30\t休\t春节\n"    // no such day
        "2024-2-11\t休\t春节\n"     // not yyyy-mm-dd
        "2024-02-12\t假\t春节\n"    // neither 休 nor 班
        "2024-02-13 休 春节\n"      // spaces for tabs
        "2024-02-14\t休\t春\t节\n"  // a tab inside the name
        "2024-02-15\t休\t" +
        std::string(65, 'x') +
        "\n"                        // a name far too long
        "2024-02-10\t班\t重复\n"    // the date again: the first line holds
        "2024-10-01\t休\t国庆节");  // no final line end
    EXPECT_EQ(table.state(), State::loaded);
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.bad_lines(), 7u);
    EXPECT_EQ(kind_of(table, {2024, 2, 4}), "班");
    EXPECT_EQ(table.mark({2024, 2, 10}).kind, DayOff::rest);
    EXPECT_EQ(table.mark({2024, 2, 10}).name, "春节");
    EXPECT_EQ(table.mark({2024, 10, 1}).name, "国庆节");
    for (const Date day : {Date{2024, 2, 11}, Date{2024, 2, 12}, Date{2024, 2, 15},
                           Date{2024, 2, 3}, Date{2023, 2, 10}}) {
        EXPECT_EQ(table.mark(day).kind, DayOff::none) << day.month << "-" << day.day;
        EXPECT_TRUE(table.mark(day).name.empty());
    }
}

TEST(HolidayParser, DamagedTextGivesNoMarksAtAll) {
    const std::string good = "2024-02-10\t休\t春节\n";
    // The same line in GBK, as an older editor might save it.
    const std::string gbk = "2024-02-10\t\xd0\xdd\t\xb4\xba\xbd\xda\n";
    const std::string overlong = good + "# \xC0\xAF\n";
    const std::string surrogate = good + "# \xED\xA0\x80\n";
    std::string oversized = good;
    while (oversized.size() <= holiday_file_limit) oversized += "# " + std::string(100, 'x') + "\n";
    for (const std::string& text :
         {gbk, overlong, surrogate, oversized, std::string(), std::string("# only a comment\n"),
          std::string("<html><body>Not found</body></html>")}) {
        const HolidayTable table = HolidayTable::parse(text);
        EXPECT_EQ(table.state(), State::damaged) << text.substr(0, 40);
        EXPECT_EQ(table.mark({2024, 2, 10}).kind, DayOff::none);
        EXPECT_FALSE(is_holiday_file(text));
    }
    EXPECT_TRUE(is_holiday_file(good));
    EXPECT_EQ(HolidayTable().state(), State::missing);
}

class HolidayFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-holiday-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(folder / name, std::ios::binary) << text;
        return (folder / name).string();
    }
    fs::path folder;
};

TEST_F(HolidayFile, LoadsRegularFilesOnlyAndWithinTheLimit) {
    const HolidayTable good = HolidayTable::load(write("good.txt", "2025-01-26\t班\t春节\n"));
    EXPECT_EQ(good.state(), State::loaded);
    EXPECT_EQ(kind_of(good, {2025, 1, 26}), "班");

    EXPECT_EQ(HolidayTable::load((folder / "absent.txt").string()).state(), State::missing);
    EXPECT_EQ(HolidayTable::load(folder.string()).state(), State::damaged);
    // A pipe with no writer would block a plain open for ever.
    const fs::path fifo = folder / "fifo.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(HolidayTable::load(fifo.string()).state(), State::damaged);
    const std::string large(holiday_file_limit + 1, '#');
    EXPECT_EQ(HolidayTable::load(write("large.txt", large)).state(), State::damaged);
}

// The file that ships: complete, consistent, and right on the days checked
// against the notices.
class ShippedHolidays : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        table = new HolidayTable(HolidayTable::load(VELMORA_HOLIDAY_DATA));
    }
    static void TearDownTestSuite() { delete table; }
    static HolidayTable* table;
};
HolidayTable* ShippedHolidays::table = nullptr;

TEST_F(ShippedHolidays, ParsesWithoutABadLine) {
    EXPECT_EQ(table->state(), State::loaded);
    EXPECT_EQ(table->bad_lines(), 0u);
    EXPECT_GT(table->size(), 500u);
}

TEST_F(ShippedHolidays, MarksTheDaysOfThe2024To2026Notices) {
    EXPECT_EQ(kind_of(*table, {2024, 2, 4}), "班");
    for (int day = 10; day <= 17; ++day) EXPECT_EQ(kind_of(*table, {2024, 2, day}), "休") << day;
    EXPECT_EQ(kind_of(*table, {2024, 2, 9}), "");  // 除夕 2024 was a working day
    EXPECT_EQ(kind_of(*table, {2024, 2, 18}), "班");
    for (int day = 1; day <= 7; ++day) EXPECT_EQ(kind_of(*table, {2024, 10, day}), "休") << day;
    EXPECT_EQ(kind_of(*table, {2024, 9, 29}), "班");
    EXPECT_EQ(kind_of(*table, {2024, 10, 12}), "班");
    EXPECT_EQ(kind_of(*table, {2025, 1, 26}), "班");
    EXPECT_EQ(kind_of(*table, {2025, 2, 8}), "班");
    EXPECT_EQ(table->mark({2025, 1, 28}).name, "春节");
    // The nine-day Spring Festival of 2026 between two working Saturdays.
    EXPECT_EQ(kind_of(*table, {2026, 2, 14}), "班");
    for (int day = 15; day <= 23; ++day) EXPECT_EQ(kind_of(*table, {2026, 2, day}), "休") << day;
    EXPECT_EQ(kind_of(*table, {2026, 2, 28}), "班");
}

// Typing slips show up here (the parser itself refuses a 班 on a weekday):
// every year cites its notice and has its Spring Festival and National Day.
TEST_F(ShippedHolidays, EveryYearIsCompleteAndCitesItsNotice) {
    for (int year = 2008; year <= 2026; ++year) {
        const Arrangement* arrangement = table->arrangement(year);
        ASSERT_NE(arrangement, nullptr) << year;
        EXPECT_EQ(arrangement->source, HolidaySource::shipped);
        EXPECT_NE(arrangement->notice.find("国务院"), std::string::npos) << year;
        EXPECT_NE(arrangement->notice.find("https://www.gov.cn/"), std::string::npos) << year;
        std::set<std::string> names;
        for (const HolidayDay& day : arrangement->days) names.insert(day.name);
        EXPECT_TRUE(names.count("春节")) << year;
        EXPECT_GE(names.size(), 6u) << year;
    }
    EXPECT_EQ(table->first_year(), 2008);
    EXPECT_EQ(table->year_state(2027), YearState::not_fetched);
    // 2008's arrangement begins with the last days of 2007.
    EXPECT_EQ(table->mark({2007, 12, 29}).year, 2008);
    EXPECT_EQ(table->mark({2008, 10, 1}).year, 2008);
}

}  // namespace
}  // namespace velmora::calendar
