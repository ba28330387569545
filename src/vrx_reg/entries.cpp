#include "vrx_reg/entries.h"

#include <algorithm>
#include <cstddef>

#include "sys/text_util.h"

namespace velmora::vrx_reg {

namespace {

// The characters that force quoting in an Exec value.
constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
// The characters escaped with a backslash inside the quotes.
constexpr std::string_view escaped_in_quotes = "\"`$\\";

constexpr std::string_view desktop_group = "[Desktop Entry]";

std::string doubled_percent(std::string_view text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

// A folder as the Path key takes it: without the trailing separator.
std::string_view folder_value(std::string_view folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
    return folder;
}

char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The rest of a user-dirs.dirs line after `KEY=`, blanks allowed around
// the equals sign; nothing when the line assigns something else.
std::optional<std::string_view> assigned_value(std::string_view line, std::string_view key) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line.substr(start, key.size()) != key) return {};
    line.remove_prefix(start + key.size());
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.empty() || line.front() != '=') return {};
    line.remove_prefix(1);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    return line;
}

// The content of a double-quoted, shell-escaped value up to its closing
// quote; nothing when the quote never closes.
std::optional<std::string> unquoted(std::string_view value) {
    std::string out;
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] == '"') return out;
        if (value[i] == '\\' && i + 1 < value.size()) ++i;
        out += value[i];
    }
    return {};
}

// The file takes only "$HOME/..." or an absolute path.
std::optional<std::string> user_dir(std::string_view value, std::string_view home) {
    if (value.empty() || value.front() != '"') return {};
    std::optional<std::string> text = unquoted(value);
    if (!text) return {};
    if (text->starts_with("$HOME") && (text->size() == 5 || (*text)[5] == '/')) {
        // A home of "/" would otherwise give "//Desktop".
        const std::string_view base = folder_value(home);
        text->replace(0, 5, base == "/" ? std::string_view() : base);
    } else if (!text->starts_with("/")) {
        return {};
    }
    return std::string(folder_value(*text));
}

}  // namespace

std::string string_value(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::string exec_program(std::string_view program) {
    if (program.find_first_of(reserved) == std::string_view::npos) {
        return doubled_percent(string_value(program));
    }
    std::string word(1, '"');
    for (char c : program) {
        if (escaped_in_quotes.find(c) != std::string_view::npos) word += '\\';
        word += c;
    }
    word += '"';
    return doubled_percent(string_value(word));
}

bool fits_desktop_entry(std::string_view path) {
    const bool has_control = std::any_of(path.begin(), path.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F;
    });
    return !has_control && path.find('%') == std::string_view::npos && sys::is_valid_utf8(path);
}

std::string desktop_entry_text(EntryKind kind, const Places& places) {
    std::string text = std::string(desktop_group) + "\n";
    text += "Type=Application\n";
    text += "Name=Velmora\n";
    text += "Comment=日历、计划与记事\n";
    text += "Exec=" + exec_program(places.program) + "\n";
    text += "Path=" + string_value(folder_value(places.program_dir)) + "\n";
    if (!places.icon.empty()) text += "Icon=" + string_value(places.icon) + "\n";
    text += "Terminal=false\n";
    text += "Categories=Office;Calendar;\n";
    if (kind == EntryKind::autostart) text += "X-GNOME-Autostart-enabled=true\n";
    text += std::string(entry_marker) + "\n";
    return text;
}

bool is_our_entry(std::string_view text) {
    bool in_group = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string line = sys::trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.starts_with('[')) {
            in_group = line == desktop_group;
        } else if (in_group && line == entry_marker) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> desktop_from_user_dirs(std::string_view text, std::string_view home) {
    std::optional<std::string> folder;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::optional<std::string_view> value =
            assigned_value(text.substr(0, end), "XDG_DESKTOP_DIR");
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!value) continue;
        if (std::optional<std::string> named = user_dir(*value, home)) folder = std::move(named);
    }
    return folder;
}

std::string run_command(std::string_view program) {
    std::string command(1, '"');
    command.append(program);
    command += '"';
    return command;
}

bool names_program(std::string_view command, std::string_view file_name) {
    command = command.substr(std::min(command.find_first_not_of(" \t"), command.size()));
    std::string_view path = command;
    if (command.starts_with('"')) path = command.substr(1, command.find('"', 1) - 1);
    const std::size_t cut = path.find_last_of("\\/");
    const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
    return std::equal(name.begin(), name.end(), file_name.begin(), file_name.end(),
                      [](char a, char b) { return ascii_lower(a) == ascii_lower(b); });
}

}  // namespace velmora::vrx_reg
