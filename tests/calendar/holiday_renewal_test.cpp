// Renewing the holiday arrangement: the readers of the published files and
// the iCalendar feed with real and hostile bodies, the merge that never
// loses a known year, and the renewed copy on disk. The published files of
// 2008-2027 in tests/data/holiday-cn serve as an independent source for the
// table that ships.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "calendar/holiday_renewal.h"
#include "sys/temp_folder.h"

namespace velmora::calendar {
namespace {

namespace fs = std::filesystem;

std::string published(int year) {
    std::ifstream in(std::string(VELMORA_HOLIDAY_CN) + "/" + std::to_string(year) + ".json",
                     std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const HolidayTable& shipped() {
    static const HolidayTable table = HolidayTable::load(VELMORA_HOLIDAY_DATA);
    return table;
}

const SourceOrigin fetched{HolidaySource::published, "http://127.0.0.1/2027.json", "2026-12-10"};

std::string day_json(const char* name, const char* date, bool off) {
    return std::string(R"({"name": ")") + name + R"(", "date": ")" + date + R"(", "isOffDay": )" +
           (off ? "true" : "false") + "}";
}

std::string year_json(int year, const std::string& days) {
    return R"({"year": )" + std::to_string(year) +
           R"(, "papers": ["https://www.gov.cn/zhengce/2027.htm"], "days": [)" + days + "]}";
}

// A made-up 2027: New Year's Day on a Friday, a Spring Festival between two
// working weekend days.
const std::string made_up_2027 = year_json(
    2027, day_json("元旦", "2027-01-01", true) + "," + day_json("春节", "2027-02-06", false) + "," +
              day_json("春节", "2027-02-07", true) + "," + day_json("春节", "2027-02-08", true) +
              "," + day_json("春节", "2027-02-09", true) + "," +
              day_json("春节", "2027-02-20", false));

std::string kind_at(const HolidayTable& table, Date date) {
    return day_off_text(table.mark(date).kind);
}

// Weekend days that only join a holiday are left out of the published
// files; the shipped table marks them, and with them joined every year
// agrees date for date. The names differ only in wording in two years.
TEST(PublishedFiles, AgreeWithTheShippedTableOnEveryMarkOf2008To2026) {
    const std::map<std::string, std::string> same_holiday = {{"“五一”国际劳动节", "劳动节"},
                                                             {"国庆节、中秋节", "中秋节、国庆节"}};
    for (int year = 2008; year <= 2026; ++year) {
        std::string body = published(year);
        if (year == 2020) {
            // The extended Spring Festival's end is given as a "working" Monday:
            // no make-up day, and refused as one.
            const SourceReading raw = read_published_json(body, year, fetched);
            EXPECT_NE(raw.error.find("2020-02-03"), std::string::npos) << raw.error;
            const std::size_t at = body.find(R"("date": "2020-02-03")");
            ASSERT_NE(at, std::string::npos);
            body.erase(body.rfind('{', at), body.find('}', at) - body.rfind('{', at) + 2);
        }
        const SourceReading reading = read_published_json(body, year, fetched);
        ASSERT_EQ(reading.error, "") << year;
        ASSERT_EQ(reading.arrangements.size(), 1u);
        const Arrangement& from_file = reading.arrangements[0];
        const Arrangement* own = shipped().arrangement(year);
        ASSERT_NE(own, nullptr);
        ASSERT_EQ(from_file.days.size(), own->days.size()) << year;
        for (std::size_t i = 0; i < own->days.size(); ++i) {
            const HolidayDay& a = from_file.days[i];
            const HolidayDay& b = own->days[i];
            EXPECT_EQ(dashed_date(a.date), dashed_date(b.date));
            EXPECT_EQ(a.kind, b.kind) << dashed_date(a.date);
            const auto alias = same_holiday.find(a.name);
            EXPECT_TRUE(a.name == b.name ||
                        (alias != same_holiday.end() && alias->second == b.name))
                << dashed_date(a.date) << " " << a.name << " " << b.name;
        }
        EXPECT_NE(from_file.notice.find("gov.cn"), std::string::npos);
    }
}

TEST(PublishedFiles, TheEmptyFileOfAYearNotYetAnnouncedIsNotAYearWithoutHolidays) {
    const SourceReading reading = read_published_json(published(2027), 2027, fetched);
    EXPECT_EQ(reading.error, "");
    EXPECT_TRUE(reading.arrangements.empty());
    EXPECT_EQ(reading.unpublished, std::vector<int>{2027});

    HolidayTable renewed;
    EXPECT_TRUE(merge_reading(renewed, shipped(), reading, fetched).changed);
    const HolidayTable in_force = HolidayTable::combine(shipped(), renewed);
    EXPECT_EQ(in_force.year_state(2027), YearState::unpublished);
    EXPECT_EQ(missing_year_text(in_force, 2027), "2027年放假安排尚未公布");
    EXPECT_EQ(missing_year_text(in_force, 2028), "2028年放假安排尚未获取");
    EXPECT_EQ(missing_year_text(in_force, 2026), "");
    EXPECT_EQ(missing_year_text(in_force, 1990), "") << "years before the table are no gap";
    // An empty answer for a year that is known keeps its marks.
    const SourceReading emptied = read_published_json(year_json(2026, ""), 2026, fetched);
    const MergeReport report = merge_reading(renewed, shipped(), emptied, fetched);
    EXPECT_FALSE(report.changed);
    EXPECT_EQ(HolidayTable::combine(shipped(), renewed).year_state(2026), YearState::known);
}

TEST(PublishedFiles, TheFeedReadsAsTheJsonFileOfTheSameYear) {
    std::ifstream in(std::string(VELMORA_HOLIDAY_CN) + "/2026.ics", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const SourceReading feed = read_holiday_ics(text.str(), fetched);
    const SourceReading file = read_published_json(published(2026), 2026, fetched);
    ASSERT_EQ(feed.error, "");
    ASSERT_EQ(feed.arrangements.size(), 1u);
    EXPECT_EQ(feed.arrangements[0].year, 2026);
    EXPECT_EQ(feed.arrangements[0].days, file.arrangements[0].days);
    // Either is taken by content, as the import does.
    EXPECT_EQ(read_holiday_source(text.str(), fetched).arrangements[0].days,
              file.arrangements[0].days);
    EXPECT_EQ(read_holiday_source(published(2026), fetched).arrangements[0].days,
              file.arrangements[0].days);
}

TEST(PublishedFiles, AMadeUpYearGetsItsWeekendsJoinedAndItsProvenance) {
    const SourceReading reading = read_published_json(made_up_2027, 2027, fetched);
    ASSERT_EQ(reading.error, "");
    HolidayTable renewed;
    merge_reading(renewed, shipped(), reading, fetched);
    const HolidayTable in_force = HolidayTable::combine(shipped(), renewed);
    EXPECT_EQ(kind_at(in_force, {2027, 1, 1}), "休");
    EXPECT_EQ(kind_at(in_force, {2027, 1, 2}), "休");  // the weekend after New Year's Day
    EXPECT_EQ(kind_at(in_force, {2027, 1, 3}), "休");
    EXPECT_EQ(kind_at(in_force, {2027, 1, 4}), "");
    EXPECT_EQ(kind_at(in_force, {2027, 2, 6}), "班");  // a working Saturday stops the run
    EXPECT_EQ(kind_at(in_force, {2027, 2, 5}), "");
    EXPECT_EQ(kind_at(in_force, {2027, 2, 20}), "班");
    EXPECT_EQ(kind_at(in_force, {2026, 10, 1}), "休") << "the shipped years stay";
    const std::string provenance = provenance_text(in_force, 2027);
    EXPECT_NE(provenance.find("https://www.gov.cn/zhengce/2027.htm"), std::string::npos);
    EXPECT_NE(provenance.find("公开数据下载"), std::string::npos);
    EXPECT_NE(provenance.find("http://127.0.0.1/2027.json"), std::string::npos);
    EXPECT_NE(provenance.find("2026-12-10"), std::string::npos);
    EXPECT_NE(provenance_text(in_force, 2024).find("随程序附带"), std::string::npos);
    // Working days as the arrangement has them.
    EXPECT_TRUE(in_force.is_working_day({2027, 2, 6}));   // 班 Saturday
    EXPECT_FALSE(in_force.is_working_day({2027, 2, 8}));  // 休 Monday
    EXPECT_FALSE(in_force.is_working_day({2027, 3, 7}));  // an ordinary Sunday
    EXPECT_TRUE(in_force.is_working_day({2027, 3, 8}));
}

// Each of these leaves the earlier marks in force and says why.
TEST(PublishedFiles, HostileOrWrongBodiesAreRefusedAsAWhole) {
    const std::string fifty_megabytes(std::size_t{50} << 20, ' ');
    const std::map<std::string, std::string> bodies = {
        {"portal page", "<!DOCTYPE html><html><body>登录</body></html>"},
        {"invalid JSON", made_up_2027.substr(0, made_up_2027.size() / 2)},
        {"trailing garbage", made_up_2027 + "}"},
        {"50 MB", fifty_megabytes},
        {"not UTF-8", year_json(2027, day_json("\xb4\xba\xbd\xda", "2027-02-07", true))},
        {"another year", published(2026)},
        {"dates of another year", year_json(2027, day_json("春节", "2026-02-16", true))},
        {"control character", year_json(2027, day_json("春\\u0007节", "2027-02-07", true))},
        {"direction override", year_json(2027, day_json("春\\u202e节", "2027-02-07", true))},
        {"name too long", year_json(2027, day_json("一二三四五六七八九十一二三四五六七八九十一",
                                                   "2027-02-07", true))},
        {"weekday make-up day", year_json(2027, day_json("春节", "2027-02-10", false))},
        {"both on one date", year_json(2027, day_json("春节", "2027-02-07", true) + "," +
                                                 day_json("春节", "2027-02-07", false))},
        {"missing field", year_json(2027, R"({"name": "春节", "date": "2027-02-07"})")},
        {"no such day", year_json(2027, day_json("春节", "2027-02-30", true))},
        {"no year", R"({"papers": [], "days": []})"},
        {"deep nesting", std::string(100000, '[')},
    };
    HolidayTable renewed;
    merge_reading(renewed, shipped(), read_published_json(made_up_2027, 2027, fetched), fetched);
    const std::string before = renewed.format();
    for (const auto& [what, body] : bodies) {
        const SourceReading reading = read_published_json(body, 2027, fetched);
        EXPECT_NE(reading.error, "") << what;
        EXPECT_TRUE(reading.arrangements.empty()) << what;
        const MergeReport report = merge_reading(renewed, shipped(), reading, fetched);
        EXPECT_FALSE(report.changed) << what;
        ASSERT_EQ(report.lines.size(), 1u);
        EXPECT_NE(report.lines[0].find(reading.error), std::string::npos);
    }
    EXPECT_EQ(renewed.format(), before);
    EXPECT_EQ(kind_at(HolidayTable::combine(shipped(), renewed), {2027, 2, 7}), "休");
}

TEST(Renewal, AnAmendedNoticeReplacesTheYearAndAFailureKeepsIt) {
    HolidayTable renewed;
    merge_reading(renewed, shipped(), read_published_json(made_up_2027, 2027, fetched), fetched);
    // Amended: the Spring Festival a day longer, the second working day gone.
    const std::string amended = year_json(
        2027, day_json("春节", "2027-02-07", true) + "," + day_json("春节", "2027-02-10", true));
    const MergeReport report =
        merge_reading(renewed, shipped(), read_published_json(amended, 2027, fetched), fetched);
    EXPECT_TRUE(report.changed);
    HolidayTable in_force = HolidayTable::combine(shipped(), renewed);
    EXPECT_EQ(kind_at(in_force, {2027, 2, 10}), "休");
    EXPECT_EQ(kind_at(in_force, {2027, 2, 20}), "");
    EXPECT_EQ(kind_at(in_force, {2027, 1, 1}), "");

    EXPECT_FALSE(merge_failure(renewed, shipped(), 2027, fetched, "无法连接服务器").changed);
    EXPECT_EQ(kind_at(HolidayTable::combine(shipped(), renewed), {2027, 2, 10}), "休");
    // A year with nothing known records why.
    EXPECT_TRUE(merge_failure(renewed, shipped(), 2028, fetched, "服务器回答错误").changed);
    in_force = HolidayTable::combine(shipped(), renewed);
    EXPECT_EQ(in_force.year_state(2028), YearState::not_fetched);
    EXPECT_NE(provenance_text(in_force, 2028).find("服务器回答错误"), std::string::npos);
}

TEST(Renewal, TheVendorFileNeverReplacesAKnownYear) {
    const SourceOrigin vendor{HolidaySource::vendor, "http://vendor/zenqholiday.txt", "2026-12-10"};
    // Once, a file of one date replaced the shipped table of 700.
    const SourceReading one_date = read_line_file("2026-10-01\t休\t国庆节\n", vendor);
    ASSERT_EQ(one_date.error, "");
    HolidayTable renewed;
    EXPECT_FALSE(merge_reading(renewed, shipped(), one_date, vendor).changed);
    EXPECT_EQ(HolidayTable::combine(shipped(), renewed).arrangement(2026)->days.size(),
              shipped().arrangement(2026)->days.size());
    // A year nobody knows is taken, and then a published file outranks it.
    const SourceReading vendor_2027 = read_line_file("2027-02-07\t休\t春节\n", vendor);
    EXPECT_TRUE(merge_reading(renewed, shipped(), vendor_2027, vendor).changed);
    EXPECT_EQ(renewed.arrangement(2027)->source, HolidaySource::vendor);
    merge_reading(renewed, shipped(), read_published_json(made_up_2027, 2027, fetched), fetched);
    EXPECT_EQ(renewed.arrangement(2027)->source, HolidaySource::published);
    EXPECT_FALSE(merge_reading(renewed, shipped(), vendor_2027, vendor).changed);
    // A vendor file with one bad line is refused whole.
    EXPECT_NE(read_line_file("2027-02-07\t休\t春节\n2027-02-10\t班\t春节\n", vendor).error, "");
}

class RenewedFile : public ::testing::Test {
protected:
    std::string content() const { return temp.read(renewed_holiday_file_name); }
    bool merge(const std::string& body, std::string* error) const {
        return renew_holiday_file(
            path,
            [&](HolidayTable& renewed) {
                merge_reading(renewed, shipped(), read_published_json(body, 0, fetched), fetched);
                mark_checked(renewed, "2026-12-10");
            },
            error);
    }
    testing::TempFolder temp;
    const fs::path& folder = temp.path();
    std::string path = temp.file(renewed_holiday_file_name);
};

TEST_F(RenewedFile, IsWrittenAtomicallyAndReadsBackAsStored) {
    std::string error;
    ASSERT_TRUE(merge(made_up_2027, &error)) << error;
    ASSERT_TRUE(merge(year_json(2028, ""), &error)) << error;
    const HolidayTable back = HolidayTable::load(path);
    EXPECT_EQ(back.bad_lines(), 0u);
    EXPECT_EQ(back.last_check(), "2026-12-10");
    EXPECT_EQ(back.format(), content());
    ASSERT_NE(back.arrangement(2027), nullptr);
    EXPECT_EQ(back.arrangement(2027)->origin, fetched.origin);
    EXPECT_EQ(back.arrangement(2027)->obtained, "2026-12-10");
    EXPECT_EQ(back.year_state(2028), YearState::unpublished);
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename(), renewed_holiday_file_name) << "nothing half-written";
    }
    // A reader older than the headings sees the marks and skips the rest.
    EXPECT_EQ(kind_at(HolidayTable::parse(content()), {2027, 2, 7}), "休");
}

// Asked, and nothing learnt that the shipped file does not know already:
// the copy holds the day alone, and the next answer goes in beside it.
TEST_F(RenewedFile, ACopyHoldingOnlyTheDayItAskedIsReadAndRenewed) {
    std::string error;
    ASSERT_TRUE(renew_holiday_file(
        path,
        [](HolidayTable& renewed) {
            merge_failure(renewed, shipped(), 2026, fetched, "无法连接服务器");
            mark_checked(renewed, "2026-12-10");
        },
        &error))
        << error;
    EXPECT_EQ(HolidayTable::load(path).state(), HolidayTable::State::loaded);
    ASSERT_TRUE(merge(year_json(2028, ""), &error)) << error;
    EXPECT_EQ(HolidayTable::load(path).year_state(2028), YearState::unpublished);
}

TEST_F(RenewedFile, ADamagedCopyIsNeverReplaced) {
    const std::string damaged = "#@\t2027\tpublished\t\t\t\n2027-02-07\t休\t春节\n\xff\xfe";
    std::ofstream(path, std::ios::binary) << damaged;
    std::string error;
    EXPECT_FALSE(merge(made_up_2027, &error));
    EXPECT_NE(error.find("未更新"), std::string::npos);
    EXPECT_EQ(content(), damaged);
    fs::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(merge(made_up_2027, &error)) << "a pipe is not read, let alone replaced";
}

TEST(HolidayUrl, TheYearGoesWhereTheTemplateSays) {
    EXPECT_EQ(holiday_url_for("http://127.0.0.1:8080/{year}.json", 2027),
              "http://127.0.0.1:8080/2027.json");
    EXPECT_EQ(holiday_url_for("http://example/holidays.json", 2027), "");
    EXPECT_NE(holiday_url_for(default_holiday_url, 2027).find("/2027.json"), std::string::npos);
}

}  // namespace
}  // namespace velmora::calendar
