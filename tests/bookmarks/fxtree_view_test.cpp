// The store-bound tree in a view: reselection after a reload, the file-type
// images of a "kx" tree, and the order in which a multi-selection is taken.
#include "store/widgets/ukx_fxtree.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTreeWidget>

#include <fstream>

#include "bookmarks/bookmark_store.h"
#include "store/store_fixture.h"

namespace velmora::bookmarks {
namespace {

class FxTreeView : public testing::StoreTest {
protected:
    int file(const std::string& folder_path, const std::string& name) {
        return put(folder_path, name, "bytes");
    }
    store::FxTree tree(const char* root, const char* type) { return {&view, root, &images, type}; }

    QTreeWidget view;
    store::ImageList images = store::fixed_images();
};

TEST_F(FxTreeView, AReloadSelectsTheItemAgainOrTheTopWhenItIsGone) {
    const int a = file("plumora_url", "a");
    const int b = file("plumora_url", "b");
    ASSERT_EQ(store::fxtree_reload(tree("plumora_url", "url"), b), store::FxError::none);
    EXPECT_EQ(store::node_index(view.currentItem()), b);
    EXPECT_TRUE(view.topLevelItem(0)->isExpanded());
    EXPECT_EQ(view.topLevelItem(0)->childCount(), 2);
    store::fxtree_reload(tree("plumora_url", "url"), -1);  // keeps the selection
    EXPECT_EQ(store::node_index(view.currentItem()), b);
    store::fxtree_reload(tree("plumora_url", "url"),
                         0x100000000LL + a);  // only the low half counts
    EXPECT_EQ(store::node_index(view.currentItem()), a);
    store::fxtree_reload(tree("plumora_url", "url"), 999);
    EXPECT_EQ(view.currentItem(), view.topLevelItem(0));
}

TEST_F(FxTreeView, AnUnreadableListingIsSaidAndNotShownAsAnEmptyTree) {
    file("plumora_url", "a");
    FX_Closefx(1);
    EXPECT_NE(store::fxtree_load(tree("plumora_url", "url")), store::FxError::none);
    EXPECT_EQ(view.topLevelItemCount(), 0);
}

// A theme of one icon, for text files, so the lookup has something to find
// on any machine.
void install_text_icon_theme(const std::string& folder) {
    const std::string theme = folder + "/testtheme";
    std::filesystem::create_directories(theme + "/16x16/mimetypes");
    std::ofstream(theme + "/index.theme")
        << "[Icon Theme]\nName=testtheme\nDirectories=16x16/mimetypes\n\n"
           "[16x16/mimetypes]\nSize=16\nType=Fixed\n";
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::blue);
    icon.save(QString::fromStdString(theme + "/16x16/mimetypes/text-plain.png"));
    QIcon::setThemeSearchPaths({QString::fromStdString(folder)});
    QIcon::setThemeName("testtheme");
}

TEST_F(FxTreeView, AKxTreeAddsOneImagePerFileAndStartsAgainFromFour) {
    install_text_icon_theme(folder_.file("icons"));
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"}) {
        file("plumora_files", name);
    }
    file("plumora_files", "no-type.zzqq");
    ASSERT_EQ(store::fxtree_load(tree("plumora_files", "kx")), store::FxError::none);
    EXPECT_EQ(images.images.size(), 9);
    EXPECT_EQ(store::node_image(view.topLevelItem(0)->child(5)), 3);  // no known type: the fallback
    ASSERT_EQ(store::fxtree_load(tree("plumora_files", "kx")), store::FxError::none);
    EXPECT_EQ(images.images.size(), 9);
    EXPECT_EQ(view.topLevelItem(0)->text(0), "虚拟密盘");
}

TEST_F(FxTreeView, ASelectionIsTakenFromTheBottomUpwardsWithoutTheRoot) {
    const int a = file("plumora_url", "a");
    const int b = file("plumora_url", "b");
    const int c = file("plumora_url", "c");
    store::fxtree_load(tree("plumora_url", "url"));
    for (QTreeWidgetItem* node : store::all_nodes(&view)) node->setSelected(true);
    EXPECT_EQ(store::selected_items_upwards(&view), (std::vector<int>{c, b, a}));
}

}  // namespace
}  // namespace velmora::bookmarks
