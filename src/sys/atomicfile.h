// Whole-file reads and atomic whole-file writes: the new content goes to a
// temporary file in the same folder, is flushed to disk and then renamed over
// the target, so the target is always either the old or the new file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::sys {

std::optional<std::string> read_file(const std::string& path);
// `durable` also flushes the data to the disk before the rename.
bool write_file_atomic(const std::string& path, std::string_view content, bool durable = true);
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
bool remove_file(const std::string& path);
bool make_folder(const std::string& path);

}  // namespace velmora::sys
