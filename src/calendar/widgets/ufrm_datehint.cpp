#include "calendar/widgets/ufrm_datehint.h"

#include <QCheckBox>
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
#include "ui/theme.h"

namespace velmora::calendar {

namespace {

enum Column { fixed_column, date_column, days_column, state_column, description_column };
// The date cell shows a caption; the entry's own date, kind and yearly flag
// ride along in it.
constexpr int date_role = Qt::UserRole;
constexpr int kind_role = Qt::UserRole + 1;
constexpr int yearly_role = Qt::UserRole + 2;

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
    build_calendar_row();
    build_editors();
    build_buttons();
    set_lunar_mode(false);
}

// The list of anniversaries, one row each.
void Tfrm_datehint::build_list() {
    label(this, "纪念日提醒设置：", 10, 8);
    RzStringGrid1 = new QTableWidget(1, 5, this);
    RzStringGrid1->setObjectName("RzStringGrid1");
    RzStringGrid1->setGeometry(10, 28, 543, 170);
    RzStringGrid1->setHorizontalHeaderLabels({"", "纪念日", "提前提醒天数", "状态", "纪念日说明"});
    RzStringGrid1->verticalHeader()->hide();
    RzStringGrid1->verticalHeader()->setDefaultSectionSize(22);
    RzStringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    RzStringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    RzStringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    RzStringGrid1->horizontalHeader()->setMinimumSectionSize(10);
    // The date column is wide enough for "农历2023年闰二月三十 每年".
    const int widths[] = {10, 172, 80, 51, 212};
    for (int column = 0; column < 5; ++column)
        RzStringGrid1->setColumnWidth(column, widths[column]);
    RzStringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // Following the selection rather than only the click keeps the editors on
    // the row 修改(&E) will overwrite, also after keyboard moves.
    connect(RzStringGrid1, &QTableWidget::itemSelectionChanged, this, [this] { select_row(); });
}

// Which calendar the date follows, the lunar date, and whether it repeats.
void Tfrm_datehint::build_calendar_row() {
    label(this, "历法：", 10, 210);
    cbx_calendar = new QComboBox(this);
    cbx_calendar->setObjectName("cbx_calendar");
    cbx_calendar->addItems({"公历", "农历"});
    cbx_calendar->setGeometry(66, 206, 64, 24);
    sp_lunar_year = new QSpinBox(this);
    sp_lunar_year->setObjectName("sp_lunar_year");
    sp_lunar_year->setRange(first_lunar_year - 1, last_lunar_year);
    sp_lunar_year->setSuffix("年");
    sp_lunar_year->setGeometry(140, 206, 76, 24);
    cbx_lunar_month = new QComboBox(this);
    cbx_lunar_month->setObjectName("cbx_lunar_month");
    for (int month = 1; month <= 12; ++month)
        cbx_lunar_month->addItem(qs(lunar_month_label(month, false)));
    cbx_lunar_month->setGeometry(222, 206, 70, 24);
    cb_leap = new QCheckBox("闰月", this);
    cb_leap->setObjectName("cb_leap");
    cb_leap->setGeometry(298, 206, 56, 24);
    cbx_lunar_day = new QComboBox(this);
    cbx_lunar_day->setObjectName("cbx_lunar_day");
    for (int day = 1; day <= 30; ++day) cbx_lunar_day->addItem(qs(lunar_day_label(day)));
    cbx_lunar_day->setGeometry(356, 206, 70, 24);
    cb_yearly = new QCheckBox("每年提醒", this);
    cb_yearly->setObjectName("cb_yearly");
    cb_yearly->setGeometry(452, 206, 101, 24);
    connect(cbx_calendar, &QComboBox::currentIndexChanged, this,
            [this](int index) { set_lunar_mode(index == 1); });
    connect(sp_lunar_year, &QSpinBox::valueChanged, this, &Tfrm_datehint::lunar_changed);
    connect(cbx_lunar_month, &QComboBox::currentIndexChanged, this, &Tfrm_datehint::lunar_changed);
    connect(cbx_lunar_day, &QComboBox::currentIndexChanged, this, &Tfrm_datehint::lunar_changed);
    connect(cb_leap, &QCheckBox::toggled, this, &Tfrm_datehint::lunar_changed);
}

bool Tfrm_datehint::lunar_mode() const {
    return cbx_calendar->currentIndex() == 1;
}

// Switching carries the date over: the lunar fields start from the day the
// picker shows, and the picker keeps showing the Gregorian day of the lunar
// one, so either way the user sees both.
void Tfrm_datehint::set_lunar_mode(bool lunar) {
    const QDate shown = RzDateTimePicker1->date();
    if (lunar) show_lunar({shown.year(), shown.month(), shown.day()});
    for (QWidget* field :
         std::initializer_list<QWidget*>{sp_lunar_year, cbx_lunar_month, cb_leap, cbx_lunar_day})
        field->setEnabled(lunar);
    RzDateTimePicker1->setEnabled(!lunar);
    lunar_changed();
}

void Tfrm_datehint::show_lunar(Date date) {
    const std::optional<LunarDay> lunar = lunar_of_solar(date);
    if (!lunar) return;
    sp_lunar_year->setValue(lunar->year);
    cbx_lunar_month->setCurrentIndex(lunar->month - 1);
    cb_leap->setChecked(lunar->leap);
    cbx_lunar_day->setCurrentIndex(lunar->day - 1);
}

// A lunar day the year does not have is said at once, under the fields,
// not only when 增加 refuses it.
void Tfrm_datehint::lunar_changed() {
    const std::optional<std::string> refusal =
        lunar_mode()
            ? lunar_date_refusal(sp_lunar_year->value(), cbx_lunar_month->currentIndex() + 1,
                                 cb_leap->isChecked(), cbx_lunar_day->currentIndex() + 1)
            : std::nullopt;
    lb_lunar_refusal->setText(refusal ? qs(*refusal) : QString());
    lb_lunar_refusal->setVisible(refusal.has_value());
    if (!lunar_mode()) return;
    const std::optional<Date> date =
        solar_of_lunar(sp_lunar_year->value(), cbx_lunar_month->currentIndex() + 1,
                       cb_leap->isChecked(), cbx_lunar_day->currentIndex() + 1);
    if (date) RzDateTimePicker1->setDate(QDate(date->year, date->month, date->day));
}

// The fields of one anniversary under the list.
void Tfrm_datehint::build_editors() {
    label(this, "纪念日：", 10, 244);
    RzDateTimePicker1 = new ui::DateField(QDate(2000, 1, 1), this);
    RzDateTimePicker1->setObjectName("RzDateTimePicker1");
    RzDateTimePicker1->setGeometry(66, 240, 110, 24);
    connect(RzDateTimePicker1, &ui::DateField::dateChanged, this, [this](const QDate& date) {
        if (!lunar_mode()) show_lunar({date.year(), date.month(), date.day()});
    });

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
    RzMemo1->setGeometry(66, 274, 487, 56);

    lb_lunar_refusal = new QLabel(this);
    lb_lunar_refusal->setObjectName("lb_lunar_refusal");
    lb_lunar_refusal->setGeometry(66, 333, 487, 20);
    ui::theme::set_text_colour(lb_lunar_refusal, QColor(0xC0, 0x00, 0x00));
    lb_lunar_refusal->hide();
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
        const QTableWidgetItem* date = RzStringGrid1->item(row, date_column);
        result.push_back({date->data(date_role).toString().toStdString(),
                          QString::fromStdString(cell(RzStringGrid1, row, days_column)).toInt(),
                          cell(RzStringGrid1, row, state_column),
                          cell(RzStringGrid1, row, description_column),
                          static_cast<DateKind>(date->data(kind_role).toInt()),
                          date->data(yearly_role).toBool()});
    }
    return result;
}

void Tfrm_datehint::select_row() {
    const int last = RzStringGrid1->rowCount() - 1;
    if (cell(RzStringGrid1, last, date_column).empty()) return;
    const int row = RzStringGrid1->currentRow() < 0 ? 0 : RzStringGrid1->currentRow();
    const QTableWidgetItem* date = RzStringGrid1->item(row, date_column);
    const auto kind = static_cast<DateKind>(date->data(kind_role).toInt());
    const QString stored = date->data(date_role).toString();
    cbx_calendar->setCurrentIndex(kind == DateKind::gregorian ? 0 : 1);
    if (kind == DateKind::gregorian) {
        RzDateTimePicker1->setDate(QDate::fromString(stored, "yyyy-MM-dd"));
    } else if (auto lunar = parse_lunar_date(stored.toStdString(), kind == DateKind::lunar_leap)) {
        sp_lunar_year->setValue(lunar->year);
        cbx_lunar_month->setCurrentIndex(lunar->month - 1);
        cb_leap->setChecked(lunar->leap);
        cbx_lunar_day->setCurrentIndex(lunar->day - 1);
    }
    cb_yearly->setChecked(date->data(yearly_role).toBool());
    RzSpinEdit1->setValue(QString::fromStdString(cell(RzStringGrid1, row, days_column)).toInt());
    RzComboBox1->setCurrentText(qs(cell(RzStringGrid1, row, state_column)));
    RzMemo1->setPlainText(qs(cell(RzStringGrid1, row, description_column)));
}

// The date typed must be the one shown, and a description is needed.
bool Tfrm_datehint::description_given() {
    const std::optional<std::string> refusal =
        lunar_mode()
            ? lunar_date_refusal(sp_lunar_year->value(), cbx_lunar_month->currentIndex() + 1,
                                 cb_leap->isChecked(), cbx_lunar_day->currentIndex() + 1)
            : std::nullopt;
    if (refusal) {
        prompts_.inform(*refusal, {}, sys::PromptIcon::information);
        cbx_lunar_day->setFocus();
        return false;
    }
    if (!lunar_mode() && !RzDateTimePicker1->acceptable()) {
        RzDateTimePicker1->show_refusal();
        return false;
    }
    if (!one_line_description(RzMemo1->toPlainText().toStdString()).empty()) return true;
    prompts_.inform("纪念日说明不能为空！", {}, sys::PromptIcon::information);
    RzMemo1->setFocus();
    return false;
}

Anniversary Tfrm_datehint::from_editors() const {
    Anniversary entry{RzDateTimePicker1->date().toString("yyyy-MM-dd").toStdString(),
                      RzSpinEdit1->value(), RzComboBox1->currentText().toStdString(),
                      one_line_description(RzMemo1->toPlainText().toStdString())};
    entry.yearly = cb_yearly->isChecked();
    if (lunar_mode()) {
        entry.kind = cb_leap->isChecked() ? DateKind::lunar_leap : DateKind::lunar;
        entry.date = QString::asprintf("%04d-%02d-%02d", sp_lunar_year->value(),
                                       cbx_lunar_month->currentIndex() + 1,
                                       cbx_lunar_day->currentIndex() + 1)
                         .toStdString();
    }
    return entry;
}

void Tfrm_datehint::write_row(int row, const Anniversary& entry) {
    const QString texts[] = {QString(), qs(date_caption(entry)), QString::number(entry.days_ahead),
                             qs(entry.state), qs(entry.description)};
    for (int column = 0; column < 5; ++column)
        RzStringGrid1->setItem(row, column, new QTableWidgetItem(texts[column]));
    QTableWidgetItem* date = RzStringGrid1->item(row, date_column);
    date->setData(date_role, qs(entry.date));
    date->setData(kind_role, static_cast<int>(entry.kind));
    date->setData(yearly_role, entry.yearly);
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
