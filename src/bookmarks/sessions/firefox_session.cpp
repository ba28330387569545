// Firefox's session file: "mozLz40\0", the unpacked size as a little-endian
// 32-bit number, then one LZ4 block holding the session as JSON. Of the JSON
// only windows[].tabs[] matter, and of each tab the entry it shows; closed
// windows and tabs (_closedWindows, _closedTabs) are history, not open pages.
#include <lz4.h>

#include <cstdint>
#include <utility>

#include "bookmarks/sessions/browser_sessions.h"
#include "bookmarks/sessions/session_common.h"
#include "sys/json_scanner.h"

namespace velmora::bookmarks {

namespace {

using sys::JsonScanner;

constexpr std::string_view mozlz4_magic{"mozLz40\0", 8};
constexpr std::size_t mozlz4_header_size = 12;
// An LZ4 block cannot unpack to much more than 255 times its size (a match
// grows by 255 bytes per byte of length), so a header claiming more is lying
// and is refused before the memory for it is taken.
constexpr std::size_t lz4_most_growth = 256;
constexpr std::size_t lz4_smallest_block_slack = 64;

std::uint32_t little_endian_32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    }
    return value;
}

std::optional<std::string> unpack_mozlz4(std::string_view file_bytes) {
    if (file_bytes.size() < mozlz4_header_size || file_bytes.substr(0, 8) != mozlz4_magic) {
        return std::nullopt;
    }
    const std::size_t size = little_endian_32(file_bytes.substr(8, 4));
    const std::string_view block = file_bytes.substr(mozlz4_header_size);
    if (block.size() > session_file_limit || size > session_text_limit ||
        size > block.size() * lz4_most_growth + lz4_smallest_block_slack) {
        return std::nullopt;
    }
    std::string text(size, '\0');
    const int unpacked = LZ4_decompress_safe(
        block.data(), text.data(), static_cast<int>(block.size()), static_cast<int>(size));
    // A block that ends early or needs more room than declared is damaged.
    if (unpacked < 0 || static_cast<std::size_t>(unpacked) != size) return std::nullopt;
    return text;
}

// Firefox keeps fifty history entries per tab; a file naming far more is
// not believed beyond this many.
constexpr std::size_t most_entries_per_tab = 256;

// Only so much of each text is kept: one just past the bounds is enough to
// cut a title and to tell an address that is too long.
bool read_entry(JsonScanner& json, OpenPage& page) {
    return json.object_or_skip([&](std::string_view key) {
        if (key == "url") return json.string_or_skip(page.address, page_address_limit + 1);
        if (key == "title") return json.string_or_skip(page.title, page_title_limit + 4);
        return json.skip_value();
    });
}

// The entry a tab shows: `index` counts from 1; a tab without a usable index
// shows its newest entry, which is what Firefox restores then too.
OpenPage shown_entry(std::vector<OpenPage>& entries, std::optional<long long> index) {
    std::size_t shown = entries.size() - 1;
    if (index && *index >= 1 && static_cast<unsigned long long>(*index) <= entries.size()) {
        shown = static_cast<std::size_t>(*index - 1);
    }
    return std::move(entries[shown]);
}

bool read_tab(JsonScanner& json, std::vector<OpenPage>& pages) {
    std::vector<OpenPage> entries;
    std::optional<long long> index;
    const bool valid = json.object_or_skip([&](std::string_view key) {
        if (key == "index") return json.integer_or_skip(index);
        if (key != "entries") return json.skip_value();
        entries.clear();
        return json.array_or_skip([&] {
            if (entries.size() == most_entries_per_tab) return json.skip_value();
            return read_entry(json, entries.emplace_back());
        });
    });
    // Past the pages anyone is offered the rest of the file is only checked.
    if (valid && !entries.empty() && pages.size() < open_page_limit) {
        OpenPage shown = shown_entry(entries, index);
        if (detail::worth_keeping(shown)) pages.push_back(std::move(shown));
    }
    return valid;
}

bool read_window(JsonScanner& json, std::vector<OpenPage>& pages) {
    return json.object_or_skip([&](std::string_view key) {
        if (key != "tabs") return json.skip_value();
        return json.array_or_skip([&] { return read_tab(json, pages); });
    });
}

std::optional<std::vector<OpenPage>> read_session_json(std::string_view text) {
    std::vector<OpenPage> pages;
    JsonScanner json(text);
    const bool valid = json.read_object([&](std::string_view key) {
        if (key != "windows") return json.skip_value();
        return json.array_or_skip([&] { return read_window(json, pages); });
    });
    if (!valid || !json.at_end()) return std::nullopt;
    detail::keep_web_pages(pages);
    return pages;
}

}  // namespace

std::optional<std::vector<OpenPage>> read_firefox_session(std::string_view file_bytes) {
    const std::optional<std::string> text = unpack_mozlz4(file_bytes);
    if (!text) return std::nullopt;
    return read_session_json(*text);
}

}  // namespace velmora::bookmarks
