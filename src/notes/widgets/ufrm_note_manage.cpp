#include "notes/widgets/ufrm_note_manage.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/widgets/stored_days_tree.h"
#include "ui/dialog_layout.h"
#include "ui/theme.h"

namespace velmora::notes {

Tfrm_note_manage::Tfrm_note_manage(QWidget* owner, store::DayStore& days, sys::Prompts& prompts,
                                   SaveNote save)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint),
      days_(days),
      prompts_(prompts),
      save_(std::move(save)) {
    setObjectName("frm_note_manage");
    setWindowTitle("备忘录管理");
    resize(662, 479);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(7, 8, 8, 8);
    RzTreeView1 =
        new days::StoredDaysTree(this, store::note_folder, [this] { return save_if_dirty(); });
    row->addWidget(RzTreeView1);
    auto* column = new QVBoxLayout;
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setFont(ui::theme::song_font(16));
    Memo1->setReadOnly(true);  // until a day is chosen
    column->addWidget(Memo1, 1);
    auto* close_button = new QPushButton("关闭", this);
    column->addWidget(close_button, 0, Qt::AlignRight);
    row->addLayout(column, 1);
    connect(close_button, &QPushButton::clicked, this, &Tfrm_note_manage::Button1Click);
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] {
        if (!loading_) notemanage_dirty = true;
    });
    connect(RzTreeView1, &days::StoredDaysTree::nodeShown, this,
            &Tfrm_note_manage::RzTreeView1Change);
    ui::centre_on_screen(this);
}

void Tfrm_note_manage::show_note(const std::string& text) {
    loading_ = true;
    Memo1->setPlainText(QString::fromStdString(text));
    loading_ = false;
}

bool Tfrm_note_manage::save_if_dirty() {
    if (!notemanage_dirty) return true;
    const store::FxError saved = save_(Memo1->toPlainText().toStdString(), notemanage_key);
    if (saved != store::FxError::none) {
        prompts_.inform(
            store::day_not_saved_message(store::DayRecord::note, notemanage_key, saved));
        return false;
    }
    notemanage_dirty = false;
    return true;
}

void Tfrm_note_manage::RzTreeView1Change(const std::string& key) {
    if (key.empty()) {
        // A year or month has no note: the pane takes no typing, which would
        // otherwise land in the last day viewed.
        show_note({});
        Memo1->setReadOnly(true);
        Memo1->setPlaceholderText({});
        return;
    }
    notemanage_key = key;
    std::string note;
    const store::FxError read = days_.load_note(key, note);
    show_note(note);
    const bool readable = read == store::FxError::none;
    Memo1->setReadOnly(!readable);
    Memo1->setPlaceholderText(readable ? QString()
                                       : QString::fromStdString(store::day_unreadable_message(
                                             store::DayRecord::note, key, read)));
    notemanage_dirty = false;
}

void Tfrm_note_manage::Button1Click() {
    if (save_if_dirty()) accept();
}

void note_manage_show(QWidget* owner, store::DayStore& days, sys::Prompts& prompts,
                      Tfrm_note_manage::SaveNote save) {
    Tfrm_note_manage manager(owner, days, prompts, std::move(save));
    manager.exec();
}

}  // namespace velmora::notes
