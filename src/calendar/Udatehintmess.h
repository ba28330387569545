// The anniversary popup: one large red sentence and an OK button. It does
// not wait for the user, so several due anniversaries simply stack up at
// the centre of the screen; each deletes itself when closed.
#pragma once

#include <QWidget>
#include <string>

class QLabel;
class QPushButton;

namespace velmora::calendar {

class Tfrm_datehintmess : public QWidget {
    Q_OBJECT

public:
    explicit Tfrm_datehintmess(QWidget* parent = nullptr);

    QLabel* RzLabel1 = nullptr;
    QPushButton* Button1 = nullptr;
};

// A new popup with the text, centred and shown without waiting.
Tfrm_datehintmess* datehintmess_show(const std::string& text);

}  // namespace velmora::calendar
