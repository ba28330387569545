// The bookmark file every browser reads and writes (the HTML layout headed
// "<!DOCTYPE NETSCAPE-Bookmark-file-1>"): folders as <DT><H3> followed by a
// <DL> list, bookmarks as <DT><A HREF>. Writing and reading it are plain
// text work; bookmark_import moves a tree into or out of the container.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::bookmarks {

struct BookmarkNode {
    std::string title;
    std::string address;  // empty for a folder
    bool folder = false;
    std::vector<BookmarkNode> children;
    bool operator==(const BookmarkNode&) const = default;
};

// The file, UTF-8, for the nodes below the root.
std::string write_bookmark_html(const std::vector<BookmarkNode>& top);

// A file is read only up to this size, and folders only this deep: what
// lies deeper goes into the deepest folder kept, so neither a huge nor a
// pathologically nested file can exhaust the program.
inline constexpr std::size_t bookmark_html_limit = std::size_t{16} << 20;
inline constexpr std::size_t deepest_folder = 32;

struct ParsedBookmarks {
    std::vector<BookmarkNode> top;
    std::size_t flattened_folders = 0;  // folders below `deepest_folder`
    bool recognised = false;            // the file names its layout
};
// Reads what browsers write, tolerant of attributes, letter case, stray
// <p> tags, unclosed tags and unknown entities; never fails.
ParsedBookmarks parse_bookmark_html(std::string_view html);

std::string html_escape(std::string_view text);
// &amp; &lt; &gt; &quot; &apos; &#39; &nbsp; and numeric references; any
// other "&" stays as it is.
std::string html_unescape(std::string_view text);

}  // namespace velmora::bookmarks
