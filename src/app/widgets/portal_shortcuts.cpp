#include "app/widgets/portal_shortcuts.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include "sys/diagnostic.h"

namespace {

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap options;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

}  // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace velmora::app {

namespace {

const QString portal_service = "org.freedesktop.portal.Desktop";
const QString portal_path = "/org/freedesktop/portal/desktop";
const QString shortcuts_interface = "org.freedesktop.portal.GlobalShortcuts";
const QString request_interface = "org.freedesktop.portal.Request";

QDBusMessage portal_call(const QString& method) {
    return QDBusMessage::createMethodCall(portal_service, portal_path, shortcuts_interface, method);
}

// Where the portal answers a request made with `token` (the rule of the
// Request interface: the sender's unique name without ':' and '.' → '_').
QString request_path(const QString& token) {
    QString sender = QDBusConnection::sessionBus().baseService();
    sender.remove(0, 1).replace('.', '_');
    return "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
}

}  // namespace

bool PortalShortcuts::offered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(portal_service)) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(portal_service, portal_path,
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << shortcuts_interface << QString("version");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

PortalShortcuts::PortalShortcuts(std::unique_ptr<DesktopWindows> others,
                                 std::function<void(int id)> on_hotkey,
                                 std::chrono::milliseconds answer_limit)
    : others_(std::move(others)), on_hotkey_(std::move(on_hotkey)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    // The signal's argument types must be known before its slot is matched.
    qRegisterMetaType<QDBusObjectPath>();
    qRegisterMetaType<QVariantMap>();
    bind_timer_.setSingleShot(true);
    connect(&bind_timer_, &QTimer::timeout, this, [this] { bind(); });
    answer_timer_.setSingleShot(true);
    answer_timer_.setInterval(static_cast<int>(answer_limit.count()));
    connect(&answer_timer_, &QTimer::timeout, this,
            [this] { fall_back("the desktop portal did not answer"); });
    const bool listening = QDBusConnection::sessionBus().connect(
        portal_service, portal_path, shortcuts_interface, "Activated", "osta{sv}", this,
        SLOT(shortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    if (!listening) fall_back("the desktop portal's key presses cannot be received");
}

PortalShortcuts::~PortalShortcuts() = default;

bool PortalShortcuts::grab(int id, const HotkeyCombination& combination) {
    if (fell_back_) return others_->grab(id, combination);
    wanted_[id] = combination;
    bind_later();
    return true;
}

void PortalShortcuts::ungrab(int id) {
    if (fell_back_) {
        others_->ungrab(id);
        return;
    }
    wanted_.erase(id);
}

void PortalShortcuts::bind_later() {
    bind_timer_.start(0);
}

void PortalShortcuts::bind() {
    if (fell_back_) return;
    if (session_.isEmpty()) return create_session();
    QList<PortalShortcut> shortcuts;
    for (const auto& [id, combination] : wanted_) {
        shortcuts.append(
            {QString::number(id),
             {{"description", QString::fromUtf8(hotkey_description(static_cast<Hotkey>(id)))},
              {"preferred_trigger", QString::fromStdString(portal_trigger(combination))}}});
    }
    const QString token = QString("velmora_bind_%1").arg(++token_count_);
    if (!await_response(token, SLOT(shortcutsBound(uint, QVariantMap)))) return;
    QDBusMessage call = portal_call("BindShortcuts");
    call << QVariant::fromValue(QDBusObjectPath(session_)) << QVariant::fromValue(shortcuts)
         << QString() << QVariantMap{{"handle_token", token}};
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

void PortalShortcuts::create_session() {
    const QString token = QString("velmora_session_%1").arg(++token_count_);
    if (!await_response(token, SLOT(sessionCreated(uint, QVariantMap)))) return;
    QDBusMessage call = portal_call("CreateSession");
    call << QVariantMap{{"handle_token", token}, {"session_handle_token", "velmora"}};
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

// Listens for the answer before asking, as the Request interface wants.
bool PortalShortcuts::await_response(const QString& token, const char* slot) {
    const bool listening = QDBusConnection::sessionBus().connect(
        portal_service, request_path(token), request_interface, "Response", this, slot);
    if (!listening) {
        fall_back("the desktop portal's answers cannot be received");
        return false;
    }
    answer_timer_.start();
    return true;
}

void PortalShortcuts::sessionCreated(uint response, const QVariantMap& results) {
    answer_timer_.stop();
    if (response != 0 || !results.contains("session_handle")) {
        return fall_back("the desktop portal refused a shortcut session");
    }
    session_ = results.value("session_handle").toString();
    bind();
}

void PortalShortcuts::shortcutsBound(uint response, const QVariantMap&) {
    answer_timer_.stop();
    if (response != 0) fall_back("the desktop portal refused the hotkeys");
}

void PortalShortcuts::shortcutActivated(const QDBusObjectPath& session, const QString& id,
                                        qulonglong, const QVariantMap&) {
    if (fell_back_ || session.path() != session_) return;
    bool number = false;
    const int hotkey = id.toInt(&number);
    if (number && wanted_.count(hotkey) != 0 && on_hotkey_) on_hotkey_(hotkey);
}

// Without the portal the keys go to the desktop's own grabs, which in a
// Wayland session work while one of its X11 windows has the focus.
void PortalShortcuts::fall_back(const QString& why) {
    if (fell_back_) return;
    fell_back_ = true;
    answer_timer_.stop();
    sys::diagnostic(why.toStdString() + "; the hotkeys are taken through X11 instead");
    for (const auto& [id, combination] : wanted_) others_->grab(id, combination);
}

}  // namespace velmora::app
