// The bookmark page of the main window: the tree of bookmark folders and
// bookmarks kept in the container, with its pop-up menu: capture the pages
// open in the browsers, add, open, find, edit, new folder, delete, rename,
// cut, copy and paste. Every change goes to the container at once and the
// tree is built again from it.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

#include "bookmarks/bookmark_import.h"
#include "bookmarks/bookmark_store.h"
#include "bookmarks/widgets/ufrm_url.h"
#include "store/container_names.h"
#include "store/widgets/ukx_fxtree.h"
#include "sys/platform.h"
#include "sys/prompts.h"

class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace velmora::bookmarks {

class ImportProgress;

class BookmarkPage : public QObject {
    Q_OBJECT

public:
    // The pages open in the browsers now, with their titles as the browsers
    // keep them.
    using OpenPages = std::function<std::vector<Bookmark>()>;
    // The file the user picked for an export (`saving`) or an import; empty
    // when the dialog was cancelled.
    using FileChooser = std::function<std::string(QWidget* parent, bool saving)>;

    BookmarkPage(QWidget* page, sys::Prompts& prompts, sys::Platform& platform,
                 OpenPages open_pages);
    ~BookmarkPage() override;

    QTreeWidget* tv_url = nullptr;
    QMenu* pm_url = nullptr;
    QAction* n_url_get = nullptr;
    QAction* n_url_add = nullptr;
    QAction* n_url_open = nullptr;
    QAction* n_input_find = nullptr;
    QAction* n_url_edit = nullptr;
    QAction* n_url_newdir = nullptr;
    QAction* n_url_del = nullptr;
    QAction* n_url_rename = nullptr;
    QAction* n_url_cut = nullptr;
    QAction* n_url_copy = nullptr;
    QAction* n_url_paste = nullptr;
    QAction* n_url_export = nullptr;
    QAction* n_url_import = nullptr;
    store::ImageList Image_url;

    // Builds the tree from the container, its top level open.
    void load();
    store::FxTree tree() { return {tv_url, store::bookmark_root, &Image_url, "url"}; }

    void n_url_getClick();
    void n_url_addClick();
    void n_url_openClick();
    void n_input_findClick();
    void n_url_editClick();
    void n_url_newdirClick();
    void n_url_delClick();
    void n_url_renameClick();
    void n_url_cutClick() { put_aside(Clip::Mode::cut); }
    void n_url_copyClick() { put_aside(Clip::Mode::copy); }
    void n_url_pasteClick();
    void n_url_exportClick();
    void n_url_importClick();
    void set_file_chooser(FileChooser chooser) { choose_file_ = std::move(chooser); }
    void tv_urlChange();
    void tv_urlDblClick();
    void tv_urlEdited(const std::string& text);
    // An import still running in slices.
    bool importing() const { return !import_.isNull(); }
    // The program is closing: an import stops after the slice it stored,
    // and pages still being read are not offered.
    void stop_work();

private:
    void build_menu();
    QAction* add_action(const char* name, const char* caption, void (BookmarkPage::*handler)());
    void apply(const MenuState& menu);
    void put_aside(Clip::Mode mode);
    void report_load(store::FxError error);
    std::optional<Bookmark> read_selected();
    std::optional<Bookmark> ask_until_stored(
        Bookmark typed, const std::function<store::FxError(const Bookmark&)>& store);
    TitleCheck title_check_below(int folder_index) const;
    void add_captured(const std::vector<std::string>& lines);
    void show_added(int folder);
    int selected_index() const;
    int import_folder() const;
    void imported(int folder, std::size_t flattened_folders, const ImportReport& report);

    sys::Prompts& prompts_;
    sys::Platform& platform_;
    OpenPages open_pages_;
    FileChooser choose_file_;
    QLabel* load_problem_ = nullptr;
    Clip clip_;
    bool loading_ = false;
    QPointer<ImportProgress> import_;
    bool closing_ = false;
};

inline constexpr const char* no_open_page = "当前无打开网页，无法抓取网址！";

}  // namespace velmora::bookmarks
