// The move dialog: the day a task moves to, and whether the source task
// goes and the moved one is marked.
#pragma once

#include <QDialog>

#include <string>

#include "calendar/DateCn.h"

class QCheckBox;

namespace velmora::ui {
class DateField;
}

namespace velmora::plans {

class Tfrm_taskchange : public QDialog {
    Q_OBJECT

public:
    Tfrm_taskchange(QWidget* owner, const calendar::Date& today);

    ui::DateField* RzDateTimePicker1 = nullptr;
    QCheckBox* cb_del = nullptr;       // 删除原任务
    QCheckBox* cb_changebz = nullptr;  // 设置变更标识
    bool confirmed = false;

    std::string target_key() const;
};

}  // namespace velmora::plans
