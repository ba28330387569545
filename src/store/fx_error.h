// Why the last container operation failed. Every operation sets it: `none`
// after a success, so "not found" and "could not be read" never look alike.
#pragma once

#include <string>
#include <string_view>

namespace velmora::store {

enum class FxError {
    none,
    not_open,             // no container is open
    refused,              // the operation itself was refused (a bad name, a missing item)
    disk_full,            // no space left (or the user's quota is used up)
    not_writable,         // the data file, or a file in a working folder, may not be written
    folder_not_writable,  // the folder that holds the data file may not be written
    read_only_fs,         // the file system is mounted read-only
    io_error,             // the system reported a read or write error
    damaged,              // a container whose pages or records are broken
    foreign,              // not a container of this program, or made with another password
    unreachable,          // the data file is a link to something that is not there
    in_use,               // another process holds the container
    record_unreadable,    // the stored record could not be read, so it is not written over
    needs_repair,         // an index is out of step with the items: no change until it is mended
    name_too_long,        // a full path would be longer than the container's 256 bytes
};

// What SQLite's extended result code and the system's error number behind
// it mean for the user.
FxError classify_failure(int sqlite_code, int system_errno);
// The same for a failed file operation that set errno.
FxError classify_errno(int system_errno);
// The same for creating a file in a folder: refused rights are the folder's.
FxError classify_folder_errno(int system_errno);

// The reason in the words of a message to the user, without punctuation at
// the end: "磁盘空间已满".
const char* describe(FxError error);

// What was not done, and why: "书签“x”没有保存：磁盘空间已满。"
std::string not_saved_message(std::string_view what, FxError error);

}  // namespace velmora::store
