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

// Writes that the user aims at a file of their choosing (the exports) look
// first at what stands at the path. They write only onto a new name or onto
// a regular file of one name, which they replace as write_file_atomic does
// (a new file, though, is made as the user's umask says, like any other
// program's: the user writes it to pass it on); anything else is left
// exactly as it was:
//  - a FIFO, a device, a socket or a folder is not a file to hold an export;
//  - a symbolic link, even one to a regular file, is refused: the atomic
//    replacement would turn the link itself into a plain file and leave the
//    file it points to as it was, while writing through it would not be
//    atomic; the user names the file itself instead. A dangling link too;
//  - a regular file with other (hard) links is refused: replacing it would
//    cut this name off from the others, which would keep the old content;
//  - a read-only file (no write permission for the caller, or none at all
//    for anyone, which also holds for root) is replaced only when the
//    caller passes `replace_read_only`, once the user has said so; the new
//    file keeps the old one's permissions.
// The look is taken again once the new content is complete, just before it
// takes the name, so a target changed meanwhile is refused as well; a new
// name is taken only while it is still free.
enum class WriteTarget {
    new_name,       // nothing there: a new file is made
    regular,        // a regular file of one name that may be written
    read_only,      // a regular file of one name without write permission
    symbolic_link,  // a symbolic link to something that exists
    dangling_link,  // a symbolic link to nothing
    hard_linked,    // a regular file with more than one name
    folder,
    fifo,
    device,
    socket,
    not_regular,  // any other kind of entry
};
WriteTarget inspect_write_target(const std::string& path);
// True for what an export may write: a new name, a regular file, and a
// read-only one when `replace_read_only`.
bool may_write(WriteTarget target, bool replace_read_only);
// Why nothing was written onto such a target, in Chinese, without a final
// stop ("这是一个命名管道（FIFO），不是普通文件"); empty for a new name or a
// regular file.
std::string write_target_refusal(WriteTarget target);

struct TargetWrite {
    WriteTarget target = WriteTarget::new_name;  // what was found, at the last look
    bool written = false;
    // When `written` is false: true when the target was refused (nothing
    // was tried), false when writing failed; errno (GetLastError on
    // Windows) then tells why.
    bool refused = false;
};
TargetWrite write_to_target(const std::string& path, std::string_view content,
                            bool replace_read_only = false);
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);
bool remove_file(const std::string& path);
// Creates one folder level, open to its owner only whatever the umask.
bool make_folder(const std::string& path);
// Moves a file to `to` in one step, and refuses when anything at all is
// already there, even a link that points nowhere.
bool rename_no_replace(const std::string& from, const std::string& to);

}  // namespace velmora::sys
