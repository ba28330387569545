#include "app/settings.h"

#include <algorithm>
#include <climits>

namespace velmora::app {

namespace {

constexpr const char* option_section = "option";
constexpr int max_ad_lines = 1000;

int read_int(const ini::IniDocument& file, const char* key, int fallback) {
    std::string text;
    if (!file.lookup(option_section, key, text)) return fallback;
    long long value = ini::parse_profile_int(text, fallback);
    return value < INT_MIN || value > INT_MAX ? fallback : static_cast<int>(value);
}

void read_text(const ini::IniDocument& file, const char* key, std::string& value) {
    value = file.read(option_section, key, value);
}

// Old versions stored other letters for two of the hotkeys.
void migrate_hotkey(std::string& code, char old_letter, char new_letter) {
    if (code.size() >= 3 && code[2] == old_letter) code = code.substr(0, 2) + new_letter;
}

// A strict decimal integer, as the remote file's numbers are converted.
std::optional<long long> strict_integer(const std::string& text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::size_t start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size()) return std::nullopt;
    long long value = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return text[0] == '-' ? -value : value;
}

int letter_position(const std::string& version) {
    if (version.empty()) return 0;
    char last = version.back();
    if (last >= 'a' && last <= 'z') last = static_cast<char>(last - 'a' + 'A');
    return last >= 'A' && last <= 'Z' ? last - 'A' + 1 : 0;
}

}  // namespace

LocalSettings read_local_settings(const ini::IniDocument& file) {
    LocalSettings s;
    s.pos_top = read_int(file, "pos_top", s.pos_top);
    s.pos_left = read_int(file, "pos_left", s.pos_left);
    s.form_blend = std::clamp(read_int(file, "form_blend", s.form_blend), 30, 255);
    for (auto [key, value] : {std::pair{"desktoplink", &s.desktoplink},
                              {"autorun", &s.autorun},
                              {"todesktop", &s.todesktop},
                              {"hotkey_hidewindows", &s.hotkey_hidewindows},
                              {"hotkey_closewindows", &s.hotkey_closewindows},
                              {"hotkey_hidelink", &s.hotkey_hidelink},
                              {"hotkey_hidetask", &s.hotkey_hidetask},
                              {"hotkey_hidewindows_use", &s.hotkey_hidewindows_use},
                              {"hotkey_closewindows_use", &s.hotkey_closewindows_use},
                              {"hotkey_hidelink_use", &s.hotkey_hidelink_use},
                              {"hotkey_hidetask_use", &s.hotkey_hidetask_use},
                              {"eyehint_use", &s.eyehint_use},
                              {"shutdown_use", &s.shutdown_use},
                              {"shutdown_date", &s.shutdown_date},
                              {"shutdown_time", &s.shutdown_time},
                              {"skin", &s.skin},
                              {"note_fontname", &s.note_fontname},
                              {"note_fontcolor", &s.note_fontcolor},
                              {"taskhint_use", &s.taskhint_use}}) {
        read_text(file, key, *value);
    }
    std::string eyehint;
    if (file.lookup(option_section, "eyehint_time", eyehint)) {
        s.eyehint_time = ini::parse_profile_int(eyehint, s.eyehint_time);
    }
    s.note_fontsize = read_int(file, "note_fontsize", s.note_fontsize);
    s.taskhint_time = read_int(file, "taskhint_time", s.taskhint_time);
    migrate_hotkey(s.hotkey_hidetask, 'S', 'T');
    migrate_hotkey(s.hotkey_hidelink, 'A', 'D');
    return s;
}

ini::KeyValues local_settings_entries(const LocalSettings& s, const WindowPlace& place) {
    return {
        {"pos_top", std::to_string(place.top)},
        {"pos_left", std::to_string(place.left)},
        {"pos_height", std::to_string(place.height)},
        {"form_blend", std::to_string(s.form_blend)},
        {"desktoplink", s.desktoplink},
        {"autorun", s.autorun},
        {"hotkey_hidewindows", s.hotkey_hidewindows},
        {"hotkey_closewindows", s.hotkey_closewindows},
        {"hotkey_hidelink", s.hotkey_hidelink},
        {"hotkey_hidetask", s.hotkey_hidetask},
        {"hotkey_hidewindows_use", s.hotkey_hidewindows_use},
        {"hotkey_closewindows_use", s.hotkey_closewindows_use},
        {"hotkey_hidelink_use", s.hotkey_hidelink_use},
        {"hotkey_hidetask_use", s.hotkey_hidetask_use},
        {"eyehint_use", s.eyehint_use},
        {"eyehint_time", std::to_string(static_cast<std::int32_t>(s.eyehint_time))},
        {"shutdown_use", s.shutdown_use},
        {"shutdown_date", s.shutdown_date},
        {"shutdown_time", s.shutdown_time},
        {"skin", s.skin},
        {"todesktop", s.todesktop},
        {"note_fontname", s.note_fontname},
        {"note_fontcolor", s.note_fontcolor},
        {"note_fontsize", std::to_string(s.note_fontsize)},
        {"taskhint_use", s.taskhint_use},
        {"taskhint_time", std::to_string(s.taskhint_time)},
    };
}

bool save_local_settings(const std::string& path, const LocalSettings& settings,
                         const WindowPlace& place) {
    return ini::write_profile_strings(path, option_section,
                                      local_settings_entries(settings, place));
}

bool is_newer_version(const std::string& current, const std::string& latest) {
    auto c = strict_integer(current.substr(0, 4));
    auto n = strict_integer(latest.substr(0, 4));
    if (!c || !n) return false;
    if (*c != *n) return *c < *n;
    return letter_position(current) < letter_position(latest);
}

RemoteSettings read_remote_settings(const std::optional<ini::IniDocument>& file,
                                    const Addresses& defaults) {
    RemoteSettings remote;
    remote.addresses = defaults;
    if (!file) return remote;
    auto number = [&](const char* key) {
        long long value = strict_integer(file->read("ad", key, "0")).value_or(0);
        return static_cast<int>(std::clamp<long long>(value, 0, INT_MAX));
    };
    remote.ad_interval_ms = number("time");
    remote.latest_version = file->read("interface", "lastver2", app_version);
    Addresses& a = remote.addresses;
    a.download_base = file->read("interface", "updateurl", a.download_base);
    a.update_page = file->read("interface", "updateurl2", a.update_page);
    a.home_page = file->read("interface", "http", a.home_page);
    a.author_mail = file->read("interface", "email", a.author_mail);
    // A garbled count must not keep the start busy for minutes.
    const int count = std::min(number("count"), max_ad_lines);
    for (int i = 1; i <= count; ++i)
        remote.ad_lines.push_back(file->read("ad", std::to_string(i), ""));
    remote.update_available = is_newer_version(app_version, remote.latest_version);
    return remote;
}

AdLine parse_ad_line(const std::string& line) {
    AdLine ad;
    std::size_t bar = line.find('|');
    if (bar == std::string::npos) {
        ad.link = line;
    } else {
        ad.caption = line.substr(0, bar);
        ad.link = line.substr(bar + 1);
    }
    ad.highlighted = ad.caption.starts_with("<>");
    return ad;
}

}  // namespace velmora::app
