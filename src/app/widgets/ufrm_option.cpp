#include "app/widgets/ufrm_option.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "notes/widgets/ufrm_noteedit.h"
#include "ui/dialog_layout.h"
#include "ui/theme.h"

namespace velmora::app {

namespace {

constexpr const char* preview_line = "Velmora是一款绿色免费、小巧实用的日历计划管理软件！";

QLabel* note(const char* text, QWidget* page) {
    auto* label = new QLabel(QString::fromUtf8(text), page);
    label->setWordWrap(true);
    label->setStyleSheet(ui::theme::caption_style);
    return label;
}

QVBoxLayout* page_column(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);
    return column;
}

// A number the user steps with the arrows only, as the read-only edit with
// its up-down control does.
QSpinBox* stepper(QWidget* page, int low, int high, int step) {
    auto* box = new QSpinBox(page);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->findChild<QLineEdit*>()->setReadOnly(true);
    box->setFixedWidth(90);
    return box;
}

QComboBox* letter_box(QWidget* page) {
    auto* box = new QComboBox(page);
    for (char letter = 'A'; letter <= 'Z'; ++letter) box->addItem(QString(QChar(letter)));
    box->setFixedWidth(60);
    return box;
}

void select_text(QComboBox* box, const QString& text) {
    int at = box->findText(text);
    if (at < 0 && !text.isEmpty()) {
        box->addItem(text);
        at = box->count() - 1;
    }
    box->setCurrentIndex(at);
}

}  // namespace

Tfrm_option::Tfrm_option(QWidget* owner, int page, const OptionValues& values,
                         sys::Prompts& prompts, OptionLinks links)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint),
      prompts_(prompts),
      links_(std::move(links)),
      shown_(values) {
    setObjectName("frm_option");
    setFixedSize(307, 327);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    RzPageControl1 = new QTabWidget(this);
    RzPageControl1->setObjectName("RzPageControl1");
    column->addWidget(RzPageControl1, 1);
    build_pages();
    std::tie(Button1, Button2) = ui::add_ok_cancel(column, this, "确定(&S)", "取消");
    connect(Button1, &QPushButton::clicked, this, &Tfrm_option::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    fill(values);
    show_page(page);
    ui::centre_on_screen(this);
}

void Tfrm_option::build_pages() {
    RzPageControl1->addTab(make_basic_page(), "基本设置");
    RzPageControl1->addTab(make_hotkey_page(), "热键管理");
    RzPageControl1->addTab(make_eye_page(), "护眼提醒");
    RzPageControl1->addTab(make_shutdown_page(), "定时关机");
    RzPageControl1->addTab(make_editor_page(), "备忘录编辑器");
    RzPageControl1->addTab(make_task_page(), "任务提醒");
}

QWidget* Tfrm_option::make_basic_page() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet1");
    auto* column = page_column(page);
    cb_desktoplink = new QCheckBox("在桌面上创建快捷方式", page);
    cb_autorun = new QCheckBox("开机时启动软件", page);
    column->addWidget(cb_desktoplink);
    column->addWidget(cb_autorun);
    column->addWidget(new QLabel("主窗体透明度：", page));
    TrackBar1 = new QSlider(Qt::Horizontal, page);
    TrackBar1->setRange(30, 255);
    TrackBar1->setTickInterval(10);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setValue(50);
    connect(TrackBar1, &QSlider::valueChanged, this, &Tfrm_option::TrackBar1Change);
    column->addWidget(TrackBar1);
    cb_todesktop = new QCheckBox("将窗体嵌入桌面", page);
    column->addWidget(cb_todesktop);
    column->addWidget(
        note("本设置下次启动软件时生效，嵌入桌面的位置为退出软件时主窗体的位置。", page));
    placement_note = new QLabel(page);
    placement_note->setObjectName("placement_note");
    placement_note->setWordWrap(true);
    placement_note->setStyleSheet(ui::theme::warning_style);
    column->addWidget(placement_note);
    column->addStretch();
    return page;
}

QWidget* Tfrm_option::make_hotkey_page() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet2");
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setVerticalSpacing(3);
    const char* captions[] = {"启用“隐藏所有窗口”热键", "启用“关闭所有窗口”热键",
                              "启用“隐藏桌面图标”热键", "启用“隐藏任务栏”热键"};
    for (int i = 0; i < 4; ++i) {
        HotkeyRow& row = hotkeys[static_cast<std::size_t>(i)];
        row.use = new QCheckBox(QString::fromUtf8(captions[i]), page);
        row.ctrl = new QCheckBox("Ctrl", page);
        row.alt = new QCheckBox("Alt", page);
        row.key = letter_box(page);
        grid->addWidget(row.use, 2 * i, 0, 1, 4);
        grid->addWidget(row.ctrl, 2 * i + 1, 1);
        grid->addWidget(row.alt, 2 * i + 1, 2);
        grid->addWidget(row.key, 2 * i + 1, 3);
    }
    grid->setColumnMinimumWidth(0, 16);
    hotkey_note = new QLabel(page);
    hotkey_note->setWordWrap(true);
    hotkey_note->setStyleSheet(ui::theme::warning_style);
    grid->addWidget(hotkey_note, 8, 0, 1, 4);
    grid->setRowStretch(9, 1);
    return page;
}

QWidget* Tfrm_option::make_eye_page() {
    return interval_page({"TabSheet3",
                          "开启该功能后，将以设置的时间间隔为周期，在屏幕右下角以信息提示窗的形式，"
                          "进行休息和护眼提醒。另外，该功能需要在“Velmora”软件运行时才有效。",
                          "启用护眼提醒功能", "时间间隔：（单位：分钟）", "Edit_time", 10, 300, 10},
                         {cb_eyehint, UpDown1, cb_eyehint_workdays, eye_workdays_note});
}

// A reminder's page: what it does, its switch, its interval, and whether it
// keeps to working days, with the line that says when this year's
// arrangement is not known.
QWidget* Tfrm_option::interval_page(const IntervalPage& text, IntervalControls controls) {
    auto* page = new QWidget;
    page->setObjectName(text.name);
    auto* column = page_column(page);
    column->addWidget(note(text.note, page));
    controls.use = new QCheckBox(QString::fromUtf8(text.switch_caption), page);
    column->addWidget(controls.use);
    column->addWidget(new QLabel(QString::fromUtf8(text.interval_caption), page));
    controls.interval = stepper(page, text.low, text.high, text.step);
    controls.interval->setObjectName(text.interval_name);
    column->addWidget(controls.interval);
    controls.workdays = new QCheckBox("只在工作日提醒", page);
    controls.workdays->setToolTip(
        "按国务院公布的放假安排：调休上班的周末照常提醒，放假的工作日不提醒。");
    column->addWidget(controls.workdays);
    controls.workdays_note = note("", page);
    column->addWidget(controls.workdays_note);
    column->addStretch();
    return page;
}

QWidget* Tfrm_option::make_shutdown_page() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet4");
    auto* column = page_column(page);
    column->addWidget(
        note("开启该功能后，将在设定的时间点到达时自动关机，设置的关机触发时间仅当"
             "日有效。另外，该功能需要在“Velmora”软件运行时才有效。",
             page));
    cb_shutdown = new QCheckBox("启用定时关机功能", page);
    column->addWidget(cb_shutdown);
    column->addWidget(new QLabel("关机时间点：", page));
    dtp_shutdown = new QTimeEdit(page);
    dtp_shutdown->setDisplayFormat("HH:mm:ss");
    dtp_shutdown->setFixedWidth(110);
    column->addWidget(dtp_shutdown);
    column->addStretch();
    return page;
}

QWidget* Tfrm_option::make_editor_page() {
    auto* page = new QWidget;
    page->setObjectName("TabSheet6");
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(10, 10, 10, 10);
    RzFontComboBox1 = new QComboBox(page);
    RzFontComboBox1->addItems(QFontDatabase::families());
    RzColorComboBox1 = new QComboBox(page);
    for (const NamedColour& colour : named_colours) {
        QPixmap swatch(12, 12);
        swatch.fill(notes::note_colour(std::to_string(colour.value)));
        RzColorComboBox1->addItem(QIcon(swatch), QString::fromUtf8(colour.name), colour.value);
    }
    RzComboBox1 = new QComboBox(page);
    for (const int size : font_sizes) RzComboBox1->addItem(QString::number(size));
    const std::pair<const char*, QComboBox*> rows[] = {{"字体类型：", RzFontComboBox1},
                                                       {"字体颜色：", RzColorComboBox1},
                                                       {"字体大小：", RzComboBox1}};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(rows[i].first), page), i, 0);
        grid->addWidget(rows[i].second, i, 1);
        connect(rows[i].second, &QComboBox::currentIndexChanged, this,
                &Tfrm_option::RzFontComboBox1Change);
    }
    Memo1 = new QPlainTextEdit(page);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Base, ui::theme::cream);
    Memo1->setPalette(palette);
    grid->addWidget(Memo1, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return page;
}

QWidget* Tfrm_option::make_task_page() {
    return interval_page(
        {"TabSheet7", "开启该功能后，将以设置的时间间隔为周期，对当天任务完成情况进行实时提醒。",
         "启用任务提醒功能", "时间间隔：（单位：小时）", "Edit_taskhint", 1, 12, 1},
        {cb_taskhint, UpDown2, cb_taskhint_workdays, task_workdays_note});
}

}  // namespace velmora::app

namespace velmora::app {

void Tfrm_option::fill(const OptionValues& v) {
    cb_desktoplink->setChecked(v.desktoplink);
    cb_autorun->setChecked(v.autorun);
    cb_todesktop->setChecked(v.todesktop);
    fill_hotkeys(v);
    cb_eyehint->setChecked(v.eyehint);
    UpDown1->setValue(v.eyehint_time);
    cb_shutdown->setChecked(v.shutdown);
    dtp_shutdown->setTime(QTime(v.shutdown_at.hour, v.shutdown_at.minute, v.shutdown_at.second));
    cb_taskhint->setChecked(v.taskhint);
    UpDown2->setValue(v.taskhint_time);
    cb_eyehint_workdays->setChecked(v.eyehint_workdays);
    cb_taskhint_workdays->setChecked(v.taskhint_workdays);
    fill_workdays_notes();
    const std::string placement = links_.placement_note ? links_.placement_note() : std::string();
    placement_note->setText(QString::fromStdString(placement));
    placement_note->setVisible(!placement.empty());
    fill_editor(v);
    TrackBar1->setValue(v.form_blend);
}

// The combinations are shown, not edited: only a stored key that cannot be
// used opens its row, so that the refusal of OK can be mended here.
void Tfrm_option::fill_hotkeys(const OptionValues& v) {
    for (std::size_t i = 0; i < hotkeys.size(); ++i) {
        const HotkeyChoice& choice = v.hotkeys[i];
        HotkeyRow& row = hotkeys[i];
        row.use->setChecked(choice.use);
        row.ctrl->setChecked(choice.ctrl);
        row.alt->setChecked(choice.alt);
        select_text(row.key, QString::fromStdString(choice.key));
        const bool editable = !usable_hotkey_key(choice.key);
        for (QWidget* control : {static_cast<QWidget*>(row.ctrl), static_cast<QWidget*>(row.alt),
                                 static_cast<QWidget*>(row.key)}) {
            control->setEnabled(editable);
        }
    }
    const std::string line = links_.hotkey_note ? links_.hotkey_note() : std::string();
    hotkey_note->setText(QString::fromStdString(line));
    hotkey_note->setVisible(!line.empty());
}

void Tfrm_option::fill_workdays_notes() {
    const std::string line = links_.workdays_note ? links_.workdays_note() : std::string();
    for (QLabel* label : {eye_workdays_note, task_workdays_note}) {
        label->setText(QString::fromStdString(line));
        label->setVisible(!line.empty());
    }
}

void Tfrm_option::fill_editor(const OptionValues& v) {
    Memo1->clear();
    Memo1->appendPlainText(preview_line);
    select_text(RzFontComboBox1, QString::fromStdString(v.font_name));
    RzColorComboBox1->setCurrentIndex(v.font_colour ? RzColorComboBox1->findData(*v.font_colour)
                                                    : -1);
    RzComboBox1->setCurrentIndex(v.font_size ? RzComboBox1->findText(QString::number(*v.font_size))
                                             : -1);
    RzFontComboBox1Change();
    QFont font = Memo1->font();
    font.setPointSize(v.stored_font_size > 0 ? v.stored_font_size : 12);
    Memo1->setFont(font);
}

void Tfrm_option::show_page(int page) {
    setWindowTitle(QString::fromUtf8(option_caption(page)));
    for (int tab = 0; tab < RzPageControl1->count(); ++tab) {
        RzPageControl1->setTabVisible(tab, tab + 1 == page);
    }
    if (page >= app::basic_page && page <= app::task_page)
        RzPageControl1->setCurrentIndex(page - 1);
}

OptionValues Tfrm_option::values() const {
    OptionValues v = shown_;
    v.desktoplink = cb_desktoplink->isChecked();
    v.autorun = cb_autorun->isChecked();
    v.todesktop = cb_todesktop->isChecked();
    v.form_blend = TrackBar1->value();
    for (std::size_t i = 0; i < hotkeys.size(); ++i) {
        v.hotkeys[i] = {hotkeys[i].use->isChecked(), hotkeys[i].ctrl->isChecked(),
                        hotkeys[i].alt->isChecked(), hotkeys[i].key->currentText().toStdString()};
    }
    v.eyehint = cb_eyehint->isChecked();
    v.eyehint_time = UpDown1->value();
    v.shutdown = cb_shutdown->isChecked();
    const QTime at = dtp_shutdown->time();
    v.shutdown_at.hour = at.hour();
    v.shutdown_at.minute = at.minute();
    v.shutdown_at.second = at.second();
    v.font_name = RzFontComboBox1->currentText().toStdString();
    const QVariant colour = RzColorComboBox1->currentData();
    v.font_colour = colour.isValid() ? std::optional<int>(colour.toInt()) : std::nullopt;
    v.font_size = RzComboBox1->currentIndex() >= 0
                      ? std::optional<int>(RzComboBox1->currentText().trimmed().toInt())
                      : std::nullopt;
    v.taskhint = cb_taskhint->isChecked();
    v.taskhint_time = UpDown2->value();
    v.eyehint_workdays = cb_eyehint_workdays->isChecked();
    v.taskhint_workdays = cb_taskhint_workdays->isChecked();
    return v;
}

void Tfrm_option::Button1Click() {
    const OptionValues chosen = values();
    if (const std::optional<std::string> problem = hotkey_key_problem(chosen)) {
        prompts_.inform(*problem);
        return;
    }
    if (!links_.confirm || links_.confirm(chosen)) accept();
}

void Tfrm_option::TrackBar1Change(int position) {
    if (links_.preview_opacity) links_.preview_opacity(position);
}

// Each of the three boxes that has a choice shapes the preview.
void Tfrm_option::RzFontComboBox1Change() {
    QFont font = Memo1->font();
    if (RzFontComboBox1->currentIndex() >= 0) font.setFamily(RzFontComboBox1->currentText());
    if (RzComboBox1->currentIndex() >= 0) font.setPointSize(RzComboBox1->currentText().toInt());
    Memo1->setFont(font);
    if (RzColorComboBox1->currentIndex() < 0) return;
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Text,
                     notes::note_colour(std::to_string(RzColorComboBox1->currentData().toInt())));
    Memo1->setPalette(palette);
}

bool option_show(QWidget* owner, int page, const OptionValues& values, sys::Prompts& prompts,
                 OptionLinks links) {
    Tfrm_option dialog(owner, page, values, prompts, std::move(links));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace velmora::app
