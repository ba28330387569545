// A day page on its own: a fresh container, a day store, a bare host
// widget for the page's controls, recorded prompts and a fixed day. No main
// window is built; the tests play the day selection's part themselves.
#pragma once

#include <QWidget>

#include <filesystem>

#include "app/recording_prompts.h"
#include "store/day_store.h"
#include "store/store_fixture.h"
#include "sys/clock.h"

namespace velmora::testing {

class FixedDay : public sys::Clock {
public:
    sys::LocalTime now() const override { return {2026, 12, 9, 10, 0, 0}; }
};

class PageTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        std::filesystem::create_directories(folder_.path() / "work");
    }

    store::DayStore days{folder_.file("work")};
    QWidget host;
    RecordingPrompts prompts;
    FixedDay clock;
    int redraws = 0;  // how often the page asked for the month's marks again
};

}  // namespace velmora::testing
