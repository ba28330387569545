#include "plans/widgets/plan_editor.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "plans/plan_list.h"
#include "ui/dialog_layout.h"
#include "ui/theme.h"

namespace velmora::plans {

PlanEditor::PlanEditor(QWidget* parent, Shape shape) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* radios = shape == Shape::stacked ? static_cast<QBoxLayout*>(column) : new QHBoxLayout;
    RadioGroup2 = ui::add_radio_group(this, radios, "状态", {"进行中", "已完成"});
    RadioGroup1 = ui::add_radio_group(this, radios, "类别",
                                      {"重要，急", "重要，不急", "不重要，急", "不重要，不急"});
    if (radios != column) column->addLayout(radios);
    auto* content = new QLabel("内容：", this);
    content->setStyleSheet(ui::theme::caption_style);
    column->addWidget(content);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    if (shape == Shape::stacked) {
        Memo1->setFixedSize(282, 108);
        column->addWidget(Memo1, 0, Qt::AlignHCenter);
    } else {
        Memo1->setFixedHeight(88);
        Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        column->addWidget(Memo1);
    }
}

void PlanEditor::show_task(const store::PlanGrid::Row& row) {
    RadioGroup2->button(row[1] == store::state_in_progress ? 0 : 1)->setChecked(true);
    const std::size_t letter = std::string(category_letters).find(row[0]);
    if (letter < 4) RadioGroup1->button(static_cast<int>(letter))->setChecked(true);
    Memo1->setPlainText(QString::fromStdString(row[2]));
}

std::string PlanEditor::plan() const {
    return make_plan_string(RadioGroup1->checkedId(), RadioGroup2->checkedId(),
                            Memo1->toPlainText().toStdString());
}

bool PlanEditor::blank() const {
    return is_blank(Memo1->toPlainText().toStdString());
}

}  // namespace velmora::plans
