// The global hotkeys on a real X server under a window manager: a helper
// program opens windows of each type, xdotool presses the combinations and
// the windows' map states show what each press did. hotkeys_e2e.sh runs it
// inside xvfb-run with jwm.
#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../app/recording_prompts.h"
#include "app/widgets/x11_desktop.h"

using namespace velmora::app;

namespace {

// Another X client: it looks at the windows, and holds keys the way another
// program would.
class OtherClient {
public:
    OtherClient() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~OtherClient() { xcb_disconnect(connection_); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    // XCB_MAP_STATE_*; -1 once the window is gone.
    int map_state(xcb_window_t window) {
        auto* reply = xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr);
        const int state = reply ? reply->map_state : -1;
        std::free(reply);
        return state;
    }
    bool shown(xcb_window_t window) { return map_state(window) == XCB_MAP_STATE_VIEWABLE; }

    // The window manager's stacking list, of the given windows only; only
    // compared with itself, so its direction does not matter.
    std::vector<xcb_window_t> stacking(const std::vector<xcb_window_t>& of) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const char* name = "_NET_CLIENT_LIST_STACKING";
        auto* atom = xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        auto* list = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1024), nullptr);
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(list));
        std::vector<xcb_window_t> order;
        std::copy_if(
            ids, ids + xcb_get_property_value_length(list) / 4, std::back_inserter(order),
            [&of](xcb_window_t id) { return std::find(of.begin(), of.end(), id) != of.end(); });
        std::free(list);
        std::free(atom);
        return order;
    }

    // Alt+letter with every lock state; false when any of them is held by
    // another client. `keep` leaves a successful grab in place.
    bool grab_alt(char letter, bool keep) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const xcb_keycode_t key = keycode(letter);
        bool taken = true;
        for (unsigned locks : {0U, 0U + XCB_MOD_MASK_LOCK, 0U + XCB_MOD_MASK_2,
                               0U + (XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)}) {
            const auto modifiers = static_cast<std::uint16_t>(XCB_MOD_MASK_1 | locks);
            auto* error = xcb_request_check(
                connection_, xcb_grab_key_checked(connection_, 0, root, modifiers, key,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            taken = taken && !error;
            std::free(error);
            if (!keep) xcb_ungrab_key(connection_, key, root, modifiers);
        }
        xcb_flush(connection_);
        return taken;
    }

private:
    xcb_keycode_t keycode(char letter) {
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        auto* map = xcb_get_keyboard_mapping_reply(
            connection_,
            xcb_get_keyboard_mapping(connection_, setup->min_keycode,
                                     static_cast<std::uint8_t>(count)),
            nullptr);
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map);
        xcb_keycode_t found = 0;
        for (int key = 0; key < count && found == 0; ++key) {
            if (keysyms[static_cast<std::size_t>(key) * map->keysyms_per_keycode] ==
                static_cast<xcb_keysym_t>(letter)) {
                found = static_cast<xcb_keycode_t>(setup->min_keycode + key);
            }
        }
        std::free(map);
        return found;
    }

    xcb_connection_t* connection_;
};

// A round trip on the program's own connection: every request it sent
// has reached the server.
void sync_with_server() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

// Polls with the event loop running (the presses arrive through it) for
// at most five seconds.
template <typename Condition>
bool eventually(Condition condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 5000) return false;
        QApplication::processEvents();
        QThread::msleep(20);
    }
    return true;
}

void press(const char* keys) {
    ASSERT_EQ(QProcess::execute("xdotool", {"key", keys}), 0);
}

class HotkeysX11 : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::string* flag :
             {&settings.hotkey_hidewindows_use, &settings.hotkey_closewindows_use,
              &settings.hotkey_hidelink_use, &settings.hotkey_hidetask_use}) {
            *flag = "1";
        }
        own.resize(200, 120);
        own.show();
        open_windows();
        ASSERT_TRUE(desktop->available());
    }
    void TearDown() override {
        hotkeys.unreghotkey();
        helper.kill();
        helper.waitForFinished();
    }

    // Two normal windows, one without a type (normal all the same), and one
    // each of the types the hotkeys that hide windows must leave alone.
    void open_windows() {
        helper.start(X11_TEST_WINDOWS,
                     {"normal", "normal", "untyped", "dialog", "dock", "desktop"});
        while (windows.size() < 6 && helper.waitForReadyRead(5000)) {
            while (helper.canReadLine()) windows.push_back(helper.readLine().trimmed().toUInt());
        }
        ASSERT_EQ(windows.size(), 6U);
        ASSERT_TRUE(eventually([this] { return all_shown(); }));
    }
    bool all_shown() { return shown({0, 1, 2, 3, 4, 5}) && x.shown(own_id()); }
    bool shown(std::initializer_list<int> indexes) {
        for (int index : indexes) {
            if (!x.shown(windows[index])) return false;
        }
        return true;
    }
    bool hidden(std::initializer_list<int> indexes) {
        for (int index : indexes) {
            if (x.shown(windows[index])) return false;
        }
        return true;
    }
    xcb_window_t own_id() const { return static_cast<xcb_window_t>(own.winId()); }

    OtherClient x;
    QWidget own;
    QProcess helper;
    std::vector<xcb_window_t> windows;
    LocalSettings settings;
    velmora::testing::RecordingPrompts prompts;
    int arrived = 0;
    std::unique_ptr<DesktopWindows> desktop = make_desktop_windows([this](int id) {
        ++arrived;
        hotkeys.HotKeyDown(id);
    });
    GlobalHotkeys hotkeys{settings, *desktop, prompts};
};

TEST_F(HotkeysX11, HideWindowsTakesOnlyOrdinaryWindowsAndBringsThemBack) {
    const std::vector<xcb_window_t> ordinary(windows.begin(), windows.begin() + 3);
    const std::vector<xcb_window_t> stacked = x.stacking(ordinary);
    hotkeys.reghotkey();
    EXPECT_TRUE(hotkeys.unavailable().empty());
    press("alt+z");
    ASSERT_TRUE(eventually([this] { return hidden({0, 1, 2}); }));
    EXPECT_TRUE(shown({3, 4, 5}));
    EXPECT_TRUE(x.shown(own_id()));
    press("alt+z");
    ASSERT_TRUE(eventually([this] { return all_shown(); }));
    EXPECT_TRUE(eventually([&] { return x.stacking(ordinary) == stacked; }));
}

TEST_F(HotkeysX11, CloseWindowsAsksFirst) {
    prompts.answers = {false, true};
    hotkeys.reghotkey();
    press("alt+x");
    ASSERT_TRUE(eventually([this] { return prompts.shown.size() == 1; }));
    EXPECT_TRUE(all_shown());
    press("alt+x");
    const auto gone = [this](int index) { return x.map_state(windows[index]) == -1; };
    ASSERT_TRUE(eventually([&] { return gone(0) && gone(1) && gone(2); }));
    EXPECT_EQ(prompts.shown.size(), 2U);
    EXPECT_TRUE(shown({3, 4, 5}));
    EXPECT_TRUE(x.shown(own_id()));
}

TEST_F(HotkeysX11, TaskbarAndDesktopIconsHideAndShow) {
    hotkeys.reghotkey();
    press("alt+t");
    ASSERT_TRUE(eventually([this] { return hidden({4}); }));
    press("alt+d");
    ASSERT_TRUE(eventually([this] { return hidden({5}); }));
    EXPECT_TRUE(shown({0, 1, 2, 3}));
    press("alt+t");
    ASSERT_TRUE(eventually([this] { return shown({4}); }));
    press("alt+d");
    ASSERT_TRUE(eventually([this] { return shown({5}); }));
    EXPECT_EQ(prompts.shown.size(), 4U);
}

TEST_F(HotkeysX11, SwitchedOffPressArrivesAndDoesNothing) {
    settings.hotkey_hidewindows_use = "0";
    hotkeys.reghotkey();
    press("alt+z");
    ASSERT_TRUE(eventually([this] { return arrived == 1; }));
    EXPECT_TRUE(all_shown());
    // Switched on, with CapsLock on: no new registration, and the lock
    // state does not matter.
    settings.hotkey_hidewindows_use = "1";
    press("Caps_Lock");
    press("alt+z");
    press("Caps_Lock");
    EXPECT_TRUE(eventually([this] { return hidden({0, 1, 2}); }));
}

TEST_F(HotkeysX11, HeldCombinationReportedAndAllReleasedAtTheEnd) {
    ASSERT_TRUE(x.grab_alt('z', true));
    hotkeys.reghotkey();
    EXPECT_EQ(hotkeys.unavailable(), std::vector<std::string>{"Alt+Z"});
    EXPECT_FALSE(x.grab_alt('t', false));
    press("alt+t");  // the others work
    ASSERT_TRUE(eventually([this] { return hidden({4}); }));

    hotkeys.unreghotkey();
    sync_with_server();
    EXPECT_TRUE(x.grab_alt('t', false));
    EXPECT_TRUE(x.grab_alt('x', false));
    EXPECT_TRUE(x.grab_alt('d', false));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
