// The container as a file: how one is made, recognised, unlocked and copied.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::store {

class Database;

inline constexpr std::uint16_t container_format_version = 1;

// Makes a new, empty container (the root item only) at `path`. The file
// appears under its name only once it is complete.
bool create_container_file(const std::string& path, const std::string& password);
// Checks the file's header without letting SQLite near it: a foreign,
// truncated or random file is recognised before anything could change it.
bool is_container_file(const std::string& path);
// Reads the password verifier through a read-only, immutable connection.
bool password_matches(const std::string& path, const std::string& password);
bool password_matches(Database& db, const std::string& password);
void configure_connection(Database& db);
// Writes a compacted copy with renumbered items: VACUUM INTO a temporary
// name, renumber, flush, rename. No file is left at `target` on failure.
bool write_compacted_copy(Database& db, const std::string& target);

}  // namespace velmora::store
