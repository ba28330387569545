#include "store/fxstore.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "store/container_file.h"
#include "store/fxstore_impl.h"
#include "store/sqlite_db.h"
#include "sys/atomicfile.h"
#include "sys/sysutil.h"
#include "sys/textcodec.h"

namespace velmora::store {

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t cache_block = 512;
constexpr std::uint16_t unlisted = 1;

}  // namespace

std::string child_path(const std::string& parent_name, const std::string& component) {
    return parent_name.empty() ? component : parent_name + "/" + component;
}

void FxStore::Impl::set_index_out_of_step(bool out_of_step) {
    index_out_of_step = out_of_step;
    // A query-only connection refuses every change at its first write.
    db.exec(out_of_step ? "PRAGMA query_only = ON" : "PRAGMA query_only = OFF");
    find_by_name.reset();  // prepared for the other way of looking names up
    invalidate();
}

std::optional<Item> FxStore::Impl::lookup(const std::string& gb_name) {
    // While the index is out of step a lookup reads the items themselves:
    // the index could miss an item that is there, or name another.
    Statement& find =
        statement(find_by_name, index_out_of_step
                                    ? "SELECT idx, type, lb FROM items NOT INDEXED"
                                      " WHERE name = ?1 ORDER BY idx LIMIT 1"
                                    : "SELECT idx, type, lb FROM items WHERE name = ?1")
            .bind_blob(1, gb_name);
    if (!find.step()) return std::nullopt;
    Item found{static_cast<int>(find.integer(0)), gb_name,
               static_cast<std::uint16_t>(find.integer(1)),
               static_cast<std::uint16_t>(find.integer(2))};
    find.reset();
    return found;
}

std::optional<Item> FxStore::Impl::at(int index) {
    if (index < 0) return std::nullopt;
    const bool cached = cache_base >= 0 && index >= cache_base && index < cache_base + cache_block;
    const bool walking = index == last_index + 1;
    last_index = index;
    if (!cached && !walking) return read_one(index);
    if (!cached) fill_cache(index);
    const Item& item = cache[static_cast<std::size_t>(index - cache_base)];
    if (item.index < 0) return std::nullopt;
    return item;
}

std::optional<Item> FxStore::Impl::read_one(int index) {
    Statement& read =
        statement(find_by_index, "SELECT idx, name, type, lb FROM items WHERE idx = ?1")
            .bind(1, index);
    if (!read.step()) return std::nullopt;
    Item item{index, read.blob(1), static_cast<std::uint16_t>(read.integer(2)),
              static_cast<std::uint16_t>(read.integer(3))};
    read.reset();
    return item;
}

// Walks read items index by index; one query serves the next block of them.
void FxStore::Impl::fill_cache(int first) {
    cache_base = first;
    cache.assign(cache_block, Item{});
    Statement& read =
        statement(block_read, "SELECT idx, name, type, lb FROM items WHERE idx >= ?1 AND idx < ?2")
            .bind(1, cache_base)
            .bind(2, cache_base + cache_block);
    while (read.step()) {
        auto& slot = cache[static_cast<std::size_t>(read.integer(0) - cache_base)];
        slot = {static_cast<int>(read.integer(0)), read.blob(1),
                static_cast<std::uint16_t>(read.integer(2)),
                static_cast<std::uint16_t>(read.integer(3))};
    }
}

std::string FxStore::Impl::content(int index) {
    Statement& read =
        statement(find_content, "SELECT content FROM items WHERE idx = ?1").bind(1, index);
    std::string bytes = read.step() ? read.blob(0) : std::string();
    read.reset();
    return bytes;
}

int FxStore::Impl::insert(const std::string& gb_name, std::uint16_t type, std::string_view bytes) {
    statement(insert_item, "INSERT INTO items(name, type, lb, content) VALUES(?1, ?2, 0, ?3)")
        .bind_blob(1, gb_name)
        .bind(2, type)
        .bind_blob(3, bytes)
        .run();
    invalidate();
    return static_cast<int>(sqlite3_last_insert_rowid(db.handle()));
}

// Everything below a folder, parents before their children. "/" never
// occurs inside a GB18030 character, so a byte range finds exactly the
// names that start with the folder's name and "/".
std::vector<Item> FxStore::Impl::below(const std::string& gb_name) {
    Statement query(db.handle(), index_out_of_step
                                     ? "SELECT idx, name, type, lb FROM items NOT INDEXED"
                                       " WHERE name > ?1 AND name < ?2 ORDER BY name, idx"
                                     : "SELECT idx, name, type, lb FROM items WHERE name > ?1"
                                       " AND name < ?2 ORDER BY name");
    query.bind_blob(1, gb_name + "/").bind_blob(2, gb_name + "0");
    std::vector<Item> items;
    while (query.step()) {
        items.push_back({static_cast<int>(query.integer(0)), query.blob(1),
                         static_cast<std::uint16_t>(query.integer(2)),
                         static_cast<std::uint16_t>(query.integer(3))});
    }
    return items;
}

FxStore::FxStore() = default;
FxStore::~FxStore() = default;

bool FxStore::open(const std::string& path, const std::string& password) {
    close();
    last_error_ = open_checked(path, password);
    return last_error_ == FxError::none;
}

namespace {

// What is at the data file's path: a link to nothing is never replaced by
// a new container, or the user's data would be lost when its disk returns.
FxError check_path(const std::string& path, bool& missing) {
    std::error_code error;
    const fs::file_status link = fs::symlink_status(path, error);
    missing = link.type() == fs::file_type::not_found;
    if (missing) return FxError::none;
    const fs::file_status target = fs::status(path, error);
    if (fs::is_symlink(link) && target.type() == fs::file_type::not_found) {
        return FxError::unreachable;
    }
    if (error) return classify_errno(error.value());
    return fs::is_regular_file(target) ? FxError::none : FxError::foreign;
}

// A log that SQLite made only for the failed look is taken away again, so
// a refused file's folder is left as it was found.
void remove_new_empty_log(const std::string& path, bool log_existed) {
    std::error_code error;
    if (!log_existed && fs::file_size(path + "-wal", error) == 0 && !error) {
        fs::remove(path + "-wal", error);
    }
}

}  // namespace

// Nothing is written before every check has passed: until then the
// connection neither checkpoints nor removes the log when it closes.
FxError FxStore::open_checked(const std::string& path, const std::string& password) {
    bool missing = false;
    FxError found = check_path(path, missing);
    if (found == FxError::none && missing) found = create_container_file(path, password);
    if (found == FxError::none) found = check_container_header(path);
    if (found == FxError::none) found = check_writable(path);
    if (found != FxError::none) return found;
    const bool log_existed = fs::exists(path + "-wal");
    try {
        auto opened = std::make_unique<Impl>(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
        sqlite3_db_config(opened->db.handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        configure_connection(opened->db);
        found = check_password(opened->db, password);
        const Soundness soundness =
            found == FxError::none ? check_pages(opened->db) : Soundness::damaged;
        if (found == FxError::none && soundness == Soundness::damaged) found = FxError::damaged;
        if (found == FxError::none) {
            // An index out of step with the items still opens: every item is
            // there to read, and the store takes no change until it is mended.
            if (soundness == Soundness::index_out_of_step) opened->set_index_out_of_step(true);
            sqlite3_db_config(opened->db.handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
            impl_ = std::move(opened);
            return FxError::none;
        }
    } catch (const SqliteError& error) {
        found = classify_failure(error.code(), error.system_errno());
    }
    remove_new_empty_log(path, log_existed);
    return found;
}

void FxStore::close() {
    impl_.reset();
}

int FxStore::index_of(const std::string& utf8_name) {
    return guarded(-1, [&](Impl& impl) {
        auto found = impl.lookup(text::to_gb18030(utf8_name));
        return found ? found->index : -1;
    });
}

int FxStore::count() {
    return guarded(0, [](Impl& impl) {
        return static_cast<int>(
                   impl.db.query_integer("SELECT seq FROM sqlite_sequence WHERE name = 'items'")) +
               1;
    });
}

Item FxStore::item(int index) {
    Item gap;
    gap.index = index;
    gap.lb = unlisted;
    return guarded(gap, [&](Impl& impl) { return impl.at(index).value_or(gap); });
}

bool FxStore::list_items(std::vector<Item>& items) {
    items.clear();
    const int total = count();
    if (last_error_ != FxError::none) return false;
    return guarded(false, [&](Impl& impl) {
        items.resize(static_cast<std::size_t>(total));
        for (int index = 0; index < total; ++index) items[index] = Item{index, {}, 0, unlisted};
        Statement read(impl.db.handle(), "SELECT idx, name, type, lb FROM items ORDER BY idx");
        while (read.step()) {
            const auto index = static_cast<std::size_t>(read.integer(0));
            if (index >= items.size()) break;
            items[index] = {static_cast<int>(index), read.blob(1),
                            static_cast<std::uint16_t>(read.integer(2)),
                            static_cast<std::uint16_t>(read.integer(3))};
        }
        return true;
    });
}

bool FxStore::integrity_ok() {
    return guarded(false, [](Impl& impl) {
        Statement check(impl.db.handle(), "PRAGMA integrity_check");
        return check.step() && check.blob(0) == "ok";
    });
}

bool FxStore::needs_repair() const {
    return impl_ && impl_->index_out_of_step;
}

bool FxStore::check(Soundness& found, std::vector<std::string>& problems, int limit) {
    problems.clear();
    return guarded(false, [&](Impl& impl) {
        problems = integrity_problems(impl.db, limit);
        found = problems.empty() ? Soundness::whole : check_pages(impl.db);
        // Broken pages found now keep the store from writing as well.
        const bool careful = found != Soundness::whole;
        if (careful != impl.index_out_of_step) impl.set_index_out_of_step(careful);
        return true;
    });
}

bool FxStore::repair() {
    return guarded(false, [](Impl& impl) {
        const bool was_out_of_step = impl.index_out_of_step;
        impl.set_index_out_of_step(false);
        try {
            Transaction transaction(impl.db);
            impl.db.exec("REINDEX");
            transaction.commit();
        } catch (const SqliteError&) {
            // Two items of one name, say: the index cannot be rebuilt, and
            // the store stays as careful as it was.
            if (was_out_of_step) impl.set_index_out_of_step(true);
            throw;
        }
        const Soundness found = check_pages(impl.db);
        if (found != Soundness::whole) impl.set_index_out_of_step(true);
        return found == Soundness::whole;
    });
}

std::uint16_t FxStore::version_major() const {
    return impl_ ? container_format_version : 0;
}

std::int64_t FxStore::file_size() {
    return guarded(std::int64_t{0}, [](Impl& impl) {
        impl.db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
        return static_cast<std::int64_t>(fs::file_size(impl.path));
    });
}

std::int64_t FxStore::live_size() {
    return guarded(std::int64_t{0}, [](Impl& impl) {
        std::int64_t pages = impl.db.query_integer("PRAGMA page_count") -
                             impl.db.query_integer("PRAGMA freelist_count");
        return pages * impl.db.query_integer("PRAGMA page_size");
    });
}

FxStore& process_container() {
    static FxStore container;
    return container;
}

}  // namespace velmora::store
