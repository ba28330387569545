#include <gmock/gmock.h>

#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolButton>

#include <filesystem>
#include <random>

#include "../sys/temp_folder.h"
#include "allocation_counter.h"
#include "app/widgets/DateWin.h"
#include "recording_prompts.h"
#include "store/kx_efs.h"

using namespace velmora::app;
using velmora::testing::RecordingPrompts;
using velmora::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

class FixedClock : public velmora::sys::Clock {
public:
    velmora::sys::LocalTime now() const override { return {2026, 12, 9, 10, 0, 0}; }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() / "prog");
        fs::create_directories(root.path() / "systemp");
        fs::copy_file(VELMORA_TEMPLATE, root.path() / "prog/zenqmodal.fx");
        context.paths = {root.file("prog") + "/", root.file("systemp") + "/"};
        context.prompts = &prompts;
        context.clock = &clock;
        context.instance_name = "velmora_widget_test_" + std::to_string(std::random_device{}());
    }
    void TearDown() override { FX_Closefx(1); }

    TempFolder root;
    RecordingPrompts prompts;
    FixedClock clock;
    AppContext context;
};

TEST_F(MainWindowTest, RegionsAndTabsAreInPlace) {
    TFRM_Date window(context);
    ASSERT_EQ(window.FormCreate(), StartResult::running);
    EXPECT_EQ(window.windowTitle(), "Velmora");
    EXPECT_EQ(window.Panel1->height(), 254);
    EXPECT_EQ(window.Panel_center_bottom->height(), 32);
    ASSERT_EQ(window.RzPageControl_date->count(), 4);
    EXPECT_EQ(window.RzPageControl_date->tabText(0), "计划任务");
    EXPECT_EQ(window.RzPageControl_date->tabText(1), "记事便笺");
    EXPECT_EQ(window.RzPageControl_date->tabText(2), "辅助工具");
    EXPECT_EQ(window.RzPageControl_date->tabText(3), "网址书签");
    EXPECT_EQ(window.RzPageControl_date->currentIndex(), 0);
    EXPECT_EQ(window.l_ad1->text(), "【提示】：本窗口贴近屏幕四周时会缩进隐藏！");
    // Nothing shows the plans' line buffer, and no text editor is made
    // before the note page is first shown.
    EXPECT_TRUE(window.findChildren<QPlainTextEdit*>().isEmpty());
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.ToolButton1->accessibleName().isEmpty());
    ASSERT_EQ(window.ListView_tool()->count(), 9);
    EXPECT_EQ(window.ListView_tool()->item(0)->text(), "热键管理");
    EXPECT_EQ(window.ListView_tool()->item(7)->text(), "分类搜索");
    EXPECT_EQ(window.ListView_tool()->item(8)->text(), "导入放假安排");
}

TEST_F(MainWindowTest, EveryResizeEndsAtTheFixedSize) {
    TFRM_Date window(context);
    ASSERT_EQ(window.FormCreate(), StartResult::running);
    window.show();
    window.resize(600, 300);
    EXPECT_EQ(window.size(), QSize(330, 560));
}

TEST_F(MainWindowTest, TheCloseSequenceRunsOnce) {
    TFRM_Date window(context);
    ASSERT_EQ(window.FormCreate(), StartResult::running);
    EXPECT_GT(FX_Directory_Getcount(), 0);
    window.winexit();
    EXPECT_TRUE(window.close_sequence_done());
    EXPECT_EQ(FX_Directory_Getcount(), 0);  // the container is closed
    const fs::path settings = root.path() / "prog/zenqset.kxi";
    ASSERT_TRUE(fs::exists(settings));
    fs::remove(settings);
    window.doformclose();
    window.close();
    EXPECT_FALSE(fs::exists(settings));  // nothing saved a second time
    EXPECT_TRUE(fs::is_empty(root.path() / "prog/zenqplumora"));
    EXPECT_TRUE(fs::is_empty(root.path() / "systemp/zenqplumora"));
}

TEST_F(MainWindowTest, ASecondInstanceTouchesNothing) {
    TFRM_Date first(context);
    ASSERT_EQ(first.FormCreate(), StartResult::running);
    root.write("prog/zenqplumora/staged.txt", "in use");
    TFRM_Date second(context);
    EXPECT_EQ(second.FormCreate(), StartResult::second_instance);
    EXPECT_THAT(prompts.shown, ::testing::ElementsAre("“Velmora”已运行！"));
    second.doformclose();
    EXPECT_EQ(root.read("prog/zenqplumora/staged.txt"), "in use");
    EXPECT_GT(FX_Directory_Getcount(), 0);  // the first instance's container stays open
    EXPECT_FALSE(fs::exists(root.path() / "prog/zenqset.kxi"));
}

TEST_F(MainWindowTest, AFailedStartSavesNothing) {
    fs::remove(root.path() / "prog/zenqmodal.fx");
    TFRM_Date window(context);
    EXPECT_EQ(window.FormCreate(), StartResult::failed);
    window.doformclose();
    EXPECT_FALSE(fs::exists(root.path() / "prog/zenqset.kxi"));
    EXPECT_TRUE(fs::is_directory(root.path() / "prog/zenqplumora"));
    EXPECT_TRUE(fs::exists(root.path() / "systemp/zenqplumora/desktop.ini"));
}

// The container opens beside the window's building; a start that fails
// before the open's place in the sequence leaves it closed, as it was.
TEST_F(MainWindowTest, AStartThatFailsBeforeTheOpenLeavesTheContainerClosed) {
    fs::copy_file(root.path() / "prog/zenqmodal.fx", root.path() / "prog/zenqdata.fx");
    root.write("prog/zenqplumora", "a file where the working folder belongs");
    TFRM_Date window(context);
    EXPECT_EQ(window.FormCreate(), StartResult::failed);
    EXPECT_THAT(prompts.shown, ::testing::ElementsAre("创建缓冲文件夹出错！"));
    EXPECT_EQ(FX_Directory_Getcount(), 0);
    EXPECT_EQ(FX_Getlasterror(), velmora::store::FxError::not_open);
}

TEST_F(MainWindowTest, AnUnwritableSettingsFileIsReportedOnceAndTheRestStillRuns) {
    fs::create_directories(root.path() / "prog/zenqset.kxi");  // a folder where the file goes
    TFRM_Date window(context);
    ASSERT_EQ(window.FormCreate(), StartResult::running);
    window.doformclose();
    window.doformclose();
    EXPECT_EQ(std::count(prompts.shown.begin(), prompts.shown.end(),
                         "无法写入文件：" + root.file("prog") + "/zenqset.kxi"),
              1);
    EXPECT_EQ(FX_Directory_Getcount(), 0);
}

TEST_F(MainWindowTest, DraggingAgainstAnEdgeDocksAndAwayUndocks) {
    TFRM_Date window(context);
    ASSERT_EQ(window.FormCreate(), StartResult::running);
    window.formmoving({-40, 100, 290, 660});
    EXPECT_EQ(window.docked_at(), dock_left);
    EXPECT_TRUE(window.Timer1.isActive());
    window.formmoving({100, 100, 430, 660});
    EXPECT_EQ(window.docked_at(), 0);
    EXPECT_FALSE(window.Timer1.isActive());
}

// Runs the slide timer's ticks until the slide ends.
void finish_slide(TFRM_Date& window) {
    for (int tick = 0; tick < 100 && window.Timer_formhide.isActive(); ++tick) {
        window.Timer_formhideTimer();
    }
}

TEST_F(MainWindowTest, DockedAtTheLeftItHidesAndComesBackAndTheIdleWatchAllocatesNothing) {
    TFRM_Date window(context);
    ASSERT_EQ(window.FormCreate(), StartResult::running);
    window.show();
    window.move(0, 100);
    window.formmoving({-40, 100, 290, 660});
    QCursor::setPos(600, 400);
    window.Timer1Timer();
    ASSERT_TRUE(window.Timer_formhide.isActive());
    finish_slide(window);
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(4 - window.frameGeometry().width(), 100));
    {
        velmora::testing::AllocationCount count;
        for (int tick = 0; tick < 200; ++tick) window.Timer1Timer();
        EXPECT_EQ(count.so_far(), 0);
    }
    EXPECT_FALSE(window.Timer_formhide.isActive());
    QCursor::setPos(0, 300);  // on the 4-pixel strip, at the screen's very edge
    window.Timer1Timer();
    finish_slide(window);
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(0, 100));
    // Resting there, it stays out: no slide back in.
    for (int tick = 0; tick < 50; ++tick) window.Timer1Timer();
    EXPECT_FALSE(window.Timer_formhide.isActive());
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(0, 100));
    {
        velmora::testing::AllocationCount count;
        for (int tick = 0; tick < 200; ++tick) window.Timer1Timer();
        EXPECT_EQ(count.so_far(), 0);
    }
}

}  // namespace
