// UTF-8 and UTF-16 at the level of code points, for the readers of files
// that other programs wrote (session files, bookmark files, tables).
#pragma once

#include <string>
#include <string_view>

namespace velmora::sys {

inline constexpr char32_t replacement_character = 0xFFFD;

bool is_high_surrogate(char32_t unit);
bool is_low_surrogate(char32_t unit);
char32_t combine_surrogates(char32_t high, char32_t low);

// Appends one code point; a surrogate (which UTF-8 cannot carry) or a value
// above U+10FFFF becomes U+FFFD.
void append_utf8(std::string& out, char32_t code_point);

// The code point at `i` of valid UTF-8 text; `i` moves past it.
char32_t next_code_point(std::string_view text, std::size_t& i);

// Control characters, and the invisible ones that turn the direction of the
// text or hide between letters (bidirectional marks, embeddings, overrides
// and isolates, zero-width characters, the soft hyphen, the byte order
// mark): text with one could pass for other text.
bool is_hidden_character(char32_t c);

// Valid UTF-8 text from outside without its hidden characters: controls
// become a space, the invisible format characters go. Text that is not
// valid UTF-8 comes back as it was.
std::string without_hidden_characters(std::string_view text);

// UTF-16 little-endian bytes as UTF-8; an unpaired surrogate becomes U+FFFD
// and an odd last byte is dropped.
std::string utf16le_to_utf8(std::string_view bytes);

}  // namespace velmora::sys
