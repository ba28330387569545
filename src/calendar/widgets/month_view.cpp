#include "calendar/widgets/month_view.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QWidget>

#include "calendar/widgets/day_grid.h"
#include "ui/theme.h"

namespace velmora::calendar {

namespace {

// Where the month's sixth row leaves room: it holds at most two days, in
// its first two columns.
constexpr int notice_first_cell = 5 * 7 + 2;

}  // namespace

MonthView::MonthView(QWidget* panel) : QObject(panel), panel_(panel) {
    build_captions();
    build_weekday_heads();
    connect_menus();
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
    day_grid = new DayGrid(panel_);
    connect(day_grid, &DayGrid::dayPressed, this, &MonthView::dayPressed);
    connect(day_grid, &DayGrid::dayClicked, this, &MonthView::dayClicked);
    make_holiday_notice();
}

// Above the grid, in the free part of the sixth row.
void MonthView::make_holiday_notice() {
    const DayGrid::Places first = DayGrid::places(notice_first_cell, false);
    const DayGrid::Places last = DayGrid::places(notice_first_cell + 4, false);
    const QRect room(first.number.left(), first.number.top() + 2,
                     last.lunar.right() - first.number.left() - 4,
                     last.lunar.bottom() - first.number.top() - 2);
    Label_holiday_notice = caption({}, room.left(), room.top(), room.width(), room.height());
    Label_holiday_notice->setObjectName("Label_holiday_notice");
    Label_holiday_notice->setFont(ui::theme::song_font(12));
    Label_holiday_notice->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label_holiday_notice->setWordWrap(true);
    ui::theme::set_text_colour(Label_holiday_notice, QColor(0x80, 0x80, 0x80));
    Label_holiday_notice->hide();
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
    if (day_grid) day_grid->show_cells(model.cells, model.selected_cell);
    if (model.selected_cell > 0) Label_star->setText(QString::fromStdString(model.star));
}

bool MonthView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lb_today && event->type() == QEvent::MouseButtonRelease) {
        emit todayClicked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace velmora::calendar
