// A named mutex in the session's namespace; the handle stays open until the
// process ends.
#include <windows.h>

#include "sys/instance_lock.h"
#include "sys/win32/wide.h"

namespace velmora::sys {

InstanceLock::InstanceLock(const std::string& name) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, win32::to_wide(name).c_str());
    if (!mutex) return;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    held_ = true;
}

InstanceLock::~InstanceLock() {
    if (held_) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace velmora::sys
