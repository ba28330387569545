// Moving a day's records between the container and what shows them: a
// record is exported whole into the temporary working folder, read, and the
// staged file deleted; a save writes the staged file and imports it over the
// old record. The plan grid and the note text are plain values here, so the
// main window and the managers all use the same routines.
#pragma once

#include <array>
#include <set>
#include <string>
#include <vector>

#include "store/day_records.h"
#include "store/fx_error.h"

namespace velmora::store {

// Three columns (category letter, state, task text). Row 0 stands for the
// header, which the table showing the grid draws as its captions; tasks are
// rows 1 and on. An empty list is one blank row.
class PlanGrid {
public:
    using Row = std::array<std::string, 3>;

    PlanGrid();
    int row_count() const { return static_cast<int>(rows_.size()); }
    const Row& row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    Row& row(int index) { return rows_.at(static_cast<std::size_t>(index)); }
    void clear();  // header and one blank row
    void add_row() { rows_.push_back({}); }
    void remove_row(int index);
    // The grid counts as empty when cell (0, 1) is blank.
    bool is_empty() const;
    std::vector<PlanTask> tasks() const;

private:
    std::vector<Row> rows_;
};

class DayStore {
public:
    // `temp_work` is the temporary working folder, without a trailing separator.
    explicit DayStore(std::string temp_work) : temp_work_(std::move(temp_work)) {}

    // Fill the grid or the note from the key's record; answer none when the
    // record was read (or the day has none). A record that could not be
    // read leaves an empty grid or note, and until it is read again nothing
    // is saved over it.
    FxError load_schedule(PlanGrid& grid, const std::string& key);
    FxError load_note(const std::string& key, std::string& note);
    // Writes the grid to the key's plan record, or drops the record when the
    // grid is empty; an empty key touches nothing.
    FxError savedata2fx_schedule2(const PlanGrid& grid, const std::string& key);
    // The same for a list of tasks (none: the record goes).
    FxError save_tasks(const std::vector<PlanTask>& tasks, const std::string& key);
    FxError savedata2fx_note2(const std::string& note, const std::string& key);

    // Whether the day of a "yyyymmdd" key has a plan or a note stored: the
    // marks of the month view.
    static bool has_plan(const std::string& key);
    static bool has_note(const std::string& key);
    // The record text last read or written: the line buffer of the plans.
    const std::string& line_buffer() const { return line_buffer_; }

private:
    // Node paths of records that failed to load: never written over.
    std::set<std::string> unreadable_;
    FxError remember_read(const std::string& node_path, FxError error);
    FxError store_record(const std::string& node_path, const std::string& folder,
                         const std::string& key, const std::string& bytes);

    std::string temp_work_;
    std::string line_buffer_;
};

// What the user is told about a day's record ("yyyymmdd" key) that could
// not be read, or not saved.
enum class DayRecord { plans, note };
// "yyyy-mm-dd" for a "yyyymmdd" key; any other text as it is.
std::string shown_date(const std::string& key);
std::string day_unreadable_message(DayRecord record, const std::string& key, FxError error);
std::string day_not_saved_message(DayRecord record, const std::string& key, FxError error);

}  // namespace velmora::store
