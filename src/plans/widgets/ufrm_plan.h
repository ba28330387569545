// The plan dialog: category, state and text of one task.
#pragma once

#include <QDialog>

#include <functional>
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
    // The plan string 确定 would give now; "" while the text is blank.
    std::string typed_plan() const;

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
// closed otherwise. When the session ends while the dialog is open, `keep`
// is given the typed plan string instead and the dialog ends as after Cancel.
std::string editplan(QWidget* owner, sys::Prompts& prompts, const std::string& plan,
                     const std::function<void(const std::string&)>& keep);

}  // namespace velmora::plans
