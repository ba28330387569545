#include "sync/sync_run.h"

#include <map>
#include <optional>
#include <set>

#include "store/fx_tree.h"
#include "sync/collection_address.h"
#include "sync/local_snapshot.h"
#include "sync/sync_state.h"

namespace velmora::sync {

namespace {

enum class LocalChange { unchanged, edited, deleted };

// One item the state remembers, with what became of it on each side.
struct Tracked {
    std::size_t state = 0;
    LocalChange local = LocalChange::deleted;
    std::optional<LocalItem> now;  // the local item, unless deleted
    bool server_removed = false;
    std::optional<LocalItem> server;  // the server's changed version
    std::string server_etag;
};

struct Failure {
    std::string message;
};

// A stable name for the server's version of a conflict: made again by a
// run that repeats the work, so the copy is never uploaded twice.
std::string conflict_uid(const std::string& uid, const std::string& etag) {
    std::uint64_t hash = 1469598103934665603ull;
    std::string named = uid;
    named.append("\n").append(etag);
    for (unsigned char c : named) hash = (hash ^ c) * 1099511628211ull;
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 16; ++i) text += hex[(hash >> (4 * i)) & 15];
    return "conflict-" + text + "@velmora";
}

class Run {
public:
    Run(const SyncAccount& account, const std::string& work_folder, const SyncLinks& links)
        : account_(account), work_(work_folder), links_(links) {
        std::tie(origin_, folder_) = split_address(account.collection);
        folder_ = canonical_href(folder_);
    }

    SyncOutcome run();

private:
    DavResponse send(const std::string& method, const std::string& href, std::string body,
                     std::vector<std::pair<std::string, std::string>> headers) const;
    void load();
    void ensure_collection();
    void find_local_changes();
    void list_server();
    void fetch_changed();
    void adopt_new_local_items();
    void store_pending_uids();
    void merge();
    void merge_one(Tracked& item);
    void take_from_server(const Tracked& item);
    void merge_server_removal(const Tracked& item);
    bool merge_server_change(const Tracked& item);
    void keep_both(const Tracked& item);
    void upload();
    void store_all();
    std::optional<LocalItem> fetch_item(const std::string& href, std::string& etag,
                                        std::string& uid);
    void put(SyncedItem& item, const LocalItem& local, bool create);

    const SyncAccount& account_;
    const std::string& work_;
    const SyncLinks& links_;
    std::string origin_, folder_;
    SyncState state_;
    LocalSnapshot snapshot_;
    std::vector<LocalItem> locals_;
    std::vector<bool> claimed_;
    std::vector<Tracked> tracked_;
    std::map<std::string, std::string> listed_;  // href -> etag on the server
    std::set<std::string> removed_;
    std::string token_;
    std::vector<std::size_t> to_upload_;  // state indices, created with If-None-Match
    std::set<std::size_t> to_create_;
    std::vector<std::size_t> to_delete_;
    std::set<std::size_t> dropped_;
    SyncOutcome outcome_;
};

DavResponse Run::send(const std::string& method, const std::string& href, std::string body,
                      std::vector<std::pair<std::string, std::string>> headers) const {
    DavRequest request;
    request.method = method;
    request.url = href.rfind("http", 0) == 0 ? href : origin_ + href;
    request.user = account_.user;
    request.password = account_.password;
    request.body = std::move(body);
    request.headers = std::move(headers);
    return links_.send(request);
}

void Run::load() {
    if (const store::FxError loaded = load_state(work_, state_); loaded != store::FxError::none) {
        throw Failure{std::string("同步记录无法读取：") + store::describe(loaded)};
    }
    if (const store::FxError read = snapshot_.read(work_); read != store::FxError::none) {
        throw Failure{std::string("数据无法读取：") + store::describe(read)};
    }
    locals_ = snapshot_.items();
    claimed_.assign(locals_.size(), false);
}

// A collection that is not there yet is made; one that changed since the
// last run starts afresh: every item is new to it.
void Run::ensure_collection() {
    const DavResponse found = send("PROPFIND", folder_, {}, {{"Depth", "0"}});
    if (found.status == 404) {
        const DavResponse made = send("MKCALENDAR", folder_, {}, {});
        if (!made.ok()) throw Failure{request_failure(made, "建立日历")};
    } else if (found.ok() && found.status != 207) {
        throw Failure{"这个地址不是 CalDAV 日历（服务器回答的是“" +
                      found.content_type.substr(0, 60) + "”），请检查设置中的日历地址"};
    } else if (found.status != 207) {
        throw Failure{request_failure(found, "连接服务器")};
    }
    if (state_.collection != account_.collection) {
        for (SyncedItem& item : state_.items) item.href.clear(), item.etag.clear();
        state_.collection = account_.collection;
        state_.token.clear();
    }
}

// Each remembered item is found among the local ones: the same item, else
// the same text (edited or moved), else the first unclaimed one of its day
// (edited); what is not found was deleted here.
void Run::find_local_changes() {
    const auto claim = [this](const auto& fits) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < locals_.size(); ++i) {
            if (!claimed_[i] && fits(locals_[i])) {
                claimed_[i] = true;
                return i;
            }
        }
        return std::nullopt;
    };
    std::vector<std::optional<LocalItem>> before(state_.items.size());
    for (std::size_t s = 0; s < state_.items.size(); ++s) {
        before[s] = item_of(state_.items[s].kind, state_.items[s].fields);
        tracked_.push_back({s, LocalChange::deleted, std::nullopt, false, std::nullopt, {}});
        if (!before[s]) continue;
        if (auto i = claim([&](const LocalItem& l) { return same_item(l, *before[s]); })) {
            tracked_[s].local = LocalChange::unchanged;
            tracked_[s].now = locals_[*i];
        }
    }
    for (std::size_t s = 0; s < state_.items.size(); ++s) {
        if (!before[s] || tracked_[s].local == LocalChange::unchanged) continue;
        const LocalItem& was = *before[s];
        auto i = claim([&](const LocalItem& l) {
            if (l.kind != was.kind) return false;
            if (l.kind == ItemKind::task) return l.task.text == was.task.text;
            if (l.kind == ItemKind::note) return l.day == was.day;
            return l.entry.description == was.entry.description;
        });
        if (!i && was.kind == ItemKind::task) {
            i = claim([&](const LocalItem& l) { return l.kind == was.kind && l.day == was.day; });
        }
        if (i) {
            tracked_[s].local = LocalChange::edited;
            tracked_[s].now = locals_[*i];
        }
    }
}

void Run::list_server() {
    const auto report = [this](const std::string& token) {
        return send("REPORT", folder_,
                    "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:sync-collection "
                    "xmlns:d=\"DAV:\"><d:sync-token>" +
                        token +
                        "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/>"
                        "</d:prop></d:sync-collection>",
                    {{"Content-Type", "application/xml; charset=utf-8"}, {"Depth", "1"}});
    };
    bool full = state_.token.empty();
    DavResponse answer = report(state_.token);
    if (!full && (answer.status == 403 || answer.status == 409 || answer.status == 400)) {
        full = true;  // the token was refused: the whole listing, compared by ETag
        answer = report({});
    }
    if (answer.status != 207) throw Failure{request_failure(answer, "读取服务器上的变动")};
    const Multistatus listing = links_.read_multistatus(answer.body);
    if (!listing.refused.empty()) throw Failure{"读取服务器上的变动失败：" + listing.refused};
    token_ = listing.sync_token;
    for (const DavItem& item : listing.items) {
        const std::string* etag = item.property("DAV:getetag");
        const std::string href = canonical_href(item.href);
        if (item.status == 404 || (!etag && item.status != 0)) {
            removed_.insert(href);
        } else if (etag && href != folder_) {
            listed_[href] = *etag;
        }
    }
    if (!full) return;
    for (const SyncedItem& item : state_.items) {
        if (!item.etag.empty() && !listed_.count(item.href)) removed_.insert(item.href);
    }
}

std::optional<LocalItem> Run::fetch_item(const std::string& href, std::string& etag,
                                         std::string& uid) {
    const DavResponse got = send("GET", href, {}, {});
    if (got.status == 404) return std::nullopt;
    if (!got.ok()) throw Failure{request_failure(got, "读取服务器上的项目")};
    const CalendarRead read = links_.read_calendar(got.body);
    if (!read.refused.empty())
        throw Failure{"服务器上的项目 " + href + " 无法读取：" + read.refused};
    if (!got.etag.empty()) etag = got.etag;
    for (const Incoming& component : read.components) {
        const Mapping mapped = map_incoming(component);
        uid = component.uid;
        if (mapped.fits) return mapped.item;
    }
    return std::nullopt;  // an item of another kind: left to the clients it belongs to
}

void Run::fetch_changed() {
    std::map<std::string, std::size_t> by_href;
    for (std::size_t s = 0; s < state_.items.size(); ++s) {
        if (!state_.items[s].href.empty()) by_href[state_.items[s].href] = s;
    }
    for (Tracked& item : tracked_) {
        const SyncedItem& known = state_.items[item.state];
        if (removed_.count(known.href) && !known.etag.empty()) item.server_removed = true;
    }
    for (const auto& [href, etag] : listed_) {
        const auto known = by_href.find(href);
        if (known != by_href.end() && state_.items[known->second].etag == etag) continue;
        std::string fetched_etag = etag, uid;
        std::optional<LocalItem> server = fetch_item(href, fetched_etag, uid);
        if (known != by_href.end()) {
            Tracked& item = tracked_[known->second];
            item.server_etag = fetched_etag;
            item.server = server;
            if (!server) state_.items[known->second].etag = fetched_etag;
            continue;
        }
        if (!server) continue;
        SyncedItem* same_uid = state_.find(uid);
        if (same_uid && same_uid->href.empty()) {  // imported before, now met on the server
            same_uid->href = href;
            Tracked& item = tracked_[static_cast<std::size_t>(same_uid - state_.items.data())];
            item.server = server;
            item.server_etag = fetched_etag;
            continue;
        }
        state_.items.push_back({server->kind, uid, href, {}, {}});
        tracked_.push_back({state_.items.size() - 1, LocalChange::deleted, std::nullopt, false,
                            server, fetched_etag});
        tracked_.back().local = LocalChange::unchanged;  // nothing here yet: the server's stands
    }
}

// Local items the state does not know get their UIDs now, and items known
// by UID alone (imported) the name they will have on the server.
void Run::adopt_new_local_items() {
    for (SyncedItem& item : state_.items) {
        if (item.href.empty()) item.href = folder_ + file_name_of(item.uid);
    }
    for (std::size_t i = 0; i < locals_.size(); ++i) {
        if (claimed_[i]) continue;
        const std::string uid = links_.new_uid();
        state_.items.push_back(
            {locals_[i].kind, uid, folder_ + file_name_of(uid), {}, fields_of(locals_[i])});
        tracked_.push_back(
            {state_.items.size() - 1, LocalChange::unchanged, locals_[i], false, std::nullopt, {}});
    }
}

// Before anything goes up: the UIDs of the new items are stored, so that
// a run cut off after an upload finds the item on the server by its name.
void Run::store_pending_uids() {
    store::ChangeBatch batch;
    store::FxError saved = batch.started();
    if (saved == store::FxError::none) saved = save_state(work_, state_);
    if (saved == store::FxError::none) saved = batch.commit();
    if (saved != store::FxError::none) {
        throw Failure{std::string("同步记录无法保存：") + store::describe(saved)};
    }
}

void Run::merge() {
    const std::size_t known = tracked_.size();
    for (std::size_t t = 0; t < known; ++t) merge_one(tracked_[t]);
}

void Run::merge_one(Tracked& item) {
    const bool new_on_server = !item.now && item.local == LocalChange::unchanged;
    if (new_on_server || (item.local == LocalChange::deleted && item.server)) {
        take_from_server(item);  // only the server has it: it comes here
    } else if (item.local == LocalChange::deleted) {
        const bool gone = item.server_removed || state_.items[item.state].etag.empty();
        gone ? void(dropped_.insert(item.state)) : to_delete_.push_back(item.state);
    } else if (item.server_removed) {
        merge_server_removal(item);
    } else if (!item.server || merge_server_change(item)) {
        SyncedItem& synced = state_.items[item.state];
        if (item.local == LocalChange::edited || synced.etag.empty()) {
            synced.fields = fields_of(*item.now);
            to_upload_.push_back(item.state);
        }
    }
}

void Run::take_from_server(const Tracked& item) {
    snapshot_.add(*item.server);
    SyncedItem& synced = state_.items[item.state];
    synced.fields = fields_of(*item.server);
    synced.etag = item.server_etag;
    ++outcome_.received;
}

// Deleted there: gone here too, unless changed here, which then stays.
void Run::merge_server_removal(const Tracked& item) {
    if (item.local == LocalChange::unchanged) {
        snapshot_.remove(*item.now);
        dropped_.insert(item.state);
        ++outcome_.deleted;
        return;
    }
    state_.items[item.state].etag.clear();
    to_create_.insert(item.state);
}

// True when the local version is still to go up.
bool Run::merge_server_change(const Tracked& item) {
    SyncedItem& synced = state_.items[item.state];
    synced.etag = item.server_etag;
    const bool same = same_item(*item.server, *item.now);
    if (item.local == LocalChange::unchanged || same) {
        if (!same) snapshot_.replace(*item.now, *item.server);
        synced.fields = fields_of(*item.server);
        if (!same) ++outcome_.received;
        return false;
    }
    keep_both(item);
    return true;
}

// Changed on both sides: the local item stays as it is (and goes up), and
// the server's version comes here as a copy of its own, marked.
void Run::keep_both(const Tracked& item) {
    LocalItem copy = *item.server;
    if (copy.kind == ItemKind::task) copy.task.text += other_device_mark;
    if (copy.kind == ItemKind::note) copy.note = std::string(other_device_mark) + "\n" + copy.note;
    if (copy.kind == ItemKind::anniversary) copy.entry.description += other_device_mark;
    snapshot_.add(copy);
    const std::string uid = conflict_uid(state_.items[item.state].uid, item.server_etag);
    state_.items.push_back({copy.kind, uid, folder_ + file_name_of(uid), {}, fields_of(copy)});
    to_create_.insert(state_.items.size() - 1);
    ++outcome_.conflicts;
}

void Run::put(SyncedItem& item, const LocalItem& local, bool create) {
    const std::string text = calendar_text(local, item.uid, links_.this_year, links_.stamp);
    if (text.empty()) return;
    std::vector<std::pair<std::string, std::string>> headers = {
        {"Content-Type", "text/calendar; charset=utf-8"}};
    headers.emplace_back(create ? "If-None-Match" : "If-Match", create ? "*" : item.etag);
    const DavResponse put = send("PUT", item.href, text, headers);
    if (put.status == 412 && create && listed_.count(item.href)) {
        item.etag = listed_[item.href];  // a run cut off after this upload made it
        return;
    }
    if (put.status == 412) return;  // changed there meanwhile: the next run merges it
    if (!put.ok()) throw Failure{request_failure(put, "上传")};
    item.etag = put.etag;
    ++outcome_.uploaded;
}

void Run::upload() {
    for (const std::size_t s : to_upload_) {
        SyncedItem& item = state_.items[s];
        const std::optional<LocalItem> local = item_of(item.kind, item.fields);
        if (local) put(item, *local, item.etag.empty());
    }
    for (const std::size_t s : to_create_) {
        SyncedItem& item = state_.items[s];
        const std::optional<LocalItem> local = item_of(item.kind, item.fields);
        if (local) put(item, *local, true);
    }
    for (const std::size_t s : to_delete_) {
        const SyncedItem& item = state_.items[s];
        const DavResponse gone = send("DELETE", item.href, {}, {{"If-Match", item.etag}});
        if (gone.ok() || gone.status == 404) {
            dropped_.insert(s);
            ++outcome_.deleted;
        } else if (gone.status != 412) {
            throw Failure{request_failure(gone, "删除")};
        }
    }
}

void Run::store_all() {
    std::vector<SyncedItem> kept;
    for (std::size_t s = 0; s < state_.items.size(); ++s) {
        if (!dropped_.count(s)) kept.push_back(std::move(state_.items[s]));
    }
    state_.items = std::move(kept);
    state_.token = token_;
    store::ChangeBatch batch;
    store::FxError saved = batch.started();
    if (saved == store::FxError::none) saved = snapshot_.write(work_);
    if (saved == store::FxError::none) saved = save_state(work_, state_);
    if (saved == store::FxError::none) saved = batch.commit();
    if (saved != store::FxError::none) {
        throw Failure{std::string("同步的结果无法保存：") + store::describe(saved) +
                      "。本地数据保持原样，下次同步时会再做一次"};
    }
}

SyncOutcome Run::run() {
    try {
        load();
        ensure_collection();
        find_local_changes();
        list_server();
        fetch_changed();
        adopt_new_local_items();
        store_pending_uids();
        merge();
        upload();
        store_all();
    } catch (const Failure& failure) {
        outcome_.ok = false;
        outcome_.message = "同步失败：" + failure.message;
        return outcome_;
    }
    outcome_.ok = true;
    outcome_.message = "已同步：上传 " + std::to_string(outcome_.uploaded) + " 项，收到 " +
                       std::to_string(outcome_.received) + " 项，删除 " +
                       std::to_string(outcome_.deleted) + " 项";
    if (outcome_.conflicts > 0) {
        outcome_.message += "；" + std::to_string(outcome_.conflicts) +
                            " 项在两边都改过，两个版本都保留了，另一台设备的版本标有“" +
                            other_device_mark + "”";
    }
    return outcome_;
}

}  // namespace

SyncOutcome run_sync(const SyncAccount& account, const std::string& work_folder,
                     const SyncLinks& links) {
    Run run(account, work_folder, links);
    return run.run();
}

}  // namespace velmora::sync
