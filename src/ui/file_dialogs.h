// The program's file dialogs. Where the desktop offers a dialog of its own
// (its platform theme, the file chooser portal), that one opens, as in the
// user's other programs. Where it does not, Qt's own dialog opens: its
// texts come from Qt's Chinese translation, and its date column, which Qt
// writes in the session's regional format (English month names in a
// session without a Chinese locale), is written here as the program writes
// dates ("2026/12/11 05:24").
#pragma once

#include <QString>

class QFileDialog;
class QWidget;

namespace velmora::ui {

// An empty answer when the user cancels.
QString choose_file_to_open(QWidget* parent, const QString& caption, const QString& filter);
// The path as picked: a link is not resolved, the writer judges it.
QString choose_file_to_save(QWidget* parent, const QString& caption, const QString& name,
                            const QString& filter);
QString choose_folder(QWidget* parent, const QString& caption);

// For a dialog set up by hand: the dates in the program's format.
void write_dates_in_chinese(QFileDialog& dialog);

}  // namespace velmora::ui
