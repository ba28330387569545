// Whole-file reads and atomic replacement on Windows. The new content is
// written beside the target, flushed, and moved over the target in one step
// (MoveFileEx replaces an existing file atomically on the same volume).
#include <windows.h>

#include <algorithm>
#include <atomic>

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

bool read_all(HANDLE file, std::string& content) {
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return true;
        content.append(buffer, got);
    }
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

std::optional<std::string> read_file(const std::string& path) {
    FileHandle file(CreateFileW(to_wide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string content;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
        content.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    if (!read_all(file.get(), content)) return std::nullopt;
    return content;
}

bool write_file_atomic(const std::string& path, std::string_view content, bool durable) {
    const std::wstring temporary = temporary_sibling(path);
    FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    bool ok = write_all(file.get(), content) && (!durable || FlushFileBuffers(file.get()));
    ok = file.close() && ok;
    if (ok && MoveFileExW(temporary.c_str(), to_wide(path).c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
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

}  // namespace velmora::sys
