#include "ui/tab_style.h"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionTab>
#include <QTabBar>

#include "ui/theme.h"

namespace velmora::ui {

namespace {

const QColor outline(0xc8, 0xc8, 0xa0);
// The padding inside a tab and its one-pixel outline.
constexpr int horizontal_padding = 10 + 1;
constexpr int vertical_padding = 4 + 1;

}  // namespace

TabStyle::TabStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

// A tab: its fill and its outline on three sides, the bar's line below.
void TabStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const {
    if (element != CE_TabBarTabShape) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const bool chosen = option->state & State_Selected;
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    const bool last = !tab || tab->position == QStyleOptionTab::End ||
                      tab->position == QStyleOptionTab::OnlyOneTab;
    // Neighbours share one line: each tab draws its left edge, the last one
    // its right edge too.
    const QRect box = option->rect.adjusted(0, 0, 0, chosen ? 0 : -1);
    painter->save();
    painter->fillRect(box, chosen ? QColor(Qt::white) : theme::cream);
    painter->setPen(outline);
    painter->drawLine(box.bottomLeft(), box.topLeft());
    painter->drawLine(box.topLeft(), box.topRight());
    if (last) painter->drawLine(box.topRight(), box.bottomRight());
    painter->restore();
}

// The line under the tabs, where the page begins.
void TabStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                             QPainter* painter, const QWidget* widget) const {
    if (element != PE_FrameTabBarBase) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    painter->save();
    painter->setPen(outline);
    painter->drawLine(option->rect.bottomLeft(), option->rect.bottomRight());
    painter->restore();
}

// A tab is its text and the padding around it, nothing more.
QSize TabStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                 const QWidget* widget) const {
    if (type == CT_TabBarTab) return size;
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int TabStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                          const QWidget* widget) const {
    switch (metric) {
        case PM_TabBarTabHSpace: return 2 * horizontal_padding;
        case PM_TabBarTabVSpace: return 2 * vertical_padding;
        case PM_TabBarTabOverlap: return 0;
        default: return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void apply_tab_style(QTabBar* bar) {
    auto* style = new TabStyle;
    style->setParent(bar);
    bar->setStyle(style);
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, theme::cream);
    bar->setPalette(palette);
}

}  // namespace velmora::ui
