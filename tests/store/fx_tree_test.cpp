// The store-bound tree: placing a listing, finding a node again, the rename
// rules, and copying or moving a folder tree inside the container.
#include <gmock/gmock.h>

#include "store/fx_tree.h"
#include "store_fixture.h"

namespace {

using namespace velmora::store;

std::vector<ListedItem> listing(std::initializer_list<ListedItem> items) {
    return items;
}

std::vector<std::string> captions(const TreeNode& node) {
    std::vector<std::string> names;
    for (const TreeNode& child : node.children) names.push_back(child.caption);
    return names;
}

TEST(FxTreeBuild, TheRootIsFoundWithoutCaseAndPathsMatchSiblingsExactly) {
    const auto top = build_tree(listing({{0, 0, 99, "plumora_plan"},
                                         {1, 0, 99, "PLUMORA_URL"},
                                         {2, 0, 99, "plumora_url/Work"},
                                         {3, 0, 3, "plumora_url/work"},
                                         {4, 0, 3, "Plumora_Url/Work/site"}}),
                                "plumora_url", TreeType::url);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->caption, "网址书签");
    EXPECT_EQ(top->index, 1);
    EXPECT_EQ(top->image, root_image);
    EXPECT_THAT(captions(*top), ::testing::ElementsAre("Work", "work"));
    EXPECT_EQ(top->children[0].image, folder_image);
    EXPECT_EQ(top->children[0].selected_image, folder_selected_image);
    EXPECT_EQ(top->children[1].image, file_image);
    EXPECT_THAT(captions(top->children[0]), ::testing::ElementsAre("site"));
}

TEST(FxTreeBuild, HiddenItemsNeverShowAndAMissingRootGivesNoTree) {
    EXPECT_FALSE(build_tree(listing({{0, 1, 99, "plumora_url"}, {1, 0, 3, "plumora_url/a"}}),
                            "plumora_url", TreeType::url));
    const auto top = build_tree(listing({{0, 0, 99, "plumora_url"},
                                         {1, 1, 3, "plumora_url/hidden"},
                                         {2, 0, 3, "plumora_url/b"}}),
                                "plumora_url", TreeType::mht);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->caption, "网文资料库");
    EXPECT_THAT(captions(*top), ::testing::ElementsAre("b"));
}

// A folder named on the way takes the placed item's index and images; its
// own item, listed later, changes nothing. The root name followed directly
// by more characters still belongs to the tree.
TEST(FxTreeBuild, IntermediateFoldersAndNamesRunningOnFromTheRoot) {
    const auto top = build_tree(listing({{0, 0, 99, "plumora_url"},
                                         {5, 0, 3, "plumora_url/a/b/page"},
                                         {6, 0, 99, "plumora_url/a"},
                                         {7, 0, 3, "plumora_url2/x"},
                                         {8, 0, 3, "plumora_url//double"}}),
                                "plumora_url", TreeType::url);
    ASSERT_TRUE(top);
    EXPECT_THAT(captions(*top), ::testing::ElementsAre("a", "2", "double"));
    const TreeNode& a = top->children[0];
    EXPECT_EQ(a.index, 5);
    EXPECT_EQ(a.image, file_image);
    EXPECT_EQ(a.children[0].caption, "b");
    EXPECT_EQ(a.children[0].children[0].caption, "page");
    EXPECT_THAT(captions(top->children[1]), ::testing::ElementsAre("x"));
}

TEST(FxTreeFind, TheFirstNodeDepthFirstOrTheTop) {
    const auto top = build_tree(listing({{0, 0, 99, "plumora_url"},
                                         {1, 0, 99, "plumora_url/a"},
                                         {2, 0, 3, "plumora_url/a/x"},
                                         {3, 0, 3, "plumora_url/b"}}),
                                "plumora_url", TreeType::url);
    ASSERT_TRUE(top);
    EXPECT_THAT(find_node(*top, 2), ::testing::ElementsAre(0, 0));
    EXPECT_THAT(find_node(*top, 3), ::testing::ElementsAre(1));
    EXPECT_TRUE(find_node(*top, 42).empty());
    EXPECT_THAT(find_node(*top, (std::int64_t{1} << 32) | 3), ::testing::ElementsAre(1));
}

TEST(FxTreeRename, TwoHundredFiftySixBytesOfGb18030AndNoSeparators) {
    const std::string parent = "plumora_url/文件夹";  // 11 + 1 + 6 bytes in GB18030
    const std::string fits(256 - 18 - 1, 'x');
    EXPECT_EQ(check_rename(parent, fits), RenameCheck::ok);
    EXPECT_EQ(check_rename(parent, fits + "x"), RenameCheck::too_long);
    EXPECT_EQ(check_rename(parent, std::string(118, 'x') + "中"), RenameCheck::ok);
    EXPECT_EQ(check_rename(parent, "a/b"), RenameCheck::separator);
    EXPECT_EQ(check_rename(parent, "a\\b"), RenameCheck::separator);
    EXPECT_TRUE(is_same_or_below("plumora_url/a", "plumora_url/a"));
    EXPECT_TRUE(is_same_or_below("plumora_url/a/b", "plumora_url/a"));
    EXPECT_FALSE(is_same_or_below("plumora_url/ab", "plumora_url/a"));
}

class FxTreeStore : public velmora::testing::StoreTest {};

// A three-level folder tree arrives below the target byte for byte, and the
// source stays as it was.
TEST_F(FxTreeStore, ATransferCopiesAFolderTreeByteForByte) {
    ASSERT_EQ(FX_Addnode(index("plumora_url"), ""), 1);
    const int folder = index("plumora_url/新建文件夹");
    ASSERT_EQ(FX_Changeitemname(index("plumora_url"), folder, "top"), 1);
    ASSERT_EQ(FX_Addnode(index("plumora_url/top"), ""), 1);
    ASSERT_EQ(
        FX_Changeitemname(index("plumora_url/top"), index("plumora_url/top/新建文件夹"), "mid"), 1);
    ASSERT_EQ(FX_Addnode(index("plumora_url/top/mid"), ""), 1);
    ASSERT_EQ(FX_Changeitemname(index("plumora_url/top/mid"),
                                index("plumora_url/top/mid/新建文件夹"), "low"),
              1);
    const char stored[] = "[InternetShortcut]\r\nURL=http://example.org/\x01\xff\r\n";
    const std::string bytes(stored, sizeof stored - 1);
    put("plumora_url/top/mid/low", "site.url", bytes);
    ASSERT_EQ(FX_Addnode(index("plumora_url"), ""), 1);
    const int target = index("plumora_url/新建文件夹");

    ASSERT_EQ(fxtree_transfer({std::to_string(index("plumora_url/top"))}, target, false),
              FxError::none);
    const int copied = index("plumora_url/新建文件夹/top/mid/low/site.url");
    ASSERT_GT(copied, 0);
    EXPECT_EQ(get(copied), bytes);
    EXPECT_EQ(get(index("plumora_url/top/mid/low/site.url")), bytes);
    EXPECT_EQ(fxtree_transfer({}, target, false), FxError::refused);
}

// A move whose copies would not all fit is refused whole: the names stay
// within 256 bytes, and nothing is removed or added.
TEST_F(FxTreeStore, AMoveThatCannotStoreEveryCopyChangesNothing) {
    ASSERT_EQ(FX_Addnode(index("plumora_url"), ""), 1);
    const std::string deep = "plumora_url/" + std::string(200, 'd');
    ASSERT_EQ(FX_Changeitemname(index("plumora_url"), index("plumora_url/新建文件夹"),
                                std::string(200, 'd')),
              1);
    put("plumora_url", "short", "s");
    put("plumora_url", std::string(60, 'l'), "l");
    const auto before = listing();
    EXPECT_EQ(fxtree_transfer({std::to_string(index("plumora_url/short")),
                               std::to_string(index("plumora_url/" + std::string(60, 'l')))},
                              index(deep), true),
              FxError::name_too_long);
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(fxtree_transfer({std::to_string(index("plumora_url"))}, index(deep), true),
              FxError::refused);  // into itself
    EXPECT_EQ(listing(), before);
}

}  // namespace
