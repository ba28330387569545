// Moving a day's records between the container and what shows them: a
// record is exported whole into the temporary working folder, read, and the
// staged file deleted; a save writes the staged file and imports it over the
// old record. The plan grid and the note text are plain values here, so the
// main window and the managers all use the same routines.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "store/day_records.h"

namespace velmora::store {

// Three columns (category letter, state, task text); row 0 is the header,
// tasks are rows 1 ... An empty list is one blank row.
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

    void load_schedule(PlanGrid& grid, const std::string& key);
    std::string load_note(const std::string& key);
    // Writes the grid to the key's plan record, or drops the record when the
    // grid is empty; an empty key touches nothing. Clears plan_dirty.
    void savedata2fx_schedule2(const PlanGrid& grid, const std::string& key);
    void savedata2fx_note2(const std::string& note, const std::string& key);

    // Set by every change to a plan grid, cleared by every plan save.
    bool plan_dirty = false;
    // The record text last read or written: the line buffer of the plans.
    const std::string& line_buffer() const { return line_buffer_; }

private:
    std::string temp_work_;
    std::string line_buffer_;
};

}  // namespace velmora::store
