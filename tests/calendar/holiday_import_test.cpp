// 导入放假安排…: a file the user has is checked as a download is, stored
// into the renewed copy and in force at once; a file that is refused leaves
// everything as it was and the message says why.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/recording_prompts.h"
#include "calendar/widgets/holiday_import.h"
#include "sys/temp_folder.h"

namespace velmora::calendar {
namespace {

namespace fs = std::filesystem;

class HolidayImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        keeper.load(VELMORA_HOLIDAY_DATA, temp.file(renewed_holiday_file_name));
        importer.set_file_chooser([this](QWidget*) { return chosen; });
    }
    std::string write(const std::string& name, const std::string& text) const {
        temp.write(name, text);
        return temp.file(name);
    }

    testing::TempFolder temp;
    HolidayKeeper keeper;
    testing::RecordingPrompts prompts;
    int redraws = 0;
    std::string chosen;
    HolidayImport importer{keeper, prompts, {[] { return "2026-12-10"; }, [this] { ++redraws; }}};
};

TEST_F(HolidayImportTest, TheFeedOrAYearsFileIsInForceAtOnce) {
    chosen = write("2027.json", R"({"year": 2027, "papers": ["https://www.gov.cn/2027.htm"],
        "days": [{"name": "春节", "date": "2027-02-07", "isOffDay": true},
                 {"name": "春节", "date": "2027-02-20", "isOffDay": false}]})");
    importer.run(nullptr);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("已导入“2027.json”"), std::string::npos) << prompts.shown[0];
    EXPECT_NE(prompts.shown[0].find("休 2 天，班 1 天"), std::string::npos) << prompts.shown[0];
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(keeper.in_force().mark({2027, 2, 7}).kind, DayOff::rest);
    EXPECT_EQ(keeper.in_force().mark({2027, 2, 6}).kind, DayOff::rest) << "the weekend joins";
    EXPECT_EQ(keeper.in_force().arrangement(2027)->source, HolidaySource::imported);
    // Stored: a fresh keeper over the same files has it too.
    HolidayKeeper again;
    again.load(VELMORA_HOLIDAY_DATA, keeper.renewed_path());
    EXPECT_EQ(again.in_force().mark({2027, 2, 20}).kind, DayOff::work);

    chosen = std::string(VELMORA_HOLIDAY_CN) + "/2026.ics";
    importer.run(nullptr);
    EXPECT_NE(prompts.shown[1].find("2026年放假安排已存入"), std::string::npos) << prompts.shown[1];
    EXPECT_EQ(keeper.in_force().arrangement(2026)->source, HolidaySource::imported);
}

TEST_F(HolidayImportTest, ARefusedFileChangesNothingAndSaysWhy) {
    const std::map<std::string, std::string> refused = {
        {write("page.json", "<html>404</html>"), "网页"},
        {write("weekday.json", R"({"year": 2027, "papers": [], "days": [
            {"name": "春节", "date": "2027-02-10", "isOffDay": false}]})"),
         "2027-02-10 是工作日"},
        {temp.path().string(), "不是普通文件"},
        {temp.file("absent.json"), "文件不存在"},
    };
    for (const auto& [path, why] : refused) {
        chosen = path;
        prompts.shown.clear();
        importer.run(nullptr);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_NE(prompts.shown[0].find(why), std::string::npos) << prompts.shown[0];
    }
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(keeper.in_force().year_state(2027), YearState::not_fetched);
    EXPECT_FALSE(fs::exists(keeper.renewed_path()));
    // An empty file is no refusal: the year is known to be not yet published.
    chosen = write("empty.json", R"({"year": 2027, "papers": [], "days": []})");
    importer.run(nullptr);
    EXPECT_EQ(keeper.in_force().year_state(2027), YearState::unpublished);
    EXPECT_EQ(redraws, 1);
    chosen.clear();  // cancelled
    prompts.shown.clear();
    importer.run(nullptr);
    EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace velmora::calendar
