#include "calendar/month_view.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QWidget>

#include "ui/theme.h"

namespace velmora::calendar {

namespace {

constexpr int day_left = 14, day_top = 56, day_width = 36, day_height = 18;
constexpr int lunar_left = 13, lunar_top = 75, lunar_height = 14;
constexpr int column_step = 42, row_step = 32;
const char* const day_property = "day";

QString rgb_style(std::uint32_t rgb) {
    return QString("color: #%1;").arg(rgb, 6, 16, QLatin1Char('0'));
}

QFrame* mark(QWidget* panel, const char* fill, const char* outline) {
    auto* frame = new QFrame(panel);
    frame->setFixedSize(6, 6);
    frame->setStyleSheet(QString("background: %1; border: 1px solid %2;").arg(fill, outline));
    frame->hide();
    return frame;
}

}  // namespace

MonthView::MonthView(QWidget* panel) : QObject(panel), panel_(panel) {
    build_captions();
    build_weekday_heads();
    build_menus();
    // The selection box lies beneath the cell texts.
    Shape2 = new QFrame(panel_);
    Shape2->setObjectName("Shape2");
    Shape2->setGeometry(12, 56, 38, 34);
    Shape2->setStyleSheet("background: #C0C0C0; border: 1px solid #808080;");
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
    const QString green = "color: green;";
    label_year = caption({}, 32, 8, 36, 16);
    Label19 = caption("年", 71, 8, 18, 16);
    Label_month = caption({}, 94, 8, 18, 16);
    Label18 = caption("月", 114, 8, 18, 16);
    for (QLabel* label : {label_year, Label19, Label_month, Label18}) {
        label->setFont(ui::theme::song_font(16, true));
        label->setStyleSheet(green);
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
    lb_today = caption("转到今天", 258, 12, 50, 13);
    for (QLabel* label : {Label_china, Label_star, lb_today})
        label->setFont(ui::theme::song_font(12));
    Label_china->setStyleSheet("color: #FF00FF;");
    Label_star->setStyleSheet("color: #FF00FF;");
    lb_today->setStyleSheet("color: green; text-decoration: underline;");
    lb_today->setCursor(Qt::PointingHandCursor);
    lb_today->installEventFilter(this);
}

void MonthView::build_weekday_heads() {
    const char* heads[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    for (int i = 0; i < 7; ++i) {
        QLabel* head = caption(QString::fromUtf8(heads[i]), 19 + 40 * i, 40, 38, 13);
        head->setFont(ui::theme::song_font(12));
        head->setStyleSheet(i == 0 || i == 6 ? "color: red;" : "color: black;");
    }
    auto* line = new QFrame(panel_);
    line->setObjectName("Bevel2");
    line->setGeometry(9, 54, 297, 2);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
}

void MonthView::build_menus() {
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
    auto popup = [](QLabel* label, QMenu* menu) {
        QObject::connect(label, &QLabel::customContextMenuRequested, menu,
                         [label, menu](const QPoint& at) { menu->popup(label->mapToGlobal(at)); });
    };
    popup(label_year, MenuYear);
    popup(Label19, MenuYear);
    popup(Label_month, MenuMonth);
    popup(Label18, MenuMonth);
}

void MonthView::create_day_cells() {
    QFont number_font({"Arial Black", "DejaVu Sans"});
    number_font.setPixelSize(15);
    number_font.setWeight(QFont::Black);
    for (int i = 0; i < cell_count; ++i) {
        const int column = i % 7, row = i / 7;
        plan_marks[i] = mark(panel_, "#00FF00", "#008000");
        note_marks[i] = mark(panel_, "#A6CAF0", "#0000FF");
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
        plan_marks[i]->move(day->x() + 2, day->y() + 4);
        note_marks[i]->move(day->x() + 2, day->y() + 11);
        day_labels[i] = day;
        lunar_labels[i] = lunar;
    }
}

void MonthView::show(const MonthModel& model) {
    label_year->setText(QString::fromStdString(model.year_caption));
    Label_month->setText(QString::fromStdString(model.month_caption));
    Label_china->setText(QString::fromStdString(model.stem_zodiac));
    for (int i = 0; i < cell_count; ++i) {
        const DayCell& cell = model.cells[static_cast<std::size_t>(i)];
        const bool used = cell.day > 0;
        day_labels[i]->setVisible(used);
        lunar_labels[i]->setVisible(used);
        plan_marks[i]->setVisible(used && cell.has_plan);
        note_marks[i]->setVisible(used && cell.has_note);
        if (!used) continue;
        day_labels[i]->setText(QString::fromStdString(cell.number_text));
        day_labels[i]->setStyleSheet(rgb_style(cell.number_rgb));
        day_labels[i]->setProperty(day_property, cell.day);
        lunar_labels[i]->setText(QString::fromStdString(cell.lunar_text));
        lunar_labels[i]->setStyleSheet(rgb_style(cell.lunar_rgb));
        lunar_labels[i]->setProperty(day_property, cell.day);
        day_labels[i]->setAccessibleName(QString::fromStdString(cell.key + " " + cell.lunar_text));
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
