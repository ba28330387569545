// 导入放假安排…: a file the user has is checked as a download is, stored
// into the renewed copy and in force at once; a file that is refused leaves
// everything as it was and the message says why.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/recording_prompts.h"
#include "calendar/widgets/holiday_import.h"

namespace velmora::calendar {
namespace {

namespace fs = std::filesystem;

class HolidayImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "velmora-import-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        keeper.load(VELMORA_HOLIDAY_DATA, (folder / renewed_holiday_file_name).string());
        import.set_file_chooser([this](QWidget*) { return chosen;
    });
} void TearDown() override {
    fs::remove_all(folder);
}
std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(folder / name, std::ios::binary) << text;
    return (folder / name).string();
}

fs::path folder;
HolidayKeeper keeper;
testing::RecordingPrompts prompts;
int redraws = 0;
std::string chosen;
HolidayImport import{keeper, prompts, {[] { return "2026-12-10"; }, [this] { ++redraws; }}};
};  // namespace

TEST_F(HolidayImportTest, TheFeedOrAYearsFileIsInForceAtOnce) {
    chosen = write("2027.json", R"({"year": 2027, "papers": ["https://www.gov.cn/2027.htm"],
        "days": [{"name": "春节", "date": "2027-02-07", "isOffDay": true},
                 {"name": "春节", "date": "2027-02-20", "isOffDay": false}]})");
    import.run(nullptr);
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
    import.run(nullptr);
    EXPECT_NE(prompts.shown[1].find("2026年放假安排已存入"), std::string::npos) << prompts.shown[1];
    EXPECT_EQ(keeper.in_force().arrangement(2026)->source, HolidaySource::imported);
}

TEST_F(HolidayImportTest, ARefusedFileChangesNothingAndSaysWhy) {
    const std::map<std::string, std::string> refused = {
        {write("page.json", "<html>404</html>"), "网页"},
        {write("weekday.json", R"({"year": 2027, "papers": [], "days": [
            {"name": "春节", "date": "2027-02-10", "isOffDay": false}]})"),
         "2027-02-10 是工作日"},
        {folder.string(), "不是普通文件"},
        {(folder / "absent.json").string(), "文件不存在"},
    };
    for (const auto& [path, why] : refused) {
        chosen = path;
        prompts.shown.clear();
        import.run(nullptr);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_NE(prompts.shown[0].find(why), std::string::npos) << prompts.shown[0];
    }
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(keeper.in_force().year_state(2027), YearState::not_fetched);
    EXPECT_FALSE(fs::exists(keeper.renewed_path()));
    // An empty file is no refusal: the year is known to be not yet published.
    chosen = write("empty.json", R"({"year": 2027, "papers": [], "days": []})");
    import.run(nullptr);
    EXPECT_EQ(keeper.in_force().year_state(2027), YearState::unpublished);
    EXPECT_EQ(redraws, 1);
    chosen.clear();  // cancelled
    prompts.shown.clear();
    import.run(nullptr);
    EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace velmora::calendar
}  // namespace velmora::calendar
