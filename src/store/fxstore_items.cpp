// Work on items with no disk folder between: a file item's bytes read or
// stored, and items copied or moved to another folder. Names never pass
// through a file system here, whose names are shorter than the container's
// (255 bytes of UTF-8 hold 85 Chinese characters; a container name holds
// up to 128), and two items of one name never meet in one disk folder.
#include <algorithm>

#include "store/fx_tree.h"
#include "store/fxstore_impl.h"
#include "sys/textcodec.h"

namespace velmora::store {

namespace {

bool is_folder(const std::optional<Item>& item) {
    return item && item->type == folder_type;
}

bool is_listed_file(const std::optional<Item>& item) {
    return item && item->lb == 0 && item->type != folder_type;
}

[[noreturn]] void refuse(const std::string& why) {
    throw SqliteError(why);
}

// The items themselves, each once: one that lies below another listed item
// travels with it.
std::vector<Item> outermost(FxStore::Impl& impl, const std::vector<int>& indices) {
    std::vector<Item> items;
    for (const int index : indices) {
        auto item = impl.at(index);
        if (!item || item->lb != 0 || index <= 0) refuse("no such item");
        items.push_back(*item);
    }
    std::vector<Item> kept;
    for (const Item& item : items) {
        const bool nested = std::any_of(items.begin(), items.end(), [&](const Item& other) {
            return other.index != item.index && is_same_or_below(item.name, other.name);
        });
        const bool twice = std::any_of(kept.begin(), kept.end(),
                                       [&](const Item& seen) { return seen.index == item.index; });
        if (!nested && !twice) kept.push_back(item);
    }
    return kept;
}

}  // namespace

void FxStore::Impl::remove_with_contents(const Item& item) {
    Statement remove(db.handle(), "DELETE FROM items WHERE idx = ?1 OR (name > ?2 AND name < ?3)");
    remove.bind(1, item.index).bind_blob(2, item.name + "/").bind_blob(3, item.name + "0").run();
    invalidate();
}

std::string checked_child_path(const std::string& parent_name, const std::string& gb_component) {
    if (gb_component.empty()) refuse("empty name");
    std::string name = child_path(parent_name, gb_component);
    if (name.size() > max_name_bytes) throw NameTooLong();
    return name;
}

std::string parent_path(const std::string& gb_name) {
    const std::size_t cut = gb_name.rfind('/');
    return cut == std::string::npos ? std::string() : gb_name.substr(0, cut);
}

std::string last_component(const std::string& gb_name) {
    const std::size_t cut = gb_name.rfind('/');
    return cut == std::string::npos ? gb_name : gb_name.substr(cut + 1);
}

std::string FxStore::Impl::free_name(const std::string& parent, const std::string& gb_component) {
    for (int n = 2;; ++n) {
        std::string name =
            checked_child_path(parent, gb_component + " (" + std::to_string(n) + ")");
        if (!lookup(name)) return name;
    }
}

// A folder joins a folder of its name already in the target, unless that
// is the folder itself (a copy into its own folder): then, like a file
// whose name is taken, it gets the next free name.
void FxStore::Impl::copy_item(const Item& source, const Item& folder) {
    const std::string component = last_component(source.name);
    std::string name = checked_child_path(folder.name, component);
    const std::optional<Item> existing = lookup(name);
    if (source.type != folder_type) {
        insert(existing ? free_name(folder.name, component) : name, source.type,
               content(source.index));
        return;
    }
    Item target;
    if (is_folder(existing) && existing->index != source.index) {
        target = *existing;
    } else {
        name = existing ? free_name(folder.name, component) : name;
        target = {insert(name, folder_type, {}), name, folder_type, 0};
    }
    for (const Item& inner : below(source.name)) {
        if (inner.lb == 0 && parent_path(inner.name) == source.name) copy_item(inner, target);
    }
}

bool FxStore::read_file(int index, std::string& bytes) {
    bytes.clear();
    return guarded(false, [&](Impl& impl) {
        if (!is_listed_file(impl.at(index))) refuse("no such file");
        bytes = impl.content(index);
        return true;
    });
}

int FxStore::store_file(int folder_index, const std::string& utf8_name, std::string_view bytes,
                        int replacing) {
    const std::string component = text::to_gb18030(utf8_name);
    if (component.find('/') != std::string::npos) return -1;
    return guarded(-1, [&](Impl& impl) {
        const std::optional<Item> folder = impl.at(folder_index);
        if (!is_folder(folder)) refuse("no such folder");
        Transaction transaction(impl.db);
        if (replacing > 0) {
            const std::optional<Item> old = impl.at(replacing);
            if (!is_listed_file(old)) refuse("no such file");
            impl.remove_with_contents(*old);
        }
        std::string name = checked_child_path(folder->name, component);
        if (impl.lookup(name)) name = impl.free_name(folder->name, component);
        const int stored = impl.insert(name, file_type, bytes);
        transaction.commit();
        impl.invalidate();
        return stored;
    });
}

// Everything is copied before anything is removed, and all of it in one
// transaction: a move that cannot store every copy removes nothing.
bool FxStore::copy_items(const std::vector<int>& indices, int target, bool move) {
    return guarded(false, [&](Impl& impl) {
        const std::optional<Item> folder = impl.at(target);
        if (!is_folder(folder)) refuse("no such folder");
        const std::vector<Item> items = outermost(impl, indices);
        for (const Item& item : items) {
            if (is_same_or_below(folder->name, item.name)) refuse("into itself");
        }
        Transaction transaction(impl.db);
        std::vector<Item> moved;
        for (const Item& item : items) {
            if (move && parent_path(item.name) == folder->name) continue;  // already there
            impl.copy_item(item, *folder);
            moved.push_back(item);
        }
        if (move) {
            for (const Item& item : moved) impl.remove_with_contents(item);
        }
        transaction.commit();
        impl.invalidate();
        return true;
    });
}

}  // namespace velmora::store
