#include "store/fx_tree.h"

#include <algorithm>

#include "store/fxstore.h"
#include "store/kx_efs.h"
#include "sys/textcodec.h"

namespace velmora::store {

namespace {

char fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool starts_with_folded(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (fold(text[i]) != fold(prefix[i])) return false;
    }
    return true;
}

std::vector<std::string_view> components(std::string_view rest) {
    while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    std::vector<std::string_view> parts;
    for (std::size_t slash; (slash = rest.find('/')) != std::string_view::npos;) {
        parts.push_back(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
    }
    if (!rest.empty()) parts.push_back(rest);
    return parts;
}

TreeNode node_for(std::string_view caption, const ListedItem& item) {
    TreeNode node;
    node.caption = std::string(caption);
    node.index = item.index;
    node.folder = item.itemtype == folder_itemtype;
    node.image = node.folder ? folder_image : file_image;
    node.selected_image = node.folder ? folder_selected_image : file_image;
    return node;
}

void place(TreeNode& top, const ListedItem& item, std::string_view rest) {
    TreeNode* at = &top;
    for (std::string_view part : components(rest)) {
        auto child = std::find_if(at->children.begin(), at->children.end(),
                                  [part](const TreeNode& node) { return node.caption == part; });
        if (child == at->children.end()) {
            at->children.push_back(node_for(part, item));
            child = at->children.end() - 1;
        }
        at = &*child;
    }
}

bool find_below(const TreeNode& node, std::int32_t select, std::vector<int>& path) {
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        path.push_back(static_cast<int>(i));
        if (node.children[i].index == select || find_below(node.children[i], select, path)) {
            return true;
        }
        path.pop_back();
    }
    return false;
}

}  // namespace

std::optional<TreeType> tree_type(std::string_view name) {
    if (name == "mht") return TreeType::mht;
    if (name == "kx") return TreeType::kx;
    if (name == "url") return TreeType::url;
    return std::nullopt;
}

const char* root_caption(TreeType type) {
    switch (type) {
        case TreeType::mht: return "网文资料库";
        case TreeType::kx: return "虚拟密盘";
        case TreeType::url: break;
    }
    return "网址书签";
}

// One read of the whole listing: a tree of thousands of items is built
// without a query per item.
FxError list_container(std::vector<ListedItem>& items) {
    items.clear();
    std::vector<Item> stored;
    FxStore& container = process_container();
    if (!container.list_items(stored)) return container.last_error();
    items.reserve(stored.size());
    for (Item& item : stored) {
        items.push_back({item.index, item.lb, item.type,
                         item.name.empty() ? std::string() : text::from_gb18030(item.name)});
    }
    return FxError::none;
}

std::optional<TreeNode> build_tree(const std::vector<ListedItem>& items, std::string_view root_name,
                                   TreeType type) {
    const auto root = std::find_if(items.begin(), items.end(), [root_name](const ListedItem& i) {
        return i.lb == 0 && i.name.size() == root_name.size() &&
               starts_with_folded(i.name, root_name);
    });
    if (root == items.end()) return std::nullopt;
    TreeNode top{root_caption(type), root->index, root_image, root_image, true, {}};
    for (const ListedItem& item : items) {
        if (item.lb != 0 || item.name.size() <= root_name.size()) continue;
        if (!starts_with_folded(item.name, root_name)) continue;
        place(top, item, std::string_view(item.name).substr(root_name.size()));
    }
    return top;
}

std::vector<int> find_node(const TreeNode& top, std::int64_t select) {
    std::vector<int> path;
    if (!find_below(top, static_cast<std::int32_t>(select & 0xFFFFFFFF), path)) path.clear();
    return path;
}

RenameCheck check_rename(const std::string& parent_name, const std::string& new_name,
                         std::size_t inner_bytes) {
    if (new_name.find_first_of("/\\") != std::string::npos) return RenameCheck::separator;
    return text::gb_length(new_name) > name_room(parent_name, inner_bytes) ? RenameCheck::too_long
                                                                           : RenameCheck::ok;
}

std::size_t name_room(const std::string& parent_name, std::size_t inner_bytes) {
    const std::size_t taken = text::gb_length(parent_name) + 1 + inner_bytes;
    return taken >= longest_path_bytes ? 0 : longest_path_bytes - taken;
}

std::string too_long_message(const std::string& parent_name, const std::string& new_name,
                             std::size_t inner_bytes) {
    const std::size_t room = name_room(parent_name, inner_bytes);
    std::string text = std::string(rename_too_long) + "\n";
    if (inner_bytes > 0) {
        text += "这个文件夹里最长的路径还要占 " + std::to_string(inner_bytes) + " 个字节。\n";
    }
    return text + "这里的名称最多 " + std::to_string(room) + " 个字节（约 " +
           std::to_string(room / 2) + " 个汉字，每个汉字占 2 个字节），\n现在是 " +
           std::to_string(text::gb_length(new_name)) + " 个字节。";
}

std::size_t inner_bytes(int index) {
    std::vector<ListedItem> items;
    if (list_container(items) != FxError::none) return 0;
    const auto item = std::find_if(items.begin(), items.end(),
                                   [index](const ListedItem& i) { return i.index == index; });
    if (item == items.end() || item->name.empty()) return 0;
    const std::string prefix = item->name + "/";
    std::size_t longest = 0;
    for (const ListedItem& inner : items) {
        if (inner.name.compare(0, prefix.size(), prefix) != 0) continue;
        longest = std::max(longest, text::gb_length(inner.name.substr(item->name.size())));
    }
    return longest;
}

bool is_same_or_below(const std::string& name, const std::string& folder) {
    return name == folder ||
           (name.size() > folder.size() && name.compare(0, folder.size(), folder) == 0 &&
            name[folder.size()] == '/');
}

std::string item_path(int index) {
    return FX_Directory_Getitem_String("itemname", index);
}

FoundItem find_item(const std::string& path) {
    const int index = FX_Directory_Changenodenametoindex(path);
    if (index <= 0) return {};
    return {index, FX_Directory_Getitem_word("itemtype", index) == folder_itemtype};
}

FxError last_error_or(FxError fallback) {
    const FxError error = FX_Getlasterror();
    return error == FxError::none ? fallback : error;
}

std::string rename_item(int parent, int index, const std::string& new_name) {
    const std::string parent_name = item_path(parent);
    if (const FxError read = FX_Getlasterror(); read != FxError::none) {
        return not_saved_message("没有重命名", read);
    }
    // A folder's contents move with it: their paths must fit as well.
    const std::size_t inner = inner_bytes(index);
    switch (check_rename(parent_name, new_name, inner)) {
        case RenameCheck::too_long: return too_long_message(parent_name, new_name, inner);
        case RenameCheck::separator: return rename_separator;
        case RenameCheck::ok: break;
    }
    if (FX_Changeitemname(parent, index, new_name) == 1) return {};
    // A refusal without an error is the container's own rule on names.
    const FxError why = last_error_or(FxError::none);
    if (why != FxError::none) return not_saved_message("没有重命名", why);
    return "名称不能为空，也不能与同一目录中的其他项目相同！";
}

FxError delete_items(const std::vector<int>& indices) {
    for (const int index : indices) {
        if (FX_Deleteitem(index, 1) != 1) return last_error_or(FxError::io_error);
    }
    return FxError::none;
}

int add_folder(int parent) {
    const int next_index = FX_Directory_Getcount();
    if (FX_Addnode(parent, "") != 1) return -1;
    return next_index;
}

int add_named_folder(int parent, const std::string& name, FxError& error) {
    const int made = add_folder(parent);
    if (made >= 0 && FX_Changeitemname(parent, made, name) == 1) return made;
    error = last_error_or(FxError::refused);
    if (made >= 0) FX_Deleteitem(made, 1);
    return -1;
}

ChangeBatch::ChangeBatch() {
    open_ = process_container().begin_batch();
    if (!open_) started_ = last_error_or(FxError::io_error);
}

ChangeBatch::~ChangeBatch() {
    if (open_) process_container().rollback_batch();
}

FxError ChangeBatch::commit() {
    if (!open_) return started_;
    open_ = false;
    return process_container().commit_batch() ? FxError::none : last_error_or(FxError::io_error);
}

FxError fxtree_transfer(const std::vector<std::string>& items, int target, bool cut) {
    if (items.empty()) return FxError::refused;
    return FX_Copyitems(items, target, cut ? 1 : 0) == 1 ? FxError::none
                                                         : last_error_or(FxError::io_error);
}

}  // namespace velmora::store
