#include "sys/inifile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <utility>

#include "sys/atomicfile.h"
#include "sys/diagnostic.h"
#include "sys/textcodec.h"

namespace velmora::ini {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && (is_blank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// Lower-cases ASCII letters only where they are characters of their own: a
// letter byte inside a two- or four-byte GB18030 character stays as it is, so
// two different Chinese names never compare equal.
// Appends the folded bytes to `out`.
void append_folded(std::string& out, std::string_view bytes) {
    const std::size_t start = out.size();
    out.append(bytes);
    for (std::size_t i = start; i < out.size();) {
        auto byte = static_cast<unsigned char>(out[i]);
        if (byte < 0x80) {
            if (byte >= 'A' && byte <= 'Z') out[i] = static_cast<char>(byte + 32);
            ++i;
            continue;
        }
        bool four_byte = i + 1 < out.size() && out[i + 1] >= '0' && out[i + 1] <= '9';
        i += four_byte ? 4 : 2;
    }
}

std::string fold_case(std::string_view bytes) {
    std::string folded;
    append_folded(folded, bytes);
    return folded;
}

// Values never hold a line break: one would split the line and could plant
// a key of its own in the file.
std::string single_line(std::string_view value) {
    std::string line(value);
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return line;
}

std::string_view line_text(std::string_view bytes, std::size_t begin, std::size_t end) {
    return bytes.substr(begin, end - begin);
}

bool is_section_header(std::string_view text, std::string_view& name) {
    text = trim(text);
    if (text.empty() || text.front() != '[') return false;
    text.remove_prefix(1);
    std::size_t close = text.find(']');
    name = text.substr(0, close);
    return true;
}

// A key line holds '=' and is no comment; the name runs up to the first '='.
bool split_key_line(std::string_view text, std::string_view& name, std::string_view& value) {
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || trim(text).starts_with(';')) return false;
    name = text.substr(0, equals);
    value = trim(text.substr(equals + 1));
    return true;
}

// How a name the program asks for compares with the names in the file.
std::string folded_name(std::string_view utf8) {
    return fold_case(trim(text::to_gb18030(utf8)));
}

struct Line {
    std::size_t begin;  // offset of the first byte of the line
    std::size_t end;    // offset just past the content, before the line end
    std::size_t next;   // offset of the next line
};

Line line_at(std::string_view bytes, std::size_t begin) {
    std::size_t newline = bytes.find('\n', begin);
    std::size_t next = newline == std::string_view::npos ? bytes.size() : newline + 1;
    std::size_t end = newline == std::string_view::npos ? bytes.size() : newline;
    if (end > begin && bytes[end - 1] == '\r') --end;
    return {begin, end, next};
}

// Sorts and keeps the first entry of each run of equal ones: with a stable
// sort that is the one nearest the start of the file.
template <typename Entry, typename Key>
void keep_first_of_each(std::vector<Entry>& entries, Key key) {
    auto less = [&](const Entry& a, const Entry& b) { return key(a) < key(b); };
    auto same = [&](const Entry& a, const Entry& b) { return key(a) == key(b); };
    std::stable_sort(entries.begin(), entries.end(), less);
    entries.erase(std::unique(entries.begin(), entries.end(), same), entries.end());
}

void report_ignored(const std::string& path, sys::ReadFailure failure) {
    switch (failure) {
        case sys::ReadFailure::not_regular:
            sys::diagnostic(path + " is not a regular file; ignored");
            break;
        case sys::ReadFailure::too_large:
            sys::diagnostic(path + " is larger than " + std::to_string(settings_read_limit >> 20) +
                            " MiB; ignored");
            break;
        case sys::ReadFailure::io_error: sys::diagnostic(path + " cannot be read; ignored"); break;
        case sys::ReadFailure::none:
        case sys::ReadFailure::missing: break;
    }
}

}  // namespace

// Every section and key of the file, found in one pass. Names are stored
// folded; the first header of a name and, within its body, the first line of
// a key name win, as with the system's functions. Sorted vectors rather than
// hash tables: no crafted set of names can make a lookup slow.
struct IniDocument::Index {
    struct Section {
        std::string name;
        std::size_t body_begin;  // the line after the header
        std::size_t append_at;   // just past the body's last line that holds anything
    };
    struct Key {
        std::size_t body_begin;  // that of its section
        std::size_t name_at;     // the folded name, in `names`
        std::size_t name_size;
        std::size_t line_begin;
        std::size_t line_end;
    };
    using KeyOrder = std::pair<std::size_t, std::string_view>;

    std::vector<Section> sections;  // by name
    std::vector<Key> keys;          // by section, then name
    // Every key's folded name, one after another: one buffer instead of a
    // string per key keeps a large file's index small and quick to build.
    std::string names;

    KeyOrder order_of(const Key& k) const {
        return {k.body_begin, std::string_view(names).substr(k.name_at, k.name_size)};
    }

    static Index build(std::string_view bytes) {
        Index index;
        // One allocation up front: growing the vector line by line would move
        // every key again and again on a large file.
        index.keys.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) +
                           1);
        index.names.reserve(bytes.size());
        for (std::size_t begin = 0; begin < bytes.size();) {
            const Line line = line_at(bytes, begin);
            index.add_line(line_text(bytes, line.begin, line.end), line);
            begin = line.next;
        }
        keep_first_of_each(index.sections,
                           [](const Section& s) -> const std::string& { return s.name; });
        index.keep_first_key_of_each_name();
        return index;
    }

    const Section* section(std::string_view folded) const {
        auto found =
            std::lower_bound(sections.begin(), sections.end(), folded,
                             [](const Section& s, std::string_view name) { return s.name < name; });
        return found != sections.end() && found->name == folded ? &*found : nullptr;
    }

    const Key* key(const Section& in, std::string_view folded) const {
        const KeyOrder wanted(in.body_begin, folded);
        auto found =
            std::lower_bound(keys.begin(), keys.end(), wanted,
                             [this](const Key& k, const KeyOrder& w) { return order_of(k) < w; });
        return found != keys.end() && order_of(*found) == wanted ? &*found : nullptr;
    }

private:
    // Lines before the first header belong to no section; a header ends the
    // body of the one before it.
    void add_line(std::string_view text, const Line& line) {
        std::string_view name;
        if (is_section_header(text, name)) {
            sections.push_back({fold_case(trim(name)), line.next, line.next});
            return;
        }
        if (sections.empty()) return;
        Section& current = sections.back();
        if (!trim(text).empty()) current.append_at = line.next;
        std::string_view value;
        if (split_key_line(text, name, value)) {
            const std::size_t at = names.size();
            append_folded(names, trim(name));
            keys.push_back({current.body_begin, at, names.size() - at, line.begin, line.end});
        }
    }

    // The line nearest the start of the file wins among keys of one name:
    // ties in the sort fall to the earlier line.
    void keep_first_key_of_each_name() {
        std::sort(keys.begin(), keys.end(), [this](const Key& a, const Key& b) {
            const KeyOrder x = order_of(a), y = order_of(b);
            return x != y ? x < y : a.line_begin < b.line_begin;
        });
        keys.erase(
            std::unique(keys.begin(), keys.end(),
                        [this](const Key& a, const Key& b) { return order_of(a) == order_of(b); }),
            keys.end());
    }
};

IniDocument IniDocument::load(const std::string& path) {
    sys::ReadFailure failure = sys::ReadFailure::none;
    std::optional<std::string> bytes = sys::read_file(path, settings_read_limit, &failure);
    if (!bytes) report_ignored(path, failure);
    return from_bytes(std::move(bytes).value_or(std::string()));
}

IniDocument IniDocument::from_bytes(std::string bytes) {
    IniDocument document;
    document.bytes_ = std::move(bytes);
    return document;
}

const IniDocument::Index& IniDocument::index() const {
    if (!index_) index_ = std::make_shared<const Index>(Index::build(bytes_));
    return *index_;
}

std::shared_ptr<const IniDocument::Index> IniDocument::take_index() {
    index();
    return std::exchange(index_, nullptr);
}

bool IniDocument::has_section(std::string_view section) const {
    return index().section(folded_name(section)) != nullptr;
}

bool IniDocument::lookup(std::string_view section, std::string_view key, std::string& value) const {
    const Index& known = index();
    const Index::Section* place = known.section(folded_name(section));
    const Index::Key* line = place ? known.key(*place, folded_name(key)) : nullptr;
    if (!line) return false;
    std::string_view name, stored;
    split_key_line(line_text(bytes_, line->line_begin, line->line_end), name, stored);
    value = text::from_gb18030(std::string(stored));
    return true;
}

std::string IniDocument::read(std::string_view section, std::string_view key,
                              std::string_view fallback) const {
    std::string value;
    return lookup(section, key, value) ? value : std::string(fallback);
}

void IniDocument::ensure_final_line_end() {
    if (!bytes_.empty() && bytes_.back() != '\n') bytes_ += "\r\n";
}

void IniDocument::write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = text::to_gb18030(key) + "=" + text::to_gb18030(single_line(value));
    // Any change below moves bytes, so the index is dropped here and kept
    // alive only for the positions this write needs.
    const std::shared_ptr<const Index> known = take_index();
    const Index::Section* place = known->section(folded_name(section));
    if (!place) {
        ensure_final_line_end();
        bytes_.append("[").append(text::to_gb18030(section)).append("]\r\n");
        bytes_.append(entry).append("\r\n");
        return;
    }
    if (const Index::Key* line = known->key(*place, folded_name(key))) {
        bytes_.replace(line->line_begin, line->line_end - line->line_begin, entry);
        return;
    }
    // After the section's last line that holds anything, so blank lines that
    // separate it from the next section stay where they are.
    std::size_t insert_at = place->append_at;
    if (insert_at == bytes_.size()) {
        ensure_final_line_end();
        insert_at = bytes_.size();
    }
    bytes_.insert(insert_at, entry + "\r\n");
}

bool IniDocument::save(const std::string& path) const {
    return sys::write_file_atomic(path, bytes_, true);
}

std::string read_profile_string(const std::string& path, std::string_view section,
                                std::string_view key, std::string_view fallback) {
    return IniDocument::load(path).read(section, key, fallback);
}

bool write_profile_string(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view value) {
    return write_profile_strings(path, section, {{std::string(key), std::string(value)}});
}

// A file that already holds every value is left as it is: rewriting it
// would cost a sync to the disk for nothing (at every start, for some).
bool write_profile_strings(const std::string& path, std::string_view section,
                           const KeyValues& values) {
    const IniDocument stored = IniDocument::load(path);
    IniDocument document = stored;
    for (const auto& [key, value] : values) document.write(section, key, value);
    if (document.bytes() == stored.bytes() && !stored.bytes().empty()) return true;
    return document.save(path);
}

long long parse_profile_int(std::string_view text, long long fallback) {
    text = trim(text);
    bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > (base == 16 ? 15u : 18u)) return fallback;
    long long value = 0;
    for (char c : text) {
        int digit = (c >= '0' && c <= '9')                 ? c - '0'
                    : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                           : -1;
        if (digit < 0) return fallback;
        value = value * base + digit;
    }
    return negative ? -value : value;
}

}  // namespace velmora::ini
