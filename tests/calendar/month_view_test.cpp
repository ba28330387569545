// The month view on its own: a month model built from the engine, with the
// marks of a made-up set of days, shown on a bare host widget.
#include <gmock/gmock.h>

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "calendar/holidays.h"
#include "calendar/month_model.h"
#include "calendar/widgets/day_grid.h"
#include "calendar/widgets/month_view.h"

namespace {

using velmora::calendar::Date;
using velmora::calendar::DayGrid;
using velmora::calendar::DayOff;

class MonthViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = new velmora::calendar::MonthView(&host);
        view->create_day_cells();
    }
    void show(const Date& date) {
        view->show(velmora::calendar::build_month(
            date, {[this](const std::string& key) { return plans.count(key) > 0; },
                   [this](const std::string& key) { return notes.count(key) > 0; }, holidays}));
    }
    std::vector<int> used_cells() const {
        std::vector<int> cells;
        for (int i = 0; i < 37; ++i) {
            if (grid().cell(i).day > 0) cells.push_back(i + 1);
        }
        return cells;
    }

    const DayGrid& grid() const { return *view->day_grid; }
    // The centre of a cell's part, where a click or a tooltip lands.
    static QPoint centre(int cell) { return DayGrid::places(cell - 1, false).box.center(); }

    QWidget host;
    velmora::calendar::MonthView* view = nullptr;
    std::set<std::string> plans;
    std::set<std::string> notes;
    const velmora::calendar::HolidayTable* holidays = nullptr;
};

TEST_F(MonthViewTest, CellsFollowTheFirstWeekdayOfTheMonth) {
    show({2022, 10, 1});  // 1 October 2022 was a Saturday
    std::vector<int> cells = used_cells();
    ASSERT_EQ(cells.size(), 31u);
    EXPECT_EQ(cells.front(), 7);
    EXPECT_EQ(cells.back(), 37);
    EXPECT_EQ(grid().cell(36).number_text, "31");
    EXPECT_EQ(grid().day_at(centre(37)), 31);
    EXPECT_EQ(grid().day_at(centre(6)), 0);  // before the first, nothing to click
    show({2015, 2, 1});                      // a Sunday
    cells = used_cells();
    ASSERT_EQ(cells.size(), 28u);
    EXPECT_EQ(cells.front(), 1);
    EXPECT_EQ(cells.back(), 28);
}

TEST_F(MonthViewTest, FestivalsWinTheLunarLineAndYearCaptionsFollow) {
    show({2004, 1, 21});
    const int cell = 4 + 21;  // 1 January 2004 was a Thursday
    EXPECT_EQ(grid().cell(cell - 1).lunar_text, "除夕");
    EXPECT_EQ(grid().cell(cell - 1).lunar_rgb, 0xff8000u);
    EXPECT_EQ(view->Label_china->text(), "癸未羊");
    show({1850, 3, 1});  // no lunar data: empty texts, nothing breaks
    for (int i = 0; i < 37; ++i) {
        if (grid().cell(i).number_text == "2") {
            EXPECT_EQ(grid().cell(i).lunar_text, "");
        } else if (grid().cell(i).number_text == "8") {
            EXPECT_EQ(grid().cell(i).lunar_text, "妇女节");
        }
    }
}

// What the grid paints, in the month panel's coordinates.
QImage drawn(DayGrid& grid) {
    QImage image(DayGrid::area().size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    grid.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}
QColor colour_at(const QImage& image, const QPoint& panel_point) {
    return image.pixelColor(panel_point - DayGrid::area().topLeft());
}
// How many pixels of a rectangle a test on their colour picks.
int pixels_in(const QImage& image, const QRect& panel_rect, bool (*picked)(const QColor&)) {
    int count = 0;
    for (int y = panel_rect.top(); y <= panel_rect.bottom(); ++y) {
        for (int x = panel_rect.left(); x <= panel_rect.right(); ++x) {
            if (picked(colour_at(image, {x, y}))) ++count;
        }
    }
    return count;
}

TEST_F(MonthViewTest, MarksAreDrawnOnTheDaysThatHaveRecords) {
    plans = {"20261209"};
    notes = {"20261209", "20261210"};
    show({2026, 12, 9});
    const int cell = 2 + 9;  // 1 December 2026 is a Tuesday
    const DayGrid::Places at = DayGrid::places(cell - 1, false);
    const DayGrid::Places next = DayGrid::places(cell, false);
    QImage image = drawn(*view->day_grid);
    EXPECT_EQ(colour_at(image, at.plan_mark.center()), QColor(0x00, 0xFF, 0x00));
    EXPECT_EQ(colour_at(image, at.note_mark.center()), QColor(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(colour_at(image, next.plan_mark.center()), QColor(Qt::white));
    EXPECT_EQ(colour_at(image, next.note_mark.center()), QColor(0xA6, 0xCA, 0xF0));
    EXPECT_LT(at.plan_mark.bottom(), at.note_mark.top());
    // The selected day lies on the grey selection box.
    EXPECT_EQ(colour_at(image, at.box.bottomRight() - QPoint(2, 2)), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(colour_at(image, next.box.bottomRight() - QPoint(2, 2)), QColor(Qt::white));
    plans.clear();
    show({2026, 12, 9});
    image = drawn(*view->day_grid);
    EXPECT_NE(colour_at(image, at.plan_mark.center()), QColor(0x00, 0xFF, 0x00));
}

bool strong_red(const QColor& colour) {
    return colour.red() > 0xB0 && colour.green() < 0x60 && colour.blue() < 0x60;
}
bool dark_grey(const QColor& colour) {
    return colour.red() < 0x90 && std::abs(colour.red() - colour.green()) < 0x10 &&
           std::abs(colour.red() - colour.blue()) < 0x10;
}

// February 2024 starts on a Thursday: day d is in cell 4 + d.
TEST_F(MonthViewTest, HolidayMarksAreDrawnBesideTheTextsTheyLeaveAlone) {
    const auto table = velmora::calendar::HolidayTable::parse(
        "2024-02-04\t班\t春节\n2024-02-10\t休\t春节\n2024-03-01\t休\t别月\n");
    show({2024, 2, 10});
    const auto cells = used_cells();
    const std::string before = grid().cell(4 + 10 - 1).lunar_text;
    holidays = &table;
    show({2024, 2, 10});
    EXPECT_EQ(used_cells(), cells);
    std::vector<int> marked;
    for (int i = 0; i < 37; ++i) {
        if (grid().cell(i).day_off != DayOff::none) marked.push_back(i + 1);
    }
    EXPECT_EQ(marked, (std::vector<int>{4 + 4, 4 + 10}));
    EXPECT_EQ(grid().cell(4 + 10 - 1).lunar_text, before);
    const QImage image = drawn(*view->day_grid);
    const QRect rest = DayGrid::places(4 + 10 - 1, true).holiday;
    const QRect work = DayGrid::places(4 + 4 - 1, true).holiday;
    EXPECT_GT(pixels_in(image, rest, strong_red), 3);
    EXPECT_GT(pixels_in(image, work, dark_grey), 3);
    EXPECT_EQ(pixels_in(image, work, strong_red), 0);
    // Inside its own cell, right of the number, not over the lunar text.
    const DayGrid::Places tenth = DayGrid::places(4 + 10 - 1, true);
    EXPECT_GT(rest.center().x(), tenth.number.center().x());
    EXPECT_LT(work.right(), DayGrid::places(4 + 5 - 1, false).number.left() - 2);
    EXPECT_FALSE(rest.intersects(tenth.lunar));
    // Another month clears the marks of this one.
    show({2024, 3, 1});
    EXPECT_EQ(grid().cell(4 + 4 - 1).day_off, DayOff::none);
    EXPECT_EQ(grid().cell(5).day_off, DayOff::rest);  // 1 March 2024 was a Friday
    EXPECT_EQ(pixels_in(drawn(*view->day_grid), work, dark_grey), 0);
}

// Where the grid draws a cell's number: centred in the number's place.
QRect number_rect(const DayGrid& grid, int cell) {
    const QRect room = DayGrid::places(cell, grid.cell(cell).day_off != DayOff::none).number;
    const QFontMetrics metrics(grid.number_font());
    const int width =
        metrics.horizontalAdvance(QString::fromStdString(grid.cell(cell).number_text));
    return {room.left() + (room.width() - width) / 2,
            room.top() + (room.height() - metrics.height()) / 2, width, metrics.height()};
}

TEST_F(MonthViewTest, AMarkLiesInsideItsCellAndTheSelectionBoxAtEveryDayNumber) {
    std::string lines;
    for (int day = 1; day <= 31; ++day) {
        lines += "2025-01-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "\t休\t试\n";
    }
    const auto table = velmora::calendar::HolidayTable::parse(lines);
    holidays = &table;
    for (int day = 1; day <= 31; ++day) {
        show({2025, 1, day});
        const int cell = 3 + day;  // 1 January 2025 was a Wednesday
        ASSERT_EQ(grid().selected_cell(), cell);
        const DayGrid::Places at = DayGrid::places(cell - 1, true);
        const QRect box = at.box.adjusted(1, 1, -1, -1);  // inside the outline
        EXPECT_TRUE(box.contains(at.holiday)) << "day " << day;
        EXPECT_FALSE(at.holiday.intersects(number_rect(grid(), cell - 1))) << "day " << day;
        EXPECT_TRUE(box.contains(at.plan_mark)) << "day " << day;
        if (cell % 7 != 0) {
            EXPECT_LT(at.holiday.right(), DayGrid::places(cell, true).number.left() - 2);
        }
    }
}

TEST_F(MonthViewTest, AWeekendWorkedInExchangeIsDrawnAsAWorkingDay) {
    const auto table =
        velmora::calendar::HolidayTable::parse("2024-02-04\t班\t春节\n2024-02-10\t休\t春节\n");
    holidays = &table;
    show({2024, 2, 10});
    // February 2024 starts on a Thursday: day d is in cell 4 + d.
    EXPECT_EQ(grid().cell(4 + 4 - 1).number_rgb, 0x000000u);
    EXPECT_EQ(grid().cell(4 + 10 - 1).number_rgb, 0xFF0000u);
    EXPECT_EQ(grid().cell(4 + 11 - 1).number_rgb, 0xFF0000u);  // an ordinary Sunday
}

// The note of a year without an arrangement sits in the free part of the
// sixth row and never covers a day; the marks name their source.
TEST_F(MonthViewTest, AYearWithoutMarksSaysSoAndAMarkNamesItsNotice) {
    const auto table = velmora::calendar::HolidayTable::parse(
        "#@\t2026\tshipped\t\t\t国务院办公厅关于2026年部分节假日安排的通知\n"
        "2026-02-15\t休\t春节\n"
        "#@\t2027\tunpublished\t2026-12-10\thttp://127.0.0.1/2027.json\t\n");
    holidays = &table;
    show({2026, 2, 1});
    EXPECT_FALSE(view->Label_holiday_notice->isVisibleTo(&host));
    const QString tip = grid().tooltip_at(centre(15));  // 1 Feb 2026 is a Sunday
    EXPECT_TRUE(tip.startsWith("春节 休\n")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("国务院办公厅关于2026年部分节假日安排的通知")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("随程序附带"));
    // January 2028 fills six rows; 2027 has been asked for and is empty.
    for (const velmora::calendar::Date day : {velmora::calendar::Date{2027, 1, 1}, {2028, 1, 1}}) {
        show(day);
        EXPECT_TRUE(view->Label_holiday_notice->isVisibleTo(&host));
        for (int i = 0; i < 37; ++i) {
            if (grid().cell(i).day == 0) continue;
            const DayGrid::Places at = DayGrid::places(i, false);
            EXPECT_FALSE(view->Label_holiday_notice->geometry().intersects(at.lunar)) << i;
            EXPECT_FALSE(view->Label_holiday_notice->geometry().intersects(at.number)) << i;
        }
    }
    show({2027, 1, 1});
    EXPECT_EQ(view->Label_holiday_notice->text(), "2027年放假安排尚未公布");
    EXPECT_TRUE(view->Label_holiday_notice->toolTip().contains("http://127.0.0.1/2027.json"));
    show({2028, 1, 1});
    EXPECT_EQ(view->Label_holiday_notice->text(), "2028年放假安排尚未获取");
    show({2020, 1, 1});  // before the first known year: nothing to say
    EXPECT_FALSE(view->Label_holiday_notice->isVisibleTo(&host));
}

}  // namespace
