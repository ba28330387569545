#include "app/settings.h"

#include <algorithm>
#include <climits>
#include <type_traits>
#include <variant>

namespace velmora::app {

namespace {

constexpr const char* option_section = "option";
constexpr int max_ad_lines = 1000;

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

// Every stored key of the local file with its value in memory, in the order
// the file is written. "pos_height" is written only and is not listed here.
using Field =
    std::variant<int LocalSettings::*, std::int64_t LocalSettings::*, std::string LocalSettings::*>;
struct KeyField {
    const char* key;
    Field field;
};

const KeyField local_fields[] = {
    {"pos_top", &LocalSettings::pos_top},
    {"pos_left", &LocalSettings::pos_left},
    {"form_blend", &LocalSettings::form_blend},
    {"desktoplink", &LocalSettings::desktoplink},
    {"autorun", &LocalSettings::autorun},
    {"hotkey_hidewindows", &LocalSettings::hotkey_hidewindows},
    {"hotkey_closewindows", &LocalSettings::hotkey_closewindows},
    {"hotkey_hidelink", &LocalSettings::hotkey_hidelink},
    {"hotkey_hidetask", &LocalSettings::hotkey_hidetask},
    {"hotkey_hidewindows_use", &LocalSettings::hotkey_hidewindows_use},
    {"hotkey_closewindows_use", &LocalSettings::hotkey_closewindows_use},
    {"hotkey_hidelink_use", &LocalSettings::hotkey_hidelink_use},
    {"hotkey_hidetask_use", &LocalSettings::hotkey_hidetask_use},
    {"eyehint_use", &LocalSettings::eyehint_use},
    {"eyehint_time", &LocalSettings::eyehint_time},
    {"shutdown_use", &LocalSettings::shutdown_use},
    {"shutdown_date", &LocalSettings::shutdown_date},
    {"shutdown_time", &LocalSettings::shutdown_time},
    {"skin", &LocalSettings::skin},
    {"todesktop", &LocalSettings::todesktop},
    {"note_fontname", &LocalSettings::note_fontname},
    {"note_fontcolor", &LocalSettings::note_fontcolor},
    {"note_fontsize", &LocalSettings::note_fontsize},
    {"taskhint_use", &LocalSettings::taskhint_use},
    {"taskhint_time", &LocalSettings::taskhint_time},
    // Keys added later come last: an existing file gets a new key at the end
    // of its section, so a new file is laid out as an old one becomes.
    {"eyehint_workdays", &LocalSettings::eyehint_workdays},
    {"taskhint_workdays", &LocalSettings::taskhint_workdays},
};

void read_field(const ini::IniDocument& file, const KeyField& entry, LocalSettings& s) {
    std::string text;
    if (!file.lookup(option_section, entry.key, text)) return;
    std::visit(
        [&](auto member) {
            auto& value = s.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                value = text;
            } else {
                const long long parsed = ini::parse_profile_int(text, value);
                const bool fits =
                    std::is_same_v<Value, std::int64_t> || (parsed >= INT_MIN && parsed <= INT_MAX);
                if (fits) value = static_cast<Value>(parsed);
            }
        },
        entry.field);
}

// Integers are written in decimal; the 64-bit value by its low 32 bits.
std::string field_text(const KeyField& entry, const LocalSettings& s) {
    return std::visit(
        [&](auto member) -> std::string {
            const auto& value = s.*member;
            using Value = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Value, std::string>) {
                return value;
            } else {
                return std::to_string(static_cast<std::int32_t>(value));
            }
        },
        entry.field);
}

}  // namespace

LocalSettings read_local_settings(const ini::IniDocument& file) {
    LocalSettings s;
    for (const KeyField& entry : local_fields) read_field(file, entry, s);
    s.form_blend = std::clamp(s.form_blend, 30, 255);
    migrate_hotkey(s.hotkey_hidetask, 'S', 'T');
    migrate_hotkey(s.hotkey_hidelink, 'A', 'D');
    return s;
}

ini::KeyValues local_settings_entries(const LocalSettings& settings, const WindowPlace& place) {
    LocalSettings s = settings;
    s.pos_top = place.top;
    s.pos_left = place.left;
    ini::KeyValues entries;
    for (const KeyField& entry : local_fields) {
        entries.emplace_back(entry.key, field_text(entry, s));
        if (std::string_view(entry.key) == "pos_left") {
            entries.emplace_back("pos_height", std::to_string(place.height));
        }
    }
    return entries;
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

}  // namespace velmora::app
