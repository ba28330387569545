// Conversion between the program's internal text (UTF-8) and the bytes of
// its files (GB18030). GB18030 is byte-identical to GBK for every GBK
// character and encodes every other Unicode character too, so nothing a user
// types is lost. Malformed input never fails: it decodes to U+FFFD.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::text {

std::string to_gb18030(std::string_view utf8);
std::string from_gb18030(std::string_view bytes);

// Length in bytes of the GB18030 form: the unit of every fixed-width field.
std::size_t gb_length(std::string_view utf8);

// Text in another charset, named as files declare it ("big5", "shift_jis",
// "windows-1252"), as UTF-8; nothing when the system knows no such charset.
// Malformed input decodes to U+FFFD as above.
std::optional<std::string> decode(std::string_view bytes, const std::string& charset);

}  // namespace velmora::text
