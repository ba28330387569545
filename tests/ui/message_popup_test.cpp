#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include "ui/message_popup.h"

namespace velmora::ui {
namespace {

QString anniversary(const QString& description) {
    return QString::fromUtf8("今天距离【") + description + QString::fromUtf8("】还有12天！");
}

// What the popup's label shows, and whether all of it fits the label.
struct Shown {
    int pixel_size;
    QString text;
    bool whole;
};

Shown show(const QString& text) {
    auto* popup = new MessagePopup("", "popup");
    popup->show_text(text);
    QLabel* label = popup->RzLabel1;
    const int margin = label->margin();
    const QRect area = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    const QRect needed =
        QFontMetrics(label->font())
            .boundingRect(QRect(0, 0, area.width(), 100000), Qt::TextWordWrap, label->text());
    Shown shown{label->font().pixelSize(), label->text(),
                needed.width() <= area.width() && needed.height() <= area.height()};
    popup->close();
    return shown;
}

TEST(MessagePopup, LongTextStepsDownUntilWholeAndTheDayCountStaysVisible) {
    const Shown short_text = show(anniversary(QString::fromUtf8("生日")));
    EXPECT_EQ(short_text.pixel_size, 29);
    EXPECT_TRUE(short_text.whole);

    // Sixty characters, a third of them outside the two-byte range.
    QString sixty;
    for (int i = 0; i < 20; ++i) sixty += QString::fromUtf8("纪念𠀀");
    ASSERT_EQ(sixty.toUcs4().size(), 60);
    const Shown long_text = show(anniversary(sixty));
    EXPECT_LT(long_text.pixel_size, 29);
    EXPECT_TRUE(long_text.whole);
    EXPECT_EQ(long_text.text, anniversary(sixty));

    const Shown huge = show(anniversary(sixty.repeated(10)));
    EXPECT_TRUE(huge.whole);
    EXPECT_TRUE(huge.text.endsWith(QString::fromUtf8("还有12天！")));
    EXPECT_TRUE(huge.text.contains(QString::fromUtf8("…")));
}

}  // namespace
}  // namespace velmora::ui
