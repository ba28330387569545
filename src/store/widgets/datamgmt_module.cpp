// The data management dialog as a module the program loads the first time
// the dialog opens: its chart library (and the OpenGL libraries behind it)
// is never loaded by a start that does not use it. The module holds the
// dialog only; the figures, the backup and the compaction run in the
// program, on the program's one open container.
#include <QtGlobal>

#include "store/widgets/datamgmt_loader.h"
#include "store/widgets/uFX_resetfx_graph.h"

extern "C" Q_DECL_EXPORT int velmora_resetfx_graph_show_checked(
    QWidget* owner, const std::string* live_mb, const std::string* fragment_mb,
    const velmora::store::BackupAction* backup, const velmora::store::CheckAction* check) {
    return velmora::store::resetfx_graph_show(owner, *live_mb, *fragment_mb, *backup, *check);
}
