#include "tools/widgets/tools_panel.h"

#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <array>
#include <string_view>

#include "ui/theme.h"

namespace velmora::tools {

namespace {

constexpr int icon_size = 25;
const QColor ink(40, 90, 160);
const QColor accent(230, 120, 40);

QPainter& pen(QPainter& p, const QColor& colour, qreal width = 2.0) {
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    return p;
}

void draw_key(QPainter& p) {
    pen(p, ink).drawRoundedRect(QRectF(3, 6, 19, 14), 3, 3);
    pen(p, accent, 2.5).drawLine(QPointF(8, 16), QPointF(17, 16));
    pen(p, ink, 1.5).drawPoint(QPointF(8, 11));
    p.drawPoint(QPointF(12.5, 11));
    p.drawPoint(QPointF(17, 11));
}

void draw_eye(QPainter& p) {
    QPainterPath lid;
    lid.moveTo(2, 12.5);
    lid.quadTo(12.5, 2, 23, 12.5);
    lid.quadTo(12.5, 23, 2, 12.5);
    pen(p, ink).drawPath(lid);
    p.setBrush(accent);
    p.drawEllipse(QPointF(12.5, 12.5), 3.5, 3.5);
}

void draw_power(QPainter& p) {
    pen(p, ink, 2.5).drawArc(QRectF(4, 5, 17, 17), 120 * 16, 300 * 16);
    pen(p, accent, 2.5).drawLine(QPointF(12.5, 3), QPointF(12.5, 12));
}

void draw_calendar(QPainter& p) {
    pen(p, ink).drawRoundedRect(QRectF(3, 5, 19, 17), 2, 2);
    p.drawLine(QPointF(3, 10), QPointF(22, 10));
    p.drawLine(QPointF(8, 3), QPointF(8, 7));
    p.drawLine(QPointF(17, 3), QPointF(17, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawEllipse(QPointF(12.5, 16), 3, 3);
}

void draw_capture(QPainter& p) {
    pen(p, ink).drawLine(QPointF(7, 2), QPointF(7, 18));
    p.drawLine(QPointF(7, 18), QPointF(23, 18));
    p.drawLine(QPointF(2, 7), QPointF(18, 7));
    p.drawLine(QPointF(18, 7), QPointF(18, 23));
    p.setPen(QPen(accent, 1.5, Qt::DashLine));
    p.drawRect(QRectF(9.5, 9.5, 6, 6));
}

void draw_lock(QPainter& p) {
    pen(p, ink).drawArc(QRectF(7, 3, 11, 12), 0, 180 * 16);
    p.drawLine(QPointF(7, 9), QPointF(7, 12));
    p.drawLine(QPointF(18, 9), QPointF(18, 12));
    p.setBrush(accent);
    p.drawRoundedRect(QRectF(4, 11, 17, 12), 2, 2);
}

void draw_book(QPainter& p) {
    pen(p, ink).drawRect(QRectF(4, 4, 17, 18));
    p.drawLine(QPointF(8, 4), QPointF(8, 22));
    pen(p, accent).drawLine(QPointF(11, 10), QPointF(18, 10));
    p.drawLine(QPointF(11, 14), QPointF(16, 14));
}

void draw_search(QPainter& p) {
    pen(p, ink, 2.5).drawEllipse(QPointF(10.5, 10.5), 6.5, 6.5);
    pen(p, accent, 3).drawLine(QPointF(15.5, 15.5), QPointF(22, 22));
}

QIcon drawn(void (*draw)(QPainter&)) {
    QPixmap pixmap(icon_size, icon_size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

struct Entry {
    std::string_view caption;
    void (*draw)(QPainter&);
};

// The entries in their order; the icons are drawn here in one style.
constexpr std::array<Entry, 9> entries = {{{"热键管理", draw_key},
                                           {"护眼提醒", draw_eye},
                                           {"定时关机", draw_power},
                                           {"纪念日提醒", draw_calendar},
                                           {"屏幕截图", draw_capture},
                                           {"文件夹加锁", draw_lock},
                                           {"在线词典", draw_book},
                                           {"分类搜索", draw_search},
                                           {"导入放假安排", draw_calendar}}};

void run(const std::function<void()>& tool) {
    if (tool) tool();
}

}  // namespace

ToolsPanel::ToolsPanel(QWidget* page, Links links) : QObject(page), links_(std::move(links)) {
    ListView_tool = new QListWidget(page);
    ListView_tool->setObjectName("ListView_tool");
    ListView_tool->setViewMode(QListView::ListMode);
    ListView_tool->setFlow(QListView::TopToBottom);
    ListView_tool->setWrapping(true);
    ListView_tool->setIconSize(QSize(icon_size, icon_size));
    ListView_tool->setSpacing(2);
    ListView_tool->setToolTip("双击运行");
    ListView_tool->setFrameShape(QFrame::NoFrame);
    QPalette palette = ListView_tool->palette();
    palette.setColor(QPalette::Base, ui::theme::cream);
    ListView_tool->setPalette(palette);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(ListView_tool);
    connect(ListView_tool, &QListWidget::itemActivated, this, &ToolsPanel::ListView_toolDblClick);
}

void ToolsPanel::fill() {
    ListView_tool->clear();
    for (const Entry& entry : entries) {
        ListView_tool->addItem(new QListWidgetItem(
            drawn(entry.draw),
            QString::fromUtf8(entry.caption.data(), static_cast<qsizetype>(entry.caption.size()))));
    }
}

// By caption, not position: an entry runs its tool wherever it stands.
void ToolsPanel::ListView_toolDblClick() {
    const QListWidgetItem* selected = ListView_tool->currentItem();
    if (!selected || !selected->isSelected()) return;
    const std::string caption = selected->text().toStdString();
    const auto options_at = [this](int page) {
        return [this, page] {
            if (links_.options) links_.options(page);
        };
    };
    const std::function<void()> actions[] = {options_at(2),
                                             options_at(3),
                                             options_at(4),
                                             [this] { run(links_.anniversaries); },
                                             [this] { run(links_.capture); },
                                             [this] { run(links_.folder_lock); },
                                             [this] { run(links_.dictionary); },
                                             [this] { run(links_.search); },
                                             [this] { run(links_.holiday_import); }};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].caption == caption) actions[i]();
    }
}

}  // namespace velmora::tools
