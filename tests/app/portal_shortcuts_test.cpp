// The hotkeys through the desktop portal, against a stand-in portal service
// (tests/app/portal/shortcuts_portal.py) on a private session bus that the
// test starts: what is bound, a press coming back, and the fall-back to the
// desktop's own grabs when the portal refuses or never answers.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "app/widgets/portal_shortcuts.h"

namespace velmora::app {
namespace {

using namespace std::chrono_literals;

// The desktop the portal wraps: only its grabs matter here.
class GrabsOnly : public DesktopWindows {
public:
    explicit GrabsOnly(std::map<int, HotkeyCombination>& grabs) : grabs_(grabs) {}
    bool available() const override { return true; }
    bool grab(int id, const HotkeyCombination& combination) override {
        grabs_[id] = combination;
        return true;
    }
    void ungrab(int id) override { grabs_.erase(id); }
    std::vector<WindowId> ordinary_windows() override { return {}; }
    bool exists(WindowId) override { return false; }
    void hide(WindowId) override {}
    void show(WindowId) override {}
    void close(WindowId) override {}
    void hide_area(DesktopArea) override {}
    void show_area(DesktopArea) override {}

private:
    std::map<int, HotkeyCombination>& grabs_;
};

template <typename Done>
bool spin_until(Done done, int limit_ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limit_ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QDBusMessage ask_standin(const QString& method, const QVariantList& arguments = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop",
                                                       "/org/freedesktop/portal/desktop",
                                                       "org.velmora.Test", method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call);
}

class PortalShortcutsTest : public ::testing::Test {
protected:
    void start_portal(const char* mode) {
        portal.start("/usr/bin/python3", {VELMORA_PORTAL_STANDIN, mode});
        ASSERT_TRUE(portal.waitForReadyRead(10000)) << portal.readAllStandardError().toStdString();
        ASSERT_TRUE(PortalShortcuts::offered());
    }
    void TearDown() override {
        portal.kill();
        portal.waitForFinished();
    }
    std::unique_ptr<PortalShortcuts> shortcuts(std::chrono::milliseconds limit = 10s) {
        auto made = std::make_unique<PortalShortcuts>(
            std::make_unique<GrabsOnly>(grabs), [this](int id) { pressed.push_back(id); }, limit);
        made->grab(1, {true, true, 'H'});
        made->grab(4, {false, true, 'T'});
        return made;
    }

    QProcess portal;
    std::map<int, HotkeyCombination> grabs;
    std::vector<int> pressed;
};

TEST_F(PortalShortcutsTest, NoPortalOnTheBusIsNoneOffered) {
    EXPECT_FALSE(PortalShortcuts::offered());
}

TEST_F(PortalShortcutsTest, TheHotkeysAreBoundThroughThePortalAndItsPressesArrive) {
    start_portal("grant");
    const auto keys = shortcuts();
    const auto bound = [] {
        const QDBusMessage reply = ask_standin("Bound");
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toString()
                                                          : QString();
    };
    ASSERT_TRUE(spin_until([&] { return !bound().isEmpty(); }));
    EXPECT_EQ(bound(), "1|隐藏所有窗口|CTRL+ALT+h;4|隐藏任务栏|ALT+t");
    EXPECT_TRUE(grabs.empty()) << "no X11 grab while the portal has the keys";

    ask_standin("Activate", {QString("4")});
    ASSERT_TRUE(spin_until([&] { return !pressed.empty(); }));
    EXPECT_EQ(pressed, std::vector<int>{4});
    ask_standin("Activate", {QString("3")});  // never bound: ignored
    spin_until([] { return false; }, 200);
    EXPECT_EQ(pressed, std::vector<int>{4});
}

TEST_F(PortalShortcutsTest, ARefusingPortalLeavesTheKeysToTheDesktopsGrabs) {
    start_portal("refuse");
    const auto keys = shortcuts();
    ASSERT_TRUE(spin_until([&] { return grabs.size() == 2; }));
    EXPECT_EQ(grabs[1], (HotkeyCombination{true, true, 'H'}));
}

TEST_F(PortalShortcutsTest, APortalThatNeverAnswersIsGivenUp) {
    start_portal("silent");
    const auto keys = shortcuts(300ms);
    ASSERT_TRUE(spin_until([&] { return grabs.size() == 2; }, 3000));
}

}  // namespace
}  // namespace velmora::app

// A session bus of the test's own, before anything connects to one.
int main(int argc, char** argv) {
    std::FILE* daemon =
        popen("dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1", "r");
    char address[512] = {0}, pid[32] = {0};
    if (!daemon || !std::fgets(address, sizeof address, daemon) ||
        !std::fgets(pid, sizeof pid, daemon)) {
        std::fprintf(stderr, "no dbus-daemon\n");
        return 1;
    }
    pclose(daemon);
    address[std::strcspn(address, "\n")] = '\0';
    setenv("DBUS_SESSION_BUS_ADDRESS", address, 1);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::system((std::string("kill ") + pid).c_str());
    return result;
}
