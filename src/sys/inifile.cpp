#include "sys/inifile.h"

#include <cerrno>
#include <cstdlib>

#include "sys/atomicfile.h"
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
std::string fold_case(std::string_view bytes) {
    std::string folded(bytes);
    for (std::size_t i = 0; i < folded.size();) {
        auto byte = static_cast<unsigned char>(folded[i]);
        if (byte < 0x80) {
            if (byte >= 'A' && byte <= 'Z') folded[i] = static_cast<char>(byte + 32);
            ++i;
            continue;
        }
        bool four_byte = i + 1 < folded.size() && folded[i + 1] >= '0' && folded[i + 1] <= '9';
        i += four_byte ? 4 : 2;
    }
    return folded;
}

bool same_name(std::string_view stored, std::string_view wanted_folded) {
    return fold_case(trim(stored)) == wanted_folded;
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

std::string_view line_text(const std::string& bytes, std::size_t begin, std::size_t end) {
    return std::string_view(bytes).substr(begin, end - begin);
}

bool is_section_header(std::string_view text, std::string_view& name) {
    text = trim(text);
    if (text.empty() || text.front() != '[') return false;
    text.remove_prefix(1);
    std::size_t close = text.find(']');
    name = text.substr(0, close);
    return true;
}

}  // namespace

IniDocument IniDocument::load(const std::string& path) {
    return from_bytes(sys::read_file(path).value_or(std::string()));
}

IniDocument IniDocument::from_bytes(std::string bytes) {
    IniDocument document;
    document.bytes_ = std::move(bytes);
    return document;
}

std::vector<IniDocument::Line> IniDocument::lines() const {
    std::vector<Line> result;
    std::size_t begin = 0;
    while (begin < bytes_.size()) {
        std::size_t newline = bytes_.find('\n', begin);
        std::size_t next = newline == std::string::npos ? bytes_.size() : newline + 1;
        std::size_t end = newline == std::string::npos ? bytes_.size() : newline;
        if (end > begin && bytes_[end - 1] == '\r') --end;
        result.push_back({begin, end, next});
        begin = next;
    }
    return result;
}

// The body of a section runs from the line after its header up to the next
// header; the first header of a name wins, as with the system's functions.
bool IniDocument::find_section(std::string_view section, std::size_t& body_begin,
                               std::size_t& body_end) const {
    const std::string wanted = fold_case(trim(text::to_gb18030(section)));
    bool inside = false;
    for (const Line& line : lines()) {
        std::string_view name;
        if (!is_section_header(line_text(bytes_, line.begin, line.end), name)) continue;
        if (inside) {
            body_end = line.begin;
            return true;
        }
        if (same_name(name, wanted)) {
            inside = true;
            body_begin = line.next;
        }
    }
    body_end = bytes_.size();
    return inside;
}

bool IniDocument::find_key(std::string_view section, std::string_view key, KeyLine& found) const {
    std::size_t body_begin = 0, body_end = 0;
    if (!find_section(section, body_begin, body_end)) return false;
    const std::string wanted = fold_case(trim(text::to_gb18030(key)));
    for (const Line& line : lines()) {
        if (line.begin < body_begin || line.begin >= body_end) continue;
        std::string_view text = line_text(bytes_, line.begin, line.end);
        std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || trim(text).starts_with(';')) continue;
        if (!same_name(text.substr(0, equals), wanted)) continue;
        found = {line, std::string(trim(text.substr(equals + 1)))};
        return true;
    }
    return false;
}

bool IniDocument::has_section(std::string_view section) const {
    std::size_t begin = 0, end = 0;
    return find_section(section, begin, end);
}

bool IniDocument::lookup(std::string_view section, std::string_view key, std::string& value) const {
    KeyLine found;
    if (!find_key(section, key, found)) return false;
    value = text::from_gb18030(found.value);
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
    KeyLine found;
    if (find_key(section, key, found)) {
        bytes_.replace(found.line.begin, found.line.end - found.line.begin, entry);
        return;
    }
    std::size_t body_begin = 0, body_end = 0;
    if (!find_section(section, body_begin, body_end)) {
        ensure_final_line_end();
        bytes_.append("[").append(text::to_gb18030(section)).append("]\r\n");
        bytes_.append(entry).append("\r\n");
        return;
    }
    // After the section's last line that holds anything, so blank lines that
    // separate it from the next section stay where they are.
    std::size_t insert_at = body_begin;
    for (const Line& line : lines()) {
        if (line.begin < body_begin || line.begin >= body_end) continue;
        if (!trim(line_text(bytes_, line.begin, line.end)).empty()) insert_at = line.next;
    }
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

bool write_profile_strings(const std::string& path, std::string_view section,
                           const KeyValues& values) {
    IniDocument document = IniDocument::load(path);
    for (const auto& [key, value] : values) document.write(section, key, value);
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
