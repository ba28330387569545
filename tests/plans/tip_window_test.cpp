#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include "plans/task_reminder.h"
#include "plans/widgets/Utaskhintmess.h"
#include "plans/widgets/uTip.h"

namespace velmora::plans {
namespace {

int slide_to_hold(Tfrm_tip& tip) {
    int ticks = 0;
    for (; tip.Timer1.isActive() && ticks < 1000; ++ticks) tip.Timer1Timer();
    return ticks;
}

void send_mouse(QWidget& window, QEvent::Type type, QPointF local, Qt::MouseButton button,
                Qt::MouseButtons buttons) {
    // Built one at a time: Qt's mouse events share the device's point, so a
    // second event made early would rewrite the first one's position.
    QMouseEvent event(type, local, window.mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

void drag(QWidget& window, QPoint by) {
    const QPointF inside(40, 20);
    send_mouse(window, QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    send_mouse(window, QEvent::MouseMove, inside + by, Qt::NoButton, Qt::LeftButton);
    send_mouse(window, QEvent::MouseButtonRelease, inside + by, Qt::LeftButton, Qt::NoButton);
}

TEST(TipWindowTest, SlidesToTheWorkAreaCornerHoldsThenFadesOut) {
    Tfrm_tip tip;
    tip.showtip();
    EXPECT_EQ(slide_to_hold(tip), Tfrm_tip::full_height + 1);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(tip.geometry().size(), QSize(274, 180));
    EXPECT_EQ(tip.geometry().bottom() + 1, work.y() + work.height());
    EXPECT_EQ(tip.geometry().right() + 1, work.x() + work.width() - 1);
    EXPECT_EQ(tip.tipstate, 2);

    ASSERT_TRUE(tip.Timer2.isActive());
    tip.Timer2Timer();
    ASSERT_TRUE(tip.Timer3.isActive());
    for (int step = 0; step < 84; ++step) tip.Timer3Timer();
    EXPECT_TRUE(tip.isVisible());
    tip.Timer3Timer();  // the 85th step reaches opacity 0
    EXPECT_FALSE(tip.isVisible());
    EXPECT_FALSE(tip.Timer3.isActive());

    tip.showtip();  // the same window serves the next tip, fully opaque again
    EXPECT_TRUE(tip.isVisible());
    EXPECT_DOUBLE_EQ(tip.windowOpacity(), 1.0);
}

TEST(TipWindowTest, CloseButtonFadesAtOnceAndDragWaitsForTheSlide) {
    Tfrm_tip tip;
    tip.showtip();
    tip.Timer1Timer();
    const QPoint sliding = tip.pos();
    drag(tip, {-60, -40});
    EXPECT_EQ(tip.pos(), sliding);

    slide_to_hold(tip);
    const QPoint held = tip.pos();
    drag(tip, {-60, -40});
    EXPECT_EQ(tip.pos(), held + QPoint(-60, -40));

    tip.SpeedButton1->click();
    EXPECT_FALSE(tip.Timer2.isActive());
    EXPECT_TRUE(tip.Timer3.isActive());
}

TEST(TaskPopupTest, EitherWayOfClosingRearmsTheReminder) {
    TaskReminder reminder;
    for (bool by_ok : {true, false}) {
        const auto text = reminder.tick({1, 2}, true);
        ASSERT_TRUE(text);
        QPointer popup = Tfrm_taskhintmess::showtaskhint(QString::fromStdString(*text));
        QObject::connect(popup, &Tfrm_taskhintmess::closed, [&] { reminder.popup_closed(); });
        EXPECT_EQ(popup->RzLabel1->text(), QString::fromStdString(task_hint_text({1, 2})));
        if (by_ok) {
            popup->Button1->click();
        } else {
            popup->close();  // what the window's close button does
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(popup.isNull());
        EXPECT_FALSE(reminder.taskhint_open());
    }
}

}  // namespace
}  // namespace velmora::plans
