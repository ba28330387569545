// The bookmark page's exchange with files: the tree exported as a bookmark
// file the browsers read, and such a file imported below a folder.
#include "bookmarks/widgets/bookmark_page.h"

#include <QTreeWidget>

#include <cerrno>

#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"
#include "bookmarks/widgets/bookmark_progress.h"
#include "sys/atomicfile.h"
#include "sys/error_text.h"

namespace velmora::bookmarks {

namespace {

std::string read_problem(sys::ReadFailure failure) {
    switch (failure) {
        case sys::ReadFailure::missing: return "文件不存在";
        case sys::ReadFailure::not_regular: return "这不是一个普通文件";
        case sys::ReadFailure::too_large: return "文件超过 16 MB，不像是书签文件";
        default: return "读取文件时出错";
    }
}

}  // namespace

// The whole tree is read before the file is touched, and the file replaced
// only once the new one is complete. What may be written is the system
// helper's rule, the command line's too: a new name or a regular file of
// one name; a read-only one only once the user has said so.
void BookmarkPage::n_url_exportClick() {
    const std::string path = choose_file_(tv_url->window(), true);
    if (path.empty()) return;
    const auto refuse = [this](sys::WriteTarget target) {
        prompts_.inform(
            "书签没有导出：" + sys::write_target_refusal(target) + "。原有的文件保持原样。", {},
            sys::PromptIcon::error);
    };
    const sys::WriteTarget target = sys::inspect_write_target(path);
    const bool read_only = target == sys::WriteTarget::read_only;
    if (read_only) {
        if (!prompts_.ask_yes_no(path + " 是一个只读文件。\n要用导出的书签替换它吗？", "导出书签",
                                 true)) {
            return;
        }
    } else if (!sys::may_write(target, false)) {
        refuse(target);
        return;
    }
    const StoredTree stored = read_stored_tree();
    if (stored.error != store::FxError::none) {
        prompts_.inform(not_saved_message("书签没有导出", stored.error), {},
                        sys::PromptIcon::error);
        return;
    }
    const sys::TargetWrite written =
        sys::write_to_target(path, write_bookmark_html(stored.top), read_only);
    if (written.refused) {
        refuse(written.target);
        return;
    }
    if (!written.written) {
        prompts_.inform("书签没有导出：" + sys::error_text(errno) + "。", {},
                        sys::PromptIcon::error);
        return;
    }
    prompts_.inform("书签已导出到 " + path);
}

// Below the selected folder; with a bookmark selected, below the root.
int BookmarkPage::import_folder() const {
    const NodeKind kind = kind_of_image(store::node_image(tv_url->currentItem()));
    if (kind == NodeKind::root || kind == NodeKind::folder) return selected_index();
    return store::find_item(store::bookmark_root).index;
}

void BookmarkPage::n_url_importClick() {
    const int folder = import_folder();
    if (folder <= 0) {
        // The lookup of the root failed: its error is told, not dropped.
        const store::FxError why = store::last_error_or(store::FxError::none);
        if (why != store::FxError::none) {
            prompts_.inform(not_saved_message("书签没有导入", why), {}, sys::PromptIcon::error);
        }
        return;
    }
    const std::string path = choose_file_(tv_url->window(), false);
    if (path.empty()) return;
    sys::ReadFailure failure = sys::ReadFailure::none;
    const std::optional<std::string> html = sys::read_file(path, bookmark_html_limit, &failure);
    if (!html) {
        prompts_.inform("书签没有导入：" + read_problem(failure) + "。", {},
                        sys::PromptIcon::error);
        return;
    }
    ParsedBookmarks parsed = parse_bookmark_html(*html);
    if (parsed.top.empty()) {
        prompts_.inform("文件里没有找到书签，没有导入任何内容。");
        return;
    }
    // Thousands of bookmarks take seconds: they go in slices from the event
    // loop, and the tree takes no clicks until they are in.
    tv_url->setEnabled(false);
    const std::size_t flattened = parsed.flattened_folders;
    import_ = new ImportProgress(tv_url->window(), folder, std::move(parsed.top),
                                 [this, folder, flattened](const ImportReport& report) {
                                     imported(folder, flattened, report);
                                 });
}

void BookmarkPage::imported(int folder, std::size_t flattened_folders, const ImportReport& report) {
    tv_url->setEnabled(true);
    show_added(folder);
    tv_urlChange();
    std::string summary = import_summary(report);
    if (flattened_folders > 0) {
        summary += "\n层次过深的 " + std::to_string(flattened_folders) +
                   " 个文件夹的内容并入了它们的上一级文件夹。";
    }
    const bool failed = report.stopped != store::FxError::none;
    prompts_.inform(summary, {}, failed ? sys::PromptIcon::error : sys::PromptIcon::information);
}

}  // namespace velmora::bookmarks
