// The move dialog's date field: what is typed is the day the task goes to.
#include <gtest/gtest.h>

#include <QPushButton>

#include "plans/widgets/utaskchange.h"
#include "ui/typing.h"

namespace velmora::ui {
namespace {

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
