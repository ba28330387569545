// A pull reader over one JSON text for readers that want a few fields of a
// large document: the caller walks the objects and arrays it cares about and
// skips the rest, and the whole text is still checked as JSON on the way.
// One pass, no tree is built, nesting is bounded, so foreign text costs time
// in proportion to its length and a stack of bounded depth.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::sys {

class JsonScanner {
public:
    // Far deeper than any document the readers expect; it only stops a text
    // built to exhaust the stack.
    static constexpr int max_depth = 256;

    explicit JsonScanner(std::string_view text) : text_(text) {}

    // Every function answers false when the text is no valid JSON there; the
    // scanner is then of no further use.

    // Calls `member(key)` for every member with the scanner before the
    // member's value; `member` consumes that value and answers whether it
    // could. The key lives until the next string is read.
    template <typename OnMember>
    bool read_object(OnMember&& member);
    // Calls `element()` for every element; it consumes the element.
    template <typename OnElement>
    bool read_array(OnElement&& element);

    // The object or array when the value is one, else the value skipped.
    template <typename OnMember>
    bool object_or_skip(OnMember&& member);
    template <typename OnElement>
    bool array_or_skip(OnElement&& element);
    // Stores a string value in `out`, at most its first `longest` bytes
    // (which may end inside a character); any other value is skipped.
    bool string_or_skip(std::string& out, std::size_t longest = std::string::npos);
    // Stores an integer value in `out`; any other value (a fraction, a
    // number too large) is skipped.
    bool integer_or_skip(std::optional<long long>& out);
    // Stores true or false in `out`; any other value is skipped.
    bool bool_or_skip(std::optional<bool>& out);

    bool skip_value();
    // True when only white space follows the value read.
    bool at_end();

private:
    char next();  // the next character after white space, '\0' at the end
    bool consume(char wanted);
    bool enter(char opening);
    bool read_key(std::string_view& key);
    // Reads a string; with `out`, its decoded text (in text_ or in scratch_).
    bool scan_string(std::string_view* out);
    bool decode_escapes(std::size_t start, std::string_view* out);
    bool decode_escape(std::string* out);
    std::optional<char32_t> read_hex4();
    bool skip_number(bool* is_integer);
    bool skip_literal(std::string_view word);

    std::string_view text_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    std::string scratch_;
    std::size_t kept_ = std::string::npos;  // how much of an escaped string to decode
};

template <typename OnMember>
bool JsonScanner::read_object(OnMember&& member) {
    if (!enter('{')) return false;
    if (!consume('}')) {
        do {
            std::string_view key;
            if (!read_key(key) || !member(key)) return false;
        } while (consume(','));
        if (!consume('}')) return false;
    }
    --depth_;
    return true;
}

template <typename OnElement>
bool JsonScanner::read_array(OnElement&& element) {
    if (!enter('[')) return false;
    if (!consume(']')) {
        do {
            if (!element()) return false;
        } while (consume(','));
        if (!consume(']')) return false;
    }
    --depth_;
    return true;
}

template <typename OnMember>
bool JsonScanner::object_or_skip(OnMember&& member) {
    return next() == '{' ? read_object(member) : skip_value();
}

template <typename OnElement>
bool JsonScanner::array_or_skip(OnElement&& element) {
    return next() == '[' ? read_array(element) : skip_value();
}

}  // namespace velmora::sys
