// The month view on its own: a month model built from the engine, with the
// marks of a made-up set of days, shown on a bare host widget.
#include <gmock/gmock.h>

#include <QLabel>
#include <QWidget>

#include <set>
#include <string>
#include <vector>

#include "calendar/holidays.h"
#include "calendar/month_model.h"
#include "calendar/widgets/month_view.h"

namespace {

using velmora::calendar::Date;

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
            if (view->day_labels[i]->isVisibleTo(&host)) cells.push_back(i + 1);
        }
        return cells;
    }

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
    EXPECT_EQ(view->day_labels[36]->text(), "31");
    show({2015, 2, 1});  // a Sunday
    cells = used_cells();
    ASSERT_EQ(cells.size(), 28u);
    EXPECT_EQ(cells.front(), 1);
    EXPECT_EQ(cells.back(), 28);
}

TEST_F(MonthViewTest, FestivalsWinTheLunarLineAndYearCaptionsFollow) {
    show({2004, 1, 21});
    const int cell = 4 + 21;  // 1 January 2004 was a Thursday
    EXPECT_EQ(view->lunar_labels[cell - 1]->text(), "除夕");
    EXPECT_EQ(view->lunar_labels[cell - 1]->palette().color(QPalette::WindowText),
              QColor(0xff, 0x80, 0x00));
    EXPECT_EQ(view->Label_china->text(), "癸未羊");
    show({1850, 3, 1});  // no lunar data: empty texts, nothing breaks
    for (int i = 0; i < 37; ++i) {
        if (!view->day_labels[i]->isVisibleTo(&host)) continue;
        const QString day = view->day_labels[i]->text();
        if (day == "2") {
            EXPECT_EQ(view->lunar_labels[i]->text(), "");
        } else if (day == "8") {
            EXPECT_EQ(view->lunar_labels[i]->text(), "妇女节");
        }
    }
}

TEST_F(MonthViewTest, MarksFollowTheDaysThatHaveRecords) {
    plans = {"20261209"};
    notes = {"20261209", "20261210"};
    show({2026, 12, 9});
    const int cell = 2 + 9;  // 1 December 2026 is a Tuesday
    EXPECT_TRUE(view->plan_marks[cell - 1]->isVisibleTo(&host));
    EXPECT_TRUE(view->note_marks[cell - 1]->isVisibleTo(&host));
    EXPECT_FALSE(view->plan_marks[cell]->isVisibleTo(&host));
    EXPECT_TRUE(view->note_marks[cell]->isVisibleTo(&host));
    plans.clear();
    show({2026, 12, 9});
    EXPECT_FALSE(view->plan_marks[cell - 1]->isVisibleTo(&host));
}

// February 2024 starts on a Thursday: day d is in cell 4 + d.
TEST_F(MonthViewTest, HolidayMarksSitBesideTheTextsTheyLeaveAlone) {
    const auto table = velmora::calendar::HolidayTable::parse(
        "2024-02-04\t班\t春节\n2024-02-10\t休\t春节\n2024-03-01\t休\t别月\n");
    show({2024, 2, 10});
    const auto cells = used_cells();
    const QString before = view->lunar_labels[4 + 10 - 1]->text();
    holidays = &table;
    show({2024, 2, 10});
    EXPECT_EQ(used_cells(), cells);
    std::vector<int> marked;
    for (int i = 0; i < 37; ++i) {
        if (view->holiday_marks[i]->isVisibleTo(&host)) marked.push_back(i + 1);
    }
    EXPECT_EQ(marked, (std::vector<int>{4 + 4, 4 + 10}));
    const QLabel* work = view->holiday_marks[4 + 4 - 1];
    const QLabel* rest = view->holiday_marks[4 + 10 - 1];
    EXPECT_EQ(work->text(), "班");
    EXPECT_EQ(rest->text(), "休");
    EXPECT_EQ(rest->palette().color(QPalette::WindowText).red(), 0xE0);
    EXPECT_LT(work->palette().color(QPalette::WindowText).red(), 0x80);
    EXPECT_EQ(view->day_labels[4 + 10 - 1]->text(), "10");
    EXPECT_EQ(view->lunar_labels[4 + 10 - 1]->text(), before);
    // Inside its own cell, right of the number, not over the lunar text.
    const QRect number = view->day_labels[4 + 10 - 1]->geometry();
    EXPECT_GT(rest->geometry().center().x(), number.center().x());
    EXPECT_LT(work->geometry().right(), view->day_labels[4 + 5 - 1]->geometry().left() - 2);
    EXPECT_FALSE(rest->geometry().intersects(view->lunar_labels[4 + 10 - 1]->geometry()));
    // Another month clears the marks of this one.
    show({2024, 3, 1});
    EXPECT_FALSE(view->holiday_marks[4 + 4 - 1]->isVisibleTo(&host));
    EXPECT_TRUE(view->holiday_marks[5]->isVisibleTo(&host));  // 1 March 2024 was a Friday
}

// Where a label draws its text: centred in its contents rectangle.
QRect text_rect(const QLabel* label) {
    const QRect room = label->contentsRect().translated(label->pos());
    const int width = label->fontMetrics().horizontalAdvance(label->text());
    const int height = label->fontMetrics().height();
    return {room.left() + (room.width() - width) / 2, room.top() + (room.height() - height) / 2,
            width, height};
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
        const QLabel* mark = view->holiday_marks[cell - 1];
        const QLabel* number = view->day_labels[cell - 1];
        ASSERT_TRUE(mark->isVisibleTo(&host)) << day;
        const QRect box = view->Shape2->geometry().adjusted(1, 1, -1, -1);  // inside the outline
        EXPECT_TRUE(box.contains(mark->geometry())) << "day " << day;
        EXPECT_FALSE(mark->geometry().intersects(text_rect(number))) << "day " << day;
        EXPECT_TRUE(box.contains(view->plan_marks[cell - 1]->geometry())) << "day " << day;
        if (cell % 7 != 0) {
            EXPECT_LT(mark->geometry().right(), view->day_labels[cell]->geometry().left() - 2);
        }
    }
}

TEST_F(MonthViewTest, AWeekendWorkedInExchangeIsDrawnAsAWorkingDay) {
    const auto table =
        velmora::calendar::HolidayTable::parse("2024-02-04\t班\t春节\n2024-02-10\t休\t春节\n");
    holidays = &table;
    show({2024, 2, 10});
    // February 2024 starts on a Thursday: day d is in cell 4 + d.
    EXPECT_EQ(view->day_labels[4 + 4 - 1]->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    EXPECT_EQ(view->day_labels[4 + 10 - 1]->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));
    EXPECT_EQ(view->day_labels[4 + 11 - 1]->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));  // an ordinary Sunday
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
    const QString tip = view->holiday_marks[15 - 1]->toolTip();  // 1 Feb 2026 is a Sunday
    EXPECT_TRUE(tip.startsWith("春节 休\n")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("国务院办公厅关于2026年部分节假日安排的通知")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("随程序附带"));
    // January 2028 fills six rows; 2027 has been asked for and is empty.
    for (const velmora::calendar::Date day : {velmora::calendar::Date{2027, 1, 1}, {2028, 1, 1}}) {
        show(day);
        EXPECT_TRUE(view->Label_holiday_notice->isVisibleTo(&host));
        for (int i = 0; i < 37; ++i) {
            if (!view->day_labels[i]->isVisibleTo(&host)) continue;
            EXPECT_FALSE(view->Label_holiday_notice->geometry().intersects(
                view->lunar_labels[i]->geometry()))
                << i;
            EXPECT_FALSE(
                view->Label_holiday_notice->geometry().intersects(view->day_labels[i]->geometry()));
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
