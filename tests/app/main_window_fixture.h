// A started main window in a fresh program folder, shown, on a fixed day.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

#include "../page_fixture.h"
#include "../sys/fake_platform.h"
#include "../sys/temp_folder.h"
#include "app/widgets/DateWin.h"
#include "notes/widgets/note_page.h"
#include "plans/widgets/plan_page.h"
#include "recording_prompts.h"
#include "store/kx_efs.h"

namespace velmora::testing {

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        fs::create_directories(root.path() / "prog");
        fs::create_directories(root.path() / "systemp");
        fs::copy_file(VELMORA_TEMPLATE, root.path() / "prog/zenqmodal.fx");
        app::AppContext context{{root.file("prog") + "/", root.file("systemp") + "/"},
                                &prompts,
                                &clock,
                                "velmora_window_test_" + std::to_string(std::random_device{}()),
                                &platform};
        window = std::make_unique<app::TFRM_Date>(context);
        ASSERT_EQ(window->FormCreate(), app::StartResult::running);
        window->show();  // the first show selects today
    }
    void TearDown() override {
        window.reset();
        FX_Closefx(1);
    }

    TempFolder root;
    RecordingPrompts prompts;
    sys::testing::FakePlatform platform;  // no test starts a program
    FixedDay clock;
    std::unique_ptr<app::TFRM_Date> window;
};

}  // namespace velmora::testing
