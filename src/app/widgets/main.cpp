// Process entry: the main window's creation runs the start-up sequence;
// the message loop runs until the window closes, which runs the close
// sequence once, whichever way the program is ended.
#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/session_platform.h"
#include "app/widgets/DateWin.h"
#include "app/widgets/app_icon.h"
#include "app/widgets/command_channel.h"
#include "app/widgets/orderly_exit.h"
#include "app/widgets/qt_prompts.h"
#include "app/widgets/qt_translations.h"
#include "sys/program_layout.h"
#include "sys/sysutil.h"
#include "update/autoupdate.h"

namespace {

velmora::app::TFRM_Date* running_window = nullptr;
velmora::app::QtPrompts* running_prompts = nullptr;

// Qt's X11 layer ends the process with exit() when its connection breaks (the
// X server ended: a dropped remote session, a crashed desktop); the close
// sequence never runs then. While the window runs, an exit handler stores
// what it would have stored.
void save_at_unexpected_exit() {
    if (!running_window) return;
    running_prompts->display_lost();
    running_window->save_after_display_lost();
}

// Marks the window as running for the exit handler, for as long as it lives.
class RunningWindow {
public:
    RunningWindow(velmora::app::TFRM_Date& window, velmora::app::QtPrompts& prompts) {
        static const bool registered = std::atexit(save_at_unexpected_exit) == 0;
        (void)registered;
        running_window = &window;
        running_prompts = &prompts;
    }
    ~RunningWindow() { running_window = nullptr; }
    RunningWindow(const RunningWindow&) = delete;
    RunningWindow& operator=(const RunningWindow&) = delete;
};

// Asks Qt for X11 through Xwayland in a Wayland session (see
// session_platform.h); the variable is taken back once the application
// exists, so that the programs it starts choose for themselves.
bool choose_platform() {
    const std::string platform = velmora::app::platform_for_session([](const char* name) {
        const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): before threads
        return value ? std::string(value) : std::string();
    });
    if (platform.empty()) return false;
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(platform));
    return true;
}

// On a native Wayland platform (no Xwayland, or chosen by the user) the
// panel cannot place itself, stay on top, dock or grab keys: said once.
void tell_wayland_limits_once(const std::string& settings, velmora::sys::Prompts& prompts) {
    if (QGuiApplication::platformName() != "wayland") return;
    if (!velmora::app::wayland_limits_untold(settings)) return;
    prompts.inform(velmora::app::wayland_limits_note);
    velmora::app::mark_wayland_limits_told(settings);
}

// A command for the running panel goes to it; without one running, --show
// and --toggle start the program and --hide and --quit have nothing to do.
// Nothing when the program is to start.
std::optional<int> hand_over_command(const QApplication& app) {
    std::vector<std::string> arguments;
    for (const QString& argument : app.arguments().mid(1))
        arguments.push_back(argument.toStdString());
    const velmora::app::ParsedArguments parsed = velmora::app::parse_arguments(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s\n%s", parsed.error.c_str(), velmora::app::usage_text);
        return 2;
    }
    if (parsed.help) {
        std::fputs(velmora::app::usage_text, stdout);
        return 0;
    }
    if (parsed.command == velmora::app::PanelCommand::none) return std::nullopt;
    if (velmora::app::send_command(parsed.command)) return 0;
    if (parsed.command == velmora::app::PanelCommand::show ||
        parsed.command == velmora::app::PanelCommand::toggle) {
        return std::nullopt;
    }
    std::fputs("velmora：没有正在运行的面板，命令没有送达。\n", stderr);
    return 0;
}

// The window's whole run, from its start-up steps to the end of the loop.
int run_window(QApplication& app, velmora::app::AppContext& context,
               velmora::app::QtPrompts& prompts) {
    velmora::app::TFRM_Date window(context);
    prompts.set_fallback_owner(&window);
    switch (window.FormCreate()) {
        case velmora::app::StartResult::second_instance: return 0;
        case velmora::app::StartResult::failed: return 1;
        case velmora::app::StartResult::running: break;
    }
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.winexit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &window,
                     [&window] { window.doformclose(); });
    velmora::app::close_on_termination_signals(&window, [&window] { window.close(); });

    const RunningWindow running(window, prompts);
    velmora::app::CommandServer commands(
        &window, [&window](velmora::app::PanelCommand command) { window.run_command(command); });
    window.show();
    // Inside the event loop: a close asked for while the note is open ends
    // the run instead of being lost before it starts. The session bus is
    // joined once the window is up: reaching it (or finding that there is
    // none) takes longer than anything the first sight of the panel needs.
    QTimer::singleShot(0, &window, [&context, &prompts, &commands] {
        commands.listen();
        tell_wayland_limits_once(context.paths.local_settings(), prompts);
    });
    return QApplication::exec();
}

int run(int argc, char** argv) {
    const bool chose_platform = choose_platform();
    QApplication app(argc, argv);
    if (chose_platform) qunsetenv("QT_QPA_PLATFORM");
    app.setApplicationName("Velmora");
    // The name the launcher and the icon theme know it by (Wayland app id,
    // the window class the desktop matches with the launcher).
    app.setDesktopFileName(velmora::sys::desktop_id);
    app.setQuitOnLastWindowClosed(false);
    // Every window, the message boxes, the about dialog and the popups
    // included, shows the program's own icon.
    QApplication::setWindowIcon(velmora::app::app_icon());
    if (const std::optional<int> ended = hand_over_command(app)) return *ended;
    velmora::app::load_qt_translations(app, QCoreApplication::applicationDirPath());
    velmora::app::QtPrompts prompts;
    velmora::sys::SystemClock clock;
    const velmora::sys::ProgramLayout& layout = velmora::sys::program_layout();
    // An installed program's data folder is checked before anything is
    // written: never into a link or another user's folder.
    if (const std::string refused = velmora::sys::prepare_data_dir(layout); !refused.empty()) {
        prompts.inform(refused, {}, velmora::sys::PromptIcon::error);
        return 1;
    }
    velmora::app::AppContext context;
    context.paths = {layout.data_dir, velmora::sys::system_temp_dir(), layout.lib_dir,
                     layout.share_dir};
    context.prompts = &prompts;
    context.clock = &clock;
    return run_window(app, context, prompts);
}

}  // namespace

int main(int argc, char** argv) {
    const int status = run(argc, argv);
    // The close sequence has run and the container is closed. A download
    // still under way ends with the process, unwritten: the libraries' exit
    // handlers (TLS among them) must not run beneath its transfer.
    if (velmora::update::download_in_progress()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
