// The data management entry of the main window's menu: the figures, the
// dialog from its module beside the program, the backup and compaction.
#pragma once

#include <string>

#include "store/data_management.h"
#include "sys/clock.h"
#include "sys/prompts.h"

class QWidget;

namespace velmora::store {

// The module's one function, by this name (a module built before the
// check was added has another name, so it is never called the new way).
inline constexpr const char* datamgmt_module_entry = "velmora_resetfx_graph_show_checked";
using DatamgmtModuleEntry = int (*)(QWidget*, const std::string*, const std::string*,
                                    const BackupAction*, const CheckAction*);

// Reads the figures of the open store, shows the dialog (loading
// "velmora_datamgmt" from the program's folder the first time) and
// compacts when the user chose to. A module that is missing or broken is
// told, and nothing else happens.
void data_management(QWidget* owner, const DataPaths& paths, sys::Prompts& prompts,
                     const sys::Clock& clock);

}  // namespace velmora::store
