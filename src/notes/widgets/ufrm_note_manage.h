// The note manager: every day with a stored note in a year / month / day
// tree, and the chosen day's note to read and edit.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "store/day_store.h"
#include "store/widgets/stored_days_tree.h"
#include "sys/prompts.h"

class QPlainTextEdit;

namespace velmora::notes {

class Tfrm_note_manage : public QDialog {
    Q_OBJECT

public:
    // Stores a note for a day (and redraws the month view): the main
    // window's own save routine. Answers none once the store holds it.
    using SaveNote = std::function<store::FxError(const std::string& note, const std::string& key)>;

    Tfrm_note_manage(QWidget* owner, store::DayStore& days, sys::Prompts& prompts, SaveNote save);

    days::StoredDaysTree* RzTreeView1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    std::string notemanage_key;
    bool notemanage_dirty = false;

    // The tree showed a node: a day's key, or "" for a year or month.
    void RzTreeView1Change(const std::string& key);
    void Button1Click();  // 关闭: saves, then closes
    // The end of the run: what was typed is saved now.
    void save_before_exit() { save_if_dirty(); }

private:
    // False, after telling the user, when the note could not be saved: the
    // day and what was typed then stay on screen.
    bool save_if_dirty();
    void show_note(const std::string& text);

    store::DayStore& days_;
    sys::Prompts& prompts_;
    SaveNote save_;
    bool loading_ = false;
};

// Builds the tree and runs the manager modally. Closing by the title bar
// drops unsaved typing; "关闭" saves it.
void note_manage_show(QWidget* owner, store::DayStore& days, sys::Prompts& prompts,
                      Tfrm_note_manage::SaveNote save);

}  // namespace velmora::notes
