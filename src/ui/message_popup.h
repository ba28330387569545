// A notification window of one large red sentence and an OK button. It is
// not modal, so several may stand at the screen's centre at once; it tells
// its owner when it goes, whichever way it was closed, and deletes itself.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace velmora::ui {

// The largest pixel size, from 29 down to 12, at which `text` wrapped into
// `area` is whole; below that, the text without its middle, so its end
// stays readable.
struct TextFit {
    int pixel_size;
    QString text;
};
TextFit fit_text(const QFont& font, const QString& text, const QRect& area);

class MessagePopup : public QWidget {
    Q_OBJECT

public:
    MessagePopup(const QString& caption, const QString& object_name, QWidget* parent = nullptr);

    // Puts the text in, centres the window on the work area and shows it.
    void show_text(const QString& text);

    QLabel* RzLabel1 = nullptr;
    QPushButton* Button1 = nullptr;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace velmora::ui
