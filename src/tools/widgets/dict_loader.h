// Opens the dictionary from its module beside the program.
#pragma once

#include "sys/platform.h"
#include "sys/prompts.h"

class QWidget;

namespace velmora::tools {

// The module's one function, by this name.
inline constexpr const char* dict_module_entry = "velmora_dict_show";
using DictModuleEntry = void (*)(QWidget*, sys::Prompts*, sys::Platform*);

// Loads "velmora_dict" from the program's folder and shows the dictionary;
// a module that is missing or broken is told, nothing else happens.
void open_dictionary(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform);

}  // namespace velmora::tools
