#include "bookmarks/bookmark_rules.h"

#include <algorithm>
#include <array>

#include "sys/utf.h"

namespace velmora::bookmarks {

namespace {

constexpr std::string_view not_in_file_names = "/\\*?:><|\"";

bool is_control(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

bool is_blank(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

// "." and ".." name a folder's place on disk: an item so named could not be
// written out to a folder.
std::optional<std::string> title_problem(std::string_view title) {
    const bool bad = std::any_of(title.begin(), title.end(), [](char c) {
        return not_in_file_names.find(c) != std::string_view::npos || is_control(c);
    });
    if (!bad && title != "." && title != "..") return std::nullopt;
    return std::string(
        "网址标题不能含有以下字符：/ \\ \" : * ? < > | 以及换行等控制字符，也不能是“.”或“..”。");
}

std::string clean_title(std::string_view title) {
    // A direction override in a title would turn the text shown after it
    // (the address beside it) backwards; a zero-width character makes a
    // title pass for another.
    std::string cleaned = sys::without_hidden_characters(title);
    if (is_blank(cleaned)) return {};
    for (char& c : cleaned) {
        if (not_in_file_names.find(c) != std::string_view::npos) {
            c = '-';
        } else if (is_control(c)) {
            c = ' ';
        }
    }
    return cleaned;
}

namespace {

// Long page titles are cut at a character boundary: a title is also a file
// name, and a path in the container holds at most 256 bytes.
std::string shortened(std::string title) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < title.size(); ++at) {
        const bool starts_character = (static_cast<unsigned char>(title[at]) & 0xC0) != 0x80;
        if (starts_character && ++characters > longest_captured_title) {
            title.resize(at);
            break;
        }
    }
    return title;
}

}  // namespace

// A browser that knows no title shows the address instead; such a title,
// like a blank one, becomes the address without its scheme and slashes.
std::string capture_title(std::string_view title, std::string_view address) {
    std::string cleaned = title == address ? std::string() : shortened(clean_title(title));
    if (!cleaned.empty()) return cleaned;
    const std::size_t scheme = address.find("://");
    if (scheme != std::string_view::npos) address.remove_prefix(scheme + 3);
    while (!address.empty() && address.front() == '/') address.remove_prefix(1);
    while (!address.empty() && address.back() == '/') address.remove_suffix(1);
    return shortened(clean_title(address));
}

std::string entry_line(std::string_view title, std::string_view address) {
    return std::string(title) + " | " + std::string(address);
}

Entry split_entry_line(std::string_view line) {
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) return {std::string(line), {}};
    std::string_view title = line.substr(0, bar);
    if (!title.empty()) title.remove_suffix(1);  // the space before the bar
    std::string_view address = line.substr(bar + 1);
    if (!address.empty() && address.front() == ' ') address.remove_prefix(1);
    return {std::string(title), std::string(address)};
}

bool may_open(std::string_view address) {
    const std::size_t colon = address.find(':');
    if (colon == std::string_view::npos) return false;
    std::string scheme(address.substr(0, colon));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), lower);
    constexpr std::array<std::string_view, 4> allowed = {"http", "https", "ftp", "file"};
    return std::find(allowed.begin(), allowed.end(), scheme) != allowed.end();
}

}  // namespace velmora::bookmarks
