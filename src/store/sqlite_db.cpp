#include "store/sqlite_db.h"

namespace velmora::store {

namespace {

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    if (!db) throw SqliteError(std::string(what) + ": no database");
    throw SqliteError(std::string(what) + ": " + sqlite3_errmsg(db), sqlite3_extended_errcode(db),
                      sqlite3_system_errno(db));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr) !=
        SQLITE_OK) {
        fail(db, sql);
    }
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

Statement& Statement::reset() {
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
    return *this;
}

Statement& Statement::bind(int position, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, position, value) != SQLITE_OK) fail(db_, "bind");
    return *this;
}

Statement& Statement::bind_blob(int position, std::string_view bytes) {
    // A zero-length blob still binds as a blob, never as NULL.
    const char* data = bytes.empty() ? "" : bytes.data();
    if (sqlite3_bind_blob64(statement_, position, data, bytes.size(), SQLITE_TRANSIENT) !=
        SQLITE_OK) {
        fail(db_, "bind");
    }
    return *this;
}

Statement& Statement::bind_text(int position, std::string_view text) {
    if (sqlite3_bind_text64(statement_, position, text.data(), text.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8) != SQLITE_OK) {
        fail(db_, "bind");
    }
    return *this;
}

bool Statement::step() {
    int result = sqlite3_step(statement_);
    if (result == SQLITE_ROW) return true;
    if (result == SQLITE_DONE) return false;
    SqliteError error(sqlite3_errmsg(db_), sqlite3_extended_errcode(db_),
                      sqlite3_system_errno(db_));
    sqlite3_reset(statement_);
    throw error;
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::string Statement::blob(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    int size = sqlite3_column_bytes(statement_, column);
    if (!data || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

Database::Database(const std::string& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        SqliteError error(path + ": " + (db_ ? sqlite3_errmsg(db_) : "out of memory"),
                          db_ ? sqlite3_extended_errcode(db_) : SQLITE_NOMEM,
                          db_ ? sqlite3_system_errno(db_) : 0);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw error;
    }
    sqlite3_extended_result_codes(db_, 1);
}

Database::~Database() {
    sqlite3_close_v2(db_);
}

void Database::exec(std::string_view sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "error";
        sqlite3_free(error);
        throw SqliteError(std::string(sql) + ": " + message, sqlite3_extended_errcode(db_),
                          sqlite3_system_errno(db_));
    }
}

std::int64_t Database::query_integer(std::string_view sql) {
    Statement statement(db_, sql);
    return statement.step() ? statement.integer(0) : 0;
}

void Database::begin_batch() {
    exec("BEGIN IMMEDIATE");
    in_batch_ = true;
}

// A commit that fails can leave the transaction open: it is rolled back,
// so the batch is either stored whole or not at all.
void Database::commit_batch() {
    in_batch_ = false;
    try {
        exec("COMMIT");
    } catch (const SqliteError&) {
        rollback_batch();
        throw;
    }
}

void Database::rollback_batch() noexcept {
    in_batch_ = false;
    if (sqlite3_get_autocommit(db_) != 0) return;
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

Transaction::Transaction(Database& db) : db_(db), nested_(db.in_batch()) {
    if (!nested_) {
        db_.exec("BEGIN IMMEDIATE");
        return;
    }
    // After a full disk or an I/O error SQLite may have rolled the whole
    // batch back on its own: a change made now would be stored alone,
    // outside the batch whose earlier changes are gone.
    if (sqlite3_get_autocommit(db_.handle()) != 0) {
        throw SqliteError("the batch was rolled back", SQLITE_ABORT);
    }
    db_.exec("SAVEPOINT change");
}

Transaction::~Transaction() {
    if (done_) return;
    try {
        db_.exec(nested_ ? "ROLLBACK TO change; RELEASE change" : "ROLLBACK");
    } catch (const SqliteError&) {
        // A failed COMMIT may already have rolled back: nothing is left to undo.
    }
}

void Transaction::commit() {
    db_.exec(nested_ ? "RELEASE change" : "COMMIT");
    done_ = true;
}

}  // namespace velmora::store
