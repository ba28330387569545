#include "store/widgets/datamgmt_loader.h"

#include "ui/module_entry.h"

namespace velmora::store {

void data_management(QWidget* owner, const DataPaths& paths, sys::Prompts& prompts,
                     const sys::Clock& clock) {
    const auto entry = reinterpret_cast<DatamgmtModuleEntry>(
        ui::module_entry("velmora_datamgmt", datamgmt_module_entry, "数据管理", prompts));
    if (!entry) return;
    data_management_flow(paths, prompts, clock,
                         [&](const std::string& live_mb, const std::string& fragment_mb,
                             const BackupAction& backup, const CheckAction& check) {
                             return entry(owner, &live_mb, &fragment_mb, &backup, &check);
                         });
}

}  // namespace velmora::store
