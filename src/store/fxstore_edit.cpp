// Changes to the container's structure: delete, new folder, rename, and the
// compacted copy.
#include <algorithm>

#include "store/container_file.h"
#include "store/fxstore_impl.h"
#include "sys/textcodec.h"

namespace velmora::store {

namespace {

const std::string new_folder_name = "新建文件夹";

bool is_folder(const std::optional<Item>& item) { return item && item->type == folder_type; }

std::string parent_of(const std::string& gb_name) {
    std::size_t cut = gb_name.rfind('/');
    return cut == std::string::npos ? std::string() : gb_name.substr(0, cut);
}

}  // namespace

bool FxStore::delete_item(int index) {
    if (!impl_ || index <= 0) return false;
    try {
        auto item = impl_->at(index);
        if (!item) return false;
        Transaction transaction(impl_->db);
        Statement remove(impl_->db.handle(),
                         "DELETE FROM items WHERE idx = ?1 OR (name > ?2 AND name < ?3)");
        remove.bind(1, index).bind_blob(2, item->name + "/").bind_blob(3, item->name + "0").run();
        transaction.commit();
        impl_->invalidate();
        return true;
    } catch (const SqliteError&) {
        impl_->invalidate();
        return false;
    }
}

bool FxStore::add_folder(int parent, const std::string& utf8_name) {
    if (!impl_) return false;
    const std::string base = text::to_gb18030(utf8_name.empty() ? new_folder_name : utf8_name);
    if (base.find('/') != std::string::npos) return false;
    try {
        auto folder = impl_->at(parent);
        if (!is_folder(folder)) return false;
        Transaction transaction(impl_->db);
        std::string name = child_path(folder->name, base);
        for (int n = 2; impl_->lookup(name); ++n) {
            name = child_path(folder->name, base + "(" + std::to_string(n) + ")");
        }
        if (name.size() > max_name_bytes) return false;
        impl_->insert(name, folder_type, {});
        transaction.commit();
        return true;
    } catch (const SqliteError&) {
        impl_->invalidate();
        return false;
    }
}

bool FxStore::rename_item(int parent, int index, const std::string& utf8_name) {
    if (!impl_ || utf8_name.empty() || utf8_name.find('/') != std::string::npos) return false;
    try {
        auto folder = impl_->at(parent);
        auto item = impl_->at(index);
        if (!is_folder(folder) || !item || index <= 0 || parent_of(item->name) != folder->name) {
            return false;
        }
        const std::string renamed = child_path(folder->name, text::to_gb18030(utf8_name));
        if (renamed == item->name) return true;
        if (renamed.size() > max_name_bytes || impl_->lookup(renamed)) return false;
        std::vector<Item> inner = impl_->below(item->name);
        const std::size_t growth = renamed.size() - std::min(renamed.size(), item->name.size());
        for (const Item& each : inner) {
            if (each.name.size() + growth > max_name_bytes) return false;
        }
        Transaction transaction(impl_->db);
        Statement rename(impl_->db.handle(), "UPDATE items SET name = ?1 WHERE idx = ?2");
        rename.bind_blob(1, renamed).bind(2, index).run();
        for (const Item& each : inner) {
            rename.reset().bind_blob(1, renamed + each.name.substr(item->name.size())).bind(2, each.index).run();
        }
        transaction.commit();
        impl_->invalidate();
        return true;
    } catch (const SqliteError&) {
        impl_->invalidate();
        return false;
    }
}

bool FxStore::compact_copy(const std::string& target, const std::string& password) {
    if (!impl_) return false;
    try {
        if (!password_matches(impl_->db, password)) return false;
    } catch (const SqliteError&) {
        return false;
    }
    return write_compacted_copy(impl_->db, target);
}

}  // namespace velmora::store
