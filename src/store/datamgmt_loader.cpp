#include "store/datamgmt_loader.h"

#include <QCoreApplication>
#include <QLibrary>

namespace velmora::store {

void data_management(QWidget* owner, const DataPaths& paths, sys::Prompts& prompts,
                     const sys::Clock& clock) {
    static QLibrary module(QCoreApplication::applicationDirPath() + "/velmora_datamgmt");
    const auto entry = reinterpret_cast<DatamgmtModuleEntry>(module.resolve(datamgmt_module_entry));
    if (!entry) {
        prompts.inform("数据管理组件无法载入：" + module.errorString().toStdString(), {},
                       sys::PromptIcon::error);
        return;
    }
    data_management_flow(
        paths, prompts, clock,
        [&](const std::string& live_mb, const std::string& fragment_mb,
            const BackupAction& backup) { return entry(owner, &live_mb, &fragment_mb, &backup); });
}

}  // namespace velmora::store
