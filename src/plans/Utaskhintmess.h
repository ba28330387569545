// The task reminder popup: one large red sentence and an OK button. It is
// not modal, so the user can finish a task first; it tells its owner when it
// goes, whichever way it was closed, and deletes itself.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace velmora::plans {

class Tfrm_taskhintmess : public QWidget {
    Q_OBJECT

public:
    explicit Tfrm_taskhintmess(QWidget* parent = nullptr);

    // A new popup with the text, centred on the work area and shown. The
    // caller connects `closed` to TaskReminder::popup_closed.
    static Tfrm_taskhintmess* showtaskhint(const QString& text, QWidget* parent = nullptr);

    QLabel* RzLabel1 = nullptr;
    QPushButton* Button1 = nullptr;

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void center_on_work_area();
};

}  // namespace velmora::plans
