#include "store/widgets/stored_days_tree.h"

#include <QSignalBlocker>

#include <QTreeWidget>

#include <QPainter>
#include <QPixmap>

namespace velmora::days {

namespace {

constexpr int icon_size = 20;

// A transparent icon with a grey-outlined white sheet drawn by `draw`.
template <typename Draw>
QIcon painted_icon(Draw draw) {
    QPixmap pixmap(icon_size, icon_size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(110, 110, 110), 1));
    p.setBrush(Qt::white);
    draw(p);
    p.end();
    return QIcon(pixmap);
}

// A page with a coloured header band and a label in its body.
QIcon page_icon(const QColor& header, const QString& label, int label_pixels) {
    return painted_icon([&](QPainter& p) {
        p.drawRoundedRect(QRectF(1.5, 2.5, 17, 16), 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(header);
        p.drawRect(QRectF(2, 3, 16, 4));
        QFont font("DejaVu Sans");
        font.setPixelSize(label_pixels);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(40, 40, 40));
        p.drawText(QRectF(1, 7, 18, 11), Qt::AlignCenter, label);
    });
}

QTreeWidgetItem* node(const QString& text, const QIcon& icon, int number) {
    auto* item = new QTreeWidgetItem({text});
    item->setIcon(0, icon);
    item->setData(0, Qt::UserRole, number);
    return item;
}

}  // namespace

QIcon year_icon() {
    return page_icon(QColor(40, 110, 200), "Y", 9);
}

QIcon month_icon(int month) {
    // Seasons by colour: spring green, summer red, autumn orange, winter blue.
    static const QColor seasons[] = {QColor(60, 150, 60), QColor(200, 50, 50), QColor(220, 130, 30),
                                     QColor(70, 110, 190)};
    const QColor header = seasons[((month + 9) % 12) / 3];
    return page_icon(header, QString::number(month), month >= 10 ? 8 : 9);
}

QIcon day_icon() {
    return painted_icon([](QPainter& p) {
        p.drawRoundedRect(QRectF(3.5, 2.5, 13, 15), 1.5, 1.5);
        p.setPen(QPen(QColor(0, 0, 128), 1.2));
        for (int y : {7, 10, 13}) p.drawLine(QPointF(6, y), QPointF(14, y));
    });
}

StoredDaysTree::StoredDaysTree(QWidget* parent, const std::string& folder, LeaveShownDay leave)
    : QTreeWidget(parent), leave_(std::move(leave)) {
    setObjectName("RzTreeView1");
    setHeaderHidden(true);
    setIndentation(23);
    setIconSize(QSize(20, 20));
    setFixedWidth(185);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { choose(current); });
    fill_date_tree(this, store::stored_record_days(folder));
}

void StoredDaysTree::choose(QTreeWidgetItem* chosen) {
    if (!leave_()) {
        const QSignalBlocker quiet(this);
        setCurrentItem(shown_node_);
        return;
    }
    shown_node_ = chosen;
    emit nodeShown(day_node_key(chosen));
}

// The map is already in date order, so the tree needs no sorting of its own.
void fill_date_tree(QTreeWidget* tree, const store::RecordDays& days) {
    tree->clear();
    for (const auto& [year, months] : days) {
        const int y = std::stoi(year);
        QTreeWidgetItem* year_node =
            node(QString::fromStdString(year + "年"), year_icon(), y * 10000);
        for (const auto& [month, month_days] : months) {
            const int m = std::stoi(month);
            QTreeWidgetItem* month_node =
                node(QString::fromStdString(month + "月"), month_icon(m), y * 10000 + m * 100);
            for (const std::string& day : month_days) {
                month_node->addChild(node(QString::fromStdString(day + "日"), day_icon(),
                                          y * 10000 + m * 100 + std::stoi(day)));
            }
            year_node->addChild(month_node);
        }
        tree->addTopLevelItem(year_node);
    }
}

std::string day_node_key(const QTreeWidgetItem* node) {
    const bool day = node && node->parent() && node->parent()->parent();
    return day ? std::to_string(node->data(0, Qt::UserRole).toInt()) : std::string();
}

}  // namespace velmora::days
