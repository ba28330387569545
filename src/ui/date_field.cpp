#include "ui/date_field.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>

namespace velmora::ui {

namespace {

const char* const date_format = "yyyy-MM-dd";

}  // namespace

QDate parse_typed_date(const QString& text) {
    static const QRegularExpression whole(R"(^(\d{4})-?(\d{2})-?(\d{2})$)");
    const QRegularExpressionMatch match = whole.match(text);
    if (!match.hasMatch()) return {};
    const int year = match.captured(1).toInt();
    if (year < 1) return {};
    return QDate(year, match.captured(2).toInt(), match.captured(3).toInt());
}

DateField::DateField(const QDate& date, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    edit_ = new QLineEdit(this);
    edit_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9-]{0,10}"), edit_));
    edit_->installEventFilter(this);
    row->addWidget(edit_, 1);
    calendar_button_ = new QToolButton(this);
    calendar_button_->setArrowType(Qt::DownArrow);
    calendar_button_->setAccessibleName("选择日期");
    row->addWidget(calendar_button_);
    connect(edit_, &QLineEdit::textEdited, this, &DateField::text_edited);
    connect(calendar_button_, &QToolButton::clicked, this, &DateField::open_calendar);
    setFocusProxy(edit_);
    setDate(date);
}

void DateField::setDate(const QDate& date) {
    date_ = date;
    edit_->setText(date.toString(date_format));
    mark(false, {});
    emit dateChanged(date_);
}

// Typing starts over the whole date: entering the field selects all of it,
// and so does the first click in it after that (a click would otherwise
// only place the cursor), so the first key replaces the date. A further
// click places the cursor as usual.
bool DateField::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        select_on_click_ = true;
        QTimer::singleShot(0, edit_, &QLineEdit::selectAll);
    } else if (event->type() == QEvent::MouseButtonRelease && select_on_click_) {
        select_on_click_ = false;
        if (!edit_->hasSelectedText()) QTimer::singleShot(0, edit_, &QLineEdit::selectAll);
    }
    return QWidget::eventFilter(watched, event);
}

void DateField::text_edited(const QString& text) {
    const QDate typed = parse_typed_date(text);
    if (typed.isValid()) {
        date_ = typed;
        mark(false, {});
        emit dateChanged(date_);
        return;
    }
    // An unfinished date is not refused yet; a whole one that does not
    // exist is, at once.
    const bool whole = text.size() == 10 || (text.size() == 8 && !text.contains('-'));
    if (whole) {
        mark(true, "没有这一天：" + text);
    } else {
        mark(false, {});
        acceptable_ = false;
    }
}

void DateField::show_refusal() {
    if (acceptable_) return;
    const QString why = edit_->toolTip().isEmpty()
                            ? "请输入完整的日期，例如" + date_.toString(date_format) + "。"
                            : edit_->toolTip();
    mark(true, why);
    edit_->setFocus();
    QToolTip::showText(edit_->mapToGlobal(QPoint(0, edit_->height())), why, edit_);
}

void DateField::mark(bool refused, const QString& why) {
    acceptable_ = !refused;
    edit_->setProperty("refused", refused);
    edit_->setStyleSheet(refused ? "QLineEdit { background: rgb(255, 210, 210); }" : QString());
    edit_->setToolTip(why);
}

void DateField::open_calendar() {
    auto* calendar = new QCalendarWidget(this);
    calendar->setWindowFlags(Qt::Popup);
    calendar->setAttribute(Qt::WA_DeleteOnClose);
    calendar->setSelectedDate(date_);
    connect(calendar, &QCalendarWidget::clicked, this, [this, calendar](const QDate& chosen) {
        setDate(chosen);
        calendar->close();
    });
    calendar->move(mapToGlobal(QPoint(0, height())));
    calendar->show();
}

}  // namespace velmora::ui
