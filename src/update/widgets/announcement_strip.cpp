#include "update/widgets/announcement_strip.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "ui/theme.h"

namespace velmora::update {

namespace {

constexpr int label_right = 316;  // the labels' right edge in the strip
constexpr int label_left = 36;    // clear of the menu button
// Tall enough for the font's descenders; the tops are what the slide moves.
constexpr int label_height = 14;
constexpr int slide_interval_ms = 100;
const QColor grey_text(0x80, 0x80, 0x80);
const QColor red_text(0xFF, 0x00, 0x00);

}  // namespace

AnnouncementStrip::AnnouncementStrip(QWidget* strip, AnnouncementTimers timers,
                                     sys::Platform& platform, sys::Prompts& prompts,
                                     const std::string& tip, const std::string& tip_link)
    : QObject(strip),
      timers_(timers),
      platform_(platform),
      prompts_(prompts),
      rotation_(tip, tip_link) {
    l_ad1 = make_label(strip, "l_ad1");
    l_ad2 = make_label(strip, "l_ad2");
    show_label(0);
    show_label(1);
    place_labels();
    timers_.Timer_ad2.setInterval(slide_interval_ms);
    connect(&timers_.Timer_ad, &QTimer::timeout, this, &AnnouncementStrip::Timer_adTimer);
    connect(&timers_.Timer_ad2, &QTimer::timeout, this, &AnnouncementStrip::Timer_ad2Timer);
}

QLabel* AnnouncementStrip::make_label(QWidget* strip, const char* name) {
    auto* label = new QLabel(strip);
    label->setObjectName(name);
    label->setFont(ui::theme::song_font(12));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The lines come from the network: never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    return label;
}

// The link rides on the label as a property: the user sees only the caption.
void AnnouncementStrip::show_label(int which) {
    const AdLine& line = rotation_.label(which).line;
    QLabel* label = which == 0 ? l_ad1 : l_ad2;
    // A line wider than the label would lose its start behind the menu
    // button, half a glyph showing: it ends in "…" instead, whole as the
    // tooltip.
    const QString caption = QString::fromStdString(line.caption);
    label->setText(
        label->fontMetrics().elidedText(caption, Qt::ElideRight, label_right - label_left));
    label->setToolTip(caption);
    label->setProperty("link", QString::fromStdString(line.link));
    label->setAccessibleDescription(QString::fromStdString(line.link));
    ui::theme::set_text_colour(label, line.highlighted ? red_text : grey_text);
}

void AnnouncementStrip::place_labels() {
    for (int which : {0, 1}) {
        QLabel* label = which == 0 ? l_ad1 : l_ad2;
        label->setGeometry(label_left, rotation_.label(which).top, label_right - label_left,
                           label_height);
    }
}

void AnnouncementStrip::start(std::vector<std::string> lines, int interval_ms) {
    rotation_.set_lines(std::move(lines));
    timers_.Timer_ad.setInterval(interval_ms);
    restart_rotation();
}

// A zero interval would make a timer fire at every turn of the event loop:
// such a rotation never runs.
void AnnouncementStrip::restart_rotation() {
    if (rotation_.lines().empty() || timers_.Timer_ad.interval() <= 0) return;
    timers_.Timer_ad.start();
}

void AnnouncementStrip::stop() {
    timers_.Timer_ad.stop();
    timers_.Timer_ad2.stop();
    rotation_.lines().clear();
}

void AnnouncementStrip::Timer_adTimer() {
    timers_.Timer_ad.stop();
    const int target = rotation_.next_line();
    if (target < 0) return;
    show_label(target);
    timers_.Timer_ad2.start();
    restart_rotation();
}

void AnnouncementStrip::Timer_ad2Timer() {
    if (rotation_.slide()) timers_.Timer_ad2.stop();
    place_labels();
}

void AnnouncementStrip::l_ad1Click(QLabel* label) {
    open_published_address(platform_, prompts_, label->property("link").toString().toStdString(),
                           false);
}

void AnnouncementStrip::l_ad1MouseEnter(QLabel* label) {
    QFont font = label->font();
    if (!font.underline()) {
        font.setUnderline(true);
        label->setFont(font);
    }
    timers_.Timer_ad.stop();
}

void AnnouncementStrip::l_ad1MouseLeave(QLabel* label) {
    QFont font = label->font();
    font.setUnderline(false);
    label->setFont(font);
    restart_rotation();
}

bool AnnouncementStrip::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (label == nullptr) return false;
    switch (event->type()) {
        case QEvent::Enter: l_ad1MouseEnter(label); break;
        case QEvent::Leave: l_ad1MouseLeave(label); break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) l_ad1Click(label);
            break;
        default: break;
    }
    return false;
}

}  // namespace velmora::update
