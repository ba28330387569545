// Opens one window per argument, of that EWMH type ("normal", "dialog",
// "dock", "desktop", or "untyped" for none), prints their ids one a line
// and keeps them until killed. A window the window manager asks to close
// (WM_DELETE_WINDOW) is destroyed, the others stay.
#include <xcb/xcb.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xcb_connection_t* connection = nullptr;

xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return result;
}

void set_atom(xcb_window_t window, const char* property, xcb_atom_t type, xcb_atom_t value) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(property), type, 32, 1,
                        &value);
}

xcb_window_t open_window(const xcb_screen_t* screen, const std::string& type, int index) {
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t values[] = {screen->white_pixel};
    xcb_create_window(
        connection, XCB_COPY_FROM_PARENT, window, screen->root,
        static_cast<std::int16_t>(40 + 60 * index), static_cast<std::int16_t>(40 + 50 * index), 240,
        160, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
    const std::string title = "hotkey-" + type;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(title.size()),
                        title.c_str());
    set_atom(window, "WM_PROTOCOLS", XCB_ATOM_ATOM, atom("WM_DELETE_WINDOW"));
    if (type != "untyped") {
        std::string type_atom = "_NET_WM_WINDOW_TYPE_" + type;
        for (char& c : type_atom) c = static_cast<char>(std::toupper(c));
        set_atom(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM, atom(type_atom.c_str()));
    }
    xcb_map_window(connection, window);
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    for (int i = 1; i < argc; ++i) std::printf("%u\n", open_window(screen, argv[i], i - 1));
    xcb_flush(connection);
    std::fflush(stdout);
    const xcb_atom_t delete_window = atom("WM_DELETE_WINDOW");
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE &&
            message->data.data32[0] == delete_window) {
            xcb_destroy_window(connection, message->window);
            xcb_flush(connection);
        }
        std::free(event);
    }
    return 0;
}
