// Termination requests from outside (SIGTERM, SIGINT, SIGHUP) become an orderly
// close of the main window on the user-interface thread.
#pragma once

#include <functional>

class QObject;

namespace velmora::app {

void close_on_termination_signals(QObject* owner, std::function<void()> close);

}  // namespace velmora::app
