// The note page and the note manager without the main window.
#include <gmock/gmock.h>

#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>

#include "modal_answer.h"
#include "notes/widgets/note_page.h"
#include "notes/widgets/ufrm_note_manage.h"
#include "notes/widgets/ufrm_noteedit.h"
#include "page_fixture.h"
#include "ui/pending_edit.h"

using velmora::notes::NotePage;
using velmora::notes::Tfrm_note_manage;
using velmora::notes::Tfrm_noteedit;
using velmora::store::DayStore;

namespace {

class NotePageTest : public velmora::testing::PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        page = std::make_unique<NotePage>(
            &host, days, prompts,
            NotePage::Links{[this] { ++redraws; }, [] { return velmora::notes::NoteFont{}; },
                            [] {}});
        page->load("20261209");
    }
    void TearDown() override {
        page.reset();
        PageTest::TearDown();
    }
    void edit_note(const QString& text, bool confirm) {
        velmora::testing::when_modal_opens<Tfrm_noteedit>([=](Tfrm_noteedit& editor) {
            editor.Memo1->setPlainText(text);
            confirm ? editor.Button1Click() : editor.Button2Click();
        });
        page->Memo_noteDblClick();
    }
    std::string stored_note(const std::string& key) {
        std::string note;
        EXPECT_EQ(days.load_note(key, note), velmora::store::FxError::none);
        return note;
    }
    std::unique_ptr<Tfrm_note_manage> open_manager() {
        return std::make_unique<Tfrm_note_manage>(
            &host, days, prompts, [this](const std::string& note, const std::string& key) {
                return days.savedata2fx_note2(note, key);
            });
    }

    std::unique_ptr<NotePage> page;
};

TEST_F(NotePageTest, TheEditorSavesOnConfirmOnlyAndBlankNotesLoseTheirMark) {
    edit_note("第一行\n第二行", true);
    EXPECT_EQ(page->Memo_note->toPlainText(), "第一行\n第二行");
    EXPECT_TRUE(DayStore::has_note("20261209"));
    EXPECT_EQ(redraws, 1);
    edit_note("changed", false);
    EXPECT_EQ(page->Memo_note->toPlainText(), "第一行\n第二行");
    EXPECT_EQ(stored_note("20261209"), "第一行\n第二行");
    edit_note("  \n ", true);
    EXPECT_EQ(index("plumora_note/20261209.txt"), -1);
    EXPECT_FALSE(DayStore::has_note("20261209"));
    EXPECT_EQ(redraws, 2);
}

TEST_F(NotePageTest, EachDayShowsItsOwnNote) {
    days.savedata2fx_note2("十日", "20261210");
    page->load("20261210");
    EXPECT_EQ(page->Memo_note->toPlainText(), "十日");
    EXPECT_TRUE(page->Button1->isEnabled());
    page->load("20261211");
    EXPECT_EQ(page->Memo_note->toPlainText(), "");
}

TEST_F(NotePageTest, TheManagerSavesWhenMovingOnButNotWhenClosedByTheTitleBar) {
    days.savedata2fx_note2("old a", "20250105");
    days.savedata2fx_note2("old b", "20240310");
    auto manager = open_manager();
    QTreeWidget* tree = manager->RzTreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "2024年");
    QTreeWidgetItem* day = tree->topLevelItem(1)->child(0)->child(0);
    tree->setCurrentItem(day);
    EXPECT_EQ(manager->Memo1->toPlainText(), "old a");
    manager->Memo1->setPlainText("new a");
    tree->setCurrentItem(tree->topLevelItem(1));  // a year node: saves and clears the pane
    EXPECT_EQ(manager->Memo1->toPlainText(), "");
    EXPECT_TRUE(manager->Memo1->isReadOnly());
    EXPECT_EQ(stored_note("20250105"), "new a");
    tree->setCurrentItem(tree->topLevelItem(0)->child(0)->child(0));
    manager->Memo1->setPlainText("dropped");
    manager->close();  // the title bar's close
    EXPECT_EQ(stored_note("20240310"), "old b");
}

// Typing after a year or month node is chosen must not land in the day
// viewed before it.
TEST_F(NotePageTest, AYearOrMonthNodeTakesNoTypingThatCouldReplaceTheLastDay) {
    days.savedata2fx_note2("kept", "20250105");
    auto manager = open_manager();
    QTreeWidget* tree = manager->RzTreeView1;
    EXPECT_TRUE(manager->Memo1->isReadOnly());  // nothing chosen yet
    tree->setCurrentItem(tree->topLevelItem(0)->child(0)->child(0));
    EXPECT_FALSE(manager->Memo1->isReadOnly());
    for (QTreeWidgetItem* node : {tree->topLevelItem(0)->child(0), tree->topLevelItem(0)}) {
        tree->setCurrentItem(node);
        EXPECT_TRUE(manager->Memo1->isReadOnly());
        QTest::keyClicks(manager->Memo1, "typed over");
        EXPECT_EQ(manager->Memo1->toPlainText(), "");
    }
    manager->Button1Click();
    EXPECT_EQ(stored_note("20250105"), "kept");
}

TEST(NoteColour, ReadsTheStoredNumberAndFallsBackToBlue) {
    EXPECT_EQ(velmora::notes::note_colour("255"), QColor(255, 0, 0));
    EXPECT_EQ(velmora::notes::note_colour("16711680"), QColor(0, 0, 255));
    EXPECT_EQ(velmora::notes::note_colour("green"), QColor(0, 0, 255));
    EXPECT_EQ(velmora::notes::note_colour("-5"), QColor(0, 0, 255));
}

// The session ends while the editor holds a changed note: it is stored as
// 确定 would store it; an unchanged one is not written again.
TEST_F(NotePageTest, SessionEndStoresTheChangedNoteOfTheOpenEditor) {
    velmora::testing::when_modal_opens<Tfrm_noteedit>([](Tfrm_noteedit& editor) {
        editor.Memo1->setPlainText("typed before the logout");
        EXPECT_EQ(velmora::ui::PendingEdit::keep_all(true), 1);
    });
    page->Memo_noteDblClick();
    EXPECT_EQ(stored_note("20261209"), "typed before the logout");
    EXPECT_EQ(page->Memo_note->toPlainText(), "typed before the logout");
    const int redraws_before = redraws;
    velmora::testing::when_modal_opens<Tfrm_noteedit>(
        [](Tfrm_noteedit&) { velmora::ui::PendingEdit::keep_all(true); });
    page->Memo_noteDblClick();
    EXPECT_EQ(redraws, redraws_before);  // nothing saved
}

// Counts the pixels of the memo's text area that are mostly of one colour.
int pixels_mostly(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const auto near = [](int have, int want) { return std::abs(have - want) < 60; };
            if (near(c.red(), qRed(colour)) && near(c.green(), qGreen(colour)) &&
                near(c.blue(), qBlue(colour))) {
                ++count;
            }
        }
    }
    return count;
}

// The colour is judged on the drawn text of the editor the page opens: the
// page's own memo once had a style sheet that the editor, its child, took
// over, so the chosen colour never showed while the size did.
TEST_F(NotePageTest, EditorDrawsTheTextInTheStoredColourAndSize) {
    QWidget green_host;  // a page of its own: the fixture's host has its layout already
    NotePage green_page(&green_host, days, prompts,
                        NotePage::Links{[] {},
                                        [] {
                                            return velmora::notes::NoteFont{
                                                "WenQuanYi Micro Hei", std::to_string(0x00C000),
                                                24};
                                        },
                                        [] {}});
    green_page.load("20261209");
    QImage drawn;
    int points = 0;
    velmora::testing::when_modal_opens<Tfrm_noteedit>([&](Tfrm_noteedit& editor) {
        editor.Memo1->setPlainText("绿绿绿绿绿绿绿绿");
        drawn = editor.Memo1->viewport()->grab().toImage();
        points = editor.Memo1->font().pointSize();
        editor.Button2Click();
    });
    green_page.Memo_noteDblClick();
    EXPECT_GT(pixels_mostly(drawn, qRgb(0, 0xC0, 0)), 50);
    EXPECT_EQ(pixels_mostly(drawn, qRgb(0, 0, 0xFF)), 0);
    EXPECT_EQ(points, 24);
}

}  // namespace
