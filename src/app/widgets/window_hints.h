// Window-manager hints that Qt has no flag for.
#pragma once

class QWidget;

namespace velmora::app {

// Keeps the window off the taskbar and the pager. On Windows a tool
// window already has no taskbar button; on X11 the window manager is told
// through the window's _NET_WM_STATE.
void keep_off_taskbar(QWidget* window);

}  // namespace velmora::app
