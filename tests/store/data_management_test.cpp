// Backup and compaction on real containers: whatever step fails, the
// container stays where it was and opens with every record, and the user
// is told where a compacted copy was left.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "../app/recording_prompts.h"
#include "index_damage.h"
#include "store/data_management.h"
#include "store/day_store.h"
#include "store/record_io.h"
#include "store_fixture.h"
#include "sys/textcodec.h"

namespace {

namespace fs = std::filesystem;
namespace msg = velmora::store::datamgmt_messages;
using velmora::store::DataPaths;
using velmora::store::DiskQueries;
using velmora::store::FileSteps;
using velmora::store::real_file_steps;
using velmora::testing::RecordingPrompts;
using velmora::testing::StoreTest;
using velmora::testing::TempFolder;

class FixedClock : public velmora::sys::Clock {
public:
    velmora::sys::LocalTime now() const override { return {2026, 3, 4, 9, 30, 0}; }
};

constexpr std::uint64_t plenty = std::uint64_t{1} << 40;

DiskQueries room_everywhere() {
    return {[](const std::string&) { return plenty; }, [] { return std::vector<std::string>{}; }};
}

// The real steps with the named one failing the first time it is called.
FileSteps failing_once(const std::string& step, int& calls) {
    FileSteps steps = real_file_steps();
    auto fail_first = [&calls](auto real) {
        return [&calls, real](const auto&... args) { return calls++ == 0 ? false : real(args...); };
    };
    if (step == "compact") steps.compact = fail_first(steps.compact);
    if (step == "copy") steps.copy = fail_first(steps.copy);
    if (step == "flush") steps.flush = fail_first(steps.flush);
    if (step == "rename") steps.rename = fail_first(steps.rename);
    if (step == "reopen") steps.reopen = fail_first(steps.reopen);
    return steps;
}

class DataManagementTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        paths_ = {path_, folder_.path().string() + "/"};
    }

    // Forty day plans of varied size; every third one deleted again, which
    // leaves free pages for a compaction to drop.
    void make_records() {
        for (int day = 1; day <= 40; ++day) {
            const std::string name = "202601" + std::to_string(10 + day) + ".txt";
            const auto fill = static_cast<char>('a' + day % 26);
            put("plumora_plan", name, std::string(static_cast<std::size_t>(3000 * day), fill));
        }
        for (int day = 3; day <= 40; day += 3) {
            FX_Deleteitem(index("plumora_plan/202601" + std::to_string(10 + day) + ".txt"), 2);
        }
    }

    // Every listed item with its content: what "every record is there" means.
    std::map<std::string, std::string> records() {
        std::map<std::string, std::string> all;
        for (int i = 0; i < FX_Directory_Getcount(); ++i) {
            if (FX_Directory_Getitem_word("lb", i) != 0) continue;
            all[name(i)] = FX_Directory_Getitem_word("itemtype", i) == 0x63 ? "" : get(i);
        }
        return all;
    }

    // The file on disk, opened afresh.
    std::map<std::string, std::string> records_on_disk() {
        FX_Closefx(1);
        EXPECT_EQ(FX_Createoropenfx(path_, velmora::store::container_password, 0, "fileX", "ccc"),
                  1);
        return records();
    }

    std::vector<std::string> leftovers(const std::string& folder) {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".~fx") found.push_back(entry.path().string());
        }
        return found;
    }

    DataPaths paths_;
    RecordingPrompts prompts_;
    FixedClock clock_;
};

TEST(DataFigures, MegabyteTextsAndLabels) {
    const velmora::store::SpaceFigures figures{1572864, 1048576};
    EXPECT_EQ(velmora::store::used_space_label(velmora::store::mb_text(figures.live)),
              "已使用空间：1.00MB");
    EXPECT_EQ(velmora::store::fragment_space_label(velmora::store::mb_text(figures.fragment())),
              "碎片空间：0.50MB");
    EXPECT_EQ(velmora::store::mb_text(0), "0.00");
    EXPECT_EQ(velmora::store::mb_text(10 * 1048576 + 5243), "10.01");
}

TEST(DataFigures, SpaceRule) {
    EXPECT_EQ(velmora::store::space_needed(1000, 10, 1), 1000u + 10u * 1092u + 833u + 10485760u);
    EXPECT_EQ(velmora::store::space_needed(1000, 10, 6), 1000u + 10u * 2184u + 833u + 10485760u);
}

TEST_F(DataManagementTest, RoomMustBeStrictlyMoreThanNeeded) {
    make_records();
    const std::uint64_t needed = velmora::store::space_needed(
        FX_Getfxsize(2), FX_Directory_Getcount(), FX_Getfxversionmajor());
    std::uint64_t free = needed;
    const DiskQueries disks{[&free](const std::string&) { return free; }, {}};
    EXPECT_EQ(velmora::store::checkdiskforresetfx(path_, disks), 0);
    free = needed + 1;
    EXPECT_EQ(velmora::store::checkdiskforresetfx(path_, disks), 1);
}

TEST_F(DataManagementTest, TargetNamesTakeTheFirstFreeNumber) {
    const std::string stem = folder_.path().string() + "/zenqdata";
    EXPECT_EQ(velmora::store::target_beside(path_), stem + "_1.~fx");
    folder_.write("zenqdata_1.~fx", "x");
    EXPECT_EQ(velmora::store::target_beside(path_), stem + "_2.~fx");
    TempFolder drive;
    const std::string root = drive.path().string() + "/";
    EXPECT_EQ(velmora::store::target_on_drive(root), root + "zenqdata_1.~fx");
    drive.write("zenqdata_1.~fx", "x");
    EXPECT_EQ(velmora::store::target_on_drive(root), root + "zenqdata_2.~fx");
}

TEST_F(DataManagementTest, TwoBackupsOnOneDayLeaveOneFileTheLaterCopy) {
    TempFolder backups;
    put("plumora_plan", "20260101.txt", "first");
    velmora::store::backup_container(paths_, backups.path().string(), prompts_, clock_);
    put("plumora_plan", "20260102.txt", "second");
    velmora::store::backup_container(paths_, backups.path().string() + "/", prompts_, clock_);
    ASSERT_EQ(prompts_.shown, std::vector<std::string>(2, msg::backup_done));
    EXPECT_EQ(std::distance(fs::directory_iterator(backups.path()), fs::directory_iterator()), 1);

    const auto expected = records();  // the store is open again
    FX_Closefx(1);
    ASSERT_EQ(FX_Createoropenfx(backups.file("zenqdata_20260304.fx"),
                                velmora::store::container_password, 0, "fileX", "ccc"),
              1);
    EXPECT_EQ(records(), expected);
    EXPECT_NE(index("plumora_plan/20260102.txt"), -1);
}

TEST_F(DataManagementTest, AFailedBackupSaysSoAndTheStoreIsOpenAfterwards) {
    folder_.write("not_a_folder", "x");
    const std::string unwritable = folder_.file("not_a_folder");
    put("plumora_plan", "20260101.txt", "kept");
    velmora::store::backup_container(paths_, unwritable, prompts_, clock_);
    ASSERT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(prompts_.shown[0].rfind(msg::backup_failed, 0), 0u);
    EXPECT_NE(prompts_.shown[0].find(unwritable + "/zenqdata_20260304.fx"), std::string::npos);
    EXPECT_NE(index("plumora_plan/20260101.txt"), -1);

    // A copy that cannot be flushed is no backup: nothing is left behind.
    TempFolder backups;
    int calls = 0;
    prompts_.shown.clear();
    velmora::store::backup_container(paths_, backups.path().string(), prompts_, clock_,
                                     failing_once("flush", calls));
    EXPECT_EQ(prompts_.shown.at(0).rfind(msg::backup_failed, 0), 0u);
    EXPECT_TRUE(fs::is_empty(backups.path()));
    EXPECT_EQ(get(index("plumora_plan/20260101.txt")), "kept");
}

TEST_F(DataManagementTest, AFailedReopenIsReported) {
    TempFolder backups;
    FileSteps steps = real_file_steps();
    steps.reopen = [](const std::string&) { return false; };
    velmora::store::backup_container(paths_, backups.path().string(), prompts_, clock_, steps);
    ASSERT_EQ(prompts_.shown.size(), 2u);
    EXPECT_EQ(prompts_.shown[0], msg::backup_done);
    EXPECT_NE(prompts_.shown[1].find("资料库无法重新打开"), std::string::npos);
}

TEST_F(DataManagementTest, CompactionShrinksTheFileKeepsEveryRecordAndDropsSideFiles) {
    make_records();
    const auto before = records();
    const std::int64_t size_before = FX_Getfxsize(1);
    for (const char* side : {"zenqdata.fx.hbak", "zenqdata.fx.bak", "zenqdata.kxg"}) {
        folder_.write(side, "side");
    }
    EXPECT_EQ(velmora::store::reset_FX(paths_, prompts_, room_everywhere()), 1);
    EXPECT_EQ(prompts_.shown, std::vector<std::string>{msg::compact_done});
    EXPECT_EQ(records(), before);  // open again
    for (const char* side : {"zenqdata.fx.hbak", "zenqdata.fx.bak", "zenqdata.kxg"}) {
        EXPECT_FALSE(fs::exists(folder_.file(side))) << side;
    }
    EXPECT_TRUE(leftovers(folder_.path().string()).empty());
    EXPECT_EQ(records_on_disk(), before);
    EXPECT_LT(static_cast<std::int64_t>(fs::file_size(path_)), size_before);
}

TEST_F(DataManagementTest, TooLittleRoomHereTheCopyIsMadeOnAnotherDriveAndMovedBack) {
    make_records();
    const auto before = records();
    TempFolder drive;
    const std::string root = drive.path().string() + "/";
    const DiskQueries disks{[&root](const std::string& path) { return path == root ? plenty : 0; },
                            [&root] {
                                return std::vector<std::string>{"/nowhere/", root};
                            }};
    FileSteps steps = real_file_steps();
    std::vector<std::string> copied_from;
    steps.copy = [&copied_from, real = steps.copy](const std::string& from, const std::string& to) {
        copied_from.push_back(from);
        return real(from, to);
    };
    EXPECT_EQ(velmora::store::reset_FX(paths_, prompts_, disks, steps), 1);
    EXPECT_EQ(copied_from, std::vector<std::string>{root + "zenqdata_1.~fx"});
    EXPECT_TRUE(fs::is_empty(drive.path()));
    EXPECT_TRUE(leftovers(folder_.path().string()).empty());
    EXPECT_EQ(records_on_disk(), before);
}

TEST_F(DataManagementTest, NoRoomAnywhereChangesNothing) {
    make_records();
    const auto before = records();
    const DiskQueries disks{[](const std::string&) { return std::uint64_t{0}; },
                            [] { return std::vector<std::string>{"/"}; }};
    EXPECT_EQ(velmora::store::reset_FX(paths_, prompts_, disks), 0);
    EXPECT_EQ(prompts_.shown, std::vector<std::string>{msg::no_room});
    EXPECT_EQ(records(), before);
}

// Each step failing once, on the container's own disk and on another one.
class FailingStep : public DataManagementTest,
                    public ::testing::WithParamInterface<std::tuple<std::string, bool>> {};

TEST_P(FailingStep, LeavesTheOldContainerWithEveryRecordAndNamesTheCopy) {
    const auto& [step, other_drive] = GetParam();
    make_records();
    const auto before = records();
    TempFolder drive;
    const std::string root = drive.path().string() + "/";
    DiskQueries disks = room_everywhere();
    if (other_drive) {
        disks.free_space = [&root](const std::string& path) { return path == root ? plenty : 0; };
        disks.fixed_drives = [&root] { return std::vector<std::string>{root}; };
    }
    int calls = 0;
    EXPECT_EQ(velmora::store::reset_FX(paths_, prompts_, disks, failing_once(step, calls)), 0);
    ASSERT_FALSE(prompts_.shown.empty());
    EXPECT_EQ(prompts_.shown[0].rfind(msg::compact_failed, 0), 0u);
    const std::string copy = (other_drive ? root : paths_.program_dir) + "zenqdata_1.~fx";
    if (step == "compact") {
        EXPECT_FALSE(fs::exists(copy));
    } else {
        EXPECT_NE(prompts_.shown[0].find(copy), std::string::npos) << prompts_.shown[0];
        EXPECT_TRUE(fs::exists(copy));
    }
    EXPECT_EQ(prompts_.shown.size(), 1u);
    EXPECT_EQ(records(), before);  // reopened by the compaction
    EXPECT_EQ(records_on_disk(), before);
    EXPECT_EQ(leftovers(folder_.path().string()).size(),
              other_drive || step == "compact" ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(EachStep, FailingStep,
                         ::testing::Values(std::tuple{"compact", false}, std::tuple{"flush", false},
                                           std::tuple{"rename", false}, std::tuple{"reopen", false},
                                           std::tuple{"compact", true}, std::tuple{"copy", true},
                                           std::tuple{"flush", true}, std::tuple{"rename", true},
                                           std::tuple{"reopen", true}),
                         [](const auto& test) {
                             return std::get<0>(test.param) +
                                    (std::get<1>(test.param) ? "OnAnotherDrive" : "Here");
                         });

TEST_F(DataManagementTest, AContainerThatNeverReopensIsReported) {
    make_records();
    const auto before = records();
    FileSteps steps = real_file_steps();
    steps.reopen = [](const std::string&) { return false; };
    EXPECT_EQ(velmora::store::reset_FX(paths_, prompts_, room_everywhere(), steps), 0);
    ASSERT_EQ(prompts_.shown.size(), 2u);
    EXPECT_NE(prompts_.shown[1].find("资料库无法重新打开"), std::string::npos);
    EXPECT_EQ(records_on_disk(), before);
}

TEST_F(DataManagementTest, TheEntryShowsTheFiguresAndCompactsOnlyWhenChosen) {
    make_records();
    const auto before = records();
    const std::string live = velmora::store::mb_text(FX_Getfxsize(2));
    const std::string fragment = velmora::store::mb_text(FX_Getfxsize(1) - FX_Getfxsize(2));
    TempFolder backups;
    int answer = 0;
    auto show = [&](const std::string& live_mb, const std::string& fragment_mb,
                    const velmora::store::BackupAction& backup,
                    const velmora::store::CheckAction&) {
        EXPECT_EQ(live_mb, live);
        EXPECT_EQ(fragment_mb, fragment);
        backup(backups.path().string());
        return answer;
    };
    velmora::store::data_management_flow(paths_, prompts_, clock_, show, room_everywhere());
    EXPECT_EQ(prompts_.shown, std::vector<std::string>{msg::backup_done});
    EXPECT_TRUE(fs::exists(backups.file("zenqdata_20260304.fx")));

    answer = 1;
    prompts_.shown.clear();
    fs::remove(backups.file("zenqdata_20260304.fx"));
    velmora::store::data_management_flow(paths_, prompts_, clock_, show, room_everywhere());
    EXPECT_EQ(prompts_.shown, (std::vector<std::string>{msg::backup_done, msg::compact_done}));
    EXPECT_EQ(records_on_disk(), before);
}

// --- The check and its repair ---------------------------------------------------

// Ten days of plans and three bookmarks; then one plan and one bookmark
// lose their entries in the name index, as a flipped bit in an index page
// leaves them: the open's page walk cannot see it.
class DamagedIndex : public DataManagementTest {
protected:
    void SetUp() override {
        DataManagementTest::SetUp();
        fs::create_directories(folder_.path() / "work");
        for (int day = 10; day < 20; ++day) {
            const std::string key = "202601" + std::to_string(day);
            ASSERT_EQ(days_.savedata2fx_schedule2(task("任务 " + key), key),
                      velmora::store::FxError::none);
        }
        put("plumora_url", "甲书签", "http://a.example/");
        put("plumora_url", "隐藏的书签", "http://hidden.example/");
        put("plumora_url", "乙书签", "http://b.example/");
        FX_Closefx(1);
        ASSERT_NO_FATAL_FAILURE(velmora::testing::misname_in_index(path_, gb(hidden_plan)));
        ASSERT_NO_FATAL_FAILURE(velmora::testing::misname_in_index(path_, gb(hidden_bookmark)));
        damaged_ = velmora::testing::file_bytes(path_);
        ASSERT_EQ(FX_Createoropenfx(path_, velmora::store::container_password, 0, "fileX", "ccc"),
                  1)
            << "the open's own check lets it open";
    }

    static std::string gb(const std::string& utf8) { return velmora::text::to_gb18030(utf8); }
    static velmora::store::PlanGrid task(const std::string& text) {
        velmora::store::PlanGrid grid;
        grid.row(1) = {"A", velmora::store::state_in_progress, text};
        return grid;
    }
    // What the index itself answers: SQLite's lookup through it, on a
    // connection of its own (the container closed).
    bool index_finds(const std::string& utf8_name) {
        FX_Closefx(1);
        sqlite3* db = nullptr;
        bool found = false;
        if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_stmt* lookup = nullptr;
            sqlite3_prepare_v2(db,
                               "SELECT idx FROM items INDEXED BY sqlite_autoindex_items_1 "
                               "WHERE name = ?1",
                               -1, &lookup, nullptr);
            const std::string name = gb(utf8_name);
            sqlite3_bind_blob(lookup, 1, name.data(), static_cast<int>(name.size()),
                              SQLITE_TRANSIENT);
            found = sqlite3_step(lookup) == SQLITE_ROW;
            sqlite3_finalize(lookup);
        }
        sqlite3_close(db);
        EXPECT_EQ(FX_Createoropenfx(path_, velmora::store::container_password, 0, "fileX", "ccc"),
                  1);
        return found;
    }
    std::vector<std::string> backups() {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_.path())) {
            if (entry.path().filename().string().starts_with("zenqdata_修复前_"))
                found.push_back(entry.path().string());
        }
        return found;
    }

    const std::string hidden_plan = "plumora_plan/20260115.txt";
    const std::string hidden_bookmark = "plumora_url/隐藏的书签";
    velmora::store::DayStore days_{folder_.file("work")};
    std::string damaged_;
};

TEST_F(DamagedIndex, TheCheckFindsItAndTheRepairAfterABackupBringsTheHiddenRecordsBack) {
    ASSERT_FALSE(index_finds(hidden_plan)) << "the index hides the day's plans";
    ASSERT_FALSE(index_finds(hidden_bookmark));
    ASSERT_TRUE(index_finds("plumora_plan/20260114.txt"));

    // Meanwhile the day shows its plans, and no save goes over them.
    velmora::store::PlanGrid shown;
    ASSERT_EQ(days_.load_schedule(shown, "20260115"), velmora::store::FxError::none);
    EXPECT_EQ(shown.row(1)[2], "任务 20260115");
    EXPECT_EQ(days_.savedata2fx_schedule2(velmora::store::PlanGrid(), "20260115"),
              velmora::store::FxError::needs_repair);
    EXPECT_EQ(days_.savedata2fx_schedule2(task("覆盖"), "20260115"),
              velmora::store::FxError::needs_repair);
    EXPECT_EQ(velmora::store::store_file(index("plumora_url"), "隐藏的书签", "about:blank",
                                         folder_.file("work"), true),
              velmora::store::FxError::needs_repair);

    prompts_.answers = {true};
    EXPECT_EQ(velmora::store::check_container(paths_, prompts_, clock_), 1);
    ASSERT_EQ(prompts_.shown.size(), 2U);
    EXPECT_NE(prompts_.shown[0].find("索引与记录不一致（2处）"), std::string::npos)
        << prompts_.shown[0];
    const std::string backup = velmora::store::repair_backup_name(path_, clock_.now());
    EXPECT_EQ(backup, folder_.file("zenqdata_修复前_20260304_2.fx")) << "the first is taken";
    const std::string kept = folder_.file("zenqdata_修复前_20260304.fx");
    EXPECT_NE(prompts_.shown[0].find(kept), std::string::npos) << "it names the backup first";
    EXPECT_NE(prompts_.shown[1].find("资料库修复成功"), std::string::npos) << prompts_.shown[1];
    EXPECT_NE(prompts_.shown[1].find(kept), std::string::npos);
    EXPECT_EQ(velmora::testing::file_bytes(kept), damaged_)
        << "the backup is the container as it was, before anything was saved or repaired";

    EXPECT_EQ(FX_Needsrepair(), 0);
    EXPECT_TRUE(index_finds(hidden_plan)) << "the rebuilt index finds what it hid";
    EXPECT_TRUE(index_finds(hidden_bookmark));
    const velmora::store::RecordRead bookmark =
        velmora::store::read_record(hidden_bookmark, folder_.file("work"));
    EXPECT_EQ(bookmark.bytes, "http://hidden.example/");
    ASSERT_EQ(days_.load_schedule(shown, "20260115"), velmora::store::FxError::none);
    EXPECT_EQ(shown.row(1)[2], "任务 20260115") << "nothing was saved over it";
    EXPECT_EQ(days_.savedata2fx_schedule2(task("改过"), "20260115"), velmora::store::FxError::none);

    prompts_.shown.clear();
    EXPECT_EQ(velmora::store::check_container(paths_, prompts_, clock_), 0);
    EXPECT_EQ(prompts_.shown, std::vector<std::string>{msg::check_whole});
}

TEST_F(DamagedIndex, NoRepairWithoutTheBackup) {
    // No: nothing is copied, nothing repaired.
    EXPECT_EQ(velmora::store::check_container(paths_, prompts_, clock_), -1);
    ASSERT_EQ(prompts_.shown.size(), 2U);
    EXPECT_EQ(prompts_.shown[1], msg::not_repaired);
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(FX_Needsrepair(), 1);

    // Yes, but the copy cannot be made: the index stays as it was.
    int calls = 0;
    prompts_.shown.clear();
    prompts_.answers = {true};
    EXPECT_EQ(
        velmora::store::check_container(paths_, prompts_, clock_, failing_once("copy", calls)), -1);
    ASSERT_EQ(prompts_.shown.size(), 2U);
    EXPECT_NE(prompts_.shown[1].find(msg::backup_failed), std::string::npos);
    EXPECT_NE(prompts_.shown[1].find("资料库没有修复"), std::string::npos) << prompts_.shown[1];
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(FX_Needsrepair(), 1) << "the store is open again, still waiting for the repair";
    EXPECT_FALSE(index_finds(hidden_plan));
    FX_Closefx(1);
    EXPECT_EQ(velmora::testing::file_bytes(path_), damaged_);
}

// A save by an older version into the hidden name made a second item of
// it: the index cannot be rebuilt, the user is told, and the store stays
// careful; the backup is there.
TEST_F(DamagedIndex, TwoItemsOfOneNameCannotBeReindexedAndSaySo) {
    FX_Closefx(1);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO items(name, type, lb, content) VALUES(?1, 1, 0, 'x')", -1,
                       &insert, nullptr);
    const std::string name = gb(hidden_plan);
    sqlite3_bind_blob(insert, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE) << "the index does not know the name";
    sqlite3_finalize(insert);
    sqlite3_close(db);
    ASSERT_EQ(FX_Createoropenfx(path_, velmora::store::container_password, 0, "fileX", "ccc"), 1);
    prompts_.answers = {true};
    EXPECT_EQ(velmora::store::check_container(paths_, prompts_, clock_), -1);
    ASSERT_EQ(prompts_.shown.size(), 2U);
    EXPECT_NE(prompts_.shown[1].find("同名的记录"), std::string::npos) << prompts_.shown[1];
    EXPECT_EQ(backups().size(), 1U);
    EXPECT_EQ(FX_Needsrepair(), 1);
    EXPECT_EQ(days_.savedata2fx_schedule2(task("覆盖"), "20260115"),
              velmora::store::FxError::needs_repair);
}

TEST_F(DamagedIndex, CompactionWaitsForTheRepair) {
    EXPECT_EQ(velmora::store::reset_FX(paths_, prompts_, room_everywhere()), 0);
    EXPECT_EQ(prompts_.shown, std::vector<std::string>{msg::compact_needs_repair});
    EXPECT_TRUE(leftovers(folder_.path().string()).empty());
}

TEST_F(DamagedIndex, TheDialogsCheckButtonRunsTheCheck) {
    int checks = 0;
    auto show = [&](const std::string&, const std::string&, const velmora::store::BackupAction&,
                    const velmora::store::CheckAction& check) {
        check();
        ++checks;
        return 0;
    };
    velmora::store::data_management_flow(paths_, prompts_, clock_, show, room_everywhere());
    EXPECT_EQ(checks, 1);
    ASSERT_FALSE(prompts_.shown.empty());
    EXPECT_NE(prompts_.shown[0].find("索引与记录不一致"), std::string::npos);
}

TEST_F(DataManagementTest, AWholeContainerPassesTheCheck) {
    make_records();
    EXPECT_EQ(velmora::store::check_container(paths_, prompts_, clock_), 0);
    EXPECT_EQ(prompts_.shown, std::vector<std::string>{msg::check_whole});
}

}  // namespace
