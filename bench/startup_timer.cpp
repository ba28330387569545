// Times real starts of the program: from the fork to the moment its main
// window is mapped on the X server, and the process's peak resident memory
// once it is up. Runs the program N times and prints the median and the
// spread. With a reference program, the two start in turn, so that both
// meet the same state of the machine, and the ratios of the medians follow.
// Usage: startup_timer PROGRAM RUNS [REFERENCE]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string window_name(xcb_connection_t* connection, xcb_window_t window) {
    auto cookie = xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply) return {};
    std::string name(static_cast<const char*>(xcb_get_property_value(reply)),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    free(reply);
    return name;
}

// Waits for a window called "Velmora" to be mapped; false after 10 s.
bool wait_for_main_window(xcb_connection_t* connection, Clock::time_point start) {
    while (Clock::now() - start < std::chrono::seconds(10)) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (!event) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        bool found = false;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            found = window_name(connection, map->window) == "Velmora";
        }
        free(event);
        if (found) return true;
    }
    return false;
}

long peak_resident_kib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

struct Run {
    double milliseconds;
    long peak_kib;
};

bool run_once(xcb_connection_t* connection, const char* program, Run& run) {
    const Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        execl(program, program, nullptr);
        _exit(127);
    }
    const bool shown = wait_for_main_window(connection, start);
    run.milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));  // let it settle
    run.peak_kib = peak_resident_kib(child);
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    return shown;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures {
    std::vector<double> times;
    std::vector<double> peaks;
};

bool measure(xcb_connection_t* connection, const char* program, Figures& figures) {
    Run run{};
    if (!run_once(connection, program, run)) {
        std::fprintf(stderr, "startup_timer: %s showed no window\n", program);
        return false;
    }
    figures.times.push_back(run.milliseconds);
    figures.peaks.push_back(static_cast<double>(run.peak_kib) / 1024.0);
    return true;
}

void report(const char* program, const Figures& figures) {
    const auto& times = figures.times;
    std::printf("%s\n  start to window shown: median %.1f ms (min %.1f, max %.1f) over %zu runs\n",
                program, median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), times.size());
    std::printf("  peak resident memory: median %.1f MiB (max %.1f)\n", median(figures.peaks),
                *std::max_element(figures.peaks.begin(), figures.peaks.end()));
}

xcb_connection_t* watch_root_window() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) return nullptr;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    return connection;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: startup_timer PROGRAM RUNS [REFERENCE]\n");
        return 2;
    }
    xcb_connection_t* connection = watch_root_window();
    if (!connection) {
        std::fprintf(stderr, "startup_timer: no X display\n");
        return 1;
    }
    const char* reference = argc == 4 ? argv[3] : nullptr;
    Figures program, bare;
    for (int i = 0; i < std::atoi(argv[2]); ++i) {
        if (reference && !measure(connection, reference, bare)) return 1;
        if (!measure(connection, argv[1], program)) return 1;
    }
    if (reference) report(reference, bare);
    report(argv[1], program);
    if (reference) {
        std::printf("ratio to the reference: time %.2f, peak memory %.2f\n",
                    median(program.times) / median(bare.times),
                    median(program.peaks) / median(bare.peaks));
    }
    xcb_disconnect(connection);
    return 0;
}
