// The private side of FxStore, shared by the files that implement it.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "store/fxstore.h"
#include "store/sqlite_db.h"

namespace velmora::store {

class FxStore::Impl {
public:
    Impl(const std::string& file, int flags) : db(file, flags), path(file) {}

    Database db;
    std::string path;
    // The first failure of an operation that goes on past it (an export
    // that writes the other items); reported when the operation ends.
    FxError pending = FxError::none;
    void note_failure(FxError error) {
        if (pending == FxError::none) pending = error;
    }

    Statement& statement(std::optional<Statement>& slot, std::string_view sql) {
        if (!slot) slot.emplace(db.handle(), sql);
        return slot->reset();
    }

    std::optional<Statement> find_by_name, find_by_index, find_content, insert_item, update_content,
        block_read;

    // An index out of step with the items: lookups by name read the items
    // themselves, and the connection is query-only (see needs_repair()).
    bool index_out_of_step = false;
    void set_index_out_of_step(bool out_of_step);

    // Walks over every index read blocks of items ahead; a single lookup
    // reads just its row.
    std::vector<Item> cache;
    std::int64_t cache_base = -1;
    int last_index = -2;
    void invalidate() { cache_base = -1; }
    std::optional<Item> read_one(int index);
    void fill_cache(int first);

    // "title (2)", "title (3)", ...: the first name below `parent` no item
    // has yet.
    std::string free_name(const std::string& parent, const std::string& gb_component);
    // Copies `source` (a folder with everything below it) below `folder`;
    // see FxStore::copy_items.
    void copy_item(const Item& source, const Item& folder);
    // Deletes the item with everything below it.
    void remove_with_contents(const Item& item);

    std::optional<Item> lookup(const std::string& gb_name);
    std::optional<Item> at(int index);
    std::string content(int index);
    int insert(const std::string& gb_name, std::uint16_t type, std::string_view bytes);
    std::vector<Item> below(const std::string& gb_name);
};

// A name past the container's limit: the operation stops and its
// transaction is rolled back, so nothing of it is written.
struct NameTooLong : std::runtime_error {
    NameTooLong() : std::runtime_error("name too long") {}
};

template <typename Result, typename Operation>
Result FxStore::guarded(Result fallback, Operation operation) {
    last_error_ = FxError::none;
    if (!impl_) {
        last_error_ = FxError::not_open;
        return fallback;
    }
    impl_->pending = FxError::none;
    try {
        Result result = operation(*impl_);
        last_error_ = impl_->pending;
        return result;
    } catch (const NameTooLong&) {
        last_error_ = FxError::name_too_long;
    } catch (const SqliteError& error) {
        last_error_ = classify_failure(error.code(), error.system_errno());
        if (impl_->index_out_of_step && (error.code() & 0xFF) == SQLITE_READONLY) {
            last_error_ = FxError::needs_repair;
        }
    } catch (const std::exception&) {
        last_error_ = FxError::io_error;
    }
    impl_->invalidate();  // a rolled-back change may have left stale rows behind
    return fallback;
}

// Full path of a child: the root item's name is empty.
std::string child_path(const std::string& parent_name, const std::string& component);
// The same, for a name to be stored: throws NameTooLong past the limit and
// refuses an empty component.
std::string checked_child_path(const std::string& parent_name, const std::string& gb_component);
// The parts of a full path: "" and the whole name at the top.
std::string parent_path(const std::string& gb_name);
std::string last_component(const std::string& gb_name);

}  // namespace velmora::store
