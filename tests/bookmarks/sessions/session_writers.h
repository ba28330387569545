// Writers of browser session files as the browsers write them, for the
// readers' tests and benchmarks.
#pragma once

#include <lz4.h>
#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bookmarks/sessions/browser_sessions.h"

namespace velmora::bookmarks {
// How a test failure shows a page.
inline void PrintTo(const OpenPage& page, std::ostream* out) {
    *out << '"' << page.title << "\" " << page.address;
}
}  // namespace velmora::bookmarks

namespace velmora::testing {

inline void append_le32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A Firefox session file: the magic, the unpacked size, one LZ4 block.
inline std::string mozlz4(std::string_view json, std::uint32_t declared_size) {
    std::string file("mozLz40\0", 8);
    append_le32(file, declared_size);
    std::string block(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(json.size()))),
                      '\0');
    const int packed = LZ4_compress_default(
        json.data(), block.data(), static_cast<int>(json.size()), static_cast<int>(block.size()));
    return file + block.substr(0, static_cast<std::size_t>(packed));
}
inline std::string mozlz4(std::string_view json) {
    return mozlz4(json, static_cast<std::uint32_t>(json.size()));
}

// A Chromium session file, command by command, as the browser writes them.
class SnssWriter {
public:
    static constexpr unsigned char set_tab_window = 0, set_tab_index = 2, pruned_from_back = 5,
                                   navigation = 6, selected_navigation = 7, selected_tab = 8,
                                   window_type = 9, pruned_from_front = 11, pinned = 12,
                                   tab_closed = 16, window_closed = 17, pruned = 24, marker = 255;

    SnssWriter() : bytes_("SNSS") { append_le32(bytes_, 3); }

    SnssWriter& record(unsigned char command, const std::string& payload) {
        const std::size_t size = payload.size() + 1;
        bytes_ += {static_cast<char>(size & 0xFF), static_cast<char>(size >> 8),
                   static_cast<char>(command)};
        bytes_ += payload;
        return *this;
    }
    SnssWriter& numbers(unsigned char command, std::initializer_list<std::int32_t> values) {
        std::string payload;
        for (std::int32_t value : values) append_le32(payload, static_cast<std::uint32_t>(value));
        return record(command, payload);
    }
    // The close commands carry the id and a 64-bit time, 16 bytes in all.
    SnssWriter& closed(unsigned char command, std::int32_t id) {
        return numbers(command, {id, 0, 0x5EED, 0});
    }
    SnssWriter& tab(std::int32_t window, std::int32_t tab, std::int32_t strip_index) {
        return numbers(set_tab_window, {window, tab}).numbers(set_tab_index, {tab, strip_index});
    }
    SnssWriter& visit(std::int32_t tab, std::int32_t index, const std::string& url,
                      const std::u16string& title, std::size_t page_state = 0) {
        std::string pickle;
        append_le32(pickle, static_cast<std::uint32_t>(tab));
        append_le32(pickle, static_cast<std::uint32_t>(index));
        append_padded(pickle, url.size(), url);
        std::string title_bytes;
        for (char16_t unit : title) title_bytes += {char(unit & 0xFF), char(unit >> 8)};
        append_padded(pickle, title.size(), title_bytes);
        append_padded(pickle, page_state, std::string(page_state, 'p'));
        append_le32(pickle, 0);  // transition
        std::string payload;
        append_le32(payload, static_cast<std::uint32_t>(pickle.size()));
        return record(navigation, payload + pickle);
    }
    const std::string& bytes() const { return bytes_; }

private:
    static void append_padded(std::string& pickle, std::size_t length, const std::string& bytes) {
        append_le32(pickle, static_cast<std::uint32_t>(length));
        pickle += bytes;
        pickle.append((4 - bytes.size() % 4) % 4, '\0');
    }
    std::string bytes_;
};

// A History database as Chromium makes it: the urls table with its index on
// url, one row per address and title; WAL mode on request (the file then
// says so in its header, and what was written is checkpointed into it).
inline void write_history(const std::string& path,
                          const std::vector<std::pair<std::string, std::string>>& rows,
                          bool wal = false) {
    sqlite3* db = nullptr;
    const auto run = [&db](const std::string& sql) {
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            throw std::runtime_error(sqlite3_errmsg(db));
        }
    };
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("History " + path);
    run(wal ? "PRAGMA journal_mode = WAL" : "PRAGMA journal_mode = DELETE");
    run("CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, "
        "title LONGVARCHAR, visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER "
        "DEFAULT 0 NOT NULL, last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT "
        "NULL); CREATE INDEX urls_url_index ON urls (url); BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO urls(url, title, last_visit_time) VALUES (?, ?, 1)", -1,
                       &insert, nullptr);
    for (const auto& [url, title] : rows) {
        sqlite3_bind_text(insert, 1, url.data(), static_cast<int>(url.size()), SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, title.data(), static_cast<int>(title.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    run("COMMIT");
    sqlite3_close(db);
}

}  // namespace velmora::testing
