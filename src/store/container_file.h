// The container as a file: how one is made, recognised, unlocked and copied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/fx_error.h"

namespace velmora::store {

class Database;

inline constexpr std::uint16_t container_format_version = 1;

// Makes a new, empty container (the root item only) at `path`, readable by
// its owner only. The file appears under its name only once it is complete,
// and never replaces anything (not even a dangling link) at that name.
FxError create_container_file(const std::string& path, const std::string& password);
// Checks the file's header without letting SQLite near it: a foreign,
// truncated or random file is recognised before anything could change it.
// The file's size is judged only when no write-ahead log is beside it: a
// checkpoint cut short leaves a file shorter than its header says, and the
// log holds the rest.
FxError check_container_header(const std::string& path);
bool is_container_file(const std::string& path);
// Whether the data file and its folder can be written; `none` when they can.
FxError check_writable(const std::string& path);
// Answers none, foreign (another password) or damaged (no usable verifier,
// or an iteration count this program never writes).
FxError check_password(Database& db, const std::string& password);
bool password_matches(Database& db, const std::string& password);
// What SQLite's checks find in a container.
enum class Soundness {
    whole,              // every page sound, every index entry in step with its item
    index_out_of_step,  // the pages sound, but an index lacks, adds or misnames items:
                        // a lookup by name can miss an item that is there (REINDEX mends it)
    damaged,            // broken pages
};
// The open's check: SQLite's full integrity_check, which walks every page
// and looks every item up in every index (the page walk alone, quick_check,
// cannot see an index out of step with its items). Only when it finds
// something does the page walk run as well, to tell the two kinds apart.
Soundness check_pages(Database& db);
// SQLite's full check: its lines (at most `limit`), none when whole.
std::vector<std::string> integrity_problems(Database& db, int limit);
void configure_connection(Database& db);
// Writes a compacted copy with renumbered items: VACUUM INTO a temporary
// name, renumber, flush, rename. No file is left at `target` on failure.
bool write_compacted_copy(Database& db, const std::string& target);

}  // namespace velmora::store
