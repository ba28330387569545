// The import on a real container: merged by UID, nothing doubled, nothing
// lost, all or nothing stored.
#include <gtest/gtest.h>

#include <filesystem>

#include "calendar/datehint.h"
#include "cli/cli_export.h"
#include "store/day_records.h"
#include "store/record_io.h"
#include "store/store_fixture.h"
#include "sync/ics_import.h"
#include "sync/sync_state.h"

namespace velmora::sync {
namespace {

std::string calendar_of(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t\r\n" + body + "END:VCALENDAR\r\n";
}

std::string todo(const std::string& uid, const std::string& due, const std::string& summary) {
    return "BEGIN:VTODO\r\nUID:" + uid + "\r\nDUE;VALUE=DATE:" + due + "\r\nSUMMARY:" + summary +
           "\r\nEND:VTODO\r\n";
}

std::string journal(const std::string& uid, const std::string& day, const std::string& text) {
    return "BEGIN:VJOURNAL\r\nUID:" + uid + "\r\nDTSTART;VALUE=DATE:" + day +
           "\r\nDESCRIPTION:" + text + "\r\nEND:VJOURNAL\r\n";
}

const std::string lunar_birthday =
    "BEGIN:VEVENT\r\nUID:e1\r\nDTSTART;VALUE=DATE:20260926\r\nSUMMARY:妈妈生日\r\n"
    "RRULE:RSCALE=CHINESE;FREQ=YEARLY;BYMONTH=8;BYMONTHDAY=16\r\nEND:VEVENT\r\n";

class IcsImport : public testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        work_ = folder_.file("work");
        std::filesystem::create_directories(work_);
    }
    ImportReport import(const std::string& text) {
        return import_calendar(text, work_, [](std::string_view in) { return read_calendar(in); });
    }
    std::vector<store::PlanTask> tasks(const std::string& key) {
        return store::parse_plan_record(
            store::read_record(store::plan_record_name(key), work_).bytes);
    }
    std::string note(const std::string& key) {
        return store::note_from_record(
            store::read_record(store::note_record_name(key), work_).bytes);
    }
    std::vector<calendar::Anniversary> anniversaries() {
        calendar::AnniversaryRecord record;
        EXPECT_EQ(calendar::load_anniversaries(work_, record), store::FxError::none);
        return record.entries;
    }
    std::string work_;
};

TEST_F(IcsImport, ImportingTwiceAndThenOurOwnExportDoublesNothing) {
    const std::string file =
        calendar_of(todo("t1@phone", "20261220", "买年货") +
                    journal("n1@phone", "20261220", "第一行\\n第二行") + lunar_birthday);
    ImportReport first = import(file);
    ASSERT_TRUE(first.refused.empty()) << first.refused;
    EXPECT_EQ(first.added, 3);
    EXPECT_EQ(import(file).unchanged, 3);
    const std::string own = cli::ics_text({{{{2026, 12, 20}, tasks("20261220")}},
                                           {{{2026, 12, 20}, note("20261220")}},
                                           cli::anniversary_events(anniversaries(), 2026)},
                                          "20261211T000000Z");
    EXPECT_EQ(import(own).unchanged, 3);
    EXPECT_EQ(import(own).unchanged, 3);
    ASSERT_EQ(tasks("20261220").size(), 1u);
    EXPECT_EQ(tasks("20261220")[0].text, "买年货");
    EXPECT_EQ(note("20261220"), "第一行\n第二行");
    ASSERT_EQ(anniversaries().size(), 1u);
    EXPECT_EQ(anniversaries()[0].kind, calendar::DateKind::lunar);
}

TEST_F(IcsImport, AnItemImportedBeforeIsUpdatedWhereItStandsAndLocalTextIsKept) {
    ASSERT_EQ(import(calendar_of(todo("t1", "20261220", "买年货") + todo("t2", "20261220", "扫除") +
                                 journal("n1", "20261221", "原文")))
                  .added,
              3);
    // The user edits the second task and the note; the other side edits
    // the first task and moves it, and edits the note too.
    std::vector<store::PlanTask> day = tasks("20261220");
    day[1].text = "大扫除";
    ASSERT_EQ(store::write_record(store::plan_folder, "20261220.txt",
                                  store::format_plan_record(day), work_),
              store::FxError::none);
    ASSERT_EQ(store::write_record(store::note_folder, "20261221.txt",
                                  store::note_to_record("本地改过"), work_),
              store::FxError::none);
    const ImportReport second =
        import(calendar_of(todo("t1", "20261222", "买年货和春联") + todo("t2", "20261220", "扫除") +
                           journal("n1", "20261221", "远端改过")));
    ASSERT_TRUE(second.refused.empty()) << second.refused;
    EXPECT_EQ(second.updated, 2);
    EXPECT_EQ(second.unchanged, 1);
    ASSERT_EQ(tasks("20261220").size(), 1u);
    EXPECT_EQ(tasks("20261220")[0].text, "大扫除");
    ASSERT_EQ(tasks("20261222").size(), 1u);
    EXPECT_EQ(tasks("20261222")[0].text, "买年货和春联");
    EXPECT_EQ(note("20261221"), "本地改过\n\n远端改过");
}

TEST_F(IcsImport, AStateThatCannotBeReadStopsTheImportWithNothingStored) {
    ASSERT_EQ(FX_Addnode(0, state_folder), 1);
    put(state_folder, state_file, "not a state");
    const ImportReport report = import(calendar_of(todo("t1", "20261220", "买年货")));
    EXPECT_NE(report.refused.find("同步记录"), std::string::npos) << report.refused;
    EXPECT_EQ(report.added, 0);
    EXPECT_TRUE(tasks("20261220").empty());
    const ImportReport broken = import("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\n");
    EXPECT_NE(broken.refused.find("不成对"), std::string::npos);
}

TEST(SyncState, EveryFieldReadsBackWhateverItHolds) {
    SyncState state;
    state.collection = "http://127.0.0.1:5232/user/calendar/";
    state.token = "http://radicale.org/ns/sync/abc";
    state.items.push_back({ItemKind::note,
                           "n\t1",
                           "/c/n1.ics",
                           "\"etag\"",
                           {"20261220", "两行\n带\\反斜杠\t和制表"}});
    state.items.push_back({ItemKind::task, "t", "", "", {"20261220", "A", "进行中", ""}});
    EXPECT_EQ(parse_state(format_state(state)), state);
    EXPECT_FALSE(parse_state("velmora-sync\t1\nitem\tunknown\ta\tb\tc\n"));
    EXPECT_FALSE(parse_state("something else"));
}

}  // namespace
}  // namespace velmora::sync
