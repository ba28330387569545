#include "notes/widgets/note_page.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "notes/widgets/ufrm_note_manage.h"
#include "ui/theme.h"

namespace velmora::notes {

NotePage::NotePage(QWidget* page, store::DayStore& days, sys::Prompts& prompts, Links links)
    : QObject(page), days_(days), prompts_(prompts), links_(std::move(links)) {
    Memo_note = new QPlainTextEdit(page);
    Memo_note->setObjectName("Memo_note");
    Memo_note->setReadOnly(true);
    // Through the palette, not a style sheet: a style sheet would reach the
    // note editor too (a child of this memo) and override its chosen colour.
    ui::theme::set_text_colour(Memo_note, ui::theme::read_only_text);
    Memo_note->setToolTip("双击编辑");
    Memo_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_note->viewport()->installEventFilter(this);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(3);
    column->addWidget(Memo_note);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton("编辑(&E)", page);
    Button9 = new QPushButton("管理", page);
    for (QPushButton* button : {Button1, Button9}) {
        button->setFixedSize(60, 25);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    column->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &NotePage::Memo_noteDblClick);
    connect(Button9, &QPushButton::clicked, this, &NotePage::Button9Click);
}

bool NotePage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo_note->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        Memo_noteDblClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// A read that fails shows why in the empty pane, and the editor stays shut:
// its save would replace the stored note.
void NotePage::load(const std::string& daykey) {
    daykey_ = daykey;
    std::string note;
    const store::FxError read = days_.load_note(daykey_, note);
    Memo_note->setPlainText(QString::fromStdString(note));
    const bool readable = read == store::FxError::none;
    Memo_note->setPlaceholderText(readable ? QString()
                                           : QString::fromStdString(store::day_unreadable_message(
                                                 store::DayRecord::note, daykey_, read)));
    Button1->setEnabled(readable);
}

bool NotePage::savedata2fx_note(const std::string& note) {
    const store::FxError saved = days_.savedata2fx_note2(note, daykey_);
    links_.redraw_month();
    if (saved == store::FxError::none) return true;
    prompts_.inform(store::day_not_saved_message(store::DayRecord::note, daykey_, saved));
    return false;
}

void NotePage::Memo_noteDblClick() {
    if (!Button1->isEnabled()) return;  // the stored note could not be read
    const QString date_text = QString::fromStdString(store::shown_date(daykey_));
    QString text = Memo_note->toPlainText();
    const auto keep_note = [this](const QString& note) {
        if (!savedata2fx_note(note.toStdString())) return false;
        Memo_note->setPlainText(note);
        return true;
    };
    // A note that could not be saved goes back into the editor, so what was
    // typed is never lost to a full disk.
    do {
        if (noteedit_show(Memo_note, date_text, "Velmora备忘录", text, links_.editor_font,
                          links_.open_editor_options, keep_note) != 1) {
            return;
        }
    } while (!keep_note(text));
}

void NotePage::Button9Click() {
    note_manage_show(Memo_note, days_, prompts_,
                     [this](const std::string& note, const std::string& key) {
                         const store::FxError saved = days_.savedata2fx_note2(note, key);
                         links_.redraw_month();
                         return saved;
                     });
    links_.redraw_month();
    load(daykey_);
}

}  // namespace velmora::notes
