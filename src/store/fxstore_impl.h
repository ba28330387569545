// The private side of FxStore, shared by the files that implement it.
#pragma once

#include <optional>
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

    // Walks over every index read blocks of items ahead; a single lookup
    // reads just its row.
    std::vector<Item> cache;
    std::int64_t cache_base = -1;
    int last_index = -2;
    void invalidate() { cache_base = -1; }
    std::optional<Item> read_one(int index);
    void fill_cache(int first);

    std::optional<Item> lookup(const std::string& gb_name);
    std::optional<Item> at(int index);
    std::string content(int index);
    int insert(const std::string& gb_name, std::uint16_t type, std::string_view bytes);
    std::vector<Item> below(const std::string& gb_name);
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
    } catch (const SqliteError& error) {
        last_error_ = classify_failure(error.code(), error.system_errno());
    } catch (const std::exception&) {
        last_error_ = FxError::io_error;
    }
    impl_->invalidate();  // a rolled-back change may have left stale rows behind
    return fallback;
}

// Full path of a child: the root item's name is empty.
std::string child_path(const std::string& parent_name, const std::string& component);

}  // namespace velmora::store
