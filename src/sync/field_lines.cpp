#include "sync/field_lines.h"

#include <cstdlib>
#include <cstring>

namespace velmora::sync {

namespace {

void append_escaped(std::string& out, std::string_view field) {
    for (char c : field) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
}

std::string unescaped(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char next = field[++i];
        out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

std::vector<std::string> split_fields(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(unescaped(line.substr(at, tab - at)));
        if (tab == std::string_view::npos) return fields;
        at = tab + 1;
    }
}

}  // namespace

void append_line(std::string& out, const std::vector<std::string_view>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += '\t';
        append_escaped(out, fields[i]);
    }
    out += '\n';
}

std::vector<std::vector<std::string>> split_lines(std::string_view text) {
    std::vector<std::vector<std::string>> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(split_fields(text.substr(at, end - at)));
        at = end + 1;
    }
    return lines;
}

int hand_over(const std::string& lines, char** out, std::size_t* length) {
    if (lines.empty()) return 1;
    auto* copy = static_cast<char*>(std::malloc(lines.size() + 1));
    if (!copy) return 1;
    std::memcpy(copy, lines.data(), lines.size());
    copy[lines.size()] = '\0';
    *out = copy;
    *length = lines.size();
    return 0;
}

}  // namespace velmora::sync
