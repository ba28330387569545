// A date field that takes a whole typed date: "2030-05-06" (or "20300506")
// typed over it sets year, month and day, where a sectioned date editor
// would keep the year it had. A button beside it opens a calendar. A typed
// date that does not exist, or is not finished, is refused visibly: the
// field turns red and says why, and acceptable() is false until it is
// mended, so a dialog can stay open instead of using the old date.
#pragma once

#include <QDate>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace velmora::ui {

class DateField : public QWidget {
    Q_OBJECT

public:
    explicit DateField(const QDate& date, QWidget* parent = nullptr);

    // The last whole, valid date typed or chosen.
    QDate date() const { return date_; }
    void setDate(const QDate& date);
    // True when what the field shows is that date.
    bool acceptable() const { return acceptable_; }
    // Marks the field red with the reason and puts the cursor in it.
    void show_refusal();

    QLineEdit* editor() const { return edit_; }

signals:
    void dateChanged(const QDate& date);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void text_edited(const QString& text);
    void open_calendar();
    void mark(bool refused, const QString& why);

    QLineEdit* edit_ = nullptr;
    QToolButton* calendar_button_ = nullptr;
    QDate date_;
    bool acceptable_ = true;
    bool select_on_click_ = false;
};

// The date a field's text means: "yyyy-MM-dd" or "yyyyMMdd", years 1 to
// 9999; invalid (QDate()) for anything else, an impossible day included.
QDate parse_typed_date(const QString& text);

}  // namespace velmora::ui
