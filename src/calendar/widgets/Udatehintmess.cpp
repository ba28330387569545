#include "calendar/widgets/Udatehintmess.h"

namespace velmora::calendar {

Tfrm_datehintmess::Tfrm_datehintmess(QWidget* parent)
    : ui::MessagePopup("纪念日提醒", "frm_datehintmess", parent) {}

Tfrm_datehintmess* datehintmess_show(const std::string& text) {
    auto* popup = new Tfrm_datehintmess;
    popup->show_text(QString::fromStdString(text));
    return popup;
}

}  // namespace velmora::calendar
