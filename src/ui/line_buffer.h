// The plan records' hidden line buffer: the text of the record last read or
// written, line by line. It is never shown, so it is plain text rather than
// an edit control, which would cost the start a text widget's set-up.
#pragma once

#include <QString>

namespace velmora::ui {

class LineBuffer {
public:
    void setPlainText(const QString& text) { text_ = text; }
    const QString& toPlainText() const { return text_; }

private:
    QString text_;
};

}  // namespace velmora::ui
