#include <gmock/gmock.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "calendar/month_view.h"
#include "main_window_fixture.h"
#include "notes/ufrm_note_manage.h"
#include "notes/ufrm_noteedit.h"

using velmora::notes::Tfrm_note_manage;
using velmora::notes::Tfrm_noteedit;

namespace {

void when_editor_opens(std::function<void(Tfrm_noteedit&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* editor = qobject_cast<Tfrm_noteedit*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        answer(*editor);
    });
}

class NotePageTest : public velmora::testing::MainWindowFixture {
protected:
    void edit_note(const QString& text, bool confirm) {
        when_editor_opens([=](Tfrm_noteedit& editor) {
            editor.Memo1->setPlainText(text);
            confirm ? editor.Button1Click() : editor.Button2Click();
        });
        window->Memo_noteDblClick();
    }
    bool note_mark_shown(int day) const {
        const int cell = 2 + day;  // 1 December 2026 is a Tuesday
        return window->month_view->note_marks[cell - 1]->isVisibleTo(window.get());
    }
    std::string stored_note(const std::string& key) {
        std::string note;
        EXPECT_EQ(window->day_store().load_note(key, note), velmora::store::FxError::none);
        return note;
    }
    std::unique_ptr<Tfrm_note_manage> open_manager() {
        return std::make_unique<Tfrm_note_manage>(
            window.get(), window->day_store(), prompts,
            [this](const std::string& note, const std::string& key) {
                return window->day_store().savedata2fx_note2(note, key);
            });
    }
};

TEST_F(NotePageTest, TheEditorSavesOnConfirmOnlyAndBlankNotesLoseTheirMark) {
    edit_note("第一行\n第二行", true);
    EXPECT_EQ(window->Memo_note->toPlainText(), "第一行\n第二行");
    EXPECT_TRUE(note_mark_shown(9));
    edit_note("changed", false);
    EXPECT_EQ(window->Memo_note->toPlainText(), "第一行\n第二行");
    EXPECT_EQ(stored_note("20261209"), "第一行\n第二行");
    edit_note("  \n ", true);
    EXPECT_EQ(FX_Directory_Changenodenametoindex("plumora_note/20261209.txt"), -1);
    EXPECT_FALSE(note_mark_shown(9));
}

TEST_F(NotePageTest, TheManagerSavesWhenMovingOnButNotWhenClosedByTheTitleBar) {
    window->day_store().savedata2fx_note2("old a", "20250105");
    window->day_store().savedata2fx_note2("old b", "20240310");
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
    window->day_store().savedata2fx_note2("kept", "20250105");
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

}  // namespace
