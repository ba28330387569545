// Merging an .ics file into the open container by UID: an item imported
// before (or sent by the sync) is updated where it now stands, an item the
// container already holds unchanged is only remembered, and the rest is
// added. Everything is stored in one transaction with the state that
// remembers it, or nothing is.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sync/ics_reader.h"

namespace velmora::sync {

struct ImportReport {
    int added = 0;
    int updated = 0;
    int unchanged = 0;
    std::vector<LeftOut> left_out;
    // Why nothing was imported; empty when the import was stored.
    std::string refused;
};

// Reads calendar text: the module's reader in the programs, libical's own
// in tests.
using CalendarReader = std::function<CalendarRead(std::string_view text)>;

ImportReport import_calendar(std::string_view text, const std::string& work_folder,
                             const CalendarReader& reader);

// "导入了 3 项，更新了 1 项，1 项已有；没有导入 2 项：…" with a line per item left out.
std::string report_text(const ImportReport& report);

}  // namespace velmora::sync
