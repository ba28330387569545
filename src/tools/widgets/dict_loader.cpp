#include "tools/widgets/dict_loader.h"

#include "ui/module_entry.h"

namespace velmora::tools {

void open_dictionary(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform) {
    const auto entry = reinterpret_cast<DictModuleEntry>(
        ui::module_entry("velmora_dict", dict_module_entry, "在线词典", prompts));
    if (entry) entry(owner, &prompts, &platform);
}

}  // namespace velmora::tools
