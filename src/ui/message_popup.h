// A notification window of one large red sentence and an OK button. It is
// not modal, so several may stand at the screen's centre at once; it tells
// its owner when it goes, whichever way it was closed, and deletes itself.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace velmora::ui {

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
