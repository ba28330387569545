#include <gmock/gmock.h>

#include <filesystem>

#include "store/day_store.h"
#include "store/record_days.h"
#include "store_fixture.h"

using velmora::store::DayStore;
using velmora::store::PlanGrid;
using velmora::testing::StoreTest;

namespace {

class DayStoreTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        std::filesystem::create_directories(folder_.path() / "work");
    }
    DayStore days{folder_.file("work")};
};

std::string note_of(DayStore& days, const std::string& key) {
    std::string note;
    EXPECT_EQ(days.load_note(key, note), velmora::store::FxError::none);
    return note;
}

PlanGrid grid_of(std::initializer_list<PlanGrid::Row> rows) {
    PlanGrid grid;
    bool first = true;
    for (const auto& row : rows) {
        if (!first) grid.add_row();
        grid.row(grid.row_count() - 1) = row;
        first = false;
    }
    return grid;
}

TEST_F(DayStoreTest, PlansRoundTripWithAnyTextAndWholeLongLines) {
    const std::string long_text(9000, 'x');
    PlanGrid grid = grid_of({{"A", "进行中", "买菜；付款😀"},
                             {"D", "已完成", "复习 第三章 ḿ"},
                             {"C", "进行中", long_text}});
    days.savedata2fx_schedule2(grid, "20101205");
    EXPECT_EQ(get(index("plumora_plan/20101205.txt")).substr(0, 19),
              "A\xBD\xF8\xD0\xD0\xD6\xD0\xC2\xF2\xB2\xCB\xA3\xBB\xB8\xB6\xBF\xEE\x94\x39");

    PlanGrid loaded;
    days.load_schedule(loaded, "20101205");
    EXPECT_EQ(loaded.tasks(), grid.tasks());
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path() / "work"));
}

TEST_F(DayStoreTest, ShortLinesLoadWithEmptyFieldsAndNoRecordLeavesOneBlankRow) {
    put("plumora_plan", "20240101.txt", "B\r\nA\xBD\xF8\r\n");
    PlanGrid grid;
    days.load_schedule(grid, "20240101");
    ASSERT_EQ(grid.row_count(), 3);
    EXPECT_EQ(grid.row(1), (PlanGrid::Row{"B", "", ""}));
    EXPECT_EQ(grid.row(2)[0], "A");
    EXPECT_EQ(grid.row(2)[2], "");

    days.load_schedule(grid, "20240102");
    EXPECT_EQ(grid.row_count(), 2);
    EXPECT_TRUE(grid.is_empty());
}

TEST_F(DayStoreTest, EmptyListsDropRecordsAndEmptyKeysTouchNothing) {
    days.savedata2fx_schedule2(grid_of({{"A", "进行中", "x"}}), "20240103");
    ASSERT_GT(index("plumora_plan/20240103.txt"), 0);
    const int count = FX_Directory_Getcount();
    days.savedata2fx_schedule2(grid_of({{"A", "进行中", "x"}}), "");
    EXPECT_EQ(FX_Directory_Getcount(), count);
    days.savedata2fx_schedule2(PlanGrid{}, "20240103");
    EXPECT_EQ(index("plumora_plan/20240103.txt"), -1);
}

// A day key is eight digits; a year past 9999 or any other text is never a
// record name, and the managers' day lists skip names that are not days.
TEST_F(DayStoreTest, OnlyEightDigitKeysAreStoredOrListed) {
    for (const char* key : {"100001212", "2024011", "2024-1-1", "abcdefgh"}) {
        EXPECT_EQ(days.savedata2fx_schedule2(grid_of({{"A", "进行中", "x"}}), key),
                  velmora::store::FxError::refused)
            << key;
        EXPECT_EQ(days.savedata2fx_note2("x", key), velmora::store::FxError::refused) << key;
    }
    put("plumora_plan", "100001212.txt", "A进行中x\r\n");
    put("plumora_plan", "20240105.bak", "A进行中x\r\n");
    put("plumora_plan", "20240105.txt", "A进行中x\r\n");
    const velmora::store::RecordDays listed = velmora::store::stored_record_days("plumora_plan");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed.begin()->first, "2024");
    EXPECT_EQ(listed.at("2024").at("01"), std::set<std::string>{"05"});
}

TEST_F(DayStoreTest, NotesKeepTheirLinesAndBlankNotesAreDropped) {
    const std::string note = "第一行\n第二行 𠀀\n";
    days.savedata2fx_note2(note, "20240104");
    EXPECT_EQ(get(index("plumora_note/20240104.txt")),
              "\xB5\xDA\xD2\xBB\xD0\xD0\r\n\xB5\xDA\xB6\xFE\xD0\xD0 \x95\x32\x82\x36\r\n");
    EXPECT_EQ(note_of(days, "20240104"), note);
    put("plumora_note", "20240105.txt", "a\rb\nc\r\n");
    EXPECT_EQ(note_of(days, "20240105"), "a\nb\nc\n");
    days.savedata2fx_note2(" \n\t\n", "20240104");
    EXPECT_EQ(index("plumora_note/20240104.txt"), -1);
    days.savedata2fx_note2("x", "");
    EXPECT_EQ(note_of(days, ""), "");
}

}  // namespace
