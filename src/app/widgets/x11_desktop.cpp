#include "app/widgets/x11_desktop.h"

#include "app/widgets/portal_shortcuts.h"

#include <QGuiApplication>

#include <utility>

#if defined(VELMORA_X11)
#include <xcb/xcb.h>
#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>
#endif

namespace velmora::app {

namespace {

// A desktop without global hotkeys: nothing is grabbed, so nothing is ever
// pressed, and no window is touched.
class NoGlobalHotkeys final : public DesktopWindows {
public:
    bool available() const override { return false; }
    bool grab(int, const HotkeyCombination&) override { return false; }
    void ungrab(int) override {}
    std::vector<WindowId> ordinary_windows() override { return {}; }
    bool exists(WindowId) override { return false; }
    void hide(WindowId) override {}
    void show(WindowId) override {}
    void close(WindowId) override {}
    void hide_area(DesktopArea) override {}
    void show_area(DesktopArea) override {}
};

#if defined(VELMORA_X11)

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
// xcb hands out replies and errors from malloc.
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

enum AtomName : std::size_t {
    client_list,
    close_window,
    allowed_actions,
    action_minimize,
    action_maximize_horz,
    action_maximize_vert,
    action_resize,
    window_type,
    // The standard window types, in this order: the first four are the
    // ones the hotkeys tell apart, the rest only count as "some other type".
    type_normal,
    type_dialog,
    type_desktop,
    type_dock,
    type_toolbar,
    type_menu,
    type_utility,
    type_splash,
    type_dropdown_menu,
    type_popup_menu,
    type_tooltip,
    type_notification,
    type_combo,
    type_dnd,
    atom_count
};

constexpr std::array<const char*, atom_count> atom_names = {
    "_NET_CLIENT_LIST",
    "_NET_CLOSE_WINDOW",
    "_NET_WM_ALLOWED_ACTIONS",
    "_NET_WM_ACTION_MINIMIZE",
    "_NET_WM_ACTION_MAXIMIZE_HORZ",
    "_NET_WM_ACTION_MAXIMIZE_VERT",
    "_NET_WM_ACTION_RESIZE",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_NORMAL",
    "_NET_WM_WINDOW_TYPE_DIALOG",
    "_NET_WM_WINDOW_TYPE_DESKTOP",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_WINDOW_TYPE_TOOLBAR",
    "_NET_WM_WINDOW_TYPE_MENU",
    "_NET_WM_WINDOW_TYPE_UTILITY",
    "_NET_WM_WINDOW_TYPE_SPLASH",
    "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
    "_NET_WM_WINDOW_TYPE_POPUP_MENU",
    "_NET_WM_WINDOW_TYPE_TOOLTIP",
    "_NET_WM_WINDOW_TYPE_NOTIFICATION",
    "_NET_WM_WINDOW_TYPE_COMBO",
    "_NET_WM_WINDOW_TYPE_DND",
};

using Atoms = std::array<xcb_atom_t, atom_count>;

Atoms intern_atoms(xcb_connection_t* connection) {
    std::array<xcb_intern_atom_cookie_t, atom_count> cookies{};
    for (std::size_t i = 0; i < atom_count; ++i) {
        cookies[i] = xcb_intern_atom(
            connection, 0, static_cast<std::uint16_t>(std::strlen(atom_names[i])), atom_names[i]);
    }
    Atoms atoms{};
    for (std::size_t i = 0; i < atom_count; ++i) {
        const Reply<xcb_intern_atom_reply_t> reply{
            xcb_intern_atom_reply(connection, cookies[i], nullptr)};
        atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    return atoms;
}

// The keysyms of every keycode, read once: looking up the four letters must
// not fetch the whole map four times at every start.
struct KeyboardMap {
    int first_keycode = 0;
    int per_key = 0;
    std::vector<xcb_keysym_t> keysyms;
};

KeyboardMap read_keyboard(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const Reply<xcb_get_keyboard_mapping_reply_t> map{xcb_get_keyboard_mapping_reply(
        connection,
        xcb_get_keyboard_mapping(connection, setup->min_keycode, static_cast<std::uint8_t>(count)),
        nullptr)};
    KeyboardMap keyboard{setup->min_keycode, 0, {}};
    if (!map || map->keysyms_per_keycode == 0) return keyboard;
    keyboard.per_key = map->keysyms_per_keycode;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map.get());
    keyboard.keysyms.assign(keysyms, keysyms + static_cast<std::size_t>(count) *
                                                   static_cast<std::size_t>(keyboard.per_key));
    return keyboard;
}

// The keycode that types the letter, small or capital, in the first group
// of the keyboard map; 0 when no key does.
xcb_keycode_t keycode_for(const KeyboardMap& keyboard, char letter) {
    if (keyboard.per_key == 0) return 0;
    // Latin letters' keysyms are their ASCII codes.
    const xcb_keysym_t capital = static_cast<unsigned char>(letter);
    const xcb_keysym_t small = capital - 'A' + 'a';
    const std::size_t per_key = static_cast<std::size_t>(keyboard.per_key);
    for (std::size_t at = 0; at < keyboard.keysyms.size(); ++at) {
        const xcb_keysym_t keysym = keyboard.keysyms[at];
        if (at % per_key < 2 && (keysym == small || keysym == capital)) {
            return static_cast<xcb_keycode_t>(keyboard.first_keycode +
                                              static_cast<int>(at / per_key));
        }
    }
    return 0;
}

// CapsLock and NumLock (Mod2 on every usual keyboard map) change a key's
// modifier state: each combination is grabbed with each of them on and
// off, and presses are matched with them ignored. Alt is Mod1.
constexpr std::array<std::uint16_t, 4> lock_states = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                      XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint16_t meaningful_modifiers = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL |
                                               XCB_MOD_MASK_1 | XCB_MOD_MASK_3 | XCB_MOD_MASK_4 |
                                               XCB_MOD_MASK_5;

std::uint16_t modifiers_of(const HotkeyCombination& combination) {
    return static_cast<std::uint16_t>((combination.ctrl ? XCB_MOD_MASK_CONTROL : 0) |
                                      (combination.alt ? XCB_MOD_MASK_1 : 0));
}

enum class WindowType { normal, dialog, desktop, dock, other };

struct WindowFacts {
    bool viewable = false;
    WindowType type = WindowType::normal;
    std::vector<std::uint32_t> actions;
};

bool contains(const std::vector<std::uint32_t>& values, std::uint32_t value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

// Every window this program has made: the hotkeys never hide or close the
// program itself, nor any of its dialogs.
std::vector<std::uint32_t> own_windows() {
    std::vector<std::uint32_t> ids;
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->handle()) ids.push_back(static_cast<std::uint32_t>(window->winId()));
    }
    return ids;
}

class X11Desktop final : public DesktopWindows, public QAbstractNativeEventFilter {
public:
    X11Desktop(xcb_connection_t* connection, std::function<void(int)> on_hotkey);
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    bool available() const override { return true; }
    bool grab(int id, const HotkeyCombination& combination) override;
    void ungrab(int id) override;
    std::vector<WindowId> ordinary_windows() override;
    bool exists(WindowId window) override;
    void hide(WindowId window) override { set_mapped(window, false); }
    void show(WindowId window) override { set_mapped(window, true); }
    void close(WindowId window) override;
    void hide_area(DesktopArea area) override;
    void show_area(DesktopArea area) override;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    struct Grab {
        int id = 0;
        xcb_keycode_t keycode = 0;
        std::uint16_t modifiers = 0;
    };

    void release(const Grab& grab);
    void set_mapped(WindowId window, bool mapped);
    xcb_get_property_cookie_t ask_list(xcb_window_t window, xcb_atom_t property,
                                       xcb_atom_t type) const;
    std::vector<std::uint32_t> list_reply(xcb_get_property_cookie_t cookie) const;
    std::vector<std::uint32_t> read_list(xcb_window_t window, xcb_atom_t property,
                                         xcb_atom_t type) const;
    std::vector<std::uint32_t> root_children() const;
    xcb_window_t top_level_of(xcb_window_t window) const;
    WindowType type_of(const std::vector<std::uint32_t>& listed, bool transient) const;
    WindowFacts facts(xcb_window_t window) const;
    bool is_ordinary(const WindowFacts& facts) const;
    std::vector<std::uint32_t> windows_of_type(WindowType type) const;

    xcb_connection_t* connection_;
    xcb_window_t root_;
    Atoms atoms_;
    std::vector<Grab> grabs_;
    std::optional<KeyboardMap> keyboard_;  // read at the first grab
    std::function<void(int)> on_hotkey_;
    // Presses are handed on through the event loop with this as context:
    // one still queued when the desktop goes is dropped with it.
    QObject deliveries_;
};

X11Desktop::X11Desktop(xcb_connection_t* connection, std::function<void(int)> on_hotkey)
    : connection_(connection),
      root_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
      atoms_(intern_atoms(connection)),
      on_hotkey_(std::move(on_hotkey)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

// Qt's connection lives as long as the application: after it there is
// nothing left to release.
X11Desktop::~X11Desktop() {
    if (!QCoreApplication::instance()) return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (const Grab& grab : grabs_) release(grab);
    xcb_flush(connection_);
}

// A grab refused for any lock state means another program holds the
// combination: the states that did succeed are given back, so the
// combination is either wholly this program's or not at all.
bool X11Desktop::grab(int id, const HotkeyCombination& combination) {
    if (!keyboard_) keyboard_ = read_keyboard(connection_);
    const Grab grab{id, keycode_for(*keyboard_, combination.key), modifiers_of(combination)};
    if (grab.keycode == 0) return false;
    std::array<xcb_void_cookie_t, lock_states.size()> cookies{};
    for (std::size_t i = 0; i < lock_states.size(); ++i) {
        // Not owner_events: the press always comes reported on the root
        // window, even while the focus is in one of this program's windows.
        cookies[i] = xcb_grab_key_checked(connection_, 0, root_, grab.modifiers | lock_states[i],
                                          grab.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    }
    bool taken = true;
    for (const xcb_void_cookie_t& cookie : cookies) {
        const Reply<xcb_generic_error_t> error{xcb_request_check(connection_, cookie)};
        if (error) taken = false;
    }
    if (!taken) {
        release(grab);
        return false;
    }
    grabs_.push_back(grab);
    return true;
}

void X11Desktop::ungrab(int id) {
    const auto held = std::find_if(grabs_.begin(), grabs_.end(),
                                   [id](const Grab& grab) { return grab.id == id; });
    if (held == grabs_.end()) return;
    release(*held);
    grabs_.erase(held);
    xcb_flush(connection_);
}

// Only this client's own grabs are released: another program's hold on the
// same combination stays.
void X11Desktop::release(const Grab& grab) {
    for (std::uint16_t locks : lock_states) {
        xcb_ungrab_key(connection_, grab.keycode, root_, grab.modifiers | locks);
    }
}

bool X11Desktop::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if (press->event != root_) return false;
    const auto modifiers = static_cast<std::uint16_t>(press->state & meaningful_modifiers);
    for (const Grab& grab : grabs_) {
        if (grab.keycode != press->detail || grab.modifiers != modifiers) continue;
        QTimer::singleShot(0, &deliveries_, [this, id = grab.id] { on_hotkey_(id); });
        return true;
    }
    return false;
}

xcb_get_property_cookie_t X11Desktop::ask_list(xcb_window_t window, xcb_atom_t property,
                                               xcb_atom_t type) const {
    return xcb_get_property(connection_, 0, window, property, type, 0, 4096);
}

// The 32-bit values of a property (windows, atoms); empty when the window
// has none or is gone.
std::vector<std::uint32_t> X11Desktop::list_reply(xcb_get_property_cookie_t cookie) const {
    const Reply<xcb_get_property_reply_t> reply{
        xcb_get_property_reply(connection_, cookie, nullptr)};
    if (!reply || reply->format != 32) return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get()) / 4;
    return {values, values + length};
}

std::vector<std::uint32_t> X11Desktop::read_list(xcb_window_t window, xcb_atom_t property,
                                                 xcb_atom_t type) const {
    return list_reply(ask_list(window, property, type));
}

std::vector<std::uint32_t> X11Desktop::root_children() const {
    const Reply<xcb_query_tree_reply_t> tree{
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr)};
    if (!tree) return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

// The first standard type the window lists counts (others may come first:
// the list is in the client's order of preference). A window listing none
// is normal, or a dialog when it belongs to another window.
WindowType X11Desktop::type_of(const std::vector<std::uint32_t>& listed, bool transient) const {
    for (std::uint32_t atom : listed) {
        const auto known = std::find(atoms_.begin() + type_normal, atoms_.end(), atom);
        if (known == atoms_.end()) continue;
        switch (static_cast<std::size_t>(known - atoms_.begin())) {
            case type_normal: return WindowType::normal;
            case type_dialog: return WindowType::dialog;
            case type_desktop: return WindowType::desktop;
            case type_dock: return WindowType::dock;
            default: return WindowType::other;
        }
    }
    return transient ? WindowType::dialog : WindowType::normal;
}

WindowFacts X11Desktop::facts(xcb_window_t window) const {
    const xcb_get_window_attributes_cookie_t attributes_asked =
        xcb_get_window_attributes(connection_, window);
    const auto types = ask_list(window, atoms_[window_type], XCB_ATOM_ATOM);
    const auto transient = ask_list(window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW);
    const auto actions = ask_list(window, atoms_[allowed_actions], XCB_ATOM_ATOM);
    const Reply<xcb_get_window_attributes_reply_t> attributes{
        xcb_get_window_attributes_reply(connection_, attributes_asked, nullptr)};
    WindowFacts facts;
    facts.viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    const std::vector<std::uint32_t> listed_types = list_reply(types);
    facts.type = type_of(listed_types, !list_reply(transient).empty());
    facts.actions = list_reply(actions);
    return facts;
}

// What a user counts as an application window: shown, of the normal type,
// and one the window manager lets the user minimise, maximise and resize
// (which leaves out fixed-size panels, splash screens and the like).
bool X11Desktop::is_ordinary(const WindowFacts& facts) const {
    return facts.viewable && facts.type == WindowType::normal &&
           contains(facts.actions, atoms_[action_minimize]) &&
           contains(facts.actions, atoms_[action_maximize_horz]) &&
           contains(facts.actions, atoms_[action_maximize_vert]) &&
           contains(facts.actions, atoms_[action_resize]);
}

// The root's child that holds the window: its frame under a reparenting
// window manager, else the window itself.
xcb_window_t X11Desktop::top_level_of(xcb_window_t window) const {
    for (int depth = 0; depth < 8; ++depth) {
        const Reply<xcb_query_tree_reply_t> tree{
            xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr)};
        if (!tree || tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) break;
        window = tree->parent;
    }
    return window;
}

// Which windows: the window manager's client list. Their order: the X
// server's own stacking of the root's children, which every window manager
// keeps true; _NET_CLIENT_LIST_STACKING cannot be trusted for it (jwm writes
// it topmost first, against the EWMH's bottommost first).
std::vector<WindowId> X11Desktop::ordinary_windows() {
    const std::vector<std::uint32_t> clients =
        read_list(root_, atoms_[client_list], XCB_ATOM_WINDOW);
    const std::vector<std::uint32_t> stacking = root_children();  // bottommost first
    const std::vector<std::uint32_t> own = own_windows();
    std::vector<std::pair<std::ptrdiff_t, WindowId>> placed;
    for (std::uint32_t client : clients) {
        if (contains(own, client) || !is_ordinary(facts(client))) continue;
        const auto at = std::find(stacking.begin(), stacking.end(), top_level_of(client));
        placed.emplace_back(at - stacking.begin(), client);
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<WindowId> windows;
    windows.reserve(placed.size());
    for (const auto& [position, window] : placed) windows.push_back(window);
    return windows;
}

// Managed windows and, beside them, the root's own children: a window
// manager may leave docks unmanaged, and a window unmapped by another
// client is withdrawn from the client list, so one hidden here (or by an
// earlier run) is found only there.
std::vector<std::uint32_t> X11Desktop::windows_of_type(WindowType type) const {
    std::vector<std::uint32_t> candidates = read_list(root_, atoms_[client_list], XCB_ATOM_WINDOW);
    for (std::uint32_t child : root_children()) {
        if (!contains(candidates, child)) candidates.push_back(child);
    }
    const std::vector<std::uint32_t> own = own_windows();
    std::vector<std::uint32_t> found;
    for (std::uint32_t window : candidates) {
        if (!contains(own, window) && facts(window).type == type) found.push_back(window);
    }
    return found;
}

bool X11Desktop::exists(WindowId window) {
    const Reply<xcb_get_window_attributes_reply_t> attributes{xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, static_cast<xcb_window_t>(window)),
        nullptr)};
    return attributes != nullptr;
}

// Checked, so that a window gone meanwhile costs nothing but the error
// taken here, instead of a warning from Qt's event handling.
void X11Desktop::set_mapped(WindowId window, bool mapped) {
    const auto id = static_cast<xcb_window_t>(window);
    const xcb_void_cookie_t cookie = mapped ? xcb_map_window_checked(connection_, id)
                                            : xcb_unmap_window_checked(connection_, id);
    const Reply<xcb_generic_error_t> error{xcb_request_check(connection_, cookie)};
}

// The window manager closes the window as its own close button would: the
// application may still ask about unsaved work.
void X11Desktop::close(WindowId window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window);
    message.type = atoms_[close_window];
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = 2;  // on behalf of the user, as a pager does
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
}

WindowType type_of_area(DesktopArea area) {
    return area == DesktopArea::icons ? WindowType::desktop : WindowType::dock;
}

void X11Desktop::hide_area(DesktopArea area) {
    for (std::uint32_t window : windows_of_type(type_of_area(area))) set_mapped(window, false);
}

void X11Desktop::show_area(DesktopArea area) {
    for (std::uint32_t window : windows_of_type(type_of_area(area))) set_mapped(window, true);
}

#endif

}  // namespace

// Only the xcb platform talks to an X server: under "offscreen" or a
// Wayland session the X11 interface may exist without a connection.
namespace {

std::unique_ptr<DesktopWindows> platform_desktop(const std::function<void(int id)>& on_hotkey) {
#if defined(VELMORA_X11)
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr) {
            return std::make_unique<X11Desktop>(connection, on_hotkey);
        }
    }
#else
    (void)on_hotkey;
#endif
    return std::make_unique<NoGlobalHotkeys>();
}

bool wayland_session() {
    const QByteArray type = qgetenv("XDG_SESSION_TYPE");
    return !qgetenv("WAYLAND_DISPLAY").isEmpty() || type == "wayland";
}

}  // namespace

// In a Wayland session the keys come through the desktop portal where it
// offers them; the rest of the desktop's work stays with the platform's.
std::unique_ptr<DesktopWindows> make_desktop_windows(std::function<void(int id)> on_hotkey) {
    std::unique_ptr<DesktopWindows> desktop = platform_desktop(on_hotkey);
    if (wayland_session() && PortalShortcuts::offered()) {
        return std::make_unique<PortalShortcuts>(std::move(desktop), std::move(on_hotkey));
    }
    return desktop;
}

}  // namespace velmora::app
