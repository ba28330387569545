#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "plans/widgets/utaskchange.h"
#include "ui/date_field.h"

namespace velmora::ui {
namespace {

// Focuses the field as a click or Tab does, then types as a user does.
void type_into(DateField& field, const QString& keys) {
    QWidget* window = field.window();
    window->show();
    QApplication::setActiveWindow(window);
    field.editor()->clearFocus();
    field.setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(field.editor(), keys);
}

TEST(DateField, AWholeTypedDateSetsYearMonthAndDay) {
    DateField field(QDate(2026, 12, 9));
    type_into(field, "2030-05-06");
    EXPECT_EQ(field.date(), QDate(2030, 5, 6));
    EXPECT_TRUE(field.acceptable());
    type_into(field, "20270105");
    EXPECT_EQ(field.date(), QDate(2027, 1, 5));
    EXPECT_EQ(field.editor()->text(), "20270105");
}

TEST(DateField, AnImpossibleOrUnfinishedDateIsRefusedAndTheOldOneKept) {
    DateField field(QDate(2026, 12, 9));
    type_into(field, "2027-02-30");
    EXPECT_FALSE(field.acceptable());
    EXPECT_TRUE(field.editor()->property("refused").toBool());
    EXPECT_EQ(field.editor()->toolTip(), QString::fromUtf8("没有这一天：2027-02-30"));
    EXPECT_EQ(field.date(), QDate(2026, 12, 9));
    type_into(field, "2027-0");
    EXPECT_FALSE(field.acceptable());
    EXPECT_FALSE(field.editor()->property("refused").toBool());  // not yet: still typing
    EXPECT_EQ(parse_typed_date("0000-01-01"), QDate());
    EXPECT_EQ(parse_typed_date("9999-12-31"), QDate(9999, 12, 31));
}

TEST(MoveDialog, ATypedYearIsTheYearTheTaskMovesTo) {
    plans::Tfrm_taskchange dialog(nullptr, {2026, 12, 9});
    type_into(*dialog.RzDateTimePicker1, "2027-01-05");
    EXPECT_EQ(dialog.target_key(), "20270105");

    type_into(*dialog.RzDateTimePicker1, "2027-02-30");
    QPushButton* ok = nullptr;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == QString::fromUtf8("确定")) ok = button;
    }
    ASSERT_NE(ok, nullptr);
    ok->click();
    EXPECT_FALSE(dialog.confirmed);
    EXPECT_TRUE(dialog.RzDateTimePicker1->editor()->property("refused").toBool());
}

}  // namespace
}  // namespace velmora::ui
