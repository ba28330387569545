#include "plans/widgets/Utaskhintmess.h"

namespace velmora::plans {

Tfrm_taskhintmess::Tfrm_taskhintmess(QWidget* parent)
    : ui::MessagePopup("任务提醒", "frm_taskhintmess", parent) {}

Tfrm_taskhintmess* Tfrm_taskhintmess::showtaskhint(const QString& text, QWidget* parent) {
    auto* popup = new Tfrm_taskhintmess(parent);
    popup->show_text(text);
    return popup;
}

}  // namespace velmora::plans
