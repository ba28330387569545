// The tab bar's look: cream tabs with a thin olive outline, the chosen one
// white, on a cream bar. Drawn by a style of its own rather than a style
// sheet, which would make every control on every page go through the style
// sheet machinery: that cost the start some 13 ms.
#pragma once

#include <QProxyStyle>

class QTabBar;

namespace velmora::ui {

class TabStyle : public QProxyStyle {
public:
    TabStyle();
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
};

// Gives the tab bar the look above; the style lives as long as the bar.
void apply_tab_style(QTabBar* bar);

}  // namespace velmora::ui
