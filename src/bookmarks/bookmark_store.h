// The bookmark page's work on the container, without a window: a bookmark
// is a file item named by its title whose content is its address; folders
// are folder items. Every change goes to the container at once, and a
// failure says why instead of passing for success.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/fx_error.h"
#include "store/fx_tree.h"

namespace velmora::bookmarks {

struct Bookmark {
    std::string title;
    std::string address;
};

// The address of the bookmark item `index`; `error` none when it was read.
struct AddressRead {
    store::FxError error = store::FxError::none;
    std::string address;
};
AddressRead read_address(int index);

// Stores a bookmark below the folder item `folder_index`; a sibling of the
// same title keeps its place and the new one is numbered by the container.
// A title whose full path is past 256 bytes is refused (name_too_long).
store::FxError add_bookmark(int folder_index, const Bookmark& bookmark);
// An edit: the new bookmark is stored and the old item removed in one
// step, so an edit that fails leaves the old bookmark as it was, and the
// new one takes the title the old one had.
store::FxError replace_bookmark(int old_index, int folder_index, const Bookmark& bookmark);

// What cut or copy put aside for one paste.
struct Clip {
    enum class Mode { none, cut, copy } mode = Mode::none;
    std::vector<std::string> items;  // item indices as decimal text
};
enum class PasteResult { pasted, nothing, into_itself, failed };
struct PasteOutcome {
    PasteResult result = PasteResult::nothing;
    store::FxError error = store::FxError::none;
};
// Copies the clip below `target`; a cut is removed at its source in the
// same step that stores its copy, and what is cut from `target` itself
// stays as it was. A folder pasted into itself or below itself is refused
// before anything is copied.
PasteOutcome paste(const Clip& clip, int target);
inline constexpr const char* paste_into_itself = "不能把目录粘贴到它自己或它的子目录中！";

// The rows of the find dialog: every bookmark below `root` whose whole
// stored name holds `term` (A to Z compared without case, everything else
// as is), as its name without the root. A term of "/" lists them all.
std::vector<std::string> find_bookmarks(const std::vector<store::ListedItem>& items,
                                        std::string_view root, std::string_view term);

// What the selected node is, told by its image as the tree shows it.
enum class NodeKind { none, root, folder, bookmark };
NodeKind kind_of_image(int image);

struct MenuState {
    bool get = true, add = true, open = false, edit = false, newdir = true;
    bool del = false, rename = false, cut = false, copy = false, paste = false;
};
// The menu after the selection changed to a node of `kind`; paste keeps its
// state on the root or a folder and goes off on a bookmark.
MenuState menu_for(NodeKind kind, bool paste_was_enabled);

using store::not_saved_message;

}  // namespace velmora::bookmarks
