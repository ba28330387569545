// INI profile files with the semantics of the Windows profile functions:
// bracketed sections, case-insensitive section and key lookup, CRLF line
// ends, GB18030 text. A write rewrites only the lines it changes and leaves
// every other byte of the file as it was; the file is always replaced as a
// whole (temporary file, flush, rename), so a reader never sees half a file
// and a failed write leaves the old file intact.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora::ini {

// Settings files are small; anything larger is not one of ours and is not
// worth holding in memory.
inline constexpr std::size_t settings_read_limit = std::size_t{16} << 20;

class IniDocument {
public:
    // Loads the file's bytes; a missing or unreadable file gives an empty
    // document, and so does something that is no regular file or is larger
    // than `settings_read_limit` (with a diagnostic line naming it). Any bytes
    // are accepted.
    static IniDocument load(const std::string& path);
    static IniDocument from_bytes(std::string bytes);

    // Lookups go through an index of the sections and keys, built on the
    // first lookup and dropped by every write, so reading all keys of a file
    // costs one pass over it. Like any cache filled from a const function, it
    // makes concurrent lookups on one document a data race: share a document
    // between threads only behind a lock.
    bool has_section(std::string_view section) const;
    // Answers false, leaving `value` alone, when the key is missing.
    bool lookup(std::string_view section, std::string_view key, std::string& value) const;
    std::string read(std::string_view section, std::string_view key,
                     std::string_view fallback) const;

    // Changes one key in memory: the key's line in place, else a new line at
    // the end of its section, else a new section at the end of the file.
    void write(std::string_view section, std::string_view key, std::string_view value);

    // Replaces the file atomically. Answers false when the system refused.
    bool save(const std::string& path) const;
    const std::string& bytes() const { return bytes_; }

private:
    struct Index;
    const Index& index() const;
    std::shared_ptr<const Index> take_index();
    void ensure_final_line_end();

    std::string bytes_;  // the file exactly as stored (GB18030)
    // Immutable once built, so copies of the document may share it.
    mutable std::shared_ptr<const Index> index_;
};

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// The profile functions, one call each.
std::string read_profile_string(const std::string& path, std::string_view section,
                                std::string_view key, std::string_view fallback);
bool write_profile_string(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view value);
// Many keys of one section in one all-or-nothing replacement of the file;
// a file that holds these values already is not written again.
bool write_profile_strings(const std::string& path, std::string_view section,
                           const KeyValues& values);

// The integer rule of the settings files: optional minus sign and decimal
// digits, or "0x" and hexadecimal digits; anything else gives `fallback`.
long long parse_profile_int(std::string_view text, long long fallback);

}  // namespace velmora::ini
