#include "calendar/widgets/month_view.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QWidget>

#include "ui/theme.h"

namespace velmora::calendar {

namespace {

constexpr int day_left = 14, day_top = 56, day_width = 36, day_height = 18;
constexpr int lunar_left = 13, lunar_top = 75, lunar_height = 14;
constexpr int column_step = 42, row_step = 32;
const char* const day_property = "day";
// The 休/班 mark sits in the top right corner inside the selection box
// (which spans day.x - 2 .. day.x + 35); a day that carries one has its
// number centred in the part of the cell left of it, so even "28" keeps
// clear of the mark.
constexpr int holiday_offset = 25, holiday_width = 10, holiday_height = 11;
constexpr int number_room_with_mark = 9;  // taken from the number's right

// A filled box with a one-pixel outline: the marks and the selection box.
// Painted directly: a style sheet on each of the 75 boxes would cost the
// start a style sheet parse and polish apiece.
class Box : public QFrame {
public:
    Box(QWidget* parent, const QColor& fill, const QColor& outline)
        : QFrame(parent), fill_(fill), outline_(outline) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), fill_);
        painter.setPen(outline_);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    QColor fill_, outline_;
};

QFrame* mark(QWidget* panel, const QColor& fill, const QColor& outline) {
    auto* frame = new Box(panel, fill, outline);
    frame->setFixedSize(6, 6);
    frame->hide();
    return frame;
}

}  // namespace

MonthView::MonthView(QWidget* panel) : QObject(panel), panel_(panel) {
    build_captions();
    build_weekday_heads();
    connect_menus();
    // The selection box lies beneath the cell texts.
    Shape2 = new Box(panel_, QColor(0xC0, 0xC0, 0xC0), QColor(0x80, 0x80, 0x80));
    Shape2->setObjectName("Shape2");
    Shape2->setGeometry(12, 56, 38, 34);
    Shape2->lower();
}

QLabel* MonthView::caption(const QString& text, int left, int top, int width, int height) {
    auto* label = new QLabel(text, panel_);
    label->setGeometry(left, top, width, height);
    return label;
}

void MonthView::build_captions() {
    auto arrow = [this](Qt::ArrowType type, int left, const char* name, const char* hint) {
        auto* button = new QToolButton(panel_);
        button->setObjectName(name);
        button->setArrowType(type);
        button->setAutoRaise(true);
        button->setGeometry(left, 5, 23, 22);
        button->setAccessibleName(QString::fromUtf8(hint));
        return button;
    };
    sb_date_left = arrow(Qt::LeftArrow, 6, "sb_date_left", "上个月");
    sb_date_right = arrow(Qt::RightArrow, 132, "sb_date_right", "下个月");
    connect(sb_date_left, &QToolButton::clicked, this, &MonthView::previousMonth);
    connect(sb_date_right, &QToolButton::clicked, this, &MonthView::nextMonth);
    build_year_month_captions();
    build_day_captions();
}

// "2026 年 12 月": a right click on the year or month opens its menu.
void MonthView::build_year_month_captions() {
    const QColor green(Qt::darkGreen);
    label_year = caption({}, 32, 8, 36, 16);
    Label19 = caption("年", 71, 8, 18, 16);
    Label_month = caption({}, 94, 8, 18, 16);
    Label18 = caption("月", 114, 8, 18, 16);
    for (QLabel* label : {label_year, Label19, Label_month, Label18}) {
        label->setFont(ui::theme::song_font(16, true));
        ui::theme::set_text_colour(label, green);
        label->setContextMenuPolicy(Qt::CustomContextMenu);
    }
    label_year->setAlignment(Qt::AlignCenter);
    Label_month->setAlignment(Qt::AlignCenter);
    label_year->setCursor(Qt::PointingHandCursor);
    Label_month->setCursor(Qt::PointingHandCursor);
    label_year->setToolTip("鼠标右键将弹出年份选择菜单");
    Label_month->setToolTip("鼠标右键将弹出月份选择菜单");
}

// The year's stem and zodiac, the star sign and "转到今天".
void MonthView::build_day_captions() {
    Label_china = caption({}, 168, 12, 40, 13);
    Label_star = caption({}, 210, 12, 44, 13);
    lb_today = caption("转到今天", 258, 12, 50, 15);
    for (QLabel* label : {Label_china, Label_star, lb_today})
        label->setFont(ui::theme::song_font(12));
    ui::theme::set_text_colour(Label_china, QColor(0xFF, 0x00, 0xFF));
    ui::theme::set_text_colour(Label_star, QColor(0xFF, 0x00, 0xFF));
    ui::theme::set_text_colour(lb_today, Qt::darkGreen);
    QFont underlined = lb_today->font();
    underlined.setUnderline(true);
    lb_today->setFont(underlined);
    lb_today->setCursor(Qt::PointingHandCursor);
    lb_today->installEventFilter(this);
}

void MonthView::build_weekday_heads() {
    const char* heads[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    for (int i = 0; i < 7; ++i) {
        QLabel* head = caption(QString::fromUtf8(heads[i]), 19 + 40 * i, 40, 38, 13);
        head->setFont(ui::theme::song_font(12));
        ui::theme::set_text_colour(head, i == 0 || i == 6 ? Qt::red : Qt::black);
    }
    auto* line = new QFrame(panel_);
    line->setObjectName("Bevel2");
    line->setGeometry(9, 54, 297, 2);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
}

// The menus are made at their first opening: 150 years of entries are not
// worth their time at every start.
void MonthView::connect_menus() {
    auto popup = [this](QLabel* label, QMenu* MonthView::*menu) {
        QObject::connect(label, &QLabel::customContextMenuRequested, this,
                         [this, label, menu](const QPoint& at) {
                             build_menus();
                             (this->*menu)->popup(label->mapToGlobal(at));
                         });
    };
    popup(label_year, &MonthView::MenuYear);
    popup(Label19, &MonthView::MenuYear);
    popup(Label_month, &MonthView::MenuMonth);
    popup(Label18, &MonthView::MenuMonth);
}

void MonthView::build_menus() {
    if (MenuMonth) return;
    MenuMonth = new QMenu(panel_);
    for (int month = 1; month <= 12; ++month) {
        QAction* item = MenuMonth->addAction(QString("%1月").arg(month));
        item->setObjectName(QString("MenuMonth_%1").arg(month));
        connect(item, &QAction::triggered, this, [this, month] { emit monthChosen(month); });
    }
    MenuYear = new QMenu(panel_);
    for (int start = 1901; start <= 2050; start += 10) {
        QMenu* decade = MenuYear->addMenu(QString::number(start - 1));
        decade->menuAction()->setObjectName(QString("MenuYear_%1").arg(start - 1));
        for (int year = start; year < start + 10; ++year) {
            QAction* item = decade->addAction(QString::number(year));
            item->setObjectName(QString("MenuYear_%1").arg(year));
            connect(item, &QAction::triggered, this, [this, year] { emit yearChosen(year); });
        }
    }
}

void MonthView::create_day_cells() {
    QFont number_font({"Arial Black", "DejaVu Sans"});
    number_font.setPixelSize(15);
    number_font.setWeight(QFont::Black);
    for (int i = 0; i < cell_count; ++i) {
        const int column = i % 7, row = i / 7;
        plan_marks[i] = mark(panel_, QColor(0x00, 0xFF, 0x00), QColor(0x00, 0x80, 0x00));
        note_marks[i] = mark(panel_, QColor(0xA6, 0xCA, 0xF0), QColor(0x00, 0x00, 0xFF));
        auto* day = new QLabel(panel_);
        day->setGeometry(day_left + column_step * column, day_top + row_step * row, day_width,
                         day_height);
        day->setFont(number_font);
        auto* lunar = new QLabel(panel_);
        lunar->setGeometry(lunar_left + column_step * column, lunar_top + row_step * row,
                           day_width + 4, lunar_height);
        lunar->setFont(ui::theme::song_font(12));
        for (QLabel* label : {day, lunar}) {
            label->setAlignment(Qt::AlignCenter);
            label->setAttribute(Qt::WA_TranslucentBackground);
            label->installEventFilter(this);
            label->hide();
        }
        // Just inside the selection box's left edge, clear of the number.
        plan_marks[i]->move(day->x() - 1, day->y() + 4);
        note_marks[i]->move(day->x() - 1, day->y() + 11);
        day_labels[i] = day;
        lunar_labels[i] = lunar;
        holiday_marks[i] = holiday_mark(day);
    }
    make_holiday_notice();
}

// The month's sixth row holds at most two days, in its first two columns:
// the rest of it is always free.
void MonthView::make_holiday_notice() {
    Label_holiday_notice = caption({}, day_left + 2 * column_step, day_top + 5 * row_step + 2,
                                   5 * column_step - 8, 2 * lunar_height + 2);
    Label_holiday_notice->setObjectName("Label_holiday_notice");
    Label_holiday_notice->setFont(ui::theme::song_font(12));
    Label_holiday_notice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label_holiday_notice->setWordWrap(true);
    ui::theme::set_text_colour(Label_holiday_notice, QColor(0x80, 0x80, 0x80));
    Label_holiday_notice->hide();
}

QLabel* MonthView::holiday_mark(const QLabel* day) {
    auto* mark = new QLabel(panel_);
    mark->setGeometry(day->x() + holiday_offset, day->y() + 1, holiday_width, holiday_height);
    mark->setFont(ui::theme::song_font(10));
    mark->setAlignment(Qt::AlignCenter);
    mark->setAttribute(Qt::WA_TranslucentBackground);
    mark->installEventFilter(this);  // a press on the mark selects the day too
    mark->hide();
    return mark;
}

void MonthView::show_holiday(int cell, const DayCell& day) {
    QLabel* mark = holiday_marks[static_cast<std::size_t>(cell)];
    const bool shown = day.day > 0 && day.day_off != DayOff::none;
    mark->setVisible(shown);
    day_labels[static_cast<std::size_t>(cell)]->setContentsMargins(
        0, 0, shown ? number_room_with_mark : 0, 0);
    if (!shown) return;
    mark->setText(QString::fromUtf8(day_off_text(day.day_off)));
    ui::theme::set_text_colour(
        mark, day.day_off == DayOff::rest ? QColor(0xE0, 0x00, 0x00) : QColor(0x40, 0x40, 0x40));
    mark->setProperty(day_property, day.day);
    mark->setToolTip(QString::fromStdString(day.holiday_tooltip));
}

void MonthView::show(const MonthModel& model) {
    label_year->setText(QString::fromStdString(model.year_caption));
    Label_month->setText(QString::fromStdString(model.month_caption));
    Label_china->setText(QString::fromStdString(model.stem_zodiac));
    if (Label_holiday_notice) {
        Label_holiday_notice->setText(QString::fromStdString(model.holiday_notice));
        Label_holiday_notice->setToolTip(QString::fromStdString(model.holiday_notice_tooltip));
        Label_holiday_notice->setVisible(!model.holiday_notice.empty());
    }
    for (int i = 0; i < cell_count; ++i) {
        const DayCell& cell = model.cells[static_cast<std::size_t>(i)];
        const bool used = cell.day > 0;
        day_labels[i]->setVisible(used);
        lunar_labels[i]->setVisible(used);
        plan_marks[i]->setVisible(used && cell.has_plan);
        note_marks[i]->setVisible(used && cell.has_note);
        show_holiday(i, cell);
        if (!used) continue;
        day_labels[i]->setText(QString::fromStdString(cell.number_text));
        ui::theme::set_text_colour(day_labels[i], QColor::fromRgb(cell.number_rgb));
        day_labels[i]->setProperty(day_property, cell.day);
        lunar_labels[i]->setText(QString::fromStdString(cell.lunar_text));
        ui::theme::set_text_colour(lunar_labels[i], QColor::fromRgb(cell.lunar_rgb));
        lunar_labels[i]->setProperty(day_property, cell.day);
        std::string spoken = cell.key + " " + cell.lunar_text;
        if (cell.day_off != DayOff::none) spoken += std::string(" ") + day_off_text(cell.day_off);
        day_labels[i]->setAccessibleName(QString::fromStdString(spoken));
    }
    if (model.selected_cell > 0) {
        const QLabel* selected = day_labels[static_cast<std::size_t>(model.selected_cell - 1)];
        Shape2->move(selected->x() - 2, selected->y());
        Label_star->setText(QString::fromStdString(model.star));
    }
}

bool MonthView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lb_today && event->type() == QEvent::MouseButtonRelease) {
        emit todayClicked();
        return true;
    }
    const QVariant day = watched->property(day_property);
    if (day.isValid()) {
        if (event->type() == QEvent::MouseButtonPress) emit dayPressed(day.toInt());
        if (event->type() == QEvent::MouseButtonRelease) emit dayClicked(day.toInt());
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora::calendar
