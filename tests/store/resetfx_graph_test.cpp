// The data management dialog, offscreen: its figures, its chart, the
// answers of its buttons and the backup through a chosen folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLibrary>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "../app/recording_prompts.h"
#include "modal_answer.h"
#include "store/widgets/datamgmt_loader.h"
#include "store/widgets/uFX_resetfx_graph.h"
#include "store_fixture.h"

namespace {

using velmora::store::TForm_resetfx_graph;
using velmora::testing::when_modal_opens;

int show_and_answer(std::function<void(TForm_resetfx_graph&)> answer) {
    when_modal_opens<TForm_resetfx_graph>(std::move(answer));
    return velmora::store::resetfx_graph_show(nullptr, "1.00", "0.50", {});
}

TEST(ResetfxGraph, ShowsTheFiguresInTheirColoursAndTheChart) {
    TForm_resetfx_graph dialog(nullptr, "1.00", "0.50", {});
    EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("数据管理"));
    EXPECT_EQ(dialog.size(), QSize(537, 312));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog.Label_1->text(), QString::fromUtf8("已使用空间：1.00MB"));
    EXPECT_EQ(dialog.Label_2->text(), QString::fromUtf8("碎片空间：0.50MB"));
    EXPECT_EQ(dialog.Label_1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(dialog.Label_2->palette().color(QPalette::WindowText), QColor(255, 0, 255));
    EXPECT_TRUE(dialog.l_1->wordWrap());
    EXPECT_EQ(dialog.Chart1->size(), QSize(288, 151));
    EXPECT_EQ(dialog.Chart1->live_mark(), QString::fromUtf8("已使用空间\n67%"));
    EXPECT_EQ(dialog.Chart1->fragment_mark(), QString::fromUtf8("碎片空间\n33%"));
}

// The picture as drawn: both slices' colours on their upper faces, the
// darker side walls of the tilt below them, and both marks inside.
TEST(ResetfxGraph, TheChartDrawsBothSlicesWithTheirWalls) {
    TForm_resetfx_graph dialog(nullptr, "1.00", "0.50", {});
    const QImage picture = dialog.Chart1->grab().toImage();
    const auto count = [&picture](const QColor& colour) {
        int found = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) found += picture.pixel(x, y) == colour.rgb();
        }
        return found;
    };
    const QColor blue(0, 0, 255), fuchsia(255, 0, 255);
    EXPECT_GT(count(blue), 3000);
    EXPECT_GT(count(fuchsia), 1500);
    EXPECT_GT(count(blue.darker(160)), 300);
    EXPECT_GT(count(fuchsia.darker(160)), 150);
}

TEST(ResetfxGraph, OnlyTheCompactButtonAnswersOne) {
    EXPECT_EQ(show_and_answer([](TForm_resetfx_graph& dialog) { dialog.Button1->click(); }), 1);
    EXPECT_EQ(show_and_answer([](TForm_resetfx_graph& dialog) { dialog.Button2->click(); }), 0);
    // The window's own close button.
    EXPECT_EQ(show_and_answer([](TForm_resetfx_graph& dialog) { dialog.close(); }), 0);
}

TEST(ResetfxGraph, BackupRunsWithTheChosenFolderAndTheDialogStaysOpen) {
    std::vector<std::string> backups;
    TForm_resetfx_graph dialog(nullptr, "1.00", "0.50", [&backups](const std::string& folder) {
        backups.push_back(folder);
    });
    QString answer = "  /media/backup  ";
    QString asked_owner_title;
    dialog.set_folder_chooser([&](QWidget* owner) {
        asked_owner_title = owner->windowTitle();
        return answer;
    });
    dialog.show();
    dialog.SpeedButton1->click();
    EXPECT_EQ(backups, std::vector<std::string>{"/media/backup"});
    EXPECT_EQ(asked_owner_title, QString::fromUtf8("数据管理"));
    EXPECT_TRUE(dialog.isVisible());

    answer = "   ";
    dialog.SpeedButton1->click();
    EXPECT_EQ(backups.size(), 1u);
}

TEST(ResetfxGraph, TheCheckButtonRunsTheCheckAndTheDialogStaysOpen) {
    int checks = 0;
    TForm_resetfx_graph dialog(nullptr, "1.00", "0.50", {}, [&checks] { ++checks; });
    dialog.show();
    EXPECT_EQ(dialog.SpeedButton2->text(), QString::fromUtf8("检查修复"));
    EXPECT_FALSE(dialog.SpeedButton2->geometry().intersects(dialog.SpeedButton1->geometry()));
    EXPECT_FALSE(dialog.SpeedButton2->geometry().intersects(dialog.Button1->geometry()));
    EXPECT_TRUE(dialog.rect().contains(dialog.SpeedButton2->geometry()));
    dialog.SpeedButton2->click();
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(dialog.isVisible());
}

// What the program loads at the first use must resolve on its own: a
// symbol it expected from the program would only fail there.
TEST(ResetfxGraph, TheModuleLoadsAndOffersItsEntry) {
    QLibrary module(QCoreApplication::applicationDirPath() + "/velmora_datamgmt");
    EXPECT_NE(module.resolve(velmora::store::datamgmt_module_entry), nullptr)
        << module.errorString().toStdString();
}

class FixedClock : public velmora::sys::Clock {
public:
    velmora::sys::LocalTime now() const override { return {2026, 3, 4, 9, 30, 0}; }
};

// The main window's entry through the module it loads: the dialog that
// comes from there runs the program's own compaction on the program's one
// open container.
class DataManagementEntry : public velmora::testing::StoreTest {};

TEST_F(DataManagementEntry, TheLoadedDialogCompactsTheOpenContainer) {
    for (int day = 10; day < 30; ++day) put("plumora_plan", "202601" + std::to_string(day), "plan");
    FX_Deleteitem(index("plumora_plan/20260110"), 2);
    const auto before = listing();
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        for (auto* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QString::fromUtf8("碎片整理")) button->click();
        }
    });
    velmora::testing::RecordingPrompts prompts;
    velmora::store::data_management(nullptr, {path_, folder_.path().string() + "/"}, prompts,
                                    FixedClock());
    EXPECT_EQ(prompts.shown,
              std::vector<std::string>{velmora::store::datamgmt_messages::compact_done});
    EXPECT_EQ(listing(), before);
}

TEST_F(DataManagementEntry, TheLoadedDialogChecksTheOpenContainer) {
    put("plumora_plan", "20260110", "plan");
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        for (auto* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QString::fromUtf8("检查修复")) button->click();
        }
        for (auto* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QString::fromUtf8("取消")) button->click();
        }
    });
    velmora::testing::RecordingPrompts prompts;
    velmora::store::data_management(nullptr, {path_, folder_.path().string() + "/"}, prompts,
                                    FixedClock());
    EXPECT_EQ(prompts.shown,
              std::vector<std::string>{velmora::store::datamgmt_messages::check_whole});
}

}  // namespace
