// The bookmark page on a bare host widget over a real container: the menu's
// enabling, the dialogs answered as a user would, and what the container
// holds afterwards.
#include "bookmarks/widgets/bookmark_page.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/recording_prompts.h"
#include "bookmarks/bookmark_rules.h"
#include "bookmarks/widgets/uFX_find.h"
#include "bookmarks/widgets/uwebcheck.h"
#include "modal_answer.h"
#include "store/store_fixture.h"
#include "sys/fake_platform.h"

namespace velmora::bookmarks {
namespace {

using testing::when_modal_opens;

class BookmarkPageTest : public testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        page =
            std::make_unique<BookmarkPage>(&host, prompts, platform, [this] { return open_pages; });
    }
    void TearDown() override {
        page.reset();
        StoreTest::TearDown();
    }

    int folder(const std::string& parent, const std::string& name) {
        EXPECT_EQ(FX_Addnode(index(parent), ""), 1);
        const int made = FX_Directory_Getcount() - 1;
        EXPECT_EQ(FX_Changeitemname(index(parent), made, name), 1);
        return made;
    }
    int bookmark(const std::string& parent, const std::string& title, const std::string& url) {
        EXPECT_EQ(add_bookmark(index(parent), {title, url}), store::FxError::none);
        return index(parent + "/" + title);
    }
    QTreeWidgetItem* node(const std::string& name) {
        const int wanted = index(name);
        for (QTreeWidgetItem* n : store::all_nodes(page->tv_url)) {
            if (store::node_index(n) == wanted) return n;
        }
        return nullptr;
    }
    void select(const std::vector<std::string>& names) {
        page->tv_url->clearSelection();
        for (const std::string& name : names) node(name)->setSelected(true);
        page->tv_url->setCurrentItem(node(names.front()), 0, QItemSelectionModel::NoUpdate);
    }
    void choose(const std::string& name) { store::select_alone(page->tv_url, node(name)); }
    std::vector<std::string> captions_below(const std::string& name) {
        std::vector<std::string> captions;
        QTreeWidgetItem* parent = node(name);
        for (int i = 0; i < parent->childCount(); ++i) {
            captions.push_back(parent->child(i)->text(0).toStdString());
        }
        return captions;
    }

    QWidget host;
    testing::RecordingPrompts prompts;
    sys::testing::FakePlatform platform;
    std::vector<Bookmark> open_pages;
    std::unique_ptr<BookmarkPage> page;
};

TEST_F(BookmarkPageTest, TheMenuFollowsTheKindOfNodeAndPasteServesOnce) {
    folder("plumora_url", "work");
    bookmark("plumora_url/work", "mail", "http://mail");
    page->load();
    EXPECT_EQ(page->tv_url->currentItem()->text(0).toStdString(), "网址书签");
    EXPECT_TRUE(page->n_url_add->isEnabled() && page->n_url_newdir->isEnabled());
    EXPECT_FALSE(page->n_url_del->isEnabled() || page->n_url_open->isEnabled() ||
                 page->n_url_paste->isEnabled());
    choose("plumora_url/work/mail");
    EXPECT_TRUE(page->n_url_open->isEnabled() && page->n_url_edit->isEnabled());
    EXPECT_FALSE(page->n_url_add->isEnabled() || page->n_url_newdir->isEnabled());
    page->n_url_copyClick();
    EXPECT_TRUE(page->n_url_paste->isEnabled());
    choose("plumora_url/work");
    EXPECT_TRUE(page->n_url_paste->isEnabled() && page->n_url_rename->isEnabled());
    page->n_url_pasteClick();
    EXPECT_FALSE(page->n_url_paste->isEnabled());
    const auto after_one = listing();
    page->n_url_pasteClick();
    EXPECT_EQ(listing(), after_one);
    EXPECT_EQ(captions_below("plumora_url/work").size(), 2u);
}

TEST_F(BookmarkPageTest, AnEditedBookmarkMovesToTheEndOfItsFolder) {
    bookmark("plumora_url", "first", "http://1");
    bookmark("plumora_url", "second", "http://2");
    page->load();
    choose("plumora_url/first");
    when_modal_opens<Tfrm_url>([](Tfrm_url& dialog) {
        EXPECT_EQ(dialog.Memo_url->toPlainText(), "http://1");
        dialog.Memo_url->setPlainText("  http://one  ");
        dialog.Button1->click();
    });
    page->n_url_editClick();
    EXPECT_EQ(captions_below("plumora_url"), (std::vector<std::string>{"second", "first"}));
    EXPECT_EQ(read_address(index("plumora_url/first")).address, "http://one");
    EXPECT_EQ(page->tv_url->currentItem(), node("plumora_url"));
}

TEST_F(BookmarkPageTest, ATitleAFileCannotHaveKeepsTheDialogOpenWithTheText) {
    page->load();
    when_modal_opens<Tfrm_url>([this](Tfrm_url& dialog) {
        dialog.Memo_title->setPlainText("a:b");
        dialog.Memo_url->setPlainText("http://x");
        dialog.Button1->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(prompts.shown.size(), 1u);
        dialog.Button1->setFocus();
        dialog.Memo_title->setPlainText("ab");
        dialog.Button1->click();
    });
    page->n_url_addClick();
    EXPECT_EQ(captions_below("plumora_url"), std::vector<std::string>{"ab"});
    EXPECT_EQ(read_address(index("plumora_url/ab")).address, "http://x");
}

TEST_F(BookmarkPageTest, CutTwoBookmarksAndPasteThemElsewhere) {
    folder("plumora_url", "a");
    folder("plumora_url", "b");
    bookmark("plumora_url/a", "x", "http://x");
    bookmark("plumora_url/a", "y", "http://y");
    bookmark("plumora_url/a", "z", "http://z");
    page->load();
    select({"plumora_url/a/x", "plumora_url/a/z", "plumora_url"});
    page->n_url_cutClick();
    choose("plumora_url/b");
    page->n_url_pasteClick();
    EXPECT_EQ(captions_below("plumora_url/a"), std::vector<std::string>{"y"});
    auto moved = captions_below("plumora_url/b");
    std::sort(moved.begin(), moved.end());
    EXPECT_EQ(moved, (std::vector<std::string>{"x", "z"}));
    EXPECT_NE(index("plumora_url"), -1);  // the root in the selection stays where it is
}

TEST_F(BookmarkPageTest, DeleteAsksWithNoAsTheDefaultAndNeverTakesTheRoot) {
    folder("plumora_url", "a");
    bookmark("plumora_url/a", "x", "http://x");
    bookmark("plumora_url", "y", "http://y");
    page->load();
    select({"plumora_url/a", "plumora_url/y", "plumora_url"});
    const auto before = listing();
    page->n_url_delClick();
    EXPECT_TRUE(prompts.no_by_default);
    EXPECT_EQ(prompts.shown.back(), "是否确定要删除选择的内容？");
    EXPECT_EQ(listing(), before);
    prompts.answers = {true};
    select({"plumora_url/a", "plumora_url/y", "plumora_url"});
    page->n_url_delClick();
    EXPECT_TRUE(captions_below("plumora_url").empty());
    EXPECT_EQ(index("plumora_url/a/x"), -1);
    EXPECT_NE(index("plumora_url"), -1);
}

TEST_F(BookmarkPageTest, OnlyWebAndFileAddressesReachTheBrowser) {
    bookmark("plumora_url", "web", "https://example.org/a|b");
    bookmark("plumora_url", "cmd", "javascript:alert(1)");
    page->load();
    choose("plumora_url/web");
    page->tv_urlDblClick();
    choose("plumora_url/cmd");
    page->n_url_openClick();
    EXPECT_EQ(platform.opened, std::vector<std::string>{"https://example.org/a|b"});
    EXPECT_EQ(prompts.shown, std::vector<std::string>{refused_address});
}

TEST_F(BookmarkPageTest, TheCaptureAddsTheTickedPagesBelowTheSelectedFolder) {
    folder("plumora_url", "read");
    page->load();
    choose("plumora_url/read");
    page->n_url_getClick();
    EXPECT_EQ(prompts.shown, std::vector<std::string>{no_open_page});
    open_pages = {{"News: today", "https://n.org/?a=1|2"},
                  {"News: today", "https://n.org/2"},
                  {"  ", "https://blank.org/x/"}};
    when_modal_opens<Tfrm_webcheck>([](Tfrm_webcheck& dialog) {
        EXPECT_EQ(dialog.RzCheckList1->count(), 3);
        EXPECT_EQ(dialog.RzCheckList1->item(0)->text(), "News- today | https://n.org/?a=1|2");
        dialog.RzCheckList1->item(1)->setCheckState(Qt::Unchecked);
        dialog.Button1->click();
    });
    page->n_url_getClick();
    EXPECT_EQ(captions_below("plumora_url/read"),
              (std::vector<std::string>{"News- today", "blank.org-x"}));
    EXPECT_EQ(read_address(index("plumora_url/read/News- today")).address, "https://n.org/?a=1|2");
}

TEST_F(BookmarkPageTest, FindListsMatchesAndSelectsTheChosenOneAlone) {
    folder("plumora_url", "Docs");
    bookmark("plumora_url/Docs", "qt", "http://qt");
    bookmark("plumora_url", "other", "http://o");
    page->load();
    select({"plumora_url/other", "plumora_url"});
    when_modal_opens<Tform_find>([](Tform_find& dialog) {
        dialog.Edit1->setText("DOCS");
        dialog.button1Click();
        ASSERT_EQ(dialog.StringGrid1->rowCount(), 1);
        EXPECT_EQ(dialog.StringGrid1->item(0, 0)->text(), "/Docs/qt");
        dialog.Button2Click();
    });
    page->n_input_findClick();
    EXPECT_EQ(page->tv_url->selectedItems(), QList<QTreeWidgetItem*>{node("plumora_url/Docs/qt")});
}

TEST_F(BookmarkPageTest, ARenameTheContainerRefusesShowsTheStoredName) {
    folder("plumora_url", "old");
    page->load();
    choose("plumora_url/old");
    page->tv_urlEdited(std::string(250, 'n'));
    EXPECT_EQ(prompts.shown.back().rfind(store::rename_too_long, 0), 0u) << prompts.shown.back();
    EXPECT_EQ(node("plumora_url/old")->text(0), "old");
    page->tv_urlEdited("new:name");
    EXPECT_EQ(index("plumora_url/old"), FX_Directory_Getcount() - 1);
    page->tv_urlEdited("新");
    EXPECT_EQ(captions_below("plumora_url"), std::vector<std::string>{"新"});
}

// A title is refused while the dialog is open, with how long it may be in
// this folder; the longest one that fits is stored, opens and edits.
TEST_F(BookmarkPageTest, ALongTitleIsMeasuredInStoredBytesAndToldHowLongItMayBe) {
    folder("plumora_url", "文件夹");  // "plumora_url/文件夹/" leaves 237 bytes
    page->load();
    choose("plumora_url/文件夹");
    std::string fits;
    for (int i = 0; i < 118; ++i) fits += "长";
    fits += "x";
    const auto before = listing();
    when_modal_opens<Tfrm_url>([&](Tfrm_url& dialog) {
        dialog.Memo_title->setPlainText(QString::fromStdString(fits + "y"));
        dialog.Memo_url->setPlainText("http://long");
        dialog.Button1->click();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(listing(), before);
        dialog.Memo_title->setPlainText(QString::fromStdString(fits));
        dialog.Button1->click();
    });
    page->n_url_addClick();
    ASSERT_EQ(prompts.shown.size(), 1u);
    const std::string& told = prompts.shown[0];
    EXPECT_EQ(told.rfind(store::rename_too_long, 0), 0u) << told;
    EXPECT_NE(told.find("237 个字节"), std::string::npos) << told;
    EXPECT_NE(told.find("118 个汉字"), std::string::npos) << told;
    EXPECT_NE(told.find("238 个字节"), std::string::npos) << told;

    choose("plumora_url/文件夹/" + fits);
    page->n_url_openClick();
    EXPECT_EQ(platform.opened, std::vector<std::string>{"http://long"});
    when_modal_opens<Tfrm_url>([](Tfrm_url& dialog) {
        dialog.Memo_url->setPlainText("http://edited");
        dialog.Button1->click();
    });
    choose("plumora_url/文件夹/" + fits);
    page->n_url_editClick();
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(read_address(index("plumora_url/文件夹/" + fits)).address, "http://edited");
}

// A folder's new name leaves room for the longest path inside it.
TEST_F(BookmarkPageTest, AFolderRenameLeavesRoomForWhatItHolds) {
    folder("plumora_url", "f");
    bookmark("plumora_url/f", std::string(200, 'b'), "http://b");
    page->load();
    choose("plumora_url/f");
    const auto before = listing();
    page->tv_urlEdited(std::string(43, 'n'));  // 12 + 43 + 1 + 200 = 256 + 0: fits
    EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.back();
    choose("plumora_url/" + std::string(43, 'n'));
    page->tv_urlEdited(std::string(44, 'n'));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].find("43 个字节"), std::string::npos) << prompts.shown[0];
    EXPECT_EQ(
        read_address(index("plumora_url/" + std::string(43, 'n') + "/" + std::string(200, 'b')))
            .address,
        "http://b");
    EXPECT_EQ(listing().size(), before.size());

    // No room left for "新建文件夹" below a folder: told, not silently nothing.
    const std::string full = "plumora_url/" + std::string(240, 'w');
    folder("plumora_url", std::string(240, 'w'));
    page->load();
    choose(full);
    const auto with_full = listing();
    page->n_url_newdirClick();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1], not_saved_message("没有新建目录", store::FxError::name_too_long));
    EXPECT_EQ(listing(), with_full);
}

}  // namespace
}  // namespace velmora::bookmarks
