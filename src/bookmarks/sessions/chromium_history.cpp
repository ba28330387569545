// Page titles from the History database of a Chromium-family profile. The
// file is as foreign as a session file, and a database can be made to ask a
// lot of SQLite: it is read from a private copy in memory (the browser keeps
// the file itself locked, and nothing here ever opens it as a database),
// read-only, with views, triggers and the functions a schema could call
// switched off, its strings bounded, and SQLite's engine stopped at a
// deadline.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>

#include "bookmarks/sessions/browser_sessions.h"
#include "sys/text_util.h"

namespace velmora::bookmarks {

namespace {

using Clock = std::chrono::steady_clock;
// Address -> the title found for it (empty while none is).
using Titles = std::unordered_map<std::string_view, std::string>;

// Chromium keeps no address over 2 MiB; a longer string is not a page.
constexpr int history_string_limit = 4 << 20;
// Addresses asked for in one statement: without the table's index on url,
// each statement is still one pass over the table.
constexpr std::size_t addresses_per_query = 200;
// How many steps of SQLite's engine run between two looks at the clock.
constexpr int steps_between_clock_checks = 1000;

// Bytes 18 and 19 of the header name the journal mode; a WAL database (2)
// can only be opened with its -wal file, which the copy has not. Read as a
// rollback database it shows all that was checkpointed into the file.
void as_rollback_database(std::string& bytes) {
    constexpr std::size_t write_version = 18;
    constexpr std::size_t read_version = 19;
    if (bytes.size() > read_version && bytes[write_version] == 2 && bytes[read_version] == 2) {
        bytes[write_version] = 1;
        bytes[read_version] = 1;
    }
}

int past_deadline(void* deadline) {
    return Clock::now() > *static_cast<const Clock::time_point*>(deadline) ? 1 : 0;
}

class HistoryCopy {
public:
    // SQLite reads `bytes` in place: they must outlive the copy.
    explicit HistoryCopy(std::string& bytes);
    ~HistoryCopy() { sqlite3_close(db_); }
    HistoryCopy(const HistoryCopy&) = delete;
    HistoryCopy& operator=(const HistoryCopy&) = delete;

    // Sets the title of each of `addresses` that the urls table holds with
    // one; false when the database cannot answer (damaged, not a History,
    // too slow).
    bool find_titles(std::span<const std::string_view> addresses, Titles& titles);

private:
    sqlite3* db_ = nullptr;
    Clock::time_point deadline_;
    bool readable_ = false;
};

HistoryCopy::HistoryCopy(std::string& bytes) : deadline_(Clock::now() + history_time_limit) {
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        return;
    }
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, static_cast<int*>(nullptr));
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_VIEW, 0, static_cast<int*>(nullptr));
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, static_cast<int*>(nullptr));
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, history_string_limit);
    sqlite3_progress_handler(db_, steps_between_clock_checks, past_deadline, &deadline_);
    auto* data = reinterpret_cast<unsigned char*>(bytes.data());
    const auto size = static_cast<sqlite3_int64>(bytes.size());
    readable_ =
        sqlite3_deserialize(db_, "main", data, size, size, SQLITE_DESERIALIZE_READONLY) ==
            SQLITE_OK &&
        sqlite3_exec(db_, "PRAGMA cell_size_check = ON", nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::string_view column_text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text), size);
}

bool HistoryCopy::find_titles(std::span<const std::string_view> addresses, Titles& titles) {
    if (!readable_ || addresses.empty()) return readable_;
    std::string sql = "SELECT url, title FROM urls WHERE title <> '' AND url IN (?";
    for (std::size_t i = 1; i < addresses.size(); ++i) sql += ",?";
    sql += ")";
    sqlite3_stmt* prepared = nullptr;
    const int outcome = sqlite3_prepare_v2(db_, sql.c_str(), -1, &prepared, nullptr);
    const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(prepared,
                                                                               sqlite3_finalize);
    if (outcome != SQLITE_OK) return false;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        // An address SQLite refuses as too long stays NULL and matches nothing.
        sqlite3_bind_text64(prepared, static_cast<int>(i + 1), addresses[i].data(),
                            addresses[i].size(), SQLITE_STATIC, SQLITE_UTF8);
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(prepared)) == SQLITE_ROW) {
        const auto found = titles.find(column_text(prepared, 0));
        const std::string_view title = column_text(prepared, 1);
        if (found != titles.end() && found->second.empty() && sys::is_valid_utf8(title)) {
            found->second = title;
        }
    }
    return step == SQLITE_DONE;
}

}  // namespace

void add_history_titles(std::string history_bytes, std::vector<OpenPage>& pages) {
    Titles titles;
    std::vector<std::string_view> addresses;
    for (const OpenPage& page : pages) {
        if (page.title.empty() && titles.try_emplace(page.address).second) {
            addresses.push_back(page.address);
        }
    }
    if (addresses.empty()) return;
    as_rollback_database(history_bytes);
    HistoryCopy history(history_bytes);
    const std::span<const std::string_view> all(addresses);
    for (std::size_t first = 0; first < all.size(); first += addresses_per_query) {
        const std::size_t count = std::min(addresses_per_query, all.size() - first);
        if (!history.find_titles(all.subspan(first, count), titles)) break;
    }
    for (OpenPage& page : pages) {
        if (!page.title.empty()) continue;
        const auto found = titles.find(page.address);
        if (found != titles.end()) page.title = found->second;
    }
}

}  // namespace velmora::bookmarks
