#include "app/widgets/window_hints.h"

#include <QGuiApplication>
#include <QWidget>

#if defined(VELMORA_X11)
#include <xcb/xcb.h>

#include <cstring>
#endif

namespace velmora::app {

#if defined(VELMORA_X11)

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    if (!reply) return XCB_ATOM_NONE;
    xcb_atom_t result = reply->atom;
    free(reply);
    return result;
}

// Asks the window manager to add two states to a mapped window.
void request_states(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t first,
                    xcb_atom_t second) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom(connection, "_NET_WM_STATE");
    message.data.data32[0] = 1;  // add
    message.data.data32[1] = first;
    message.data.data32[2] = second;
    message.data.data32[3] = 1;  // from a normal application
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);
}

}  // namespace

// Only the xcb platform talks to an X server: under "offscreen" (tests,
// headless use) the X11 interface may exist without a connection.
void keep_off_taskbar(QWidget* window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->isVisible()) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return;
    request_states(connection, static_cast<xcb_window_t>(window->winId()),
                   atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                   atom(connection, "_NET_WM_STATE_SKIP_PAGER"));
}

#else

void keep_off_taskbar(QWidget*) {}

#endif

}  // namespace velmora::app
