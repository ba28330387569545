// Changes to the container's structure: delete, new folder, rename, and the
// compacted copy.
#include <algorithm>

#include "store/container_file.h"
#include "store/fxstore_impl.h"
#include "sys/textcodec.h"

namespace velmora::store {

namespace {

const std::string new_folder_name = "新建文件夹";

bool is_folder(const std::optional<Item>& item) {
    return item && item->type == folder_type;
}

}  // namespace

bool FxStore::begin_batch() {
    return guarded(false, [](Impl& impl) {
        impl.db.begin_batch();
        return true;
    });
}

bool FxStore::commit_batch() {
    return guarded(false, [](Impl& impl) {
        impl.db.commit_batch();
        return true;
    });
}

void FxStore::rollback_batch() {
    if (impl_) impl_->db.rollback_batch();
    if (impl_) impl_->invalidate();
}

bool FxStore::delete_item(int index) {
    if (index <= 0) return false;
    return guarded(false, [&](Impl& impl) {
        auto item = impl.at(index);
        if (!item) return false;
        Transaction transaction(impl.db);
        impl.remove_with_contents(*item);
        transaction.commit();
        impl.invalidate();
        return true;
    });
}

bool FxStore::add_folder(int parent, const std::string& utf8_name) {
    const std::string base = text::to_gb18030(utf8_name.empty() ? new_folder_name : utf8_name);
    if (base.find('/') != std::string::npos) return false;
    return guarded(false, [&](Impl& impl) {
        auto folder = impl.at(parent);
        if (!is_folder(folder)) return false;
        Transaction transaction(impl.db);
        std::string name = child_path(folder->name, base);
        for (int n = 2; impl.lookup(name); ++n) {
            name = child_path(folder->name, base + "(" + std::to_string(n) + ")");
        }
        if (name.size() > max_name_bytes) throw NameTooLong();
        impl.insert(name, folder_type, {});
        transaction.commit();
        return true;
    });
}

// Every name below the item changes with it; none may grow past the limit.
bool FxStore::rename_item(int parent, int index, const std::string& utf8_name) {
    if (index <= 0 || utf8_name.empty() || utf8_name.find('/') != std::string::npos) return false;
    return guarded(false, [&](Impl& impl) {
        auto folder = impl.at(parent);
        auto item = impl.at(index);
        if (!is_folder(folder) || !item || parent_path(item->name) != folder->name) return false;
        const std::string renamed = child_path(folder->name, text::to_gb18030(utf8_name));
        if (renamed == item->name) return true;
        if (renamed.size() > max_name_bytes) throw NameTooLong();
        if (impl.lookup(renamed)) return false;
        std::vector<Item> inner = impl.below(item->name);
        const std::size_t growth = renamed.size() - std::min(renamed.size(), item->name.size());
        for (const Item& each : inner) {
            if (each.name.size() + growth > max_name_bytes) throw NameTooLong();
        }
        Transaction transaction(impl.db);
        Statement rename(impl.db.handle(), "UPDATE items SET name = ?1 WHERE idx = ?2");
        rename.bind_blob(1, renamed).bind(2, index).run();
        for (const Item& each : inner) {
            rename.reset()
                .bind_blob(1, renamed + each.name.substr(item->name.size()))
                .bind(2, each.index)
                .run();
        }
        transaction.commit();
        impl.invalidate();
        return true;
    });
}

bool FxStore::compact_copy(const std::string& target, const std::string& password) {
    return guarded(false, [&](Impl& impl) {
        return password_matches(impl.db, password) && write_compacted_copy(impl.db, target);
    });
}

}  // namespace velmora::store
