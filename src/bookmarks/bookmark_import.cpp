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

// A lookup that found nothing either found nothing or failed.
store::FxError lookup_failure() {
    return store::last_error_or(store::FxError::none);
}

}  // namespace

bool only_this_entry(store::FxError error) {
    return error == store::FxError::refused || error == store::FxError::name_too_long;
}

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

ImportRun::ImportRun(int folder_index, std::vector<BookmarkNode> top)
    : top_(std::move(top)), chosen_{folder_index, store::item_path(folder_index)} {
    plan(top_, -1);
    targets_.resize(steps_.size());
}

// Depth first, a folder before what it holds, as the file lists them.
void ImportRun::plan(const std::vector<BookmarkNode>& nodes, int parent) {
    for (const BookmarkNode& node : nodes) {
        steps_.push_back({&node, parent});
        if (node.folder) plan(node.children, static_cast<int>(steps_.size() - 1));
    }
}

bool ImportRun::run_slice(std::chrono::milliseconds budget) {
    if (next_ >= steps_.size() || report_.stopped != store::FxError::none || report_.cancelled) {
        return false;
    }
    const std::size_t first = next_;
    const ImportReport before{report_.folders, report_.bookmarks, report_.already_there, {}};
    const std::size_t skipped_before = report_.skipped.size();
    const auto undo = [&](store::FxError why) {
        report_.folders = before.folders;
        report_.bookmarks = before.bookmarks;
        report_.already_there = before.already_there;
        report_.skipped.resize(skipped_before);
        stop(why, first);
        return false;
    };
    store::ChangeBatch batch;
    if (batch.started() != store::FxError::none) return undo(batch.started());
    const auto end = std::chrono::steady_clock::now() + budget;
    do {
        if (!run_step(next_)) return undo(failure_);
        ++next_;
    } while (next_ < steps_.size() && std::chrono::steady_clock::now() < end);
    if (const store::FxError committed = batch.commit(); committed != store::FxError::none) {
        return undo(committed);
    }
    return next_ < steps_.size();
}

void ImportRun::cancel() {
    if (next_ >= steps_.size() || report_.stopped != store::FxError::none) return;
    report_.cancelled = true;
    report_.not_reached = steps_.size() - next_;
}

void ImportRun::stop(store::FxError why, std::size_t first_not_stored) {
    report_.stopped = why;
    report_.not_reached = steps_.size() - first_not_stored;
}

bool ImportRun::fail(store::FxError why) {
    failure_ = why;
    return false;
}

bool ImportRun::run_step(std::size_t at) {
    const Step& step = steps_[at];
    const Target& folder = step.parent < 0 ? chosen_ : targets_[step.parent];
    if (folder.index < 0) return true;  // left out with the folder that holds it
    if (step.node->folder) return subfolder(folder, *step.node, targets_[at]);
    return link(folder, *step.node);
}

bool ImportRun::link(const Target& folder, const BookmarkNode& node) {
    const std::string title = capture_title(node.title, node.address);
    const std::string shown = node.title.empty() ? node.address : node.title;
    if (!may_open(node.address) || title.empty()) {
        skip(shown, "不是 http、https、ftp 或 file 网址");
        return true;
    }
    if (const std::optional<std::string> problem = title_problem(title)) {
        skip(shown, *problem);
        return true;
    }
    if (store::check_rename(folder.path, title) != store::RenameCheck::ok) {
        skip(shown, store::rename_too_long);
        return true;
    }
    bool there = false;
    if (!already_there(folder.path + "/" + title, node.address, there)) return false;
    if (there) {
        ++report_.already_there;
        return true;
    }
    const store::FxError added = add_bookmark(folder.index, {title, node.address});
    if (added == store::FxError::none) {
        ++report_.bookmarks;
        return true;
    }
    if (!only_this_entry(added)) return fail(added);
    skip(shown, store::describe(added));
    return true;
}

bool ImportRun::already_there(const std::string& name, const std::string& address, bool& there) {
    const store::FoundItem existing = store::find_item(name);
    if (existing.index <= 0) {
        const store::FxError why = lookup_failure();
        return why == store::FxError::none || fail(why);
    }
    if (existing.folder) return true;
    const AddressRead read = read_address(existing.index);
    if (read.error != store::FxError::none) return fail(read.error);
    there = read.address == address;
    return true;
}

bool ImportRun::subfolder(const Target& folder, const BookmarkNode& node, Target& made) {
    std::string name = clean_title(node.title);
    if (name.empty()) name = "未命名文件夹";
    // A folder's name obeys the rule of a bookmark's title.
    if (const std::optional<std::string> problem = title_problem(name)) {
        skip(node.title, *problem + "文件夹及其内容没有导入");
        return true;
    }
    if (store::check_rename(folder.path, name) != store::RenameCheck::ok) {
        skip(node.title, std::string(store::rename_too_long) + "文件夹及其内容没有导入");
        return true;
    }
    return target_folder(folder, name, node, made);
}

// A folder of that name already below `folder` takes the items, so that a
// file imported twice does not make a second copy of every folder.
bool ImportRun::target_folder(const Target& folder, const std::string& name,
                              const BookmarkNode& node, Target& made) {
    const std::string path = folder.path + "/" + name;
    const store::FoundItem existing = store::find_item(path);
    if (existing.index > 0) {
        if (existing.folder) {
            made = {existing.index, path};
        } else {
            skip(node.title, "已有同名的书签，文件夹及其内容没有导入");
        }
        return true;
    }
    if (const store::FxError why = lookup_failure(); why != store::FxError::none) return fail(why);
    store::FxError error = store::FxError::none;
    const int index = store::add_named_folder(folder.index, name, error);
    if (index >= 0) {
        ++report_.folders;
        made = {index, path};
        return true;
    }
    if (!only_this_entry(error)) return fail(error);
    skip(node.title, store::describe(error));
    return true;
}

void ImportRun::skip(const std::string& title, const std::string& why) {
    report_.skipped.push_back(title + "：" + why);
}

ImportReport import_tree(int folder_index, const std::vector<BookmarkNode>& top) {
    ImportRun run(folder_index, top);
    while (run.run_slice(std::chrono::milliseconds(200))) {
    }
    return run.report();
}

std::string import_summary(const ImportReport& report) {
    std::string text;
    if (report.stopped != store::FxError::none) {
        text = "导入没有完成：" + std::string(store::describe(report.stopped)) + "。";
    } else if (report.cancelled) {
        text = "导入已取消。";
    }
    text += "已导入 " + std::to_string(report.bookmarks) + " 个书签、" +
            std::to_string(report.folders) + " 个文件夹。";
    if (report.already_there > 0) {
        text += "另有 " + std::to_string(report.already_there) + " 个书签原来就有，没有重复加入。";
    }
    if (report.not_reached > 0) {
        text += "其余 " + std::to_string(report.not_reached) + " 项没有导入，可以再导入一次。";
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
