#include "sync/sync_state.h"

#include "store/fx_tree.h"
#include "store/record_io.h"
#include "sync/field_lines.h"

namespace velmora::sync {

namespace {

constexpr std::string_view header = "velmora-sync\t1";
constexpr const char* kind_names[] = {"task", "note", "anniversary"};

std::optional<ItemKind> kind_named(std::string_view name) {
    for (int i = 0; i < 3; ++i) {
        if (name == kind_names[i]) return static_cast<ItemKind>(i);
    }
    return std::nullopt;
}

}  // namespace

SyncedItem* SyncState::find(std::string_view uid) {
    for (SyncedItem& item : items) {
        if (item.uid == uid) return &item;
    }
    return nullptr;
}

std::string format_state(const SyncState& state) {
    std::string out(header);
    out += '\n';
    append_line(out, {"collection", state.collection, state.token});
    for (const SyncedItem& item : state.items) {
        std::vector<std::string_view> fields = {"item", kind_names[static_cast<int>(item.kind)],
                                                item.uid, item.href, item.etag};
        for (const std::string& field : item.fields) fields.emplace_back(field);
        append_line(out, fields);
    }
    return out;
}

std::optional<SyncState> parse_state(std::string_view text) {
    if (text.substr(0, header.size()) != header) return std::nullopt;
    SyncState state;
    const std::vector<std::vector<std::string>> lines = split_lines(text);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string>& fields = lines[i];
        if (fields[0] == "collection" && fields.size() == 3) {
            state.collection = fields[1];
            state.token = fields[2];
            continue;
        }
        const std::optional<ItemKind> kind =
            fields.size() >= 5 && fields[0] == "item" ? kind_named(fields[1]) : std::nullopt;
        if (!kind) return std::nullopt;
        state.items.push_back({*kind, fields[2], fields[3], fields[4],
                               std::vector<std::string>(fields.begin() + 5, fields.end())});
    }
    return state;
}

store::FxError load_state(const std::string& work_folder, SyncState& state) {
    const store::RecordRead read = store::read_record(state_record, work_folder);
    if (read.failed()) return read.error;
    if (read.bytes.empty()) {
        state = {};
        return store::FxError::none;
    }
    std::optional<SyncState> parsed = parse_state(read.bytes);
    if (!parsed) return store::FxError::damaged;
    state = std::move(*parsed);
    return store::FxError::none;
}

// The folder is made at the first save: containers made before the sync
// have none.
store::FxError save_state(const std::string& work_folder, const SyncState& state) {
    if (store::find_item(state_folder).index <= 0) {
        const store::FxError looked = store::last_error_or(store::FxError::none);
        if (looked != store::FxError::none) return looked;
        store::FxError made = store::FxError::none;
        if (store::add_named_folder(0, state_folder, made) < 0) return made;
    }
    return store::write_record(state_folder, state_file, format_state(state), work_folder);
}

}  // namespace velmora::sync
