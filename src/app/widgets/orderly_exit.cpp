#include "app/widgets/orderly_exit.h"

#include <QObject>

#ifndef _WIN32
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#endif

namespace velmora::app {

#ifndef _WIN32

namespace {

int signal_pipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe.
void on_signal(int) {
    const char byte = 1;
    ssize_t ignored = write(signal_pipe[1], &byte, 1);
    (void)ignored;
}

}  // namespace

void close_on_termination_signals(QObject* owner, std::function<void()> close) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signal_pipe) != 0) return;
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [close = std::move(close)] {
        char byte = 0;
        ssize_t ignored = read(signal_pipe[0], &byte, 1);
        (void)ignored;
        close();
    });
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // The terminal the program was started from closing is an end of the
    // session too, not a crash.
    sigaction(SIGHUP, &action, nullptr);
}

#else

// Windows ends a GUI program through the session-end query instead.
void close_on_termination_signals(QObject*, std::function<void()>) {}

#endif

}  // namespace velmora::app
