#include "tools/widgets/usearch.h"
#include "sys/error_text.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

#include "ui/dialog_layout.h"

namespace velmora::tools {

namespace {

// The date stored with the dialog's layout.
const QDate initial_flight_date(2010, 12, 12);

Key key_of(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) return Key::enter;
    const QString text = event.text();
    if (!text.isEmpty() && text.at(0).isPrint()) return Key::character;
    return Key::other;
}

QString trimmed_text(const QLineEdit* edit) {
    return edit->text().trimmed();
}

}  // namespace

Tfrm_search::Tfrm_search(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
                         const sys::Clock& clock)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint),
      prompts_(prompts),
      platform_(platform),
      clock_(clock) {
    setObjectName("frm_search");
    setWindowTitle("分类搜索");
    build();
    setMinimumWidth(560);
    adjustSize();
    Edit_begin->setFocus();
    ui::centre_on_screen(this);
}

QLineEdit* Tfrm_search::edit(Field field) {
    auto* line = new QLineEdit(this);
    line->installEventFilter(this);
    fields_.emplace_back(line, field);
    return line;
}

QDateEdit* Tfrm_search::make_date_field() {
    auto* picker = new QDateEdit(initial_flight_date, this);
    picker->setDisplayFormat("yyyy-MM-dd");
    picker->setCalendarPopup(true);
    picker->setAccessibleName("出发日期");
    const sys::LocalTime now = clock_.now();
    QTextCharFormat today;
    today.setFontWeight(QFont::Bold);
    today.setForeground(Qt::red);
    picker->calendarWidget()->setDateTextFormat(QDate(now.year, now.month, now.day), today);
    picker->installEventFilter(this);
    fields_.emplace_back(picker, Field::fly_date);
    return picker;
}

void Tfrm_search::build() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 12);
    column->setSpacing(8);
    Edit_begin = edit(Field::begin);
    Edit_end = edit(Field::end);
    add_band(column, {{"起始站", Edit_begin}, {"终点站", Edit_end}}, button_che, "搜火车票",
             Band::train);
    Edit_fly_city1 = edit(Field::fly_city1);
    Edit_fly_city2 = edit(Field::fly_city2);
    RzDateTimePicker_fly_date = make_date_field();
    add_band(column,
             {{"出发城市", Edit_fly_city1},
              {"到达城市", Edit_fly_city2},
              {"出发日期", RzDateTimePicker_fly_date}},
             Button_fly, "搜机票", Band::flight);
    Edit_buy = edit(Field::buy);
    add_band(column, {{"请输入商品名称", Edit_buy}}, Button_buy, "搜商品", Band::shopping);
    Edit_music = edit(Field::music);
    add_band(column, {{"请输入歌曲名称", Edit_music}}, Button_music, "搜歌曲", Band::music);
    Edit_moive = edit(Field::movie);
    add_band(column, {{"请输入电影名称", Edit_moive}}, Button_moive, "搜电影", Band::video);
    Edit_map = edit(Field::map);
    add_band(column, {{"请输入地址", Edit_map}}, Button_map, "搜地图", Band::map);
    Edit_soft = edit(Field::soft);
    add_band(column, {{"请输入软件名称", Edit_soft}}, Button_soft, "搜软件", Band::software);
}

// Bands are parted by a thin line; every button has one width so they form
// a column at the right.
void Tfrm_search::add_band(QVBoxLayout* column,
                           const std::vector<std::pair<const char*, QWidget*>>& fields,
                           QPushButton*& button, const char* caption, Band band) {
    if (column->count() > 0) {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        column->addWidget(line);
    }
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    for (const auto& [text, field] : fields) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(field);
        // The one-field bands line their fields up under each other.
        if (fields.size() == 1) {
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance("请输入商品名称"));
        }
        row->addWidget(label);
        row->addWidget(field, 1);
    }
    button = new QPushButton(QString::fromUtf8(caption), this);
    button->setAutoDefault(false);
    button->setFixedWidth(88);
    row->addSpacing(6);
    row->addWidget(button);
    column->addLayout(row);
    connect(button, &QPushButton::clicked, this, [this, band] { search(band); });
}

QWidget* Tfrm_search::widget_of(Field field) const {
    const auto found = std::find_if(fields_.begin(), fields_.end(),
                                    [field](const auto& entry) { return entry.second == field; });
    return found == fields_.end() ? nullptr : found->first;
}

std::vector<std::string> Tfrm_search::band_fields(Band band) const {
    auto text = [](const QLineEdit* line) { return line->text().toStdString(); };
    switch (band) {
        case Band::train: return {text(Edit_begin), text(Edit_end)};
        case Band::flight: {
            const QDate date = RzDateTimePicker_fly_date->date();
            return {text(Edit_fly_city1), text(Edit_fly_city2),
                    flight_date(date.year(), date.month(), date.day())};
        }
        case Band::shopping: return {text(Edit_buy)};
        case Band::music: return {text(Edit_music)};
        case Band::video: return {text(Edit_moive)};
        case Band::map: return {text(Edit_map)};
        case Band::software: return {text(Edit_soft)};
    }
    return {};
}

// A browser that cannot be started is reported and the dialog stays, so
// nothing typed is lost.
bool Tfrm_search::search(Band band) {
    const std::optional<std::string> address = search_address(band, band_fields(band));
    if (!address) return false;
    int error = 0;
    if (!platform_.open_address(*address, error)) {
        prompts_.inform("无法打开网址：" + sys::error_text(error), {}, sys::PromptIcon::error);
        return false;
    }
    accept();
    return true;
}

// A key the field does not act on goes on to it; Enter never reaches the
// dialog, which would press a button.
bool Tfrm_search::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const auto found = std::find_if(fields_.begin(), fields_.end(), [watched](const auto& entry) {
        return entry.first == watched;
    });
    if (found == fields_.end()) return QDialog::eventFilter(watched, event);
    const Key key = key_of(*static_cast<QKeyEvent*>(event));
    const auto* line = qobject_cast<QLineEdit*>(found->first);
    const bool blank = line != nullptr && trimmed_text(line).isEmpty();
    const KeyEffect effect = key_effect(found->second, key, blank);
    switch (effect.kind) {
        case KeyEffect::Kind::focus: widget_of(effect.focus)->setFocus(); return true;
        case KeyEffect::Kind::search: return search(effect.band) || key == Key::enter;
        case KeyEffect::Kind::none: break;
    }
    return key == Key::enter;
}

void search_show(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
                 const sys::Clock& clock) {
    Tfrm_search dialog(owner, prompts, platform, clock);
    dialog.exec();
}

}  // namespace velmora::tools
