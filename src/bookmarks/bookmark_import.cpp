#include "bookmarks/bookmark_import.h"

#include <optional>
#include <utility>

#include "bookmarks/bookmark_rules.h"
#include "bookmarks/bookmark_store.h"
#include "store/container_names.h"
#include "store/fx_tree.h"

namespace velmora::bookmarks {

namespace {

store::FxError read_children(const store::TreeNode& node, std::vector<BookmarkNode>& into) {
    for (const store::TreeNode& child : node.children) {
        if (child.folder) {
            BookmarkNode folder{child.caption, {}, true, {}};
            const store::FxError error = read_children(child, folder.children);
            if (error != store::FxError::none) return error;
            into.push_back(std::move(folder));
            continue;
        }
        AddressRead read = read_address(child.index);
        if (read.error != store::FxError::none) return read.error;
        into.push_back({child.caption, std::move(read.address), false, {}});
    }
    return store::FxError::none;
}

class Importer {
public:
    void items(int folder, const std::vector<BookmarkNode>& nodes);
    ImportReport report;

private:
    void link(int folder, const std::string& folder_name, const BookmarkNode& node);
    void subfolder(int folder, const std::string& folder_name, const BookmarkNode& node);
    int target_folder(int folder, const std::string& folder_name, const std::string& name,
                      const BookmarkNode& node);
    static bool already_there(const std::string& name, const std::string& address) {
        const store::FoundItem existing = store::find_item(name);
        return existing.index > 0 && !existing.folder &&
               read_address(existing.index).address == address;
    }
    void skip(const std::string& title, const std::string& why) {
        report.skipped.push_back(title + "：" + why);
    }
};

void Importer::items(int folder, const std::vector<BookmarkNode>& nodes) {
    const std::string folder_name = store::item_path(folder);
    for (const BookmarkNode& node : nodes) {
        if (node.folder) {
            subfolder(folder, folder_name, node);
        } else {
            link(folder, folder_name, node);
        }
    }
}

void Importer::link(int folder, const std::string& folder_name, const BookmarkNode& node) {
    const std::string title = capture_title(node.title, node.address);
    const std::string shown = node.title.empty() ? node.address : node.title;
    if (!may_open(node.address) || title.empty()) {
        skip(shown, "不是 http、https、ftp 或 file 网址");
    } else if (const std::optional<std::string> problem = title_problem(title)) {
        skip(shown, *problem);
    } else if (store::check_rename(folder_name, title) != store::RenameCheck::ok) {
        skip(shown, store::rename_too_long);
    } else if (already_there(folder_name + "/" + title, node.address)) {
        ++report.already_there;
    } else if (const store::FxError added = add_bookmark(folder, {title, node.address});
               added != store::FxError::none) {
        skip(shown, store::describe(added));
    } else {
        ++report.bookmarks;
    }
}

// A folder of that name already below `folder` takes the items, so that a
// file imported twice does not make a second copy of every folder.
int Importer::target_folder(int folder, const std::string& folder_name, const std::string& name,
                            const BookmarkNode& node) {
    const store::FoundItem existing = store::find_item(folder_name + "/" + name);
    if (existing.index > 0) {
        if (existing.folder) return existing.index;
        skip(node.title, "已有同名的书签，文件夹及其内容没有导入");
        return -1;
    }
    store::FxError error = store::FxError::none;
    const int made = store::add_named_folder(folder, name, error);
    if (made >= 0) {
        ++report.folders;
        return made;
    }
    skip(node.title, store::describe(error));
    return -1;
}

void Importer::subfolder(int folder, const std::string& folder_name, const BookmarkNode& node) {
    std::string name = clean_title(node.title);
    if (name.empty()) name = "未命名文件夹";
    // A folder's name obeys the rule of a bookmark's title.
    if (const std::optional<std::string> problem = title_problem(name)) {
        skip(node.title, *problem + "文件夹及其内容没有导入");
        return;
    }
    if (store::check_rename(folder_name, name) != store::RenameCheck::ok) {
        skip(node.title, std::string(store::rename_too_long) + "文件夹及其内容没有导入");
        return;
    }
    const int target = target_folder(folder, folder_name, name, node);
    if (target >= 0) items(target, node.children);
}

}  // namespace

StoredTree read_stored_tree() {
    StoredTree tree;
    std::vector<store::ListedItem> items;
    tree.error = store::list_container(items);
    if (tree.error != store::FxError::none) return tree;
    const auto root = store::build_tree(items, store::bookmark_root, store::TreeType::url);
    if (root) tree.error = read_children(*root, tree.top);
    if (tree.error != store::FxError::none) tree.top.clear();
    return tree;
}

ImportReport import_tree(int folder_index, const std::vector<BookmarkNode>& top) {
    Importer importer;
    importer.items(folder_index, top);
    return importer.report;
}

std::string import_summary(const ImportReport& report) {
    std::string text = "已导入 " + std::to_string(report.bookmarks) + " 个书签、" +
                       std::to_string(report.folders) + " 个文件夹。";
    if (report.already_there > 0) {
        text += "另有 " + std::to_string(report.already_there) + " 个书签原来就有，没有重复加入。";
    }
    if (report.skipped.empty()) return text;
    text += "\n以下 " + std::to_string(report.skipped.size()) + " 项没有导入：";
    constexpr std::size_t longest_list = 20;
    for (std::size_t i = 0; i < report.skipped.size() && i < longest_list; ++i) {
        text += "\n" + report.skipped[i];
    }
    if (report.skipped.size() > longest_list) text += "\n……";
    return text;
}

}  // namespace velmora::bookmarks
