#include "store/widgets/ukx_fxtree.h"

#include <QMimeDatabase>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <map>

#include "store/fx_tree.h"

namespace velmora::store {

namespace {

constexpr int index_role = Qt::UserRole;
constexpr int image_role = Qt::UserRole + 1;

// The four images are drawn here, 16 by 16, so the tree looks the same on
// every desktop whatever icon theme it has.
QIcon painted(const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return QIcon(pixmap);
}

void draw_root(QPainter& p) {
    p.setPen(QColor(30, 70, 140));
    p.setBrush(QColor(70, 120, 200));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 40, 40));
    p.drawPolygon(QPolygonF(
        {QPointF(8, 1), QPointF(12, 1), QPointF(12, 10), QPointF(10, 8), QPointF(8, 10)}));
}

void draw_folder(QPainter& p, bool open) {
    p.setPen(QColor(170, 120, 20));
    p.setBrush(QColor(240, 190, 60));
    p.drawRect(QRectF(1.5, 3.5, 5, 2));
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    if (!open) return;
    p.setBrush(QColor(255, 225, 120));
    p.drawPolygon(QPolygonF(
        {QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
}

void draw_page(QPainter& p) {
    p.setPen(QColor(110, 110, 110));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(2.5, 0.5), QPointF(10.5, 0.5), QPointF(13.5, 3.5),
                             QPointF(13.5, 15.5), QPointF(2.5, 15.5)}));
    p.setPen(QColor(40, 110, 200));
    p.setBrush(QColor(120, 180, 240));
    p.drawEllipse(QRectF(4.5, 6.5, 7, 7));
    p.drawLine(QPointF(4.5, 10), QPointF(11.5, 10));
    p.drawLine(QPointF(8, 6.5), QPointF(8, 13.5));
}

// A node shows its selected image while it is selected.
QIcon node_icon(const ImageList& images, int image, int selected_image) {
    if (image == selected_image) return images.images.value(image);
    const QIcon normal = images.images.value(image);
    QIcon icon;
    for (const QSize size : normal.availableSizes()) {
        icon.addPixmap(normal.pixmap(size), QIcon::Normal);
        icon.addPixmap(images.images.value(selected_image).pixmap(size), QIcon::Selected);
    }
    return icon;
}

class NodeMaker {
public:
    NodeMaker(const FxTree& tree, TreeType type) : tree_(tree), type_(type) {}

    QTreeWidgetItem* make(const TreeNode& node, QTreeWidgetItem* parent) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem;
        int image = node.image;
        int selected = node.selected_image;
        if (type_ == TreeType::kx && !node.folder && parent) {
            image = selected = fxtree_fileicon(node.caption, *tree_.images);
        }
        item->setText(0, QString::fromStdString(node.caption));
        item->setData(0, index_role, node.index);
        item->setData(0, image_role, image);
        item->setIcon(0, icon(image, selected));
        if (parent) item->setFlags(item->flags() | Qt::ItemIsEditable);
        for (const TreeNode& child : node.children) make(child, item);
        return item;
    }

private:
    const QIcon& icon(int image, int selected) {
        const auto key = std::pair(image, selected);
        auto found = icons_.find(key);
        if (found == icons_.end()) {
            found = icons_.emplace(key, node_icon(*tree_.images, image, selected)).first;
        }
        return found->second;
    }

    const FxTree& tree_;
    TreeType type_;
    std::map<std::pair<int, int>, QIcon> icons_;
};

QTreeWidgetItem* find_item(QTreeWidget* view, std::int64_t select) {
    QTreeWidgetItem* top = view->topLevelItem(0);
    if (!top) return nullptr;
    const auto wanted = static_cast<std::int32_t>(select & 0xFFFFFFFF);
    const QList<QTreeWidgetItem*> nodes = all_nodes(view);
    const auto match = std::find_if(nodes.begin() + 1, nodes.end(),
                                    [wanted](auto* node) { return node_index(node) == wanted; });
    return match == nodes.end() ? top : *match;
}

std::int64_t current_or_top(const QTreeWidget* view, std::int64_t select) {
    if (select == -1 && view->currentItem()) select = node_index(view->currentItem());
    if (select == -1 && view->topLevelItem(0)) select = node_index(view->topLevelItem(0));
    return select;
}

}  // namespace

ImageList fixed_images() {
    ImageList list;
    list.images = {painted(draw_root), painted([](QPainter& p) { draw_folder(p, false); }),
                   painted([](QPainter& p) { draw_folder(p, true); }), painted(draw_page)};
    return list;
}

int node_index(const QTreeWidgetItem* node) {
    return node ? node->data(0, index_role).toInt() : -1;
}

int node_image(const QTreeWidgetItem* node) {
    return node ? node->data(0, image_role).toInt() : -1;
}

FxError fxtree_load(const FxTree& tree) {
    const QSignalBlocker quiet(tree.view);
    tree.view->clear();
    while (tree.images->images.size() > 4) tree.images->images.removeAt(4);
    const std::optional<TreeType> type = tree_type(tree.type);
    if (!type) return FxError::refused;
    std::vector<ListedItem> items;
    const FxError listed = list_container(items);
    if (listed != FxError::none) return listed;
    const std::optional<TreeNode> top = build_tree(items, tree.root, *type);
    // The nodes are made apart from the view and handed over at once: the
    // view then takes them in one step instead of one per node.
    if (top) tree.view->addTopLevelItem(NodeMaker(tree, *type).make(*top, nullptr));
    return FxError::none;
}

FxError fxtree_reload(const FxTree& tree, std::int64_t select) {
    select = current_or_top(tree.view, select);
    const FxError loaded = fxtree_load(tree);
    tree.view->collapseAll();
    QTreeWidgetItem* top = tree.view->topLevelItem(0);
    if (!top) return loaded;
    top->setExpanded(true);
    select_alone(tree.view, find_item(tree.view, select));
    return loaded;
}

void select_alone(QTreeWidget* view, QTreeWidgetItem* node) {
    for (QTreeWidgetItem* folder = node->parent(); folder; folder = folder->parent()) {
        folder->setExpanded(true);
    }
    view->clearSelection();
    view->setCurrentItem(node);
    view->scrollToItem(node);
}

QList<QTreeWidgetItem*> all_nodes(const QTreeWidget* view) {
    QList<QTreeWidgetItem*> nodes;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(view)); *it; ++it) nodes.append(*it);
    return nodes;
}

std::vector<int> selected_items_upwards(const QTreeWidget* view) {
    const QList<QTreeWidgetItem*> nodes = all_nodes(view);
    std::vector<int> items;
    for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
        if ((*node)->isSelected() && (*node)->parent()) items.push_back(node_index(*node));
    }
    return items;
}

int fxtree_addnode(const FxTree& tree) {
    QTreeWidgetItem* selected = tree.view->currentItem();
    if (!selected) return -1;
    const int added = add_folder(node_index(selected));
    if (added >= 0) fxtree_reload(tree, -1);
    return added;
}

void fxtree_delete(const FxTree& tree, sys::Prompts& prompts) {
    QTreeWidgetItem* selected = tree.view->currentItem();
    const std::vector<int> items = selected_items_upwards(tree.view);
    if (!selected || items.empty()) return;
    if (!prompts.ask_yes_no("是否确定要删除选择的内容？", {}, true)) return;
    const int parent = node_index(selected->parent() ? selected->parent() : selected);
    const FxError deleted = delete_items(items);
    if (deleted != FxError::none) {
        prompts.inform(not_saved_message("删除没有全部完成", deleted), {}, sys::PromptIcon::error);
    }
    fxtree_reload(tree, parent);
}

void fxtree_rename(const FxTree& tree, const std::string& new_name, sys::Prompts& prompts) {
    QTreeWidgetItem* selected = tree.view->currentItem();
    if (!selected || !selected->parent()) return;
    const int index = node_index(selected);
    const std::string refused = rename_item(node_index(selected->parent()), index, new_name);
    if (!refused.empty()) prompts.inform(refused, {}, sys::PromptIcon::error);
    fxtree_reload(tree, index);
}

int fxtree_fileicon(const std::string& file_name, ImageList& images) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(file_name),
                                                           QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) return file_image;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) return file_image;
    images.images.append(icon);
    return static_cast<int>(images.images.size()) - 1;
}

}  // namespace velmora::store
