// The plan dialog: category, state and text of one task.
#pragma once

#include <QDialog>

#include <string>

#include "sys/prompts.h"

class QButtonGroup;
class QPlainTextEdit;

namespace velmora::plans {

class PlanEditor;

class Tfrm_plan : public QDialog {
    Q_OBJECT

public:
    Tfrm_plan(QWidget* owner, sys::Prompts& prompts, const std::string& plan);

    // The plan string the dialog ends with (see editplan).
    const std::string& result() const { return result_; }

    QButtonGroup* RadioGroup1 = nullptr;  // 类别
    QButtonGroup* RadioGroup2 = nullptr;  // 状态
    QPlainTextEdit* Memo1 = nullptr;

    void Button1Click();  // 确定(&S)
    void Button2Click();  // 取消

private:
    sys::Prompts& prompts_;
    std::string result_;
    PlanEditor* editor_ = nullptr;
};

// Runs the dialog modally. Empty input: a new task. The answer is the new
// plan string; "" after Cancel; the input unchanged when the window is
// closed otherwise.
std::string editplan(QWidget* owner, sys::Prompts& prompts, const std::string& plan);

}  // namespace velmora::plans
