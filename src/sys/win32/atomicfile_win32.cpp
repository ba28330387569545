// Whole-file reads and atomic replacement on Windows. The new content is
// written beside the target, flushed, and moved over the target in one step
// (MoveFileEx replaces an existing file atomically on the same volume).
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "sys/atomicfile.h"
#include "sys/win32/wide.h"

namespace velmora::sys {

namespace {

using win32::to_wide;

// The largest piece a single ReadFile or WriteFile call is given.
constexpr DWORD max_chunk = 1u << 30;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        if (!valid()) return true;
        const bool closed = CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool write_all(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), max_chunk));
        DWORD written = 0;
        if (!WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0)
            return false;
        content.remove_prefix(written);
    }
    return true;
}

// Stops one byte past the limit: that byte is enough to know the file is
// too large, and a file that grows while it is read never ends otherwise.
ReadFailure read_up_to(HANDLE file, std::size_t max_bytes, std::string& content) {
    const std::size_t cap = max_bytes == SIZE_MAX ? max_bytes : max_bytes + 1;
    char buffer[65536];
    while (content.size() < cap) {
        const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, cap - content.size()));
        DWORD got = 0;
        if (!ReadFile(file, buffer, wanted, &got, nullptr)) return ReadFailure::io_error;
        if (got == 0) return ReadFailure::none;
        content.append(buffer, got);
    }
    return ReadFailure::too_large;
}

ReadFailure failure_of_open(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return ReadFailure::missing;
        default: return ReadFailure::io_error;
    }
}

// Disk files only: a pipe, a console or a device never reaches ReadFile.
ReadFailure read_regular(HANDLE file, std::size_t max_bytes, std::string& content) {
    if (GetFileType(file) != FILE_TYPE_DISK) return ReadFailure::not_regular;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return ReadFailure::io_error;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ReadFailure::not_regular;
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > max_bytes) return ReadFailure::too_large;
    content.reserve(static_cast<std::size_t>(size));
    return read_up_to(file, max_bytes, content);
}

// Removes what a failed write left behind; GetLastError still tells the
// caller why the write failed, not how the clean-up went.
bool discard(FileHandle& file, const std::wstring& temporary) {
    const DWORD error = GetLastError();
    file.close();
    DeleteFileW(temporary.c_str());
    SetLastError(error);
    return false;
}

// A name beside the target that no other writer, in this process or another,
// picks at the same time.
std::wstring temporary_sibling(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return to_wide(path) + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++counter);
}

DWORD attributes_of(const std::string& path) {
    return GetFileAttributesW(to_wide(path).c_str());
}

// The names Windows keeps for its devices, in any folder and with any
// extension (C:\x\nul.txt is the null device). They are refused by name:
// what the handle's type says of them differs between Windows versions and
// Wine's state.
bool is_device_name(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/:");
    std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    base = base.substr(0, base.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
        base == "CONOUT$") {
        return true;
    }
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
           base[3] >= '0' && base[3] <= '9';
}

// A symbolic link or a junction; other reparse points (a cloud file's
// placeholder, a deduplicated file) are files as any other.
bool is_link(HANDLE entry, const BY_HANDLE_FILE_INFORMATION& info) {
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &tag, sizeof tag)) return true;
    return tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT;
}

// What stands at a path, looked at without following a link. A path that
// cannot be opened for a look at all (a missing file or folder, a bad name)
// counts as a new name: the write then fails with the reason, and the move
// onto a new name replaces nothing in any case. A device name is a device
// whatever the handle would say. GetLastError is left as it was.
WriteTarget look_at(const std::string& path) {
    if (is_device_name(path)) return WriteTarget::device;
    const DWORD error = GetLastError();
    const std::wstring wide = to_wide(path);
    WriteTarget kind = WriteTarget::new_name;
    FileHandle entry(
        CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!entry.valid()) {
        // Locked away from even a look: judged by its attributes alone.
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0  ? WriteTarget::folder
                   : (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? WriteTarget::read_only
                                                                 : WriteTarget::regular;
        }
    } else if (GetFileType(entry.get()) != FILE_TYPE_DISK) {
        kind = WriteTarget::device;  // NUL, CON, a pipe
    } else if (!GetFileInformationByHandle(entry.get(), &info)) {
        kind = WriteTarget::not_regular;
    } else if (is_link(entry.get(), info)) {
        const DWORD followed = GetFileAttributesW(wide.c_str());
        FileHandle target(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        kind = followed != INVALID_FILE_ATTRIBUTES && target.valid() ? WriteTarget::symbolic_link
                                                                     : WriteTarget::dangling_link;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        kind = WriteTarget::folder;
    } else if (info.nNumberOfLinks > 1) {
        kind = WriteTarget::hard_linked;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        kind = WriteTarget::read_only;
    } else {
        kind = WriteTarget::regular;
    }
    SetLastError(error);
    return kind;
}

// The new content beside the target, complete and flushed; on failure
// GetLastError tells why, and nothing is left behind.
bool write_temporary(const std::wstring& temporary, std::string_view content, bool durable) {
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    if (!write_all(file.get(), content) || (durable && !FlushFileBuffers(file.get()))) {
        return discard(file, temporary);
    }
    if (!file.close()) return discard(file, temporary);
    return true;
}

// A read-only file refuses to be replaced: its flag is taken off for the
// move and set on the new file, which so keeps the old one's permission;
// a failed move gives the old file its flag back.
bool move_over_read_only(const std::wstring& temporary, const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        SetFileAttributesW(target.c_str(), attributes);
        SetLastError(error);
        return false;
    }
    SetFileAttributesW(target.c_str(),
                       GetFileAttributesW(target.c_str()) | FILE_ATTRIBUTE_READONLY);
    return true;
}

}  // namespace

WriteTarget inspect_write_target(const std::string& path) {
    return look_at(path);
}

TargetWrite write_to_target(const std::string& path, std::string_view content,
                            bool replace_read_only) {
    const WriteTarget before = look_at(path);
    if (!may_write(before, replace_read_only)) return {before, false, true};
    const std::wstring temporary = temporary_sibling(path);
    if (!write_temporary(temporary, content, true)) return {before, false, false};
    // The second look, now that the content is complete: whatever took the
    // path meanwhile is judged again, and a name still free is only taken
    // while nothing is there.
    const WriteTarget now = look_at(path);
    const std::wstring target = to_wide(path);
    bool moved = false;
    if (may_write(now, replace_read_only)) {
        switch (now) {
            case WriteTarget::new_name:
                moved = MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
                break;
            case WriteTarget::read_only: moved = move_over_read_only(temporary, target); break;
            default:
                moved = MoveFileExW(temporary.c_str(), target.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
                break;
        }
    }
    if (moved) return {now, true, false};
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    SetLastError(error);
    if (!may_write(now, replace_read_only)) return {now, false, true};
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return {now, false, false};
    const WriteTarget taken = look_at(path);
    return {taken, false, !may_write(taken, replace_read_only)};
}

std::optional<std::string> read_file(const std::string& path, std::size_t max_bytes,
                                     ReadFailure* failure) {
    ReadFailure unused = ReadFailure::none;
    ReadFailure& why = failure ? *failure : unused;
    if (is_device_name(path)) {
        why = ReadFailure::not_regular;
        return std::nullopt;
    }
    // Backup semantics let a folder open too, so it is told apart from a
    // file that is missing or locked.
    FileHandle file(CreateFileW(to_wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        why = failure_of_open(GetLastError());
        return std::nullopt;
    }
    std::string content;
    why = read_regular(file.get(), max_bytes, content);
    if (why != ReadFailure::none) return std::nullopt;
    return content;
}

bool write_file_atomic(const std::string& path, std::string_view content, bool durable) {
    const std::wstring temporary = temporary_sibling(path);
    if (!write_temporary(temporary, content, durable)) return false;
    if (!MoveFileExW(temporary.c_str(), to_wide(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        SetLastError(error);
        return false;
    }
    return true;
}

bool file_exists(const std::string& path) {
    const DWORD attributes = attributes_of(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
    const DWORD attributes = attributes_of(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool remove_file(const std::string& path) {
    return DeleteFileW(to_wide(path).c_str()) != 0;
}

bool make_folder(const std::string& path) {
    return CreateDirectoryW(to_wide(path).c_str(), nullptr) != 0;
}

// Without MOVEFILE_REPLACE_EXISTING the move fails on any entry at `to`.
bool rename_no_replace(const std::string& from, const std::string& to) {
    return MoveFileExW(to_wide(from).c_str(), to_wide(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace velmora::sys
