// A bookmark tree into and out of the container, through the bookmark
// store's own functions, so that an imported title obeys the same rules as
// a typed one.
#pragma once

#include <chrono>
#include <cstddef>
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

// Whether a failure to store one entry is that entry's alone (a name
// refused or too long); any other is the container's, and stops the rest.
bool only_this_entry(store::FxError error);

struct ImportReport {
    int folders = 0;
    int bookmarks = 0;
    int already_there = 0;             // same title and address in the same folder
    std::vector<std::string> skipped;  // "title：why", one per entry left out
    // An import that did not reach its end: the container failed (what the
    // failing slice had stored was undone) or the user stopped it. What
    // earlier slices stored stays, and `not_reached` entries were not read.
    store::FxError stopped = store::FxError::none;
    bool cancelled = false;
    std::size_t not_reached = 0;
};

// One import, a slice at a time, so that a window can show how far it got
// and stop it between slices. Every slice is one transaction of the
// container: one sync to the disk for hundreds of bookmarks.
//
// The tree goes below the folder item `folder_index`. A folder of the same
// name already there takes the imported items, and a bookmark already there
// with the same address is not added again; titles are cleaned as captured
// pages are; addresses the program would not open are left out.
class ImportRun {
public:
    ImportRun(int folder_index, std::vector<BookmarkNode> top);
    // Imports for about `budget`; false once nothing is left to do.
    bool run_slice(std::chrono::milliseconds budget);
    // Stops before the next slice; what earlier ones stored stays.
    void cancel();
    std::size_t done() const { return next_; }
    std::size_t total() const { return steps_.size(); }
    const ImportReport& report() const { return report_; }

private:
    struct Step {
        const BookmarkNode* node;
        int parent;  // the step of the folder it goes into; -1: the chosen folder
    };
    struct Target {
        int index = -1;  // -1: the folder was not imported, nor anything below it
        std::string path;
    };
    void plan(const std::vector<BookmarkNode>& nodes, int parent);
    // false when the container failed.
    bool run_step(std::size_t at);
    bool fail(store::FxError why);
    bool link(const Target& folder, const BookmarkNode& node);
    bool subfolder(const Target& folder, const BookmarkNode& node, Target& made);
    bool target_folder(const Target& folder, const std::string& name, const BookmarkNode& node,
                       Target& made);
    bool already_there(const std::string& name, const std::string& address, bool& there);
    void skip(const std::string& title, const std::string& why);
    void stop(store::FxError why, std::size_t first_not_stored);

    std::vector<BookmarkNode> top_;
    std::vector<Step> steps_;
    std::vector<Target> targets_;  // per step; folders only
    Target chosen_;
    std::size_t next_ = 0;
    store::FxError failure_ = store::FxError::none;
    ImportReport report_;
};

// The whole import at once, for callers without a window.
ImportReport import_tree(int folder_index, const std::vector<BookmarkNode>& top);
// What the user is told afterwards.
std::string import_summary(const ImportReport& report);

}  // namespace velmora::bookmarks
