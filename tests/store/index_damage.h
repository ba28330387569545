// A container whose name index is out of step with its items, as a flipped
// bit in an index page leaves it: the item is there, but its entry in the
// unique name index spells another name, so a lookup by its name misses it.
// SQLite's page walk (quick_check) finds nothing wrong; only the full
// integrity_check does.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace velmora::testing {

// A connection of its own; it leaves no log behind when it closes.
inline std::string pragma_answer(const std::string& path, const char* pragma) {
    sqlite3* db = nullptr;
    std::string answer;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, pragma, -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            answer = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return answer;
}

// Changes the last byte of `gb_name` (the stored GB18030 name) where the
// leaf pages of an index hold it, and nowhere else: the item itself keeps
// its name. The container must be closed, with no log beside it, and no
// other name may start with `gb_name`.
inline void misname_in_index(const std::string& path, const std::string& gb_name) {
    ASSERT_FALSE(std::filesystem::exists(path + "-wal")) << "close the container first";
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GE(bytes.size(), 512U);
    std::size_t page_size =
        (static_cast<unsigned char>(bytes[16]) << 8) | static_cast<unsigned char>(bytes[17]);
    if (page_size == 1) page_size = 65536;
    constexpr char leaf_index_page = 0x0A;
    int changed = 0;
    for (std::size_t page = 0; page + page_size <= bytes.size(); page += page_size) {
        const std::size_t header = page == 0 ? 100 : page;
        if (bytes[header] != leaf_index_page) continue;
        const std::size_t found = bytes.find(gb_name, page);
        if (found == std::string::npos || found + gb_name.size() > page + page_size) continue;
        char& last = bytes[found + gb_name.size() - 1];
        last = static_cast<char>(last == '~' ? '}' : '~');
        ++changed;
    }
    ASSERT_EQ(changed, 1) << "the name is in one index leaf";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ASSERT_EQ(pragma_answer(path, "PRAGMA quick_check(1)"), "ok") << "the pages stay sound";
    ASSERT_NE(pragma_answer(path, "PRAGMA integrity_check(1)"), "ok") << "the index is out of step";
}

inline std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace velmora::testing
