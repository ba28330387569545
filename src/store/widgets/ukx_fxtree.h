// The store-bound tree in a tree view: the view shows one folder of the
// container and never holds data of its own. Each node keeps the index of
// its container item and its image, and every change is made on the
// container and shown by building the nodes again from its listing.
#pragma once

#include <QIcon>
#include <QList>

#include <cstdint>
#include <string>

#include "store/fx_error.h"
#include "sys/prompts.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace velmora::store {

// The view's images: the root, a folder (closed and open), a file, then a
// "kx" tree's file-type icons.
struct ImageList {
    QList<QIcon> images;
};
ImageList fixed_images();

// One tree: the view, its root item's name, its images and its type
// ("url", "mht" or "kx").
struct FxTree {
    QTreeWidget* view = nullptr;
    std::string root;
    ImageList* images = nullptr;
    std::string type;
};

// The item index and image a node was made with.
int node_index(const QTreeWidgetItem* node);
int node_image(const QTreeWidgetItem* node);

// Builds the nodes from the container; answers why when the listing could
// not be read (the view is then left empty, never shown as an empty tree).
FxError fxtree_load(const FxTree& tree);
// Loads, shows the top level and selects the node of item `select` (-1:
// the selected node's item), else the top node.
FxError fxtree_reload(const FxTree& tree, std::int64_t select);
// A new folder below the selected node; answers its item index, or -1.
int fxtree_addnode(const FxTree& tree);
// Asks, then deletes the items of the selected nodes, the root excepted.
void fxtree_delete(const FxTree& tree, sys::Prompts& prompts);
// Renames the selected node's item; a name the container cannot take is
// refused with a message. The view shows the stored name afterwards.
void fxtree_rename(const FxTree& tree, const std::string& new_name, sys::Prompts& prompts);
// The icon of the file's type, appended to `images`; 3 when there is none.
int fxtree_fileicon(const std::string& file_name, ImageList& images);

// Makes `node` the only selected node, its folders opened to show it.
void select_alone(QTreeWidget* view, QTreeWidgetItem* node);
// Every node, depth first: the node order of the tree.
QList<QTreeWidgetItem*> all_nodes(const QTreeWidget* view);
// The selected nodes' items from the bottom of the tree upwards, without
// the root.
std::vector<int> selected_items_upwards(const QTreeWidget* view);

}  // namespace velmora::store
