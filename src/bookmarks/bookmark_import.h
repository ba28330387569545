// A bookmark tree into and out of the container, through the bookmark
// store's own functions, so that an imported title obeys the same rules as
// a typed one.
#pragma once

#include <string>
#include <vector>

#include "bookmarks/bookmark_html.h"
#include "store/fx_error.h"

namespace velmora::bookmarks {

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
