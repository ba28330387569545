// The session files of Chromium and the browsers built on it ("SNSS"): the
// header, then records of a 16-bit size and that many bytes, the first one
// naming the command. The file is a log: replaying its commands in order
// gives the windows, their tabs and each tab's history, as the browser does
// on a restore. Only the commands that decide which page a tab shows are
// replayed; bounds, pinning, groups and the like are passed over.
#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>

#include "bookmarks/sessions/browser_sessions.h"
#include "bookmarks/sessions/session_common.h"
#include "sys/utf.h"

namespace velmora::bookmarks {

namespace {

constexpr std::string_view snss_magic = "SNSS";
constexpr std::uint32_t snss_first_version = 1;
// The version that may hold a marker command; its commands read the same.
constexpr std::uint32_t snss_marker_version = 3;

enum Command : unsigned char {
    set_tab_window = 0,
    set_tab_index_in_window = 2,
    navigation_pruned_from_back = 5,
    update_tab_navigation = 6,
    set_selected_navigation_index = 7,
    navigation_pruned_from_front = 11,
    tab_closed = 16,
    window_closed = 17,
    navigation_pruned = 24,
};

// A browser keeps fifty history entries per tab. A file naming far more is
// not believed beyond this many, which also bounds the work of each command.
constexpr std::size_t max_navigations_per_tab = 256;
// Tabs closed in the session still have their commands in the log, so more
// tabs are followed than are ever offered; a log naming more is not
// believed beyond them.
constexpr std::size_t max_tabs_followed = 10 * open_page_limit;

std::uint32_t little_endian(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

std::int32_t int32_at(std::string_view bytes, std::size_t offset) {
    return static_cast<std::int32_t>(little_endian(bytes.substr(offset, 4)));
}

// The payload of a command made of N 32-bit numbers; nothing when its size
// is not exactly that.
template <std::size_t N>
std::optional<std::array<std::int32_t, N>> numbers(std::string_view payload) {
    if (payload.size() != 4 * N) return std::nullopt;
    std::array<std::int32_t, N> values{};
    for (std::size_t i = 0; i < N; ++i) values[i] = int32_at(payload, 4 * i);
    return values;
}

// The id in a tab's or window's close command: the id and a 64-bit time,
// padded to 16 bytes by 64-bit builds and 12 bytes long from 32-bit ones.
std::optional<std::int32_t> closed_id(std::string_view payload) {
    if (payload.size() != 12 && payload.size() != 16) return std::nullopt;
    return int32_at(payload, 0);
}

// The fields of a base::Pickle: a 32-bit payload size, then each field
// padded to a multiple of 4 bytes; a string is its length, then its bytes
// (a UTF-16 string counts its 16-bit units).
class PickleReader {
public:
    explicit PickleReader(std::string_view bytes) {
        if (bytes.size() < 4) return;
        const std::uint32_t declared = little_endian(bytes.substr(0, 4));
        if (declared <= bytes.size() - 4) rest_ = bytes.substr(4, declared);
    }

    bool read_int(std::int32_t& out) {
        const std::optional<std::string_view> bytes = take(4);
        if (bytes) out = int32_at(*bytes, 0);
        return bytes.has_value();
    }
    bool read_string(std::string& out) { return read_text(1, out); }
    bool read_string16(std::string& out) { return read_text(2, out); }

private:
    bool read_text(std::uint64_t unit_size, std::string& out) {
        std::int32_t length = 0;
        if (!read_int(length) || length < 0) return false;
        const std::optional<std::string_view> bytes = take(unit_size * std::uint64_t(length));
        if (!bytes) return false;
        out = unit_size == 1 ? std::string(*bytes) : sys::utf16le_to_utf8(*bytes);
        return true;
    }
    std::optional<std::string_view> take(std::uint64_t size) {
        if (size > rest_.size()) return std::nullopt;
        const std::string_view taken = rest_.substr(0, static_cast<std::size_t>(size));
        const std::size_t padded = (taken.size() + 3) / 4 * 4;
        rest_.remove_prefix(std::min(padded, rest_.size()));
        return taken;
    }

    std::string_view rest_;
};

struct Navigation {
    std::int32_t index = 0;  // the place in the tab's history, not in `navigations`
    OpenPage page;
};

struct Tab {
    std::int32_t window = 0;  // 0: in no window
    std::int32_t visual_index = 0;
    std::int32_t selected_index = -1;
    std::vector<Navigation> navigations;  // ascending by index
};

class SessionLog {
public:
    void replay(unsigned char command, std::string_view payload);
    std::vector<OpenPage> open_pages() const;

private:
    void replay_tab_number(unsigned char command, std::string_view payload);
    void replay_pruning(unsigned char command, std::string_view payload);
    void replay_close(unsigned char command, std::string_view payload);
    void update_navigation(std::string_view payload);
    // The tab of that id; nothing for a new one past max_tabs_followed.
    Tab* tab(std::int32_t id);

    std::map<std::int32_t, Tab> tabs_;
    std::set<std::int32_t> closed_windows_;
};

void SessionLog::replay(unsigned char command, std::string_view payload) {
    switch (command) {
        case set_tab_window:
        case set_tab_index_in_window:
        case set_selected_navigation_index: replay_tab_number(command, payload); break;
        case navigation_pruned_from_back:
        case navigation_pruned_from_front:
        case navigation_pruned: replay_pruning(command, payload); break;
        case tab_closed:
        case window_closed: replay_close(command, payload); break;
        case update_tab_navigation: update_navigation(payload); break;
        default: break;  // nothing that decides which page a tab shows
    }
}

Tab* SessionLog::tab(std::int32_t id) {
    if (const auto known = tabs_.find(id); known != tabs_.end()) return &known->second;
    if (tabs_.size() >= max_tabs_followed) return nullptr;
    return &tabs_[id];
}

void SessionLog::replay_tab_number(unsigned char command, std::string_view payload) {
    const auto values = numbers<2>(payload);
    if (!values) return;
    const auto [first, second] = *values;
    Tab* const named = tab(command == set_tab_window ? second : first);
    if (named == nullptr) return;
    if (command == set_tab_window) {
        named->window = first;  // window id, tab id
    } else if (command == set_tab_index_in_window) {
        named->visual_index = second;
    } else {
        named->selected_index = second;
    }
}

// Removes the history entries from `index` on, `count` of them; later
// entries move down and the selection follows its entry (or, when that
// was removed, the one before the gap).
void prune(Tab& tab, std::int64_t index, std::int64_t count) {
    const std::int64_t end = index + count;
    std::int64_t selected = tab.selected_index;
    if (selected >= index && selected < end) {
        selected = index - 1;
    } else if (selected >= end) {
        selected -= count;
    }
    tab.selected_index = static_cast<std::int32_t>(selected);
    auto& navigations = tab.navigations;
    const auto removed = [&](const Navigation& n) { return n.index >= index && n.index < end; };
    navigations.erase(std::remove_if(navigations.begin(), navigations.end(), removed),
                      navigations.end());
    for (Navigation& navigation : navigations) {
        if (navigation.index >= end) {
            navigation.index = static_cast<std::int32_t>(navigation.index - count);
        }
    }
}

void SessionLog::replay_pruning(unsigned char command, std::string_view payload) {
    if (command == navigation_pruned) {
        const auto values = numbers<3>(payload);  // tab id, index, count
        if (values && (*values)[1] >= 0 && (*values)[2] > 0) {
            if (Tab* pruned = tab((*values)[0])) prune(*pruned, (*values)[1], (*values)[2]);
        }
        return;
    }
    const auto values = numbers<2>(payload);  // tab id, index
    if (!values) return;
    const auto [tab_id, index] = *values;
    Tab* const pruned = tab(tab_id);
    if (pruned == nullptr) return;
    if (command == navigation_pruned_from_front) {
        if (index > 0) prune(*pruned, 0, index);
        return;
    }
    auto& navigations = pruned->navigations;
    const auto from_index = [index = index](const Navigation& n) { return n.index >= index; };
    navigations.erase(std::remove_if(navigations.begin(), navigations.end(), from_index),
                      navigations.end());
}

void SessionLog::replay_close(unsigned char command, std::string_view payload) {
    const std::optional<std::int32_t> id = closed_id(payload);
    if (!id) return;
    if (command == tab_closed) {
        tabs_.erase(*id);
    } else {
        closed_windows_.insert(*id);
    }
}

// A tab's history entry: the tab id, the entry's index, its address and its
// title lead the pickle; what follows (page state, referrer, ...) is unused.
void SessionLog::update_navigation(std::string_view payload) {
    PickleReader pickle(payload);
    std::int32_t tab_id = 0;
    Navigation entry;
    if (!pickle.read_int(tab_id) || !pickle.read_int(entry.index) ||
        !pickle.read_string(entry.page.address) || !pickle.read_string16(entry.page.title)) {
        return;
    }
    Tab* const visited = tab(tab_id);
    if (visited == nullptr) return;
    auto& navigations = visited->navigations;
    const auto at = std::lower_bound(
        navigations.begin(), navigations.end(), entry.index,
        [](const Navigation& navigation, std::int32_t index) { return navigation.index < index; });
    if (at != navigations.end() && at->index == entry.index) {
        *at = std::move(entry);
    } else if (navigations.size() < max_navigations_per_tab) {
        navigations.insert(at, std::move(entry));
    }
}

// The entry a tab shows: the one at its selected index or, as the browser
// restores it, the first after it; the newest when the selection is past all.
const OpenPage& shown_page(const Tab& tab) {
    const auto at =
        std::find_if(tab.navigations.begin(), tab.navigations.end(),
                     [&tab](const Navigation& n) { return n.index >= tab.selected_index; });
    return at != tab.navigations.end() ? at->page : tab.navigations.back().page;
}

// Windows in the order they were opened (their ids grow), tabs in the order
// they stand in the tab strip.
std::vector<OpenPage> SessionLog::open_pages() const {
    std::vector<std::tuple<std::int32_t, std::int32_t, std::int32_t, const Tab*>> open_tabs;
    for (const auto& [id, tab] : tabs_) {
        if (tab.window == 0 || tab.navigations.empty() || closed_windows_.count(tab.window) != 0) {
            continue;
        }
        open_tabs.emplace_back(tab.window, tab.visual_index, id, &tab);
    }
    std::sort(open_tabs.begin(), open_tabs.end());
    std::vector<OpenPage> pages;
    pages.reserve(open_tabs.size());
    for (const auto& open_tab : open_tabs) pages.push_back(shown_page(*std::get<3>(open_tab)));
    return pages;
}

}  // namespace

std::optional<std::vector<OpenPage>> read_chromium_session(std::string_view file_bytes) {
    if (file_bytes.size() < 8 || file_bytes.substr(0, 4) != snss_magic) return std::nullopt;
    const std::uint32_t version = little_endian(file_bytes.substr(4, 4));
    if (version != snss_first_version && version != snss_marker_version) return std::nullopt;
    SessionLog log;
    std::string_view records = file_bytes.substr(8);
    while (records.size() >= 2) {
        const std::size_t size = little_endian(records.substr(0, 2));
        // An empty record, or one running past the end, is where the browser's
        // last write was cut short: the records before it still count.
        if (size == 0 || size > records.size() - 2) break;
        log.replay(static_cast<unsigned char>(records[2]), records.substr(3, size - 1));
        records.remove_prefix(2 + size);
    }
    std::vector<OpenPage> pages = log.open_pages();
    detail::keep_web_pages(pages);
    return pages;
}

}  // namespace velmora::bookmarks
