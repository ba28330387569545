// One task's category, state and text, as the plan dialog and the plan
// manager both edit it: one mapping of a task onto the radio buttons and
// back to a plan string.
#pragma once

#include <QWidget>

#include <string>

#include "store/day_store.h"

class QButtonGroup;
class QPlainTextEdit;

namespace velmora::plans {

class PlanEditor : public QWidget {
    Q_OBJECT

public:
    // The dialog stacks the two groups; the manager, wider, sets them side
    // by side above a shorter text box.
    enum class Shape { stacked, side_by_side };
    PlanEditor(QWidget* parent, Shape shape);

    QButtonGroup* RadioGroup1 = nullptr;  // 类别
    QButtonGroup* RadioGroup2 = nullptr;  // 状态
    QPlainTextEdit* Memo1 = nullptr;

    // Shows a grid row: category letter, state, text.
    void show_task(const store::PlanGrid::Row& row);
    // The plan string of the chosen items and the typed text.
    std::string plan() const;
    // Nothing but blanks typed.
    bool blank() const;
};

}  // namespace velmora::plans
