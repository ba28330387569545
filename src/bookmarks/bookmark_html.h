// The bookmark file every browser reads and writes (the HTML layout headed
// "<!DOCTYPE NETSCAPE-Bookmark-file-1>"): folders as <DT><H3> followed by a
// <DL> list, bookmarks as <DT><A HREF>. Writing and reading it are plain
// text work; moving a tree into or out of the container goes through the
// bookmark store's own functions, so an imported title obeys the same rules
// as a typed one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/fx_error.h"

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

// --- The container -----------------------------------------------------------

struct StoredTree {
    store::FxError error = store::FxError::none;
    std::vector<BookmarkNode> top;
};
// The whole bookmark tree of the open container, addresses included; a part
// that cannot be read fails the whole read.
StoredTree read_stored_tree();

struct ImportReport {
    int folders = 0;
    int bookmarks = 0;
    int already_there = 0;             // same title and address in the same folder
    std::vector<std::string> skipped;  // "title：why", one per entry left out
};
// Stores the tree below the folder item `folder_index`. A folder of the same
// name already there takes the imported items, and a bookmark already there
// with the same address is not added again; titles are cleaned as captured
// pages are; addresses the program would not open are left out.
ImportReport import_tree(int folder_index, const std::vector<BookmarkNode>& top);
// What the user is told afterwards.
std::string import_summary(const ImportReport& report);

}  // namespace velmora::bookmarks
