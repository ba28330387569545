// "导入放假安排…": for a machine without network, the user picks a file they
// have (a published per-year JSON file, the iCalendar feed, or a file in our
// own format); it is checked as a download is, stored into the renewed copy
// and shown at once. The message says what was taken or why not.
#pragma once

#include <functional>
#include <string>

#include "calendar/holiday_keeper.h"
#include "sys/prompts.h"

class QWidget;

namespace velmora::calendar {

class HolidayImport {
public:
    // The file picked; empty when the dialog was cancelled.
    using FileChooser = std::function<std::string(QWidget* parent)>;
    struct Links {
        std::function<std::string()> today;  // yyyy-mm-dd
        std::function<void()> imported;      // after new marks were stored
    };

    HolidayImport(HolidayKeeper& keeper, sys::Prompts& prompts, Links links);

    void run(QWidget* parent);
    void set_file_chooser(FileChooser chooser) { choose_file_ = std::move(chooser); }

private:
    HolidayKeeper& keeper_;
    sys::Prompts& prompts_;
    Links links_;
    FileChooser choose_file_;
};

}  // namespace velmora::calendar
