#include "calendar/ufrm_datehint.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "sys/clock.h"
#include "sys/prompts.h"
#include "ui/date_field.h"
#include "ui/dialog_layout.h"

namespace velmora::calendar {

namespace {

enum Column { fixed_column, date_column, days_column, state_column, description_column };

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

std::string cell(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().trimmed().toStdString() : std::string();
}

QLabel* label(QWidget* owner, const char* text, int x, int y) {
    auto* result = new QLabel(QString::fromUtf8(text), owner);
    result->move(x, y);
    result->adjustSize();
    return result;
}

QPushButton* button(QWidget* owner, const char* name, const char* text, int x) {
    auto* result = new QPushButton(QString::fromUtf8(text), owner);
    result->setObjectName(name);
    result->setGeometry(x, 358, 75, 25);
    return result;
}

}  // namespace

Tfrm_datehint::Tfrm_datehint(sys::Prompts& prompts, std::string temp_work, const sys::Clock& clock,
                             QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      prompts_(prompts),
      temp_work_(std::move(temp_work)) {
    build();
    // On an empty list the picker offers today, the likeliest start.
    const sys::LocalTime now = clock.now();
    RzDateTimePicker1->setDate(QDate(now.year, now.month, now.day));
    load();
    select_row();
}

void Tfrm_datehint::build() {
    setObjectName("frm_datehint");
    setWindowTitle("纪念日提醒");
    setFixedSize(563, 397);
    build_list();
    build_editors();
    build_buttons();
}

// The list of anniversaries, one row each.
void Tfrm_datehint::build_list() {
    label(this, "纪念日提醒设置：", 10, 8);
    RzStringGrid1 = new QTableWidget(1, 5, this);
    RzStringGrid1->setObjectName("RzStringGrid1");
    RzStringGrid1->setGeometry(10, 28, 543, 200);
    RzStringGrid1->setHorizontalHeaderLabels({"", "纪念日", "提前提醒天数", "状态", "纪念日说明"});
    RzStringGrid1->verticalHeader()->hide();
    RzStringGrid1->verticalHeader()->setDefaultSectionSize(22);
    RzStringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    RzStringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    RzStringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RzStringGrid1->horizontalHeader()->setMinimumSectionSize(10);
    const int widths[] = {10, 81, 80, 51, 296};
    for (int column = 0; column < 5; ++column)
        RzStringGrid1->setColumnWidth(column, widths[column]);
    RzStringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Following the selection rather than only the click keeps the editors on
    // the row 修改(&E) will overwrite, also after keyboard moves.
    connect(RzStringGrid1, &QTableWidget::itemSelectionChanged, this, [this] { select_row(); });
}

// The fields of one anniversary under the list.
void Tfrm_datehint::build_editors() {
    label(this, "纪念日：", 10, 244);
    RzDateTimePicker1 = new ui::DateField(QDate(2000, 1, 1), this);
    RzDateTimePicker1->setObjectName("RzDateTimePicker1");
    RzDateTimePicker1->setGeometry(66, 240, 110, 24);

    label(this, "提前提醒天数：", 196, 244);
    RzSpinEdit1 = new QSpinBox(this);
    RzSpinEdit1->setObjectName("RzSpinEdit1");
    RzSpinEdit1->setRange(0, 99);
    RzSpinEdit1->setValue(3);
    RzSpinEdit1->setGeometry(290, 240, 60, 24);

    label(this, "提醒状态：", 372, 244);
    RzComboBox1 = new QComboBox(this);
    RzComboBox1->setObjectName("RzComboBox1");
    RzComboBox1->addItems({state_on, state_off});
    RzComboBox1->setGeometry(440, 240, 113, 24);

    label(this, "说明：", 10, 278);
    RzMemo1 = new QPlainTextEdit(this);
    RzMemo1->setObjectName("RzMemo1");
    RzMemo1->setGeometry(66, 274, 487, 72);
}

void Tfrm_datehint::build_buttons() {
    btn_add = button(this, "btn_add", "增加(&A)", 66);
    btn_edit = button(this, "btn_edit", "修改(&E)", 148);
    btn_delete = button(this, "btn_delete", "删除(&D)", 230);
    btn_ok = button(this, "btn_ok", "确定(&S)", 396);
    btn_cancel = button(this, "btn_cancel", "取消", 478);
    set_entry_buttons(false);
    connect(btn_add, &QPushButton::clicked, this, &Tfrm_datehint::add_entry);
    connect(btn_edit, &QPushButton::clicked, this, &Tfrm_datehint::edit_entry);
    connect(btn_delete, &QPushButton::clicked, this, &Tfrm_datehint::delete_entry);
    connect(btn_ok, &QPushButton::clicked, this, &Tfrm_datehint::confirm);
    connect(btn_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrm_datehint::load() {
    AnniversaryRecord record;
    load_error = load_anniversaries(temp_work_, record);
    unparsable_ = std::move(record.unparsable);
    for (const Anniversary& entry : record.entries) {
        if (!list_empty()) RzStringGrid1->insertRow(RzStringGrid1->rowCount());
        write_row(RzStringGrid1->rowCount() - 1, entry);
    }
    if (!record.entries.empty()) set_entry_buttons(true);
    RzStringGrid1->selectRow(0);
}

bool Tfrm_datehint::list_empty() const {
    return cell(RzStringGrid1, 0, date_column).empty();
}

std::vector<Anniversary> Tfrm_datehint::entries() const {
    std::vector<Anniversary> result;
    if (list_empty()) return result;
    for (int row = 0; row < RzStringGrid1->rowCount(); ++row) {
        result.push_back({cell(RzStringGrid1, row, date_column),
                          QString::fromStdString(cell(RzStringGrid1, row, days_column)).toInt(),
                          cell(RzStringGrid1, row, state_column),
                          cell(RzStringGrid1, row, description_column)});
    }
    return result;
}

void Tfrm_datehint::select_row() {
    const int last = RzStringGrid1->rowCount() - 1;
    if (cell(RzStringGrid1, last, date_column).empty()) return;
    const int row = RzStringGrid1->currentRow() < 0 ? 0 : RzStringGrid1->currentRow();
    RzDateTimePicker1->setDate(
        QDate::fromString(qs(cell(RzStringGrid1, row, date_column)), "yyyy-MM-dd"));
    RzSpinEdit1->setValue(QString::fromStdString(cell(RzStringGrid1, row, days_column)).toInt());
    RzComboBox1->setCurrentText(qs(cell(RzStringGrid1, row, state_column)));
    RzMemo1->setPlainText(qs(cell(RzStringGrid1, row, description_column)));
}

// The date typed must be the one shown, and a description is needed.
bool Tfrm_datehint::description_given() {
    if (!RzDateTimePicker1->acceptable()) {
        RzDateTimePicker1->show_refusal();
        return false;
    }
    if (!one_line_description(RzMemo1->toPlainText().toStdString()).empty()) return true;
    prompts_.inform("纪念日说明不能为空！", {}, sys::PromptIcon::information);
    RzMemo1->setFocus();
    return false;
}

Anniversary Tfrm_datehint::from_editors() const {
    return {RzDateTimePicker1->date().toString("yyyy-MM-dd").toStdString(), RzSpinEdit1->value(),
            RzComboBox1->currentText().toStdString(),
            one_line_description(RzMemo1->toPlainText().toStdString())};
}

void Tfrm_datehint::write_row(int row, const Anniversary& entry) {
    const QString texts[] = {QString(), qs(entry.date), QString::number(entry.days_ahead),
                             qs(entry.state), qs(entry.description)};
    for (int column = 0; column < 5; ++column)
        RzStringGrid1->setItem(row, column, new QTableWidgetItem(texts[column]));
}

void Tfrm_datehint::set_entry_buttons(bool enabled) {
    btn_edit->setEnabled(enabled);
    btn_delete->setEnabled(enabled);
}

void Tfrm_datehint::add_entry() {
    if (!description_given()) return;
    const int last = RzStringGrid1->rowCount() - 1;
    if (!cell(RzStringGrid1, last, date_column).empty())
        RzStringGrid1->insertRow(RzStringGrid1->rowCount());
    write_row(RzStringGrid1->rowCount() - 1, from_editors());
    RzMemo1->clear();
    set_entry_buttons(true);
}

void Tfrm_datehint::edit_entry() {
    if (!description_given()) return;
    const int row = RzStringGrid1->currentRow();
    if (row >= 0) write_row(row, from_editors());
}

void Tfrm_datehint::delete_entry() {
    const int row = RzStringGrid1->currentRow();
    if (RzStringGrid1->rowCount() > 1) {
        if (row >= 0) RzStringGrid1->removeRow(row);
        return;
    }
    for (int column = 0; column < 5; ++column) delete RzStringGrid1->takeItem(0, column);
    set_entry_buttons(false);
}

void Tfrm_datehint::confirm() {
    const store::FxError saved = save_anniversaries(temp_work_, {entries(), unparsable_});
    if (saved != store::FxError::none) {
        prompts_.inform(anniversaries_not_saved(saved));
        return;
    }
    accept();
}

void datehint_show(QWidget* owner, sys::Prompts& prompts, const std::string& temp_work,
                   const sys::Clock& clock) {
    Tfrm_datehint dialog(prompts, temp_work, clock, owner);
    if (dialog.load_error != store::FxError::none) {
        prompts.inform(anniversaries_unreadable(dialog.load_error));
        return;
    }
    ui::centre_on_screen(&dialog);
    dialog.exec();
}

}  // namespace velmora::calendar
