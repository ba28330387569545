// The desktop the global hotkeys act on, under the running Qt platform: an
// X11 session through Qt's own xcb connection, or a desktop without global
// hotkeys (Wayland, offscreen) where every call does nothing.
#pragma once

#include <functional>
#include <memory>

#include "app/hotkeys.h"

namespace velmora::app {

// `on_hotkey` runs from the event loop with the id a grabbed combination
// was taken with, after the key press itself has been handled: whatever it
// opens (a question, a notice) runs its own event loop safely. Make it
// after the QApplication; it must not outlive it.
std::unique_ptr<DesktopWindows> make_desktop_windows(std::function<void(int id)> on_hotkey);

}  // namespace velmora::app
