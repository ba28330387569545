// Where the browsers keep their sessions, and reading those files safely.
#include "bookmarks/sessions/browser_sessions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>

namespace velmora::bookmarks {

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32
// Windows has no FIFOs that open() could block on, nor these flags.
constexpr int open_flags = O_RDONLY | O_BINARY;
#else
// O_NONBLOCK: opening a FIFO planted where a session file belongs must not
// wait for a writer; the fstat below then refuses it.
constexpr int open_flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
#endif

// The folders holding a profiles.ini, below the home folder.
constexpr std::array firefox_roots = {
#ifdef _WIN32
    "AppData/Roaming/Mozilla/Firefox", "AppData/Roaming/LibreWolf", "AppData/Roaming/Waterfox",
    "AppData/Roaming/Floorp",          "AppData/Roaming/zen",
#else
    ".mozilla/firefox",
    // Newer releases keep their profiles in the XDG configuration folder.
    ".config/mozilla/firefox",
    "snap/firefox/common/.mozilla/firefox",
    ".var/app/org.mozilla.firefox/.mozilla/firefox",
    ".librewolf",
    ".var/app/io.gitlab.librewolf-community/.librewolf",
    ".waterfox",
    ".floorp",
    ".zen",
#endif
};

// The user-data folders of the Chromium family, below the home folder.
constexpr std::array chromium_roots = {
#ifdef _WIN32
    "AppData/Local/Chromium/User Data",
    "AppData/Local/Google/Chrome/User Data",
    "AppData/Local/Google/Chrome Beta/User Data",
    "AppData/Local/Microsoft/Edge/User Data",
    "AppData/Local/BraveSoftware/Brave-Browser/User Data",
    "AppData/Local/Vivaldi/User Data",
#else
    ".config/chromium",
    "snap/chromium/common/chromium",
    ".var/app/org.chromium.Chromium/config/chromium",
    ".config/google-chrome",
    ".config/google-chrome-beta",
    ".var/app/com.google.Chrome/config/google-chrome",
    ".config/microsoft-edge",
    ".config/BraveSoftware/Brave-Browser",
    ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser",
    ".config/vivaldi",
    ".config/opera",
#endif
};

constexpr std::size_t profiles_ini_limit = std::size_t{1} << 20;

// Firefox holds a lock on this file of the profile for as long as the
// profile is open (a record lock on all of it; on Windows it keeps the file
// open without sharing).
#ifdef _WIN32
constexpr const char* firefox_profile_lock = "parent.lock";
#else
constexpr const char* firefox_profile_lock = ".parentlock";
#endif
// SQLite locks the bytes of the "lock-byte page" at 1 GiB of a database
// file, and Chromium's History connection keeps them locked while its
// profile is loaded: a shared lock at least (it reads in exclusive locking
// mode, and in WAL mode every connection holds one).
constexpr std::uint64_t sqlite_lock_bytes_start = std::uint64_t{1} << 30;
constexpr std::uint64_t sqlite_lock_bytes_size = 512;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The whole of a regular file of at most `limit` bytes. The size is checked
// before anything is read, so a huge file costs one fstat, and reading stops
// at the limit should the file grow meanwhile.
std::optional<std::string> read_regular_file(const std::string& path, std::size_t limit) {
    const FileDescriptor file(::open(path.c_str(), open_flags));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size < 0 || static_cast<std::uint64_t>(status.st_size) > limit) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const auto got = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    if (filled > limit) return std::nullopt;
    bytes.resize(filled);
    return bytes;
}

// Whether another process holds a lock on some of the bytes [start, start +
// length) of a regular file (length 0: to its end). The lock is asked
// about, not taken, so the browser holding it is never disturbed.
#ifdef _WIN32
bool locked_by_another_process(const fs::path& path, std::uint64_t start, std::uint64_t length) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return false;
    }
    if (length == 0) length = ~std::uint64_t{0} - start;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(start);
    at.OffsetHigh = static_cast<DWORD>(start >> 32);
    const auto low = static_cast<DWORD>(length);
    const auto high = static_cast<DWORD>(length >> 32);
    // Windows can only tell by trying: a lock taken is given back at once.
    const bool free =
        ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, low, high, &at);
    if (free) ::UnlockFileEx(file, 0, low, high, &at);
    const bool locked = !free && ::GetLastError() == ERROR_LOCK_VIOLATION;
    ::CloseHandle(file);
    return locked;
}
#else
bool locked_by_another_process(const fs::path& path, std::uint64_t start, std::uint64_t length) {
    const FileDescriptor file(::open(path.c_str(), open_flags));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    struct flock probe {};
    probe.l_type = F_WRLCK;  // conflicts with every lock, shared or exclusive
    probe.l_whence = SEEK_SET;
    probe.l_start = static_cast<off_t>(start);
    probe.l_len = static_cast<off_t>(length);
    return ::fcntl(file.get(), F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}
#endif

bool path_exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(path, error);
}

bool is_folder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

struct IniProfile {
    std::string path;
    bool relative = true;
};

// The profile folders a profiles.ini names, in its order: every section's
// Path=, relative to the ini's folder unless IsRelative=0. The [Install...]
// sections name the same folders under Default= and are passed over.
std::vector<fs::path> firefox_profiles(const fs::path& root) {
    const std::optional<std::string> ini =
        read_regular_file((root / "profiles.ini").string(), profiles_ini_limit);
    if (!ini) return {};
    std::vector<IniProfile> sections;
    std::string_view rest = *ini;
    while (!rest.empty()) {
        const std::size_t line_end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = trimmed(rest.substr(0, line_end));
        rest.remove_prefix(std::min(line_end + 1, rest.size()));
        if (line.starts_with('[')) sections.emplace_back();
        if (sections.empty()) continue;
        if (line.starts_with("Path=")) sections.back().path = trimmed(line.substr(5));
        if (line.starts_with("IsRelative=")) sections.back().relative = line.substr(11) != "0";
    }
    std::vector<fs::path> profiles;
    for (const IniProfile& section : sections) {
        if (section.path.empty()) continue;
        const fs::path folder = section.relative ? root / section.path : fs::path(section.path);
        if (std::find(profiles.begin(), profiles.end(), folder) == profiles.end()) {
            profiles.push_back(folder);
        }
    }
    return profiles;
}

std::optional<fs::file_time_type> modified(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    return time;
}

// Firefox rewrites recovery.jsonlz4 while it runs and leaves
// sessionstore.jsonlz4 when it closes; whichever was written last is the
// session as the person left it.
std::optional<fs::path> firefox_session_file(const fs::path& profile) {
    const fs::path recovery = profile / "sessionstore-backups" / "recovery.jsonlz4";
    const fs::path closed = profile / "sessionstore.jsonlz4";
    const std::optional<fs::file_time_type> recovery_time = modified(recovery);
    const std::optional<fs::file_time_type> closed_time = modified(closed);
    if (closed_time && (!recovery_time || *closed_time > *recovery_time)) return closed;
    if (recovery_time) return recovery;
    return std::nullopt;
}

bool is_session_number(std::string_view digits) {
    return !digits.empty() &&
           std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Digits compared as numbers of any length: the longer number is larger.
bool number_less(std::string_view a, std::string_view b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The browser names each session file after the time it began
// (Session_<microseconds>); the largest number is the current one. Browsers
// of before 2021 kept "Current Session" in the profile folder instead.
std::optional<fs::path> chromium_session_file(const fs::path& profile) {
    std::error_code error;
    std::string newest;
    for (fs::directory_iterator it(profile / "Sessions", error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with("Session_")) continue;
        const std::string_view number = std::string_view(name).substr(8);
        if (is_session_number(number) &&
            (newest.empty() || number_less(std::string_view(newest).substr(8), number))) {
            newest = name;
        }
    }
    if (!newest.empty()) return profile / "Sessions" / newest;
    if (path_exists(profile / "Current Session")) return profile / "Current Session";
    return std::nullopt;
}

// Compares names with their runs of digits as numbers, so "Profile 2"
// comes before "Profile 10" as the browser numbers them.
bool natural_less(std::string_view a, std::string_view b) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (!a.empty() && !b.empty()) {
        if (digit(a.front()) && digit(b.front())) {
            const auto run = [&](std::string_view& s) {
                const std::size_t end = std::min(s.find_first_not_of("0123456789"), s.size());
                const std::string_view number = s.substr(0, end);
                s.remove_prefix(end);
                return number.substr(std::min(number.find_first_not_of('0'), number.size()));
            };
            const std::string_view left = run(a);
            const std::string_view right = run(b);
            if (left != right) return number_less(left, right);
        } else {
            if (a.front() != b.front()) return a.front() < b.front();
            a.remove_prefix(1);
            b.remove_prefix(1);
        }
    }
    return a.size() < b.size();
}

// The user-data folder itself (Opera keeps its one profile there), then
// every subfolder ("Default", "Profile 1", ...) in the browser's numbering.
std::vector<fs::path> chromium_profiles(const fs::path& root) {
    std::vector<fs::path> profiles{root};
    std::error_code error;
    for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (is_folder(it->path())) profiles.push_back(it->path());
    }
    std::sort(profiles.begin() + 1, profiles.end(), [](const fs::path& a, const fs::path& b) {
        return natural_less(a.filename().string(), b.filename().string());
    });
    return profiles;
}

// Chromium writes a tab's navigation before the page has a title, and
// newer releases leave it empty; History has the title the tab shows.
void add_profile_titles(const fs::path& profile, std::vector<OpenPage>& pages) {
    const auto untitled = [](const OpenPage& page) { return page.title.empty(); };
    if (std::none_of(pages.begin(), pages.end(), untitled)) return;
    std::optional<std::string> history =
        read_regular_file((profile / "History").string(), history_file_limit);
    if (history) add_history_titles(std::move(*history), pages);
}

}  // namespace

std::vector<SessionFile> session_files(const std::string& home) {
    std::vector<SessionFile> files;
    for (const char* root : firefox_roots) {
        for (const fs::path& profile : firefox_profiles(fs::path(home) / root)) {
            if (const auto file = firefox_session_file(profile)) {
                files.push_back({SessionFile::Kind::firefox, file->string(), profile.string()});
            }
        }
    }
    for (const char* root : chromium_roots) {
        const fs::path folder = fs::path(home) / root;
        if (!is_folder(folder)) continue;
        for (const fs::path& profile : chromium_profiles(folder)) {
            if (const auto file = chromium_session_file(profile)) {
                files.push_back({SessionFile::Kind::chromium, file->string(), profile.string()});
            }
        }
    }
    return files;
}

std::optional<std::vector<OpenPage>> read_session_file(const SessionFile& file) {
    const std::optional<std::string> bytes = read_regular_file(file.path, session_file_limit);
    if (!bytes) return std::nullopt;
    return file.kind == SessionFile::Kind::firefox ? read_firefox_session(*bytes)
                                                   : read_chromium_session(*bytes);
}

bool profile_in_use(const SessionFile& file) {
    const fs::path profile(file.profile);
    if (file.kind == SessionFile::Kind::firefox) {
        return locked_by_another_process(profile / firefox_profile_lock, 0, 0);
    }
    return locked_by_another_process(profile / "History", sqlite_lock_bytes_start,
                                     sqlite_lock_bytes_size);
}

std::vector<OpenPage> open_browser_pages(const std::string& home) {
    std::vector<OpenPage> pages;
    for (const SessionFile& file : session_files(home)) {
        if (pages.size() >= open_page_limit) break;
        if (!profile_in_use(file)) continue;
        std::optional<std::vector<OpenPage>> file_pages = read_session_file(file);
        if (!file_pages) continue;
        if (file.kind == SessionFile::Kind::chromium) add_profile_titles(file.profile, *file_pages);
        pages.insert(pages.end(), std::make_move_iterator(file_pages->begin()),
                     std::make_move_iterator(file_pages->end()));
    }
    if (pages.size() > open_page_limit) pages.resize(open_page_limit);
    return pages;
}

}  // namespace velmora::bookmarks
