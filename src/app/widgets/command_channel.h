// The channel a later start hands the running panel a command through: a
// name of the running instance on the user's session bus. The bus drops
// the name with its process however that ends, so a crashed instance
// leaves nothing behind that could stop the next one.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "app/panel_commands.h"

namespace velmora::app {

inline constexpr const char* command_service = "org.velmora.Velmora";
inline constexpr const char* command_object = "/org/velmora/Velmora";

// Hands `command` to the running instance; false when none answers.
bool send_command(PanelCommand command);

class CommandServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.velmora.Velmora")

public:
    CommandServer(QObject* parent, std::function<void(PanelCommand)> on_command);
    // False (with a diagnostic line) without a session bus or the name.
    bool listen();

public slots:
    Q_SCRIPTABLE void Command(const QString& word);

private:
    std::function<void(PanelCommand)> on_command_;
};

}  // namespace velmora::app
