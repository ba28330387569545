#include "app/session_platform.h"

#include "sys/inifile.h"

namespace velmora::app {

std::string platform_for_session(const std::function<std::string(const char*)>& env) {
    if (!env("QT_QPA_PLATFORM").empty()) return {};
    const bool wayland = !env("WAYLAND_DISPLAY").empty() || env("XDG_SESSION_TYPE") == "wayland";
    return wayland && !env("DISPLAY").empty() ? "xcb" : "";
}

bool wayland_limits_untold(const std::string& settings_path) {
    std::string told;
    ini::IniDocument::load(settings_path).lookup("notice", "wayland", told);
    return told != "1";
}

void mark_wayland_limits_told(const std::string& settings_path) {
    ini::write_profile_strings(settings_path, "notice", {{"wayland", "1"}});
}

}  // namespace velmora::app
