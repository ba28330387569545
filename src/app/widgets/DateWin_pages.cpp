// The main window's tab pages: each page is built by its own class and the
// window keeps the names of its controls; the note and bookmark pages wait
// for their first showing.
#include <QDir>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/widgets/DateWin.h"
#include "bookmarks/sessions/browser_sessions.h"
#include "calendar/widgets/ufrm_datehint.h"
#include "tools/widgets/dict_loader.h"
#include "tools/widgets/uFX_dirhide.h"
#include "tools/widgets/usearch.h"
#include "ui/tab_style.h"
#include "ui/theme.h"

namespace velmora::app {

void TFRM_Date::build_tab_pages() {
    RzPageControl_date = new QTabWidget(Panel_center);
    RzPageControl_date->setObjectName("RzPageControl_date");
    RzPageControl_date->setDocumentMode(true);
    ui::apply_tab_style(RzPageControl_date->tabBar());
    for (auto [page, name, caption] : {std::tuple{&TabSheet5, "TabSheet5", "计划任务"},
                                       {&TabSheet6, "TabSheet6", "记事便笺"},
                                       {&TabSheet3, "TabSheet3", "辅助工具"},
                                       {&TabSheet4, "TabSheet4", "网址书签"}}) {
        *page = ui::theme::white_panel(RzPageControl_date, name);
        RzPageControl_date->addTab(*page, QString::fromUtf8(caption));
    }
    RzPageControl_date->setCurrentIndex(0);
    build_day_pages();
    tools_panel_ = new tools::ToolsPanel(
        TabSheet3,
        {[this](int page) { option_show(page); },
         [this] {
             calendar::datehint_show(this, *context_.prompts, context_.paths.temp_work(),
                                     *context_.clock);
         },
         [this] { capture_.start(); },
         [this] {
             // The program's parts and the data may be in two folders.
             const AppPaths& paths = context_.paths;
             tools::dirhide_show(
                 this, *context_.prompts, *context_.platform,
                 tools::kept_folders(paths.parts_dir(), paths.program_dir, paths.system_temp_dir));
         },
         [this] { tools::open_dictionary(this, *context_.prompts, *context_.platform); },
         [this] {
             tools::search_show(this, *context_.prompts, *context_.platform, *context_.clock);
         },
         [this] { holiday_import_.run(this); }});
}

void TFRM_Date::build_day_pages() {
    plan_page_ = new plans::PlanPage(
        TabSheet5, Memo_plan_temp, day_store_, *context_.prompts, *context_.clock,
        {[this] { selection_->redraw(); },
         [this](const calendar::Date& date) { selection_->show_month_only(date); },
         [this] { option_show(6); }});
    connect(RzPageControl_date, &QTabWidget::currentChanged, this, [this](int index) {
        if (RzPageControl_date->widget(index) == TabSheet6) note_page();
        if (RzPageControl_date->widget(index) == TabSheet4) bookmark_page();
    });
}

QListWidget* TFRM_Date::ListView_tool() const {
    return tools_panel_->ListView_tool;
}
QTableWidget* TFRM_Date::sg_mon_log() const {
    return plan_page_->sg_mon_log;
}
QPushButton* TFRM_Date::bt_plan_add() const {
    return plan_page_->bt_plan_add;
}
QPushButton* TFRM_Date::bt_plan_del() const {
    return plan_page_->bt_plan_del;
}
QPushButton* TFRM_Date::bt_plan_edit() const {
    return plan_page_->bt_plan_edit;
}
QPushButton* TFRM_Date::Button7() const {
    return plan_page_->Button7;
}
QPushButton* TFRM_Date::Button8() const {
    return plan_page_->Button8;
}
QPushButton* TFRM_Date::Button2() const {
    return plan_page_->Button2;
}
QPlainTextEdit* TFRM_Date::Memo_note() {
    return note_page().Memo_note;
}
QPushButton* TFRM_Date::Button1() {
    return note_page().Button1;
}
QPushButton* TFRM_Date::Button9() {
    return note_page().Button9;
}
QTreeWidget* TFRM_Date::tv_url() {
    return bookmark_page().tv_url;
}

notes::NotePage& TFRM_Date::note_page() {
    if (!note_page_) build_note_page();
    return *note_page_;
}

// A text editor is the costliest control to make: the note page waits for
// its first showing, so that the start does not pay for it.
void TFRM_Date::build_note_page() {
    note_page_ =
        new notes::NotePage(TabSheet6, day_store_, *context_.prompts,
                            {[this] { selection_->redraw(); },
                             [this] {
                                 return notes::NoteFont{local_.note_fontname, local_.note_fontcolor,
                                                        local_.note_fontsize};
                             },
                             [this] { option_show(5); }});
    deferred_notes_.attach(*note_page_);
}

bookmarks::BookmarkPage& TFRM_Date::bookmark_page() {
    if (!bookmark_page_) build_bookmark_page();
    return *bookmark_page_;
}

// The pages open in the browsers come from the session files below the
// user's home folder, read when the user asks for them.
void TFRM_Date::build_bookmark_page() {
    bookmark_page_ =
        new bookmarks::BookmarkPage(TabSheet4, *context_.prompts, *context_.platform, [] {
            std::vector<bookmarks::Bookmark> pages;
            for (bookmarks::OpenPage& page :
                 bookmarks::open_browser_pages(QDir::homePath().toStdString())) {
                pages.push_back({std::move(page.title), std::move(page.address)});
            }
            return pages;
        });
    bookmark_page_->load();
}

// A tree of thousands of bookmarks is built when its page is first shown,
// not at every start.
void TFRM_Date::load_bookmark_tree() {
    if (bookmark_page_) bookmark_page_->load();
}

}  // namespace velmora::app
