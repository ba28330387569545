// What the Firefox and the Chromium session readers share: turning UTF-16
// into UTF-8 and keeping only the pages worth a bookmark.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bookmarks/browser_sessions.h"

namespace velmora::bookmarks::detail {

inline constexpr char32_t replacement_character = 0xFFFD;

bool is_high_surrogate(char32_t unit);
bool is_low_surrogate(char32_t unit);
char32_t combine_surrogates(char32_t high, char32_t low);

// Appends one code point; a surrogate (which UTF-8 cannot carry) becomes
// U+FFFD.
void append_utf8(std::string& out, char32_t code_point);

// UTF-16 little-endian bytes as UTF-8; an unpaired surrogate becomes U+FFFD
// and an odd last byte is dropped.
std::string utf16le_to_utf8(std::string_view bytes);

// Drops the pages a person would not bookmark: browser-internal pages
// (about:, chrome://), source views, data and script addresses. The same
// rule decides what the bookmark page hands to a browser.
void keep_web_pages(std::vector<OpenPage>& pages);

}  // namespace velmora::bookmarks::detail
