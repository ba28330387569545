// The two settings files beside the program: the local settings the program
// reads at start and writes back, and the remote settings it only reads.
// Values live in memory under their key names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sys/inifile.h"

namespace velmora::app {

inline constexpr const char* local_settings_file = "zenqset.kxi";
inline constexpr const char* remote_settings_file = "zenqrset.kxi";
inline constexpr const char* app_version = "2011.O";

struct LocalSettings {
    int pos_top = -1;
    int pos_left = -1;
    int form_blend = 255;
    std::string desktoplink = "1";
    std::string autorun = "1";
    std::string todesktop = "0";
    std::string hotkey_hidewindows = "01Z";
    std::string hotkey_closewindows = "01X";
    std::string hotkey_hidelink = "01D";
    std::string hotkey_hidetask = "01T";
    std::string hotkey_hidewindows_use = "0";
    std::string hotkey_closewindows_use = "0";
    std::string hotkey_hidelink_use = "0";
    std::string hotkey_hidetask_use = "0";
    std::string eyehint_use = "1";
    std::int64_t eyehint_time = 30;
    std::string shutdown_use = "0";
    std::string shutdown_date = "00000000";
    std::string shutdown_time = "000000";
    std::string skin = "奥蓝如梦.skn";
    std::string note_fontname = "黑体";
    std::string note_fontcolor = "16711680";
    int note_fontsize = 12;
    std::string taskhint_use = "1";
    int taskhint_time = 2;
    // "1": the eye-care and the task reminder keep to working days as the
    // holiday arrangement has them. Off unless chosen, so that a file
    // written before the switches existed reminds as it always did.
    std::string eyehint_workdays = "0";
    std::string taskhint_workdays = "0";
};

// Where the main window is when the settings are saved.
struct WindowPlace {
    int top = 0;
    int left = 0;
    int height = 560;
};

// Defaults, then every key the file holds, then the two hotkey migrations.
// A form_blend from a hand-edited file is clamped into 30–255.
LocalSettings read_local_settings(const ini::IniDocument& file);
// Every key in the order the file is written.
ini::KeyValues local_settings_entries(const LocalSettings& settings, const WindowPlace& place);
// One all-or-nothing replacement of the file; false when the system refused.
bool save_local_settings(const std::string& path, const LocalSettings& settings,
                         const WindowPlace& place);

// The vendor's addresses built into the program: the site (the download
// fallback lives below it whatever the remote settings say), and the
// defaults of the four values the remote settings may replace.
inline constexpr const char* vendor_site = "https://velmora.example";

struct Addresses {
    std::string download_base = std::string(vendor_site) + "/download/";
    std::string update_page = std::string(vendor_site) + "/";
    std::string home_page = std::string(vendor_site) + "/";
    std::string author_mail = "mailto:support@velmora.example";
};

struct RemoteSettings {
    std::string latest_version = app_version;
    Addresses addresses;
    int ad_interval_ms = 0;
    std::vector<std::string> ad_lines;
    bool update_available = false;
};

// `file` is empty when "zenqrset.kxi" does not exist. Values that are not
// integers where integers belong count as 0: the vendor's server makes this
// file, and start-up must go on whatever it holds.
RemoteSettings read_remote_settings(const std::optional<ini::IniDocument>& file,
                                    const Addresses& defaults);
// True when `latest` names a newer version than `current` ("yyyy.L").
bool is_newer_version(const std::string& current, const std::string& latest);

}  // namespace velmora::app
