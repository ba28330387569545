// A thin RAII layer over the SQLite C interface: a connection, prepared
// statements and transactions that roll back unless committed.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::store {

// A failed SQLite call, with SQLite's extended result code and the
// operating system's error number behind it (0 when none), so a caller can
// tell a full disk from a damaged file.
class SqliteError : public std::runtime_error {
public:
    explicit SqliteError(const std::string& what, int code = SQLITE_ERROR, int system_errno = 0)
        : std::runtime_error(what), code_(code), system_errno_(system_errno) {}
    int code() const { return code_; }
    int system_errno() const { return system_errno_; }

private:
    int code_;
    int system_errno_;
};

class Statement {
public:
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& reset();
    Statement& bind(int position, std::int64_t value);
    Statement& bind_blob(int position, std::string_view bytes);
    Statement& bind_text(int position, std::string_view text);
    // Answers true while a row is available.
    bool step();
    void run() {
        while (step()) {
        }
    }

    std::int64_t integer(int column) const;
    std::string blob(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

class Database {
public:
    Database() = default;
    Database(const std::string& path, int flags);  // throws SqliteError
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return db_; }
    void exec(std::string_view sql);
    std::int64_t query_integer(std::string_view sql);

    // A batch is one transaction around many changes: each change's own
    // Transaction becomes a savepoint inside it, so a change that fails
    // undoes only itself, and one commit (one sync to the disk) stores them
    // all. Nothing of the batch is stored before commit_batch().
    void begin_batch();
    void commit_batch();
    void rollback_batch() noexcept;
    bool in_batch() const { return in_batch_; }

private:
    sqlite3* db_ = nullptr;
    bool in_batch_ = false;
};

// BEGIN IMMEDIATE on construction, or a savepoint inside an open batch;
// rolled back on destruction unless committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool nested_ = false;
    bool done_ = false;
};

}  // namespace velmora::store
