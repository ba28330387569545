#include "tools/dict_loader.h"

#include <QCoreApplication>
#include <QLibrary>

namespace velmora::tools {

void open_dictionary(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform) {
    static QLibrary module(QCoreApplication::applicationDirPath() + "/velmora_dict");
    const auto entry = reinterpret_cast<DictModuleEntry>(module.resolve(dict_module_entry));
    if (!entry) {
        prompts.inform("在线词典组件无法载入：" + module.errorString().toStdString(), {},
                       sys::PromptIcon::error);
        return;
    }
    entry(owner, &prompts, &platform);
}

}  // namespace velmora::tools
