// The note page of the main window: the shown day's note, read-only, with
// the editor behind a double click or "编辑(&E)" and the note manager behind
// "管理". Notes are saved by their editor and manager, never on a day
// change.
#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "notes/widgets/ufrm_noteedit.h"
#include "store/day_store.h"
#include "sys/prompts.h"
#include "ui/day_page.h"

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace velmora::notes {

class NotePage : public QObject, public ui::DayPage {
    Q_OBJECT

public:
    struct Links {
        std::function<void()> redraw_month;         // the marks changed
        std::function<NoteFont()> editor_font;      // from the settings
        std::function<void()> open_editor_options;  // the editor's settings button
    };

    NotePage(QWidget* page, store::DayStore& days, sys::Prompts& prompts, Links links);

    QPlainTextEdit* Memo_note = nullptr;
    QPushButton* Button1 = nullptr;  // 编辑(&E)
    QPushButton* Button9 = nullptr;  // 管理

    void Memo_noteDblClick();
    void Button9Click();

    void load(const std::string& daykey) override;
    bool save_before_leaving() override { return true; }
    // Stores the shown day's note; false after telling the user.
    bool savedata2fx_note(const std::string& note);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    store::DayStore& days_;
    sys::Prompts& prompts_;
    Links links_;
    std::string daykey_;
};

}  // namespace velmora::notes
