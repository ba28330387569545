#include "app/widgets/command_channel.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include "sys/diagnostic.h"

namespace velmora::app {

namespace {

constexpr int wait_ms = 2000;

}  // namespace

bool send_command(PanelCommand command) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(command_service, command_object, command_service, "Command");
    call << QString::fromUtf8(command_word(command));
    return bus.call(call, QDBus::Block, wait_ms).type() == QDBusMessage::ReplyMessage;
}

CommandServer::CommandServer(QObject* parent, std::function<void(PanelCommand)> on_command)
    : QObject(parent), on_command_(std::move(on_command)) {}

bool CommandServer::listen() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() ||
        !bus.registerObject(command_object, this, QDBusConnection::ExportScriptableSlots) ||
        !bus.registerService(command_service)) {
        sys::diagnostic(
            "no command channel on the session bus; velmora --show and the like "
            "cannot reach this instance");
        return false;
    }
    return true;
}

void CommandServer::Command(const QString& word) {
    const PanelCommand command = command_of(word.toStdString());
    // Answered first, acted on from the event loop: a --quit must not keep
    // the caller waiting for the whole close sequence.
    if (command != PanelCommand::none && on_command_) {
        QMetaObject::invokeMethod(
            this, [this, command] { on_command_(command); }, Qt::QueuedConnection);
    }
}

}  // namespace velmora::app
