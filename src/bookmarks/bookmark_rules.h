// The rules of the bookmark page that need no window: which titles can be
// stored (a title must also do as a file's name, for an item written out to
// a folder; a folder's name obeys the same rule), how a captured page's
// title is cleaned, the entry lines of the capture dialog, and which
// addresses may be handed to the browser.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::bookmarks {

// Why a typed title cannot be a bookmark's name, as the message to show;
// nothing when it can. Slash, backslash, double quote, : * ? < > | and
// line breaks are refused.
std::optional<std::string> title_problem(std::string_view title);

// A page title with the nine characters a file name cannot hold replaced by
// "-" (and control characters, line breaks among them, by a space), without
// the invisible characters that turn the direction of text or hide between
// letters; "" when the title is blank.
std::string clean_title(std::string_view title);
// The bookmark title of a captured page: its cleaned title, or for a blank
// one (or one that only repeats the address) its address without the scheme
// and the slashes at either end, cleaned alike; at most
// `longest_captured_title` characters.
inline constexpr std::size_t longest_captured_title = 60;
std::string capture_title(std::string_view title, std::string_view address);

// "title | address", and back: the first "|" is the separator, as a
// cleaned title holds none.
std::string entry_line(std::string_view title, std::string_view address);
struct Entry {
    std::string title;
    std::string address;
};
Entry split_entry_line(std::string_view line);

// Only web and file addresses go to the browser: anything else (a command,
// a "javascript:" address) could make the browser run something.
bool may_open(std::string_view address);
inline constexpr const char* refused_address = "只能打开以 http、https、ftp 或 file 开头的网址。";

}  // namespace velmora::bookmarks
