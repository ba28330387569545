// The seam between the program and the facilities of the operating system
// that a test must never really use: elevation, starting programs, power-off
// and the user-facing messages the helpers raise. The native implementation
// does the real thing; tests substitute a recording fake.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace velmora::sys {

struct ShellStart {
    std::string verb;  // "open", "runas"
    std::intptr_t window = 0;
    std::string file;
    std::string parameters;
};

class Platform {
public:
    virtual ~Platform() = default;

    virtual bool is_admin() = 0;
    // Starts a file through the shell. On failure answers false and fills
    // `error_code` with the system's error number.
    virtual bool shell_start(const ShellStart& start, int& error_code) = 0;
    // Shows an address (a web page, a file) in the user's default program
    // for it; on failure answers false with the system's error number.
    virtual bool open_address(const std::string& address, int& error_code) = 0;
    // An information box with the given caption and no owner.
    virtual void show_message(const std::string& text, const std::string& caption) = 0;

    // Power: the privilege step, then one of the two system calls.
    virtual bool is_nt_family() = 0;
    virtual bool enable_shutdown_privilege() = 0;
    virtual void exit_system(unsigned flags) = 0;  // ExitWindowsEx flags
    virtual void set_power_state(bool suspend, bool force) = 0;
};

// The real platform of this build.
Platform& native_platform();

// Where the native platform shows its messages. The GUI installs a message
// box here; without one, messages go to standard error.
using MessageSink = std::function<void(const std::string& text, const std::string& caption)>;
void set_message_sink(MessageSink sink);
void show_native_message(const std::string& text, const std::string& caption);
// Hands a message to the installed sink; answers false when there is none.
bool deliver_to_message_sink(const std::string& text, const std::string& caption);

// Flags of the power family, as the system's ExitWindowsEx knows them.
namespace exit_flags {
inline constexpr unsigned logoff = 0x0;
inline constexpr unsigned shutdown = 0x1;
inline constexpr unsigned reboot = 0x2;
inline constexpr unsigned force = 0x4;
inline constexpr unsigned poweroff = 0x8;
}  // namespace exit_flags

}  // namespace velmora::sys
