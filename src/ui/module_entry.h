// Heavy parts of the program (the dictionary with its network libraries,
// the data management chart) are modules beside the program (or in the
// install's library folder), loaded the
// first time they are used so that no start pays for them.
#pragma once

#include <QLibrary>

#include <string>

#include "sys/program_layout.h"
#include "sys/prompts.h"

namespace velmora::ui {

// The function `entry` of the module `name` in the program's folder, or
// nothing after telling the user that `what` cannot be loaded. The module
// stays loaded for the rest of the run.
inline QFunctionPointer module_entry(const char* name, const char* entry, const std::string& what,
                                     sys::Prompts& prompts) {
    QLibrary module(QString::fromStdString(sys::program_layout().lib_dir) + name);
    const QFunctionPointer found = module.resolve(entry);
    if (!found) {
        prompts.inform(what + "组件无法载入：" + module.errorString().toStdString(), {},
                       sys::PromptIcon::error);
    }
    return found;
}

}  // namespace velmora::ui
