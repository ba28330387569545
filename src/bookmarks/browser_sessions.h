// The web pages open in the installed browsers, read from the session files
// the browsers keep for crash recovery, so the bookmark page can offer them
// without asking the browser. Plain C++: no browser runs and nothing is
// written. Session files are foreign input: every reader takes one pass over
// bounded bytes and answers nothing for a file it cannot make sense of.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::bookmarks {

// One open tab: the page it shows now. Both texts are UTF-8 as the browser
// stored them (a title may be empty or hold any character).
struct OpenPage {
    std::string title;
    std::string address;
    bool operator==(const OpenPage&) const = default;
};

// A session file is read whole into memory; larger files are not sessions a
// person keeps open and are skipped without being read.
inline constexpr std::size_t session_file_limit = std::size_t{32} << 20;
// Firefox's files are compressed; this bounds what one may unpack to.
inline constexpr std::size_t session_text_limit = std::size_t{64} << 20;

// The bytes of one Firefox session file (recovery.jsonlz4, sessionstore.jsonlz4:
// "mozLz40\0", the unpacked size, one LZ4 block of JSON). Nothing when the
// file is damaged in any way.
std::optional<std::vector<OpenPage>> read_firefox_session(std::string_view file_bytes);
// The bytes of one Chromium session file (Sessions/Session_*, "SNSS"). Like
// the browser, a file cut short gives the pages its complete records name;
// nothing when the header is not that of a session file.
std::optional<std::vector<OpenPage>> read_chromium_session(std::string_view file_bytes);

struct SessionFile {
    enum class Kind { firefox, chromium };
    Kind kind;
    std::string path;
};

// The current session file of every browser profile below the home folder:
// Firefox and its forks (from their profiles.ini), the Chromium family (every
// profile folder with a Sessions folder). One file per profile, the newest.
// Browsers in a fixed order, profiles in the order the browser lists them.
std::vector<SessionFile> session_files(const std::string& home);

// Reads one session file from disk: only a regular file (never a FIFO or a
// device, which could block or never end) up to `session_file_limit`.
std::optional<std::vector<OpenPage>> read_session_file(const SessionFile& file);

// Every open page of every session file below the home folder, in browser,
// window and tab order. A file that cannot be read is skipped; the others
// still count.
std::vector<OpenPage> open_browser_pages(const std::string& home);

}  // namespace velmora::bookmarks
