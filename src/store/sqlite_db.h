// A thin RAII layer over the SQLite C interface: a connection, prepared
// statements and transactions that roll back unless committed.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::store {

class SqliteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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

private:
    sqlite3* db_ = nullptr;
};

// BEGIN IMMEDIATE on construction; ROLLBACK on destruction unless committed.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    bool done_ = false;
};

}  // namespace velmora::store
