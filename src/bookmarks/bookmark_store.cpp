#include "bookmarks/bookmark_store.h"

#include <algorithm>
#include <charconv>

#include "bookmarks/bookmark_rules.h"
#include "store/kx_efs.h"
#include "sys/textcodec.h"

namespace velmora::bookmarks {

using store::FxError;

namespace {

// The stored name of an item; empty when it has none or cannot be read.
std::string name_of(int index, FxError& error) {
    std::string name = FX_Directory_Getitem_String("itemname", index);
    error = FX_Getlasterror();
    if (error == FxError::none && name.empty()) error = FxError::refused;
    return name;
}

char fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string folded(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), fold);
    return lowered;
}

std::optional<int> parse_index(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    int index = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return index;
}

// The listed items' names; a name that cannot be read fails the paste.
bool clip_names(const std::vector<std::string>& items, std::vector<std::string>& names,
                FxError& error) {
    for (const std::string& item : items) {
        const std::optional<int> index = parse_index(item);
        if (!index) {
            error = FxError::refused;
            return false;
        }
        names.push_back(name_of(*index, error));
        if (error != FxError::none) return false;
    }
    return true;
}

// An item that lies below another listed item travels with it: listing it
// again would copy it twice.
std::vector<std::string> outermost(const std::vector<std::string>& items,
                                   const std::vector<std::string>& names) {
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const bool nested = std::any_of(names.begin(), names.end(), [&](const std::string& other) {
            return other != names[i] && store::is_same_or_below(names[i], other);
        });
        if (!nested) kept.push_back(items[i]);
    }
    return kept;
}

// A bookmark stored in one step: the title never passes through a file
// name, so every title of a full path within 256 bytes is taken; with
// `replacing`, the old item goes in the same step.
FxError store_bookmark(int folder_index, const Bookmark& bookmark, int replacing) {
    if (title_problem(bookmark.title)) return FxError::refused;
    const int stored =
        FX_Writefile(folder_index, bookmark.title, text::to_gb18030(bookmark.address), replacing);
    return stored > 0 ? FxError::none : store::last_error_or(FxError::io_error);
}

}  // namespace

AddressRead read_address(int index) {
    AddressRead read;
    std::string bytes;
    if (FX_Readfile(index, bytes) != 1) {
        read.error = store::last_error_or(FxError::io_error);
        return read;
    }
    read.address = text::from_gb18030(bytes);
    return read;
}

FxError add_bookmark(int folder_index, const Bookmark& bookmark) {
    return store_bookmark(folder_index, bookmark, 0);
}

FxError replace_bookmark(int old_index, int folder_index, const Bookmark& bookmark) {
    return store_bookmark(folder_index, bookmark, old_index);
}

PasteOutcome paste(const Clip& clip, int target) {
    if (clip.mode == Clip::Mode::none || clip.items.empty()) return {};
    FxError error = FxError::none;
    std::vector<std::string> names;
    const std::string target_name = name_of(target, error);
    if (error != FxError::none || !clip_names(clip.items, names, error)) {
        return {PasteResult::failed, error};
    }
    for (const std::string& name : names) {
        if (store::is_same_or_below(target_name, name)) return {PasteResult::into_itself, {}};
    }
    const std::vector<std::string> items = outermost(clip.items, names);
    error = store::fxtree_transfer(items, target, clip.mode == Clip::Mode::cut);
    if (error != FxError::none) return {PasteResult::failed, error};
    return {PasteResult::pasted, FxError::none};
}

std::vector<std::string> find_bookmarks(const std::vector<store::ListedItem>& items,
                                        std::string_view root, std::string_view term) {
    const std::string wanted = folded(term);
    const std::string folded_root = folded(root);
    std::vector<std::string> rows;
    for (const store::ListedItem& item : items) {
        if (item.lb != 0 || item.itemtype == store::folder_itemtype) continue;
        const std::string name = folded(item.name);
        if (name.compare(0, folded_root.size(), folded_root) != 0) continue;
        if (name.find(wanted) == std::string::npos) continue;
        rows.push_back(item.name.substr(root.size()));
    }
    return rows;
}

NodeKind kind_of_image(int image) {
    if (image < 0) return NodeKind::none;
    if (image == store::root_image) return NodeKind::root;
    if (image <= store::folder_selected_image) return NodeKind::folder;
    return NodeKind::bookmark;
}

MenuState menu_for(NodeKind kind, bool paste_was_enabled) {
    MenuState menu;
    const bool holder = kind == NodeKind::root || kind == NodeKind::folder;
    menu.get = menu.add = menu.newdir = holder;
    menu.open = menu.edit = kind == NodeKind::bookmark;
    menu.del = menu.rename = menu.cut = menu.copy =
        kind == NodeKind::folder || kind == NodeKind::bookmark;
    menu.paste = holder && paste_was_enabled;
    return menu;
}

}  // namespace velmora::bookmarks
