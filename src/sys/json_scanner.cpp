#include "sys/json_scanner.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "sys/utf.h"

namespace velmora::sys {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<unsigned> hex_value(char c) {
    if (is_digit(c)) return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

// What a one-character escape stands for; '\0' for no such escape.
char simple_escape(char c) {
    switch (c) {
        case '"': return '"';
        case '\\': return '\\';
        case '/': return '/';
        case 'b': return '\b';
        case 'f': return '\f';
        case 'n': return '\n';
        case 'r': return '\r';
        case 't': return '\t';
        default: return '\0';
    }
}

}  // namespace

char JsonScanner::next() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t') return c;
        ++pos_;
    }
    return '\0';
}

bool JsonScanner::consume(char wanted) {
    if (next() != wanted || pos_ >= text_.size()) return false;
    ++pos_;
    return true;
}

bool JsonScanner::enter(char opening) {
    if (!consume(opening)) return false;
    return ++depth_ <= max_depth;
}

bool JsonScanner::read_key(std::string_view& key) {
    return scan_string(&key) && consume(':');
}

bool JsonScanner::at_end() {
    return next() == '\0' && pos_ == text_.size();
}

bool JsonScanner::skip_value() {
    switch (next()) {
        case '{': return read_object([this](std::string_view) { return skip_value(); });
        case '[': return read_array([this] { return skip_value(); });
        case '"': return scan_string(nullptr);
        case 't': return skip_literal("true");
        case 'f': return skip_literal("false");
        case 'n': return skip_literal("null");
        default: return skip_number(nullptr);
    }
}

bool JsonScanner::string_or_skip(std::string& out, std::size_t longest) {
    if (next() != '"') return skip_value();
    std::string_view text;
    kept_ = longest;  // escaped text is decoded no further than what is kept
    const bool read = scan_string(&text);
    kept_ = std::string::npos;
    if (read) out.assign(text.substr(0, longest));
    return read;
}

bool JsonScanner::integer_or_skip(std::optional<long long>& out) {
    if (next() != '-' && !is_digit(next())) return skip_value();
    const std::size_t start = pos_;
    bool is_integer = false;
    if (!skip_number(&is_integer)) return false;
    long long value = 0;
    const char* first = text_.data() + start;
    const char* last = text_.data() + pos_;
    const auto [end, error] = std::from_chars(first, last, value);
    if (is_integer && error == std::errc() && end == last) out = value;
    return true;
}

bool JsonScanner::bool_or_skip(std::optional<bool>& out) {
    if (next() == 't' && skip_literal("true")) {
        out = true;
        return true;
    }
    if (next() == 'f' && skip_literal("false")) {
        out = false;
        return true;
    }
    return skip_value();
}

bool JsonScanner::skip_literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
}

// -? (0 | [1-9][0-9]*) (.[0-9]+)? ([eE][+-]?[0-9]+)?
bool JsonScanner::skip_number(bool* is_integer) {
    const auto at = [this](std::size_t i) { return i < text_.size() ? text_[i] : '\0'; };
    const auto digits = [&](std::size_t& i) {
        const std::size_t first = i;
        while (is_digit(at(i))) ++i;
        return i > first;
    };
    std::size_t i = pos_;
    if (at(i) == '-') ++i;
    if (at(i) == '0') {
        ++i;
    } else if (!digits(i)) {
        return false;
    }
    bool integer = true;
    if (at(i) == '.') {
        integer = false;
        if (!digits(++i)) return false;
    }
    if (at(i) == 'e' || at(i) == 'E') {
        integer = false;
        ++i;
        if (at(i) == '+' || at(i) == '-') ++i;
        if (!digits(i)) return false;
    }
    if (is_integer != nullptr) *is_integer = integer;
    pos_ = i;
    return true;
}

// The common string has no escape: it is answered as a view into the text,
// and only a string with escapes is decoded into the scratch buffer.
bool JsonScanner::scan_string(std::string_view* out) {
    if (!consume('"')) return false;
    const std::size_t start = pos_;
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '"') {
            if (out != nullptr) *out = text_.substr(start, pos_ - start);
            ++pos_;
            return true;
        }
        if (c == '\\') return decode_escapes(start, out);
        if (static_cast<unsigned char>(c) < 0x20) return false;
        ++pos_;
    }
    return false;
}

bool JsonScanner::decode_escapes(std::size_t start, std::string_view* out) {
    std::string* decoded = out != nullptr ? &scratch_ : nullptr;
    if (decoded != nullptr) decoded->assign(text_.substr(start, std::min(pos_ - start, kept_)));
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '"') {
            if (out != nullptr) *out = scratch_;
            ++pos_;
            return true;
        }
        if (static_cast<unsigned char>(c) < 0x20) return false;
        const bool keep = decoded != nullptr && decoded->size() < kept_;
        if (c == '\\') {
            if (!decode_escape(keep ? decoded : nullptr)) return false;
        } else {
            if (keep) decoded->push_back(c);
            ++pos_;
        }
    }
    return false;
}

// One escape at pos_. A \u escape of a high surrogate takes the low one that
// follows it; a surrogate without its partner becomes U+FFFD, as a title cut
// in the middle of a pair must not make the whole session unreadable.
bool JsonScanner::decode_escape(std::string* out) {
    ++pos_;  // the backslash
    if (pos_ >= text_.size()) return false;
    const char kind = text_[pos_++];
    if (kind != 'u') {
        const char plain = simple_escape(kind);
        if (plain == '\0') return false;
        if (out != nullptr) out->push_back(plain);
        return true;
    }
    std::optional<char32_t> unit = read_hex4();
    if (!unit) return false;
    char32_t code_point = *unit;
    if (sys::is_high_surrogate(code_point) && text_.substr(pos_, 2) == "\\u") {
        const std::size_t after_high = pos_;
        pos_ += 2;
        const std::optional<char32_t> low = read_hex4();
        if (low && sys::is_low_surrogate(*low)) {
            code_point = sys::combine_surrogates(code_point, *low);
        } else {
            pos_ = after_high;  // the next escape stands on its own
        }
    }
    if (out != nullptr) sys::append_utf8(*out, code_point);
    return true;
}

std::optional<char32_t> JsonScanner::read_hex4() {
    if (text_.size() - pos_ < 4) return std::nullopt;
    char32_t unit = 0;
    for (int i = 0; i < 4; ++i) {
        const std::optional<unsigned> digit = hex_value(text_[pos_++]);
        if (!digit) return std::nullopt;
        unit = unit * 16 + *digit;
    }
    return unit;
}

}  // namespace velmora::sys
