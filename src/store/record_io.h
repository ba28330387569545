// Moving one whole record between the container and a working folder:
// records are never edited inside the container, they are exported, read
// and the staged file deleted, or written to a staged file and imported
// over the old record.
#pragma once

#include <string>
#include <string_view>

namespace velmora::store {

// The record's bytes; empty when the container has no such record.
std::string read_record(const std::string& node_path, const std::string& work_folder);
// Stores `bytes` as `file_name` in `folder`, replacing a record of that
// name. The staged copy stays in the working folder, which is emptied at
// start and exit.
void write_record(const std::string& folder, const std::string& file_name, std::string_view bytes,
                  const std::string& work_folder);
void drop_record(const std::string& node_path);

}  // namespace velmora::store
