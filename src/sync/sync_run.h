// One run of the two-way sync with a CalDAV calendar collection (RFC 4791,
// RFC 6578). The container is read whole, the local changes since the last
// run are found against the sync state, the server's changes are fetched,
// both are merged, and the results go both ways: the records and the state
// in one container transaction, the uploads with If-Match / If-None-Match.
// New items get their UIDs stored before anything is uploaded, so a run cut
// off anywhere never uploads one item twice; the next run finishes the work.
#pragma once

#include <functional>
#include <string>

#include "sync/dav_client.h"
#include "sync/ics_import.h"

namespace velmora::sync {

struct SyncAccount {
    std::string collection;  // the calendar collection's address, ending in "/"
    std::string user;
    std::string password;
};

// What a run needs from outside: the requests, the readers of the answers,
// the year the lunar anniversaries are listed from, the DTSTAMP, and a
// maker of new UIDs.
struct SyncLinks {
    DavTransport send;
    std::function<Multistatus(std::string_view xml)> read_multistatus;
    CalendarReader read_calendar;
    int this_year = 2026;
    std::string stamp;  // "yyyymmddThhmmssZ"
    std::function<std::string()> new_uid;
};

struct SyncOutcome {
    bool ok = false;
    std::string message;  // for the user: what was done, or why not
    int uploaded = 0;
    int received = 0;
    int deleted = 0;
    int conflicts = 0;
};

// The container must be open; `work_folder` is a staging folder.
SyncOutcome run_sync(const SyncAccount& account, const std::string& work_folder,
                     const SyncLinks& links);

// The mark a server's version carries when both sides changed one item.
inline constexpr const char* other_device_mark = "（来自另一台设备）";

}  // namespace velmora::sync
