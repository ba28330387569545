#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>

#include <cstdio>
#include <sstream>

#include "../store/store_fixture.h"
#include "calendar/holidays.h"
#include "cli/built_in_holidays.h"
#include "cli/cli.h"
#include "cli_run.h"
#include "store/day_records.h"
#include "sys/textcodec.h"

namespace velmora::cli {
namespace {

using testing::cli;
using testing::Result;

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Runs the real program (or a copy of it); answers its exit status and
// everything it printed.
std::pair<int, std::string> run_program(const std::string& program, const std::string& arguments) {
    FILE* pipe = popen((program + " " + arguments + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::pair<int, std::string> run_program(const std::string& arguments) {
    return run_program(VELMORA_CLI, arguments);
}

TEST(CliCalendar, DayLineHasTwelveColumnsAndEmptyLunarFieldsOutsideTheRange) {
    const Result day = cli({"day", "-H", "2024-02-10"});
    ASSERT_EQ(day.status, 0);
    EXPECT_EQ(day.out,
              std::string(day_columns_header) +
                  "\n2024-02-10\t101\t正月\t初一\t春节\t\t甲\t辰龙\t气象节\t水瓶座\t春节\t休\n");
    EXPECT_EQ(cli({"day", "1850-12-25"}).out,
              "1850-12-25\t\t\t\t\t\t庚\t戌狗\t圣诞节\t摩羯座\t圣诞节\t\n");
}

// The 休/班 column of the shipped arrangement, in process and from the real
// program.
TEST(CliCalendar, HolidayMarksOfTheShippedArrangement) {
    std::vector<std::string> marks;
    for (const auto& line : lines_of(cli({"range", "2024-02-03", "2024-02-19"}).out)) {
        marks.push_back(line.substr(line.rfind('\t') + 1));
    }
    EXPECT_EQ(marks, (std::vector<std::string>{"", "班", "", "", "", "", "", "休", "休", "休", "休",
                                               "休", "休", "休", "休", "班", ""}));
    const auto [status, output] = run_program("day 2025-01-26");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(output.substr(output.rfind('\t')), "\t班\n");
}

// The table the build wrote into the program is the shipped file's, date for
// date from the December before its first year to the January after its last.
TEST(CliCalendar, TheBuiltInTableMarksWhatTheShippedFileMarks) {
    std::ifstream file(VELMORA_HOLIDAY_DATA, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(built_in_holidays::file_text, text);
    const calendar::HolidayTable shipped = calendar::HolidayTable::parse(text);
    const int last_year = shipped.arrangements().back().year + 1;
    int marked = 0;
    for (int year = shipped.first_year() - 1; year <= last_year; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= calendar::days_in_month(year, month); ++day) {
                const std::string line = day_line({year, month, day});
                const char* mark = calendar::day_off_text(shipped.mark({year, month, day}).kind);
                ASSERT_EQ(line.substr(line.rfind('\t') + 1), mark) << line;
                marked += *mark != '\0';
            }
        }
    }
    EXPECT_EQ(marked, static_cast<int>(built_in_holidays::marks.size()));
}

// The program carries the shipped arrangement: a copy without the file, or
// beside a damaged one, marks the same days and has nothing to say.
TEST(CliCalendar, TheShippedArrangementIsBuiltIntoTheProgram) {
    const testing::TempFolder folder;
    std::filesystem::copy_file(VELMORA_CLI, folder.path() / "velmora-cli");
    const std::string copy = (folder.path() / "velmora-cli").string();
    const std::string expected = run_program("day 2025-01-26").second;
    EXPECT_EQ(run_program(copy, "day 2025-01-26"), std::make_pair(0, expected));
    folder.write("zenqholiday.txt", "<html>not the arrangement</html>\n");
    EXPECT_EQ(run_program(copy, "day 2025-01-26"), std::make_pair(0, expected));
}

// A year of the renewed copy replaces that year of the built-in table and
// leaves the others; a renewed copy that cannot be read is said, and the
// shipped marks stay.
TEST(CliCalendar, TheRenewedCopyOfTheDataFolderOverridesTheShippedYears) {
    const testing::TempFolder data;
    data.write("zenqholiday_renewed.txt",
               "#@\t2025\timported\t2025-03-01\tnotice.ics\t\n2025-03-03\t休\t春节\n");
    const auto mark_of = [&data](const std::string& date) {
        const std::string line =
            run_program("--data " + data.path().string() + " day " + date).second;
        return line.substr(line.rfind('\t') + 1);
    };
    EXPECT_EQ(mark_of("2025-01-26"), "\n");  // the shipped 班 is gone with its year
    EXPECT_EQ(mark_of("2025-03-03"), "休\n");
    EXPECT_EQ(mark_of("2024-02-10"), "休\n");  // another year keeps the shipped mark
    data.write("zenqholiday_renewed.txt", "<html>not the arrangement</html>\n");
    const std::string told =
        run_program("--data " + data.path().string() + " day 2025-01-26").second;
    EXPECT_NE(told.find("zenqholiday_renewed.txt cannot be read"), std::string::npos) << told;
    EXPECT_EQ(told.substr(told.rfind('\t')), "\t班\n");
}

TEST(CliCalendar, RangeIncludesBothEndsAndMonthAlignsTextsUnderDays) {
    const auto lines = lines_of(cli({"range", "2024-02-28", "2024-03-01"}).out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 10), "2024-02-29");
    EXPECT_EQ(lines[2].substr(0, 10), "2024-03-01");
    const std::string grid = cli({"month", "2024", "2"}).out;
    EXPECT_NE(grid.find("2024年2月  癸卯兔/甲辰龙\n"), std::string::npos);
    EXPECT_NE(grid.find("   班  4       5       6       7       8       9   休 10\n"
                        "    立春    廿六    廿七    廿八    廿九    除夕    春节\n"),
              std::string::npos)
        << grid;
}

// Every command line README.md shows runs as shown.
TEST(CliArguments, TheReadmeExamplesRun) {
    std::ifstream readme(VELMORA_README);
    const std::string prefix = "    build/default/bin/velmora-cli ";
    int examples = 0;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind(prefix, 0) != 0) continue;
        std::vector<std::string> args;
        std::istringstream words(line.substr(prefix.size()));
        for (std::string word; words >> word;) args.push_back(word);
        const Result result = cli(args);
        EXPECT_EQ(result.status, 0) << line << "\n" << result.err;
        EXPECT_FALSE(result.out.empty()) << line;
        ++examples;
    }
    EXPECT_GE(examples, 2);
}

TEST(CliArguments, HelpForEachCommandAndUsageOnErrors) {
    for (const char* command :
         {"day", "range", "month", "plans", "note", "ls", "export-ics", "export-bookmarks"}) {
        const Result help = cli({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(lines_of(help.out)[0].find(std::string(" ") + command + " "), std::string::npos)
            << help.out;
    }
    for (const char* line : {"", "week", "day 2024-02-30", "day 2024-2-3", "day", "month 2024",
                             "month 2024 13", "month -H 2024 1", "plans 2024-02-10",
                             "range 2024-03-01 2024-02-28", "--data", "--frob day 2024-01-01"}) {
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string word; words >> word;) args.push_back(word);
        const Result result = cli(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find("usage: velmora-cli"), std::string::npos);
    }
}

// A lunar day to its Gregorian date, through the real program too: the
// answer is the `day` line of that date; no such day is status 1.
TEST(CliSolar, LunarDaysToGregorianAndNoSuchDay) {
    const Result new_year = cli({"solar", "-H", "2024", "1", "1"});
    ASSERT_EQ(new_year.status, 0) << new_year.err;
    EXPECT_EQ(new_year.out, cli({"day", "-H", "2024-02-10"}).out);
    EXPECT_EQ(cli({"solar", "2023", "2", "1", "leap"}).out.substr(0, 11), "2023-03-22\t");
    EXPECT_EQ(cli({"solar", "2020", "4", "1", "闰"}).out.substr(0, 11), "2020-05-23\t");
    const std::pair<const char*, const char*> none[] = {
        {"solar 2024 4 1 leap", "has no leap month 4"},
        {"solar 2023 2 30 leap", "has 29 days"},
        {"solar 2051 1 1", "1901-01-01 to 2050-12-31"},
        {"solar 2050 12 1", "1901-01-01 to 2050-12-31"}};
    for (const auto& [line, why] : none) {
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string word; words >> word;) args.push_back(word);
        const Result result = cli(args);
        EXPECT_EQ(result.status, 1) << line;
        EXPECT_TRUE(result.out.empty()) << line;
        EXPECT_NE(result.err.find(why), std::string::npos) << line << ": " << result.err;
    }
    for (const char* bad : {"2024 13 1", "2024 1 31", "2024 1 1 leep", "2024 1"}) {
        std::vector<std::string> args{"solar"};
        std::istringstream words(bad);
        for (std::string word; words >> word;) args.push_back(word);
        EXPECT_EQ(cli(args).status, 2) << bad;
    }
    EXPECT_EQ(run_program("solar 2024 4 1 leap").first, 1);
    EXPECT_EQ(run_program("solar 2024 1 1"),
              std::make_pair(0, cli({"solar", "2024", "1", "1"}).out));
}

class CliData : public testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        put(store::plan_folder, "20240210.txt",
            store::format_plan_record(
                {{"A", store::state_in_progress, "拜年 𠀀"}, {"B", store::state_done, "包饺子"}}));
        put(store::note_folder, "20240210.txt", store::note_to_record("除夕守岁\n第二行"));
        FX_Closefx(1);
        dir_ = folder_.path().string();
    }
    std::string read_container() { return folder_.read("zenqdata.fx"); }
    std::string dir_;
};

TEST_F(CliData, PlansNoteAndListingFromTheContainerWhichStaysUntouched) {
    const std::string before = read_container();
    EXPECT_EQ(cli({"--data", dir_, "plans", "2024-02-10"}).out,
              "A\t进行中\t拜年 𠀀\nB\t已完成\t包饺子\n");
    EXPECT_EQ(cli({"--data", dir_, "note", "2024-02-10"}).out, "除夕守岁\n第二行\n");
    const Result none = cli({"--data", dir_, "plans", "2024-02-11"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
    const auto items = lines_of(cli({"--data", dir_, "ls", "plumora_note"}).out);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].substr(items[0].find('\t')), "\t99\t0\tplumora_note");
    EXPECT_EQ(items[1].substr(items[1].find('\t')), "\t1\t0\tplumora_note/20240210.txt");
    EXPECT_EQ(lines_of(cli({"--data", dir_, "ls"}).out).size(), 7u);  // root, 4 folders, 2 records
    EXPECT_EQ(read_container(), before);
}

// The bookmark tree in its order, folders marked, addresses decoded from
// GB18030; the command is handed to the data program like the others.
TEST_F(CliData, BookmarksListTheTreeWithTheirAddresses) {
    ASSERT_EQ(FX_Createoropenfx(path_, store::container_password, 0, "", ""), 1);
    ASSERT_EQ(FX_Addnode(index("plumora_url"), ""), 1);
    ASSERT_EQ(FX_Changeitemname(index("plumora_url"), index("plumora_url/新建文件夹"), "工作"), 1);
    put("plumora_url/工作", "文档 站点", velmora::text::to_gb18030("https://例子.cn/a|b"));
    put("plumora_url", "Example", "http://example.org/");
    FX_Closefx(1);
    EXPECT_EQ(cli({"--data", dir_, "bookmarks"}).out,
              "工作/\t\n工作/文档 站点\thttps://例子.cn/a|b\nExample\thttp://example.org/\n");
    EXPECT_EQ(cli({"--data", dir_, "bookmarks", "extra"}).status, 2);
}

// A title as long as the container takes, and a rename to one: both are
// listed with their addresses.
TEST_F(CliData, BookmarksWithTheLongestNamesAreListed) {
    ASSERT_EQ(FX_Createoropenfx(path_, store::container_password, 0, "", ""), 1);
    std::string title;
    for (int i = 0; i < 120; ++i) title += "题";
    put("plumora_url", "a", "http://a");
    ASSERT_EQ(FX_Changeitemname(index("plumora_url"), index("plumora_url/a"), title + "ab"), 1);
    FX_Closefx(1);
    const Result listed = cli({"--data", dir_, "bookmarks"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, title + "ab\thttp://a\n");
}

// A page lost inside the item table: the listing is refused, not printed
// with items silently missing.
TEST_F(CliData, ADamagedContainerIsAnErrorThatChangesNothing) {
    std::string bytes = read_container();
    ASSERT_GE(bytes.size(), 3 * 4096u);
    bytes.replace(2 * 4096, 4096, std::string(4096, '\0'));
    folder_.write("zenqdata.fx", bytes);
    const Result listing = cli({"--data", dir_, "ls"});
    EXPECT_EQ(listing.status, 2);
    EXPECT_TRUE(listing.out.empty());
    EXPECT_NE(listing.err.find("it is damaged"), std::string::npos) << listing.err;
    EXPECT_EQ(read_container(), bytes);
}

TEST_F(CliData, MissingForeignOrBusyContainerIsAnErrorThatChangesNothing) {
    testing::TempFolder empty;
    const Result missing = cli({"--data", empty.path().string(), "ls"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no data file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(empty.file("zenqdata.fx")));

    empty.write("zenqdata.fx", "not a container");
    const Result foreign = cli({"--data", empty.path().string(), "note", "2024-02-10"});
    EXPECT_EQ(foreign.status, 2);
    EXPECT_NE(foreign.err.find("not a Velmora container"), std::string::npos);
    EXPECT_EQ(empty.read("zenqdata.fx"), "not a container");

    // While this process holds the container, as the running program does,
    // another process cannot read it.
    ASSERT_EQ(FX_Createoropenfx(path_, store::container_password, 0, "", ""), 1);
    const auto [status, output] = run_program("--data " + dir_ + " plans 2024-02-10");
    EXPECT_EQ(status, 2);
    EXPECT_NE(output.find("in use by a running Velmora"), std::string::npos) << output;
}

}  // namespace
}  // namespace velmora::cli
