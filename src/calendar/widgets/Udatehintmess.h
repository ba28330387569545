// The anniversary popup. Several due anniversaries simply stack up at the
// centre of the screen; each deletes itself when closed.
#pragma once

#include <string>

#include "ui/message_popup.h"

namespace velmora::calendar {

class Tfrm_datehintmess : public ui::MessagePopup {
    Q_OBJECT

public:
    explicit Tfrm_datehintmess(QWidget* parent = nullptr);
};

// A new popup with the text, centred and shown without waiting.
Tfrm_datehintmess* datehintmess_show(const std::string& text);

}  // namespace velmora::calendar
