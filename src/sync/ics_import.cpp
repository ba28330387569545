#include "sync/ics_import.h"

#include <algorithm>
#include <map>
#include <optional>

#include "calendar/datehint.h"
#include "store/day_records.h"
#include "store/day_store.h"
#include "store/fx_tree.h"
#include "store/record_io.h"
#include "sync/ics_mapping.h"
#include "sync/sync_state.h"

namespace velmora::sync {

namespace {

enum class Outcome { added, updated, unchanged };

// A record that could not be read ends the import: merging into what
// looks like an empty day would store over the user's records.
struct Unreadable {
    store::FxError error;
};

std::string read_bytes(const std::string& node_path, const std::string& work_folder) {
    store::RecordRead read = store::read_record(node_path, work_folder);
    if (read.failed()) throw Unreadable{read.error};
    return std::move(read.bytes);
}

// The records the import changes, read when first needed and stored
// together at the end.
class Merge {
public:
    Merge(const std::string& work_folder, SyncState& state)
        : work_folder_(work_folder), state_(state) {}

    Outcome apply(const std::string& uid, const LocalItem& item);
    store::FxError store_all();

private:
    Outcome apply_task(SyncedItem* known, const LocalItem& item);
    Outcome apply_note(SyncedItem* known, const LocalItem& item);
    Outcome apply_anniversary(SyncedItem* known, const LocalItem& item);
    std::vector<store::PlanTask>& tasks(const std::string& key);
    std::string& note(const std::string& key);
    std::vector<calendar::Anniversary>& entries();
    // Takes one of `present` identical local items for an item of this
    // run whose UID is new: the same item from another source (our own
    // export after a phone's copy) is not added twice, while two identical
    // items of one file are both kept.
    bool claim(ItemKind kind, const std::vector<std::string>& fields, long present);

    const std::string& work_folder_;
    SyncState& state_;
    std::map<std::string, std::vector<store::PlanTask>> tasks_;
    std::map<std::string, std::string> notes_;
    std::optional<calendar::AnniversaryRecord> anniversaries_;
    std::map<std::pair<int, std::vector<std::string>>, long> claims_;
};

std::vector<store::PlanTask>& Merge::tasks(const std::string& key) {
    auto found = tasks_.find(key);
    if (found != tasks_.end()) return found->second;
    return tasks_[key] =
               store::parse_plan_record(read_bytes(store::plan_record_name(key), work_folder_));
}

std::string& Merge::note(const std::string& key) {
    auto found = notes_.find(key);
    if (found != notes_.end()) return found->second;
    return notes_[key] =
               store::note_from_record(read_bytes(store::note_record_name(key), work_folder_));
}

std::vector<calendar::Anniversary>& Merge::entries() {
    if (!anniversaries_) {
        anniversaries_.emplace();
        const store::FxError loaded = calendar::load_anniversaries(work_folder_, *anniversaries_);
        if (loaded != store::FxError::none) throw Unreadable{loaded};
    }
    return anniversaries_->entries;
}

bool Merge::claim(ItemKind kind, const std::vector<std::string>& fields, long present) {
    long& taken = claims_[{static_cast<int>(kind), fields}];
    if (taken >= present) return false;
    ++taken;
    return true;
}

Outcome Merge::apply(const std::string& uid, const LocalItem& item) {
    SyncedItem* known = state_.find(uid);
    if (known && (known->kind != item.kind || !item_of(known->kind, known->fields))) {
        known = nullptr;
    }
    Outcome outcome = Outcome::added;
    switch (item.kind) {
        case ItemKind::task: outcome = apply_task(known, item); break;
        case ItemKind::note: outcome = apply_note(known, item); break;
        case ItemKind::anniversary: outcome = apply_anniversary(known, item); break;
    }
    // Looked up again: the state may have grown meanwhile. An item the
    // sync has exchanged keeps what the server was last told: the import
    // is then a change here, which the next sync sends.
    if (SyncedItem* remembered = state_.find(uid)) {
        if (remembered->href.empty()) {
            remembered->kind = item.kind;
            remembered->fields = fields_of(item);
        }
    } else {
        state_.items.push_back({item.kind, uid, {}, {}, fields_of(item)});
    }
    return outcome;
}

// A task imported before is found by what it was then, wherever its day;
// changed there since, it is left as the user made it and the import's
// version added beside it.
Outcome Merge::apply_task(SyncedItem* known, const LocalItem& item) {
    const std::string key = calendar::day_key(item.day);
    if (known) {
        if (known->fields == fields_of(item)) return Outcome::unchanged;
        std::vector<store::PlanTask>& old_day = tasks(known->fields[0]);
        auto at =
            std::find(old_day.begin(), old_day.end(), item_of(ItemKind::task, known->fields)->task);
        if (at != old_day.end()) {
            if (known->fields[0] == key) {
                *at = item.task;
                return Outcome::updated;
            }
            old_day.erase(at);
            tasks(key).push_back(item.task);
            return Outcome::updated;
        }
    }
    std::vector<store::PlanTask>& day = tasks(key);
    const long present = std::count(day.begin(), day.end(), item.task);
    if (known && present > 0) return Outcome::unchanged;  // this version is here already
    if (!known && claim(ItemKind::task, fields_of(item), present)) return Outcome::unchanged;
    day.push_back(item.task);
    return Outcome::added;
}

// A note that differs from the day's is added to it as a paragraph of its
// own: neither text is lost.
Outcome Merge::apply_note(SyncedItem* known, const LocalItem& item) {
    const std::string key = calendar::day_key(item.day);
    std::string& text = note(key);
    if (text == item.note) return Outcome::unchanged;
    if (known && known->fields[0] == key && text == known->fields[1]) {
        text = item.note;
        return Outcome::updated;
    }
    if (store::is_blank_note(text)) {
        text = item.note;
        return Outcome::added;
    }
    if (text.find(item.note) != std::string::npos) return Outcome::unchanged;
    text += "\n\n" + item.note;
    return known ? Outcome::updated : Outcome::added;
}

Outcome Merge::apply_anniversary(SyncedItem* known, const LocalItem& item) {
    std::vector<calendar::Anniversary>& list = entries();
    if (known) {
        const calendar::Anniversary before = item_of(ItemKind::anniversary, known->fields)->entry;
        auto at = std::find_if(list.begin(), list.end(), [&](const calendar::Anniversary& entry) {
            return same_entry(entry, before);
        });
        if (at != list.end()) {
            if (same_entry(*at, item.entry)) return Outcome::unchanged;
            at->kind = item.entry.kind;
            at->date = item.entry.date;
            at->yearly = item.entry.yearly;
            at->description = item.entry.description;
            return Outcome::updated;
        }
    }
    const long present = std::count_if(
        list.begin(), list.end(), [&](const auto& entry) { return same_entry(entry, item.entry); });
    if (known && present > 0) return Outcome::unchanged;
    if (!known && claim(ItemKind::anniversary, fields_of(item), present)) {
        return Outcome::unchanged;
    }
    list.push_back(item.entry);
    return Outcome::added;
}

// A day left without tasks or note loses its record, as in the program.
store::FxError Merge::store_all() {
    store::DayStore days(work_folder_);
    for (const auto& [key, list] : tasks_) {
        if (const store::FxError saved = days.save_tasks(list, key); saved != store::FxError::none)
            return saved;
    }
    for (const auto& [key, text] : notes_) {
        const store::FxError saved = days.savedata2fx_note2(text, key);
        if (saved != store::FxError::none) return saved;
    }
    if (anniversaries_) {
        const store::FxError saved = calendar::save_anniversaries(work_folder_, *anniversaries_);
        if (saved != store::FxError::none) return saved;
    }
    return save_state(work_folder_, state_);
}

// At most `bytes` of the text, never half a character.
std::string shortened(const std::string& text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
    return text.substr(0, bytes) + "…";
}

std::string nothing_imported(store::FxError error) {
    return std::string("没有导入任何项目：") + store::describe(error) + "。数据文件保持原样。";
}

// Everything in one transaction: stored whole, or not at all.
void merge_all(const std::vector<Incoming>& components, const std::string& work_folder,
               SyncState& state, ImportReport& report) {
    store::ChangeBatch batch;
    if (batch.started() != store::FxError::none) {
        report.refused = nothing_imported(batch.started());
        return;
    }
    try {
        Merge merge(work_folder, state);
        for (const Incoming& component : components) {
            const Mapping mapped = map_incoming(component);
            if (!mapped.fits) {
                report.left_out.push_back(
                    {component.summary.empty() ? component.uid : component.summary, mapped.why});
                continue;
            }
            switch (merge.apply(component.uid, mapped.item)) {
                case Outcome::added: ++report.added; break;
                case Outcome::updated: ++report.updated; break;
                case Outcome::unchanged: ++report.unchanged; break;
            }
        }
        store::FxError stored = merge.store_all();
        if (stored == store::FxError::none) stored = batch.commit();
        if (stored != store::FxError::none) report.refused = nothing_imported(stored);
    } catch (const Unreadable& unreadable) {
        report.refused = nothing_imported(unreadable.error);
    }
}

}  // namespace

ImportReport import_calendar(std::string_view text, const std::string& work_folder,
                             const CalendarReader& reader) {
    ImportReport report;
    CalendarRead read = reader(text);
    if (!read.refused.empty()) {
        report.refused = "没有导入任何项目：" + read.refused + "。";
        return report;
    }
    report.left_out = std::move(read.left_out);
    SyncState state;
    if (const store::FxError loaded = load_state(work_folder, state);
        loaded != store::FxError::none) {
        report.refused = "没有导入任何项目：同步记录（" + std::string(state_record) +
                         "）无法读取：" + store::describe(loaded) + "。";
        return report;
    }
    merge_all(read.components, work_folder, state, report);
    if (!report.refused.empty()) report.added = report.updated = report.unchanged = 0;
    return report;
}

std::string report_text(const ImportReport& report) {
    if (!report.refused.empty()) return report.refused + "\n";
    std::string text = "导入了 " + std::to_string(report.added) + " 项，更新了 " +
                       std::to_string(report.updated) + " 项，" + std::to_string(report.unchanged) +
                       " 项已有";
    if (report.left_out.empty()) return text + "。\n";
    text += "；没有导入 " + std::to_string(report.left_out.size()) + " 项：\n";
    for (const LeftOut& item : report.left_out) {
        text += "  “" + shortened(item.what, 200) + "”：" + item.why + "\n";
    }
    return text;
}

}  // namespace velmora::sync
