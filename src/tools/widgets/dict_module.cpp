// The dictionary as a module the program loads when the dictionary is first
// opened: its network libraries are never loaded by a start that does not
// use it.
#include <QtGlobal>

#include "tools/widgets/dict_loader.h"
#include "tools/widgets/udict.h"

extern "C" Q_DECL_EXPORT void velmora_dict_show(QWidget* owner, velmora::sys::Prompts* prompts,
                                                velmora::sys::Platform* platform) {
    velmora::tools::dict_show(owner, *prompts, *platform);
}
