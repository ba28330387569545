#include "ui/message_popup.h"

#include <QCloseEvent>
#include <QDebug>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "ui/dialog_layout.h"

namespace velmora::ui {

namespace {

constexpr int largest_pixels = 29;
constexpr int smallest_pixels = 12;

bool fits(QFont font, int pixels, const QString& text, const QRect& area) {
    font.setPixelSize(pixels);
    const QRect needed = QFontMetrics(font).boundingRect(QRect(0, 0, area.width(), 100000),
                                                         Qt::TextWordWrap | Qt::AlignLeft, text);
    return needed.width() <= area.width() && needed.height() <= area.height();
}

// Without its middle: the start says what, the end (the day count of an
// anniversary, "…还有3天！") says when, so the end is always kept.
QString without_middle(const QString& text, int cut) {
    const int keep = static_cast<int>(text.size()) - cut;
    const int head = keep / 2;
    return text.left(head) + QStringLiteral("…") + text.right(keep - head);
}

}  // namespace

TextFit fit_text(const QFont& font, const QString& text, const QRect& area) {
    for (int pixels = largest_pixels; pixels >= smallest_pixels; --pixels) {
        if (fits(font, pixels, text, area)) return {pixels, text};
    }
    for (int cut = 2; cut < text.size(); ++cut) {
        const QString shorter = without_middle(text, cut);
        if (fits(font, smallest_pixels, shorter, area)) return {smallest_pixels, shorter};
    }
    return {smallest_pixels, text.right(8)};
}

MessagePopup::MessagePopup(const QString& caption, const QString& object_name, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(object_name);
    setAttribute(Qt::WA_DeleteOnClose);
    // A notification left open must never count as the program's last window.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(caption);
    setFixedSize(422, 212);

    QFont font;
    // "黑体" where the system has it; the Linux desktops carry WenQuanYi.
    font.setFamilies({"黑体", "WenQuanYi Micro Hei"});
    font.setPixelSize(29);
    RzLabel1 = new QLabel(this);
    RzLabel1->setObjectName("RzLabel1");
    RzLabel1->setGeometry(34, 24, 361, 134);
    RzLabel1->setFont(font);
    RzLabel1->setStyleSheet("color: rgb(255, 0, 0);");
    RzLabel1->setWordWrap(true);
    RzLabel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    RzLabel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    RzLabel1->setMargin(6);

    Button1 = new QPushButton("确定(&S)", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(328, 173, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QWidget::close);
}

// The label keeps its place and size; the text steps down in size until all
// of it is readable.
void MessagePopup::show_text(const QString& text) {
    const int margin = RzLabel1->margin();
    const QRect area = RzLabel1->contentsRect().adjusted(margin, margin, -margin, -margin);
    const TextFit fit = fit_text(RzLabel1->font(), text, area);
    QFont font = RzLabel1->font();
    font.setPixelSize(fit.pixel_size);
    RzLabel1->setFont(font);
    RzLabel1->setText(fit.text);
    // Like every message of the program, also written to the diagnostic output.
    qInfo().noquote() << "message:" << text;
    centre_on_screen(this);
    show();
}

void MessagePopup::closeEvent(QCloseEvent* event) {
    emit closed();
    event->accept();
}

}  // namespace velmora::ui
