// What the sync and the import remember of each item they have seen, kept
// in a record folder of its own in the container ("plumora_sync/"), so that
// the day records and the anniversary list keep their formats: the item's
// UID, where the server keeps it (href, ETag), and the item as it was when
// it was last exchanged, by which the local item is found again. It is
// written in the same transaction as the records it describes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/fx_error.h"

namespace velmora::sync {

enum class ItemKind { task, note, anniversary };

struct SyncedItem {
    ItemKind kind = ItemKind::task;
    std::string uid;
    std::string href;
    std::string etag;
    // Task: "yyyymmdd", category, state, text. Note: "yyyymmdd", text.
    // Anniversary: its stored line's fields (kind digit, date, yearly 0/1,
    // description).
    std::vector<std::string> fields;
    bool operator==(const SyncedItem&) const = default;
};

struct SyncState {
    std::string collection;  // the calendar collection's address
    std::string token;       // the server's last sync token
    std::vector<SyncedItem> items;

    SyncedItem* find(std::string_view uid);
    bool operator==(const SyncState&) const = default;
};

inline constexpr const char* state_folder = "plumora_sync";
inline constexpr const char* state_file = "items.txt";
inline constexpr const char* state_record = "plumora_sync/items.txt";

std::string format_state(const SyncState& state);
// Nothing when the text is not a state record this build can read.
std::optional<SyncState> parse_state(std::string_view text);

// Reads the state from the open container (an empty state when there is
// none yet); a record that cannot be read or parsed is an error, never an
// empty state.
store::FxError load_state(const std::string& work_folder, SyncState& state);
store::FxError save_state(const std::string& work_folder, const SyncState& state);

}  // namespace velmora::sync
