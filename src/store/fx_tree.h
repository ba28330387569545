// The store-bound tree: one folder of the container (the root name, such as
// "plumora_url") as a tree of nodes, each standing for one container item,
// and the tree's edits carried out on the container itself. This is the
// logic without a view; the tree view only shows a TreeNode and is rebuilt
// from the container after every change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/fx_error.h"

namespace velmora::store {

enum class TreeType { mht, kx, url };
std::optional<TreeType> tree_type(std::string_view name);
// "网文资料库", "虚拟密盘", "网址书签".
const char* root_caption(TreeType type);

// The view's four fixed images; a "kx" tree adds file-type icons from 4 on.
inline constexpr int root_image = 0;
inline constexpr int folder_image = 1;
inline constexpr int folder_selected_image = 2;
inline constexpr int file_image = 3;
inline constexpr std::uint16_t folder_itemtype = 0x63;

// One item of the container listing.
struct ListedItem {
    int index = 0;
    std::uint16_t lb = 0;
    std::uint16_t itemtype = 0;
    std::string name;
};
// Every item in index order; none when the listing could not be read.
FxError list_container(std::vector<ListedItem>& items);

struct TreeNode {
    std::string caption;
    int index = -1;  // the container item the node stands for
    int image = file_image;
    int selected_image = file_image;
    bool folder = false;
    std::vector<TreeNode> children;
};

// The tree of `root_name` as the listing gives it: the first listed item
// whose name equals the root name (ASCII letters folded) is the top node;
// every other listed item whose name starts with the root name is placed
// by its path components, which match siblings exactly. Children keep the
// order in which the listing first names them; a folder made on the way
// takes the index and images of the item being placed. Nothing when no
// item is the root.
std::optional<TreeNode> build_tree(const std::vector<ListedItem>& items, std::string_view root_name,
                                   TreeType type);

// The positions, child by child, of the first node below the top (depth
// first) that stands for `select` (its low 32 bits); empty: the top node.
std::vector<int> find_node(const TreeNode& top, std::int64_t select);

// Whether a node may take `new_name` below the item `parent_name`: the full
// path, and with it the path of everything below the node (`inner_bytes`
// more, see inner_bytes()), is at most 256 bytes of GB18030 text, as the
// container counts its names; and the name holds no "/" or "\", which
// would make it a path.
enum class RenameCheck { ok, too_long, separator };
RenameCheck check_rename(const std::string& parent_name, const std::string& new_name,
                         std::size_t inner_bytes = 0);
inline constexpr std::size_t longest_path_bytes = 256;
inline constexpr const char* rename_too_long = "路径和文件名超长，无法保存！";
inline constexpr const char* rename_separator = "名称中不能含有“/”或“\\”！";
// The GB18030 bytes a name may have there; 0 when nothing fits.
std::size_t name_room(const std::string& parent_name, std::size_t inner_bytes = 0);
// The refusal of a name that is too long, with how long it may be there
// and how long it is, in bytes and in Chinese characters of two bytes.
std::string too_long_message(const std::string& parent_name, const std::string& new_name,
                             std::size_t inner_bytes = 0);
// How many bytes the paths below the item add to its own name at most
// ("/" and the names below it); 0 for a bookmark or an empty folder, and
// when the listing could not be read (the container refuses such a rename
// itself then).
std::size_t inner_bytes(int index);

// True when `name` is `folder` itself or lies below it: a folder cannot be
// pasted into itself.
bool is_same_or_below(const std::string& name, const std::string& folder);

// The full node path of an item; empty when there is none.
std::string item_path(int index);
// The item at a full node path: its index (-1 when there is none) and
// whether it is a folder.
struct FoundItem {
    int index = -1;
    bool folder = false;
};
FoundItem find_item(const std::string& path);
// The reason the last container operation failed, `fallback` when it
// left none.
FxError last_error_or(FxError fallback);
// Renames the item `index` below `parent`: "" when the container took the
// new name, else why not, in the words of a message (a name too long for
// the path, with how long it may be; a separator; a name that is empty or
// taken; a failure of the container).
std::string rename_item(int parent, int index, const std::string& new_name);

// Removes the items in the given order, with what lies below them.
FxError delete_items(const std::vector<int>& indices);
// A new folder "新建文件夹" below `parent`; answers its index, or -1.
int add_folder(int parent);
// A new folder named `name` below `parent`: its index, or -1 with `error`
// set, leaving nothing behind.
int add_named_folder(int parent, const std::string& name, FxError& error);

// Many changes to the container as one transaction, such as an import of
// thousands of items: each change that fails undoes only itself, and
// nothing is stored before commit() answers none. Rolled back when it ends
// without a commit.
class ChangeBatch {
public:
    ChangeBatch();
    ~ChangeBatch();
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;
    // none once the batch is open; why not otherwise.
    FxError started() const { return started_; }
    FxError commit();

private:
    FxError started_ = FxError::none;
    bool open_ = false;
};

// Copies the listed items (decimal indices), with everything below them,
// under the item `target`, inside the container; with `cut` they are then
// removed at their places, in the same transaction, and an item already
// directly below `target` stays as it is. Answers none once every item is
// stored; a failure changes nothing.
FxError fxtree_transfer(const std::vector<std::string>& items, int target, bool cut);

}  // namespace velmora::store
