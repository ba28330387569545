// Whole-file reads and atomic whole-file writes: the new content goes to a
// temporary file in the same folder, is flushed to disk and then renamed over
// the target, so the target is always either the old or the new file.
//
// Reads take regular files only (a link to one is fine) and never more bytes
// than the caller allows: a pipe, a device or a file that keeps growing can
// neither stall the program nor fill its memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::sys {

inline constexpr std::size_t default_read_limit = std::size_t{1} << 30;

enum class ReadFailure { none, missing, not_regular, too_large, io_error };

// Answers nothing when the file is missing, is no regular file, holds more
// than `max_bytes` bytes or cannot be read; `failure`, when given, tells
// which (and `none` on success).
std::optional<std::string> read_file(const std::string& path,
                                     std::size_t max_bytes = default_read_limit,
                                     ReadFailure* failure = nullptr);
// `durable` also flushes the data to the disk before the rename. A new file
// is readable by its owner only; a replaced file keeps its permissions. On
// failure errno (GetLastError on Windows) tells why.
bool write_file_atomic(const std::string& path, std::string_view content, bool durable = true);
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
bool remove_file(const std::string& path);
// Creates one folder level, open to its owner only whatever the umask.
bool make_folder(const std::string& path);
// Moves a file to `to` in one step, and refuses when anything at all is
// already there, even a link that points nowhere.
bool rename_no_replace(const std::string& from, const std::string& to);

}  // namespace velmora::sys
