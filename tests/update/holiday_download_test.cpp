// The published holiday files fetched by the real download thread from a
// server of the test's own: what arrives is checked and merged into the
// renewed copy, whatever goes wrong leaves the known marks in force with a
// line on standard error, and the shipped file is never touched.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "calendar/holiday_renewal.h"
#include "sys/atomicfile.h"
#include "sys/temp_folder.h"
#include "update/holiday_download.h"
#include "update/http_test_server.h"

namespace velmora::update {
namespace {

using namespace std::chrono_literals;
using calendar::DayOff;
using calendar::HolidayTable;
using calendar::YearState;
using testing::HttpTestServer;
namespace fs = std::filesystem;

const std::string published_2027 = R"({"year": 2027, "papers": ["https://www.gov.cn/2027.htm"],
  "days": [{"name": "春节", "date": "2027-02-07", "isOffDay": true},
           {"name": "春节", "date": "2027-02-20", "isOffDay": false}]})";
const std::string empty_2028 = R"({"year": 2028, "papers": [], "days": []})";

class PublishedHolidays : public ::testing::Test {
protected:
    void SetUp() override {
        plan->url_template = server.url("/holiday-cn/{year}.json");
        plan->years = {2027, 2028};
        plan->renewed_path = (folder / calendar::renewed_holiday_file_name).string();
        plan->today = "2026-12-10";
        plan->shipped = HolidayTable::load(VELMORA_HOLIDAY_DATA);
    }

    void serve(const std::string& path, int status, const std::string& body,
               HttpTestServer::Kind kind = HttpTestServer::Kind::answer) {
        server.route(path, {kind, HttpTestServer::answer(status, body, "application/json")});
    }
    // One run of the worker with the published files (and the vendor's
    // when asked), as the program starts it; answers its standard error.
    std::string run(bool with_vendor = false) {
        DownloadJob job = make_download_job(server.url("/vendor/download/"), server.origin(),
                                            folder.string() + "/");
        job.total_timeout = 5s;
        add_published_holidays(job, plan);
        if (with_vendor) add_vendor_holidays(job, plan);
        plan->stored = [this] { ++stored; };
        ::testing::internal::CaptureStderr();
        {
            TautoupdateThread thread(job);
            thread.start();
            EXPECT_TRUE(thread.wait_for_finish(20s));
        }
        return ::testing::internal::GetCapturedStderr();
    }
    HolidayTable renewed() const { return HolidayTable::load(plan->renewed_path); }
    HolidayTable in_force() const { return HolidayTable::combine(plan->shipped, renewed()); }

    HttpTestServer server;
    velmora::testing::TempFolder temp;
    const fs::path& folder = temp.path();
    std::shared_ptr<HolidayDownload> plan = std::make_shared<HolidayDownload>();
    std::atomic<int> stored{0};
};

TEST_F(PublishedHolidays, ThisYearAndTheNextAreStoredWithTheirSource) {
    serve("/holiday-cn/2027.json", 200, published_2027);
    serve("/holiday-cn/2028.json", 200, empty_2028);
    const std::string log = run();
    EXPECT_EQ(stored, 2) << "each year's answer, as it was stored";
    const HolidayTable table = in_force();
    EXPECT_EQ(table.mark({2027, 2, 7}).kind, DayOff::rest);
    EXPECT_EQ(table.mark({2027, 2, 6}).kind, DayOff::rest) << "the joining Saturday";
    EXPECT_EQ(table.mark({2027, 2, 20}).kind, DayOff::work);
    EXPECT_EQ(table.arrangement(2027)->origin, server.url("/holiday-cn/2027.json"));
    EXPECT_EQ(table.arrangement(2027)->notice, "https://www.gov.cn/2027.htm");
    EXPECT_EQ(table.year_state(2028), YearState::unpublished);
    EXPECT_EQ(renewed().last_check(), "2026-12-10");
    EXPECT_NE(log.find("2027年放假安排已存入"), std::string::npos) << log;
    EXPECT_NE(log.find("2028年放假安排尚未公布"), std::string::npos) << log;
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename(), calendar::renewed_holiday_file_name);
    }
}

// Every answer that is no arrangement leaves the marks known before.
TEST_F(PublishedHolidays, WhateverGoesWrongTheKnownMarksStayAndTheReasonIsTold) {
    serve("/holiday-cn/2027.json", 200, published_2027);
    run();
    const std::string weekday_work = R"({"year": 2027, "papers": [], "days": [
        {"name": "春节", "date": "2027-02-10", "isOffDay": false}]})";
    const struct {
        const char* what;
        int status;
        std::string body;
        HttpTestServer::Kind kind;
        const char* told;
    } answers[] = {
        {"404", 404, "not found", HttpTestServer::Kind::answer, "HTTP 错误"},
        {"portal page", 200, "<html><body>请先登录</body></html>", HttpTestServer::Kind::answer,
         "网页"},
        {"50 MB", 200, std::string(std::size_t{50} << 20, ' '), HttpTestServer::Kind::answer,
         "256 KB"},
        {"invalid JSON", 200, published_2027.substr(0, 60), HttpTestServer::Kind::answer, "JSON"},
        {"cut off", 200, published_2027, HttpTestServer::Kind::cut_off, "传输中断"},
        {"weekday make-up day", 200, weekday_work, HttpTestServer::Kind::answer, "工作日"},
        {"last year's file", 200, R"({"year": 2026, "papers": [], "days": []})",
         HttpTestServer::Kind::answer, "，不是20"},
    };
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.what);
        std::string bytes = HttpTestServer::answer(answer.status, answer.body);
        if (answer.kind == HttpTestServer::Kind::cut_off) bytes.resize(bytes.size() - 20);
        server.route("/holiday-cn/2027.json", {answer.kind, bytes});
        server.route("/holiday-cn/2028.json", {answer.kind, bytes});
        const std::string log = run();
        EXPECT_EQ(in_force().mark({2027, 2, 7}).kind, DayOff::rest);
        EXPECT_EQ(in_force().mark({2027, 2, 20}).kind, DayOff::work);
        EXPECT_NE(log.find(answer.told), std::string::npos) << log;
        // A year without marks says why it has none.
        ASSERT_NE(in_force().check(2028), nullptr);
        EXPECT_NE(in_force().check(2028)->reason, "");
        EXPECT_EQ(in_force().year_state(2028), YearState::not_fetched);
    }
    // No server at all.
    plan->url_template = "http://127.0.0.1:1/{year}.json";
    const std::string log = run();
    EXPECT_NE(log.find("无法连接服务器"), std::string::npos) << log;
    EXPECT_EQ(in_force().mark({2027, 2, 7}).kind, DayOff::rest);
}

TEST_F(PublishedHolidays, TheVendorsFileOfOneDateDropsNoKnownYear) {
    serve("/vendor/download/zenqholiday.txt", 200, "2026-10-01\t休\t国庆节\n");
    const std::string log = run(true);
    EXPECT_EQ(in_force().arrangement(2026)->days.size(),
              plan->shipped.arrangement(2026)->days.size());
    EXPECT_EQ(in_force().arrangement(2026)->source, calendar::HolidaySource::shipped);
    EXPECT_NE(log.find("厂商文件不替换它"), std::string::npos) << log;
    // A year nobody knows is taken from it.
    serve("/vendor/download/zenqholiday.txt", 200, "2029-02-13\t休\t春节\n");
    run(true);
    EXPECT_EQ(in_force().arrangement(2029)->source, calendar::HolidaySource::vendor);
}

TEST_F(PublishedHolidays, AnAddressWithoutTheYearFetchesNothing) {
    plan->url_template = "http://127.0.0.1/holidays.json";
    DownloadJob job;
    ::testing::internal::CaptureStderr();
    add_published_holidays(job, plan);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("{year}"), std::string::npos);
    EXPECT_TRUE(job.extra_files.empty());
    plan->url_template = "file:///etc/{year}";
    add_published_holidays(job, plan);
    EXPECT_TRUE(job.extra_files.empty());
    ini::IniDocument settings =
        ini::IniDocument::from_bytes("[holiday]\r\nurl=http://a/{year}\r\n");
    EXPECT_EQ(holiday_url_setting(settings), "http://a/{year}");
    EXPECT_EQ(holiday_url_setting(ini::IniDocument::from_bytes("")), calendar::default_holiday_url);
}

}  // namespace
}  // namespace velmora::update
