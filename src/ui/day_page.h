// A page that shows the selected day's record: the plan page, the note
// page. The day selection moves between days through this interface only,
// so its rules are tested without a window and the pages without one
// another.
#pragma once

#include <string>

namespace velmora::ui {

class DayPage {
public:
    virtual ~DayPage() = default;
    // Saves what the page holds for the day it shows before the selection
    // moves; false (after telling the user) keeps the selection.
    virtual bool save_before_leaving() = 0;
    virtual void load(const std::string& daykey) = 0;
};

}  // namespace velmora::ui
