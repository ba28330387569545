// The web pages open in the running browsers, read from the session files
// the browsers keep for crash recovery, so the bookmark page can offer them
// without asking the browser. Plain C++: no browser runs and nothing is
// written. Session files and History databases are foreign input: every
// reader takes one pass over bounded bytes and answers nothing for a file it
// cannot make sense of.
#pragma once

#include <chrono>
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

// What one page may bring in: a longer title is cut (at a character), a
// longer address is no page a person bookmarks and is left out, and pages
// past the count are not offered. The bounds hold while a file is read, so
// a file built to unpack into huge texts or countless tabs costs no more
// memory than pages within them.
inline constexpr std::size_t page_title_limit = 1024;
inline constexpr std::size_t page_address_limit = 8192;
inline constexpr std::size_t open_page_limit = 5000;

// The bytes of one Firefox session file (recovery.jsonlz4, sessionstore.jsonlz4:
// "mozLz40\0", the unpacked size, one LZ4 block of JSON). Nothing when the
// file is damaged in any way.
std::optional<std::vector<OpenPage>> read_firefox_session(std::string_view file_bytes);
// The bytes of one Chromium session file (Sessions/Session_*, "SNSS"). Like
// the browser, a file cut short gives the pages its complete records name;
// nothing when the header is not that of a session file.
std::optional<std::vector<OpenPage>> read_chromium_session(std::string_view file_bytes);

// Chromium's History database is copied whole into memory to be read (the
// browser keeps the file locked); a larger one is not read at all.
inline constexpr std::size_t history_file_limit = std::size_t{48} << 20;
// What reading one History database may take; past it, the pages keep the
// titles they have.
inline constexpr std::chrono::milliseconds history_time_limit{500};

// Gives every page without a title the title a Chromium History database
// (the bytes of the file, "SQLite format 3") keeps for its address in the
// urls table. Pages with a title keep theirs; a database that cannot be
// read, or not in time, leaves the rest untitled.
void add_history_titles(std::string history_bytes, std::vector<OpenPage>& pages);

struct SessionFile {
    enum class Kind { firefox, chromium };
    Kind kind;
    std::string path;
    std::string profile;  // the profile folder the file belongs to
};

// The current session file of every browser profile below the home folder:
// Firefox and its forks (from their profiles.ini), the Chromium family (the
// newest Sessions/Session_* of every profile folder, or the Current Session
// of browsers before 2021; Sessions/Tabs_* hold closed tabs, and the
// encrypted copy in Sessions_Encrypted is not read). One file per profile.
// Browsers in a fixed order, profiles in the order the browser lists them.
std::vector<SessionFile> session_files(const std::string& home);

// Reads one session file from disk: only a regular file (never a FIFO or a
// device, which could block or never end) up to `session_file_limit`.
std::optional<std::vector<OpenPage>> read_session_file(const SessionFile& file);

// Whether a browser has the file's profile open now. A session file outlives
// its browser, so only the lock the browser holds while the profile is in
// use tells: Firefox's record lock on the profile's .parentlock, and the
// lock Chromium's SQLite keeps on the profile's History database. Record
// locks end with the process that holds them, however it ends, and are seen
// across the process namespaces of sandboxed browsers; they are only looked
// at, never taken.
bool profile_in_use(const SessionFile& file);

// Every open page of every profile a running browser has open below the home
// folder, in browser, window and tab order; Chromium pages without a title
// take theirs from the profile's History. A file that cannot be read is
// skipped; the others still count. At most open_page_limit pages.
std::vector<OpenPage> open_browser_pages(const std::string& home);

}  // namespace velmora::bookmarks
