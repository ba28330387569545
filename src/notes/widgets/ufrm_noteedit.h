// The note editor: a borderless notepad window with the day's note, shaped
// by its own painted background.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;

namespace velmora::notes {

// The editor's font from the settings: name, colour as a decimal 0x00BBGGRR
// number (an unreadable value gives the default blue), size in points.
struct NoteFont {
    std::string name = "黑体";
    std::string colour = "16711680";
    int size = 12;
};
QColor note_colour(const std::string& decimal);

class Tfrm_noteedit : public QDialog {
    Q_OBJECT

public:
    Tfrm_noteedit(QWidget* owner, const QString& date_text, const QString& title,
                  const QString& text);

    void apply_font(const NoteFont& font);
    QString text() const;

    QLabel* Label1 = nullptr;  // the day, yyyy-mm-dd
    QLabel* Label2 = nullptr;  // the title
    QPlainTextEdit* Memo1 = nullptr;
    int noteedit_result = 0;
    std::function<void()> editor_settings;  // "编辑器设置"

    void Button1Click();  // 确定(&S)
    void Button2Click();  // 取消
    void Button3Click();  // 编辑器设置

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPoint drag_offset_;
};

// Runs the editor modally; on confirm `text` takes the edited note.
// Answers noteedit_result (1 confirmed, 0 otherwise). When the session ends
// while the editor is open, a changed text goes to `keep` instead and the
// editor ends as after Cancel.
int noteedit_show(QWidget* owner, const QString& date_text, const QString& title, QString& text,
                  const std::function<NoteFont()>& font,
                  const std::function<void()>& editor_settings,
                  const std::function<void(const QString&)>& keep);

}  // namespace velmora::notes
