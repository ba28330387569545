#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ui/date_field.h"
#include "ui/typing.h"

namespace velmora::ui {
namespace {

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

}  // namespace
}  // namespace velmora::ui
