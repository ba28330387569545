#include "notes/widgets/ufrm_noteedit.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <charconv>

#include "ui/dialog_layout.h"
#include "ui/pending_edit.h"

namespace velmora::notes {

namespace {

constexpr int editor_width = 697;
constexpr int editor_height = 529;
const QColor default_blue(0, 0, 255);

// The notepad's outline: a rounded sheet with a binding strip on the left.
QPainterPath sheet_outline() {
    QPainterPath path;
    path.addRoundedRect(QRectF(40, 20, editor_width - 60, editor_height - 40), 18, 18);
    path.addRoundedRect(QRectF(8, 40, 56, editor_height - 80), 10, 10);
    return path.simplified();
}

}  // namespace

QColor note_colour(const std::string& decimal) {
    long long value = -1;
    const auto [end, error] =
        std::from_chars(decimal.data(), decimal.data() + decimal.size(), value);
    if (error != std::errc() || end != decimal.data() + decimal.size() || value < 0 ||
        value > 0xFFFFFF) {
        return default_blue;
    }
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

Tfrm_noteedit::Tfrm_noteedit(QWidget* owner, const QString& date_text, const QString& title,
                             const QString& text)
    : QDialog(owner, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog) {
    setObjectName("frm_noteedit");
    setWindowTitle(title);
    setFixedSize(editor_width, editor_height);
    setMask(QRegion(sheet_outline().toFillPolygon().toPolygon()));
    Label2 = new QLabel(title, this);
    Label2->setGeometry(115, 48, 300, 20);
    Label2->setStyleSheet("color: grey; font-weight: bold;");
    Label1 = new QLabel(date_text, this);
    Label1->setGeometry(476, 48, 160, 20);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1->setStyleSheet("color: red;");
    Memo1 = new QPlainTextEdit(text, this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(82, 77, 553, 370);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setStyleSheet("QPlainTextEdit { background: #FFFFB0; }");
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto button = [this](const char* text_, int left, void (Tfrm_noteedit::*handler)()) {
        auto* b = new QPushButton(QString::fromUtf8(text_), this);
        b->setGeometry(left, 460, 90, 28);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    button("编辑器设置", 82, &Tfrm_noteedit::Button3Click);
    button("确定(&S)", 445, &Tfrm_noteedit::Button1Click)->setDefault(true);
    button("取消", 545, &Tfrm_noteedit::Button2Click);
    ui::centre_on_screen(this);
    Memo1->setFocus();
}

void Tfrm_noteedit::apply_font(const NoteFont& font) {
    QFont chosen(QString::fromStdString(font.name));
    chosen.setPointSize(font.size > 0 ? font.size : 12);
    Memo1->setFont(chosen);
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Text, note_colour(font.colour));
    Memo1->setPalette(palette);
}

QString Tfrm_noteedit::text() const {
    return Memo1->toPlainText();
}

void Tfrm_noteedit::Button1Click() {
    noteedit_result = 1;
    accept();
}

void Tfrm_noteedit::Button2Click() {
    noteedit_result = 0;
    reject();
}

void Tfrm_noteedit::Button3Click() {
    if (editor_settings) editor_settings();
}

void Tfrm_noteedit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(sheet_outline(), QColor(250, 240, 200));
    p.setPen(QPen(QColor(150, 110, 60), 2));
    p.drawPath(sheet_outline());
    p.setBrush(QColor(120, 80, 40));
    for (int y = 70; y < editor_height - 60; y += 36) p.drawEllipse(QPointF(36, y), 6, 6);
}

// Without a frame, the sheet itself is the handle to move the window.
void Tfrm_noteedit::mousePressEvent(QMouseEvent* event) {
    drag_offset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void Tfrm_noteedit::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - drag_offset_);
}

int noteedit_show(QWidget* owner, const QString& date_text, const QString& title, QString& text,
                  const std::function<NoteFont()>& font,
                  const std::function<void()>& editor_settings,
                  const std::function<void(const QString&)>& keep) {
    Tfrm_noteedit editor(owner, date_text, title, text);
    editor.apply_font(font());
    editor.editor_settings = [&] {
        if (editor_settings) editor_settings();
        editor.apply_font(font());
    };
    const ui::PendingEdit pending(
        [&] {
            if (editor.text() != text) keep(editor.text());
        },
        [&] { editor.Button2Click(); });
    editor.exec();
    if (editor.noteedit_result == 1) text = editor.text();
    return editor.noteedit_result;
}

}  // namespace velmora::notes
