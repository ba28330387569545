// Moving one whole record between the container and a working folder:
// records are never edited inside the container, they are exported, read
// and the staged file deleted, or written to a staged file and imported
// over the old record.
#pragma once

#include <string>
#include <string_view>

#include "store/fx_error.h"

namespace velmora::store {

// A record as read: `bytes` is the record (empty when the container has
// none) only when `error` is none. A record that could not be read is never
// an empty one.
struct RecordRead {
    FxError error = FxError::none;
    std::string bytes;
    bool failed() const { return error != FxError::none; }
};

RecordRead read_record(const std::string& node_path, const std::string& work_folder);
// Stores `bytes` as `file_name` in `folder`, replacing a record of that
// name; answers none when it is stored. The staged copy stays in the working
// folder, which is emptied at start and exit.
FxError write_record(const std::string& folder, const std::string& file_name,
                     std::string_view bytes, const std::string& work_folder);
// Stores `bytes` as `file_name` below the folder item `folder_index`. With
// `replace` an item of that name takes the new content; without, the new
// item gets the container's next free name. The staged copy stays in
// `work_folder`.
FxError store_file(int folder_index, const std::string& file_name, std::string_view bytes,
                   const std::string& work_folder, bool replace);
// Removes the record when there is one; answers none when none is left.
FxError drop_record(const std::string& node_path);

}  // namespace velmora::store
