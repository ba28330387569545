// Bookmark trees written out in tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bookmarks/bookmark_html.h"

namespace velmora::bookmarks {

inline BookmarkNode folder(std::string title, std::vector<BookmarkNode> children) {
    return {std::move(title), {}, true, std::move(children)};
}
inline BookmarkNode link(std::string title, std::string address) {
    return {std::move(title), std::move(address), false, {}};
}

}  // namespace velmora::bookmarks
