// The plan dialog that the next action opens, filled in and confirmed.
#pragma once

#include <QButtonGroup>
#include <QPlainTextEdit>

#include "../modal_answer.h"
#include "plans/widgets/ufrm_plan.h"

namespace velmora::testing {

inline void confirm_plan_dialog(const QString& text, int category, int state) {
    when_modal_opens<plans::Tfrm_plan>([=](plans::Tfrm_plan& dialog) {
        dialog.Memo1->setPlainText(text);
        dialog.RadioGroup1->button(category)->setChecked(true);
        dialog.RadioGroup2->button(state)->setChecked(true);
        dialog.Button1Click();
    });
}

}  // namespace velmora::testing
