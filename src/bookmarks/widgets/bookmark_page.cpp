#include "bookmarks/widgets/bookmark_page.h"
#include "sys/error_text.h"

#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>

#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"
#include "bookmarks/bookmark_rules.h"
#include "bookmarks/widgets/bookmark_progress.h"
#include "bookmarks/widgets/uFX_find.h"
#include "bookmarks/widgets/uwebcheck.h"
#include "sys/atomicfile.h"
#include "ui/file_dialogs.h"
#include "ui/theme.h"

namespace velmora::bookmarks {

namespace {

QTreeWidget* make_tree(QWidget* page) {
    auto* tree = new QTreeWidget(page);
    tree->setObjectName("tv_url");
    tree->setHeaderHidden(true);
    tree->setToolTip("右键菜单操作");
    tree->setFrameShape(QFrame::NoFrame);
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setRootIsDecorated(false);
    tree->setIndentation(19);
    tree->setEditTriggers(QAbstractItemView::EditKeyPressed);
    tree->setDragEnabled(false);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette palette = tree->palette();
    palette.setColor(QPalette::Base, ui::theme::cream);
    // The selection stays visible while another control has the focus.
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    }
    tree->setPalette(palette);
    return tree;
}

constexpr const char* bookmark_file_filter = "书签文件 (*.html *.htm);;所有文件 (*)";

std::string ask_for_file(QWidget* parent, bool saving) {
    const QString filter = QString::fromUtf8(bookmark_file_filter);
    const QString chosen =
        saving ? ui::choose_file_to_save(parent, "导出书签", "bookmarks.html", filter)
               : ui::choose_file_to_open(parent, "导入书签", filter);
    return chosen.toStdString();
}

}  // namespace

BookmarkPage::BookmarkPage(QWidget* page, sys::Prompts& prompts, sys::Platform& platform,
                           OpenPages open_pages)
    : QObject(page),
      Image_url(store::fixed_images()),
      prompts_(prompts),
      platform_(platform),
      open_pages_(std::move(open_pages)),
      choose_file_(ask_for_file) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    load_problem_ = new QLabel(page);
    load_problem_->setWordWrap(true);
    load_problem_->setStyleSheet(ui::theme::warning_style);
    load_problem_->hide();
    column->addWidget(load_problem_);
    tv_url = make_tree(page);
    column->addWidget(tv_url);
    build_menu();
    connect(tv_url, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pm_url->popup(tv_url->viewport()->mapToGlobal(at)); });
    connect(tv_url, &QTreeWidget::currentItemChanged, this, &BookmarkPage::tv_urlChange);
    connect(tv_url, &QTreeWidget::itemDoubleClicked, this, &BookmarkPage::tv_urlDblClick);
    // The edit is taken up once the editor has closed: the reload that
    // follows a rename must not pull the node from under it.
    connect(tv_url, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node) {
        if (loading_ || node != tv_url->currentItem()) return;
        const std::string text = node->text(0).toStdString();
        QTimer::singleShot(0, this, [this, text] { tv_urlEdited(text); });
    });
}

void BookmarkPage::build_menu() {
    pm_url = new QMenu(tv_url);
    pm_url->setObjectName("pm_url");
    n_url_get = add_action("n_url_get", "抓取当前打开网页网址", &BookmarkPage::n_url_getClick);
    n_url_add = add_action("n_url_add", "手动添加网址", &BookmarkPage::n_url_addClick);
    pm_url->addSeparator();
    n_url_open = add_action("n_url_open", "打开浏览选择的网址", &BookmarkPage::n_url_openClick);
    pm_url->addSeparator();
    n_input_find = add_action("n_input_find", "查找", &BookmarkPage::n_input_findClick);
    n_url_edit = add_action("n_url_edit", "编辑", &BookmarkPage::n_url_editClick);
    pm_url->addSeparator();
    n_url_newdir = add_action("n_url_newdir", "新建目录", &BookmarkPage::n_url_newdirClick);
    pm_url->addSeparator();
    n_url_del = add_action("n_url_del", "删除", &BookmarkPage::n_url_delClick);
    n_url_rename = add_action("n_url_rename", "重命名", &BookmarkPage::n_url_renameClick);
    pm_url->addSeparator();
    n_url_cut = add_action("n_url_cut", "剪切", &BookmarkPage::n_url_cutClick);
    n_url_copy = add_action("n_url_copy", "复制", &BookmarkPage::n_url_copyClick);
    n_url_paste = add_action("n_url_paste", "粘贴", &BookmarkPage::n_url_pasteClick);
    n_url_paste->setEnabled(false);
    pm_url->addSeparator();
    n_url_export = add_action("n_url_export", "导出书签…", &BookmarkPage::n_url_exportClick);
    n_url_import = add_action("n_url_import", "导入书签…", &BookmarkPage::n_url_importClick);
}

QAction* BookmarkPage::add_action(const char* name, const char* caption,
                                  void (BookmarkPage::*handler)()) {
    QAction* action = pm_url->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void BookmarkPage::load() {
    loading_ = true;
    const store::FxError loaded = store::fxtree_reload(tree(), -1);
    loading_ = false;
    report_load(loaded);
    tv_urlChange();
}

void BookmarkPage::report_load(store::FxError error) {
    load_problem_->setVisible(error != store::FxError::none);
    if (error == store::FxError::none) return;
    load_problem_->setText(QString::fromStdString(not_saved_message("无法读取网址书签", error)));
}

int BookmarkPage::selected_index() const {
    return store::node_index(tv_url->currentItem());
}

void BookmarkPage::apply(const MenuState& menu) {
    const std::pair<QAction*, bool> states[] = {
        {n_url_get, menu.get},       {n_url_add, menu.add},       {n_url_open, menu.open},
        {n_url_edit, menu.edit},     {n_url_newdir, menu.newdir}, {n_url_del, menu.del},
        {n_url_rename, menu.rename}, {n_url_cut, menu.cut},       {n_url_copy, menu.copy},
        {n_url_paste, menu.paste}};
    for (const auto& [action, enabled] : states) action->setEnabled(enabled);
}

void BookmarkPage::tv_urlChange() {
    apply(menu_for(kind_of_image(store::node_image(tv_url->currentItem())),
                   n_url_paste->isEnabled()));
}

// The folder that took new bookmarks is selected and open, so they show.
void BookmarkPage::show_added(int folder) {
    store::fxtree_reload(tree(), folder);
    if (QTreeWidgetItem* selected = tv_url->currentItem()) selected->setExpanded(true);
}

// The dialog comes back with what was typed until the container took it,
// or the user gave up: a failed save never loses the typed text.
std::optional<Bookmark> BookmarkPage::ask_until_stored(
    Bookmark typed, const std::function<store::FxError(const Bookmark&)>& store) {
    const int folder = selected_index();
    for (;;) {
        std::optional<Bookmark> edited =
            edit_bookmark(tv_url->window(), typed, prompts_, title_check_below(folder));
        if (!edited) return std::nullopt;
        const store::FxError saved = store(*edited);
        if (saved == store::FxError::none) return edited;
        prompts_.inform(not_saved_message("书签“" + edited->title + "”没有保存", saved), {},
                        sys::PromptIcon::error);
        typed = *edited;
    }
}

TitleCheck BookmarkPage::title_check_below(int folder_index) const {
    const std::string folder = store::item_path(folder_index);
    return [folder](const std::string& title) -> std::optional<std::string> {
        if (std::optional<std::string> problem = title_problem(title)) return problem;
        if (store::check_rename(folder, title) != store::RenameCheck::ok) {
            return store::too_long_message(folder, title);
        }
        return std::nullopt;
    };
}

void BookmarkPage::n_url_addClick() {
    const int folder = selected_index();
    if (folder < 0) return;
    if (ask_until_stored({}, [folder](const Bookmark& b) { return add_bookmark(folder, b); })) {
        show_added(folder);
    }
}

std::optional<Bookmark> BookmarkPage::read_selected() {
    const QTreeWidgetItem* node = tv_url->currentItem();
    if (!node || store::node_index(node) < 0) return std::nullopt;
    const AddressRead read = read_address(store::node_index(node));
    if (read.error != store::FxError::none) {
        prompts_.inform(not_saved_message("无法读取这个书签", read.error), {},
                        sys::PromptIcon::error);
        return std::nullopt;
    }
    return Bookmark{node->text(0).toStdString(), read.address};
}

void BookmarkPage::n_url_openClick() {
    const std::optional<Bookmark> bookmark = read_selected();
    if (!bookmark) return;
    if (!may_open(bookmark->address)) {
        prompts_.inform(refused_address);
        return;
    }
    int error = 0;
    if (!platform_.open_address(bookmark->address, error)) {
        prompts_.inform("无法打开网址：" + sys::error_text(error), {}, sys::PromptIcon::error);
    }
}

void BookmarkPage::n_url_editClick() {
    QTreeWidgetItem* node = tv_url->currentItem();
    const std::optional<Bookmark> bookmark = read_selected();
    if (!bookmark || !node->parent()) return;
    const int old_index = store::node_index(node);
    const int folder = store::node_index(node->parent());
    tv_url->setCurrentItem(node->parent());
    const auto stored = ask_until_stored(*bookmark, [old_index, folder](const Bookmark& b) {
        return replace_bookmark(old_index, folder, b);
    });
    store::fxtree_reload(tree(), stored ? folder : old_index);
}

void BookmarkPage::tv_urlDblClick() {
    if (kind_of_image(store::node_image(tv_url->currentItem())) == NodeKind::bookmark)
        n_url_openClick();
}

void BookmarkPage::n_input_findClick() {
    Tform_find dialog(tv_url->window(), store::bookmark_root, tv_url);
    dialog.exec();
}

// The new folder waits for its name at once.
void BookmarkPage::n_url_newdirClick() {
    const int added = store::fxtree_addnode(tree());
    const store::FxError why =
        added < 0 ? store::last_error_or(store::FxError::none) : store::FxError::none;
    if (why != store::FxError::none) {
        prompts_.inform(not_saved_message("没有新建目录", why), {}, sys::PromptIcon::error);
    }
    if (added < 0) return;
    for (QTreeWidgetItem* node : store::all_nodes(tv_url)) {
        if (store::node_index(node) != added) continue;
        store::select_alone(tv_url, node);
        tv_url->editItem(node);
        return;
    }
}

void BookmarkPage::n_url_delClick() {
    store::fxtree_delete(tree(), prompts_);
}

void BookmarkPage::n_url_renameClick() {
    QTreeWidgetItem* node = tv_url->currentItem();
    if (node && node->parent()) tv_url->editItem(node);
}

// A folder or a bookmark renamed in the tree obeys the rule of a title
// typed in the edit dialog.
void BookmarkPage::tv_urlEdited(const std::string& text) {
    if (std::optional<std::string> problem = title_problem(text)) {
        prompts_.inform(*problem, {}, sys::PromptIcon::error);
        store::fxtree_reload(tree(), -1);
        return;
    }
    loading_ = true;
    store::fxtree_rename(tree(), text, prompts_);
    loading_ = false;
}

// Items are put aside from the bottom of the tree upwards; the root never.
void BookmarkPage::put_aside(Clip::Mode mode) {
    clip_.items.clear();
    if (!tv_url->currentItem()) return;
    clip_.mode = mode;
    for (const int index : store::selected_items_upwards(tv_url)) {
        clip_.items.push_back(std::to_string(index));
    }
    n_url_paste->setEnabled(!clip_.items.empty());
}

void BookmarkPage::n_url_pasteClick() {
    const PasteOutcome outcome = paste(clip_, selected_index());
    clip_ = {};
    n_url_paste->setEnabled(false);
    switch (outcome.result) {
        case PasteResult::pasted:
        case PasteResult::nothing: break;
        case PasteResult::into_itself:
            prompts_.inform(paste_into_itself, {}, sys::PromptIcon::error);
            break;
        case PasteResult::failed:
            prompts_.inform(not_saved_message("没有粘贴，原处的内容都还在", outcome.error), {},
                            sys::PromptIcon::error);
            break;
    }
    store::fxtree_reload(tree(), -1);
    tv_urlChange();
}

// The session files are read on a thread of their own; the tree takes no
// clicks meanwhile.
void BookmarkPage::n_url_getClick() {
    tv_url->setEnabled(false);
    const std::optional<std::vector<Bookmark>> open_pages =
        read_off_thread(tv_url->window(), open_pages_, [this] { return closing_; });
    tv_url->setEnabled(true);
    if (!open_pages) return;
    std::vector<std::string> lines;
    for (const Bookmark& open : *open_pages) {
        const std::string title = capture_title(open.title, open.address);
        if (!title.empty()) lines.push_back(entry_line(title, open.address));
    }
    if (lines.empty()) {
        prompts_.inform(no_open_page);
        return;
    }
    add_captured(choose_pages(tv_url->window(), lines));
}

// Every ticked page goes below the selected folder, all in one transaction
// (thousands of pages cost one sync to the disk); a page the container
// refuses is named, a failure of the container itself stores none of them.
void BookmarkPage::add_captured(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    const int folder = selected_index();
    std::string refused;
    store::ChangeBatch batch;
    store::FxError failure = batch.started();
    for (std::size_t i = 0; i < lines.size() && failure == store::FxError::none; ++i) {
        const Entry entry = split_entry_line(lines[i]);
        const store::FxError added = add_bookmark(folder, {entry.title, entry.address});
        if (only_this_entry(added)) {
            refused += "\n" + entry.title + "：" + store::describe(added);
        } else {
            failure = added;
        }
    }
    if (failure == store::FxError::none) failure = batch.commit();
    show_added(folder);
    if (failure != store::FxError::none) {
        prompts_.inform(not_saved_message("抓取的网页没有加入书签", failure), {},
                        sys::PromptIcon::error);
    } else if (!refused.empty()) {
        prompts_.inform("以下网页没有加入书签：" + refused, {}, sys::PromptIcon::error);
    }
}

BookmarkPage::~BookmarkPage() {
    if (import_) import_->stop();
}

void BookmarkPage::stop_work() {
    closing_ = true;
    if (import_) import_->stop();
}

}  // namespace velmora::bookmarks
