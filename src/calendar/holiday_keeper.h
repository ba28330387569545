// The holiday arrangement the program works with: the shipped file, the
// renewed copy beside the data, and the table in force made of both. The
// download stores into the renewed copy on its worker; the keeper reads it
// again when told, and imports a file the user picked. Plain C++.
#pragma once

#include <string>

#include "calendar/holidays.h"

namespace velmora::calendar {

class HolidayKeeper {
public:
    // Reads both files; a damaged one is logged and leaves its marks out.
    void load(const std::string& shipped_path, const std::string& renewed_path);
    // Reads the renewed copy again, after something stored into it.
    void reload_renewed();

    const HolidayTable& in_force() const { return in_force_; }
    const HolidayTable& shipped() const { return shipped_; }
    const std::string& renewed_path() const { return renewed_path_; }
    // Whether the published files are to be asked: not yet on `today`.
    bool fetch_due(const std::string& today) const;

    struct Imported {
        bool stored = false;
        std::string message;  // what the user reads, whether stored or not
    };
    // A published per-year file, the iCalendar feed or a file of our own
    // format, read from a regular file of at most published_file_limit bytes.
    Imported import_file(const std::string& path, const std::string& today);

private:
    std::string renewed_path_;
    HolidayTable shipped_, renewed_, in_force_;
};

}  // namespace velmora::calendar
