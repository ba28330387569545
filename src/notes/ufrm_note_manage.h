// The note manager: every day with a stored note in a year / month / day
// tree, and the chosen day's note to read and edit.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "store/day_store.h"

class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora::notes {

class Tfrm_note_manage : public QDialog {
    Q_OBJECT

public:
    // Stores a note for a day (and redraws the month view): the main
    // window's own save routine.
    using SaveNote = std::function<void(const std::string& note, const std::string& key)>;

    Tfrm_note_manage(QWidget* owner, store::DayStore& days, SaveNote save);

    QTreeWidget* RzTreeView1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    std::string notemanage_key;
    bool notemanage_dirty = false;

    void RzTreeView1Change(QTreeWidgetItem* node);
    void Button1Click();  // 关闭: saves, then closes

private:
    void save_if_dirty();
    void show_note(const std::string& text);

    store::DayStore& days_;
    SaveNote save_;
    bool loading_ = false;
};

// Builds the tree and runs the manager modally. Closing by the title bar
// drops unsaved typing; "关闭" saves it.
void note_manage_show(QWidget* owner, store::DayStore& days, Tfrm_note_manage::SaveNote save);

}  // namespace velmora::notes
