#include "sync/local_snapshot.h"

#include <algorithm>

#include "store/day_store.h"
#include "store/fx_tree.h"
#include "store/record_days.h"
#include "store/record_io.h"

namespace velmora::sync {

namespace {

// The keys of every day of `folder` that holds a record.
std::vector<std::string> stored_keys(const char* folder, store::FxError& error) {
    std::vector<std::string> keys;
    for (const auto& [year, months] : store::stored_record_days(folder)) {
        for (const auto& [month, days] : months) {
            for (const std::string& day : days) {
                std::string key = year;
                key.append(month).append(day);
                keys.push_back(std::move(key));
            }
        }
    }
    error = store::last_error_or(store::FxError::none);
    return keys;
}

calendar::Date date_of_key(const std::string& key) {
    return {std::stoi(key.substr(0, 4)), std::stoi(key.substr(4, 2)), std::stoi(key.substr(6, 2))};
}

}  // namespace

bool same_item(const LocalItem& a, const LocalItem& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
        case ItemKind::task: return a.day == b.day && a.task == b.task;
        case ItemKind::note: return a.day == b.day && a.note == b.note;
        case ItemKind::anniversary: return same_entry(a.entry, b.entry);
    }
    return false;
}

store::FxError LocalSnapshot::read(const std::string& work_folder) {
    store::FxError error = store::FxError::none;
    for (const std::string& key : stored_keys(store::plan_folder, error)) {
        const store::RecordRead read =
            store::read_record(store::plan_record_name(key), work_folder);
        if (read.failed()) return read.error;
        tasks_[key] = store::parse_plan_record(read.bytes);
    }
    if (error != store::FxError::none) return error;
    for (const std::string& key : stored_keys(store::note_folder, error)) {
        const store::RecordRead read =
            store::read_record(store::note_record_name(key), work_folder);
        if (read.failed()) return read.error;
        notes_[key] = store::note_from_record(read.bytes);
    }
    if (error != store::FxError::none) return error;
    return calendar::load_anniversaries(work_folder, anniversaries_);
}

store::FxError LocalSnapshot::write(const std::string& work_folder) const {
    store::DayStore days(work_folder);
    for (const std::string& key : changed_tasks_) {
        const auto found = tasks_.find(key);
        const store::FxError saved = days.save_tasks(
            found == tasks_.end() ? std::vector<store::PlanTask>() : found->second, key);
        if (saved != store::FxError::none) return saved;
    }
    for (const std::string& key : changed_notes_) {
        const auto found = notes_.find(key);
        const store::FxError saved =
            days.savedata2fx_note2(found == notes_.end() ? std::string() : found->second, key);
        if (saved != store::FxError::none) return saved;
    }
    if (!changed_anniversaries_) return store::FxError::none;
    return calendar::save_anniversaries(work_folder, anniversaries_);
}

std::vector<LocalItem> LocalSnapshot::items() const {
    std::vector<LocalItem> items;
    for (const auto& [key, list] : tasks_) {
        for (const store::PlanTask& task : list) {
            LocalItem item;
            item.kind = ItemKind::task;
            item.day = date_of_key(key);
            item.task = task;
            items.push_back(std::move(item));
        }
    }
    for (const auto& [key, text] : notes_) {
        if (store::is_blank_note(text)) continue;
        LocalItem item;
        item.kind = ItemKind::note;
        item.day = date_of_key(key);
        item.note = text;
        items.push_back(std::move(item));
    }
    for (const calendar::Anniversary& entry : anniversaries_.entries) {
        LocalItem item;
        item.kind = ItemKind::anniversary;
        item.entry = entry;
        items.push_back(std::move(item));
    }
    return items;
}

void LocalSnapshot::add(const LocalItem& item) {
    const std::string key = calendar::day_key(item.day);
    switch (item.kind) {
        case ItemKind::task:
            tasks_[key].push_back(item.task);
            changed_tasks_.insert(key);
            break;
        case ItemKind::note: {
            std::string& text = notes_[key];
            text = store::is_blank_note(text) ? item.note : text + "\n\n" + item.note;
            changed_notes_.insert(key);
            break;
        }
        case ItemKind::anniversary:
            anniversaries_.entries.push_back(item.entry);
            changed_anniversaries_ = true;
            break;
    }
}

bool LocalSnapshot::remove(const LocalItem& item) {
    const std::string key = calendar::day_key(item.day);
    switch (item.kind) {
        case ItemKind::task: {
            auto& list = tasks_[key];
            const auto at = std::find(list.begin(), list.end(), item.task);
            if (at == list.end()) return false;
            list.erase(at);
            changed_tasks_.insert(key);
            return true;
        }
        case ItemKind::note:
            if (notes_[key] != item.note) return false;
            notes_[key].clear();
            changed_notes_.insert(key);
            return true;
        case ItemKind::anniversary: {
            auto& list = anniversaries_.entries;
            const auto at = std::find_if(list.begin(), list.end(), [&](const auto& entry) {
                return same_entry(entry, item.entry);
            });
            if (at == list.end()) return false;
            list.erase(at);
            changed_anniversaries_ = true;
            return true;
        }
    }
    return false;
}

bool LocalSnapshot::replace(const LocalItem& before, const LocalItem& after) {
    if (before.kind == ItemKind::task && after.kind == ItemKind::task && before.day == after.day) {
        const std::string key = calendar::day_key(before.day);
        auto& list = tasks_[key];
        const auto at = std::find(list.begin(), list.end(), before.task);
        if (at == list.end()) return false;
        *at = after.task;
        changed_tasks_.insert(key);
        return true;
    }
    if (before.kind == ItemKind::anniversary && after.kind == ItemKind::anniversary) {
        auto& list = anniversaries_.entries;
        const auto at = std::find_if(list.begin(), list.end(), [&](const auto& entry) {
            return same_entry(entry, before.entry);
        });
        if (at == list.end()) return false;
        at->kind = after.entry.kind;
        at->date = after.entry.date;
        at->yearly = after.entry.yearly;
        at->description = after.entry.description;
        changed_anniversaries_ = true;
        return true;
    }
    if (!remove(before)) return false;
    add(after);
    return true;
}

}  // namespace velmora::sync
