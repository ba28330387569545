// The task reminder popup. The caller connects `closed` to
// TaskReminder::popup_closed, so either way of closing lets the next
// reminder show.
#pragma once

#include "ui/message_popup.h"

namespace velmora::plans {

class Tfrm_taskhintmess : public ui::MessagePopup {
    Q_OBJECT

public:
    explicit Tfrm_taskhintmess(QWidget* parent = nullptr);

    // A new popup with the text, centred on the work area and shown.
    static Tfrm_taskhintmess* showtaskhint(const QString& text, QWidget* parent = nullptr);
};

}  // namespace velmora::plans
