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

}  // namespace

std::optional<std::string> read_file(const std::string& path, std::size_t max_bytes,
                                     ReadFailure* failure) {
    ReadFailure unused = ReadFailure::none;
    ReadFailure& why = failure ? *failure : unused;
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
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    if (!write_all(file.get(), content) || (durable && !FlushFileBuffers(file.get()))) {
        return discard(file, temporary);
    }
    if (!file.close() || !MoveFileExW(temporary.c_str(), to_wide(path).c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return discard(file, temporary);
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
