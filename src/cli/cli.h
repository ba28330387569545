// velmora-cli, the command-line companion: the calendar engine's answers for
// days and months, and read access to a data folder's container. Everything
// it prints is UTF-8.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/DateCn.h"
#include "sys/clock.h"

namespace velmora::cli {

// Commands on a data folder; they throw DataError with a message for stderr.
struct DataError {
    std::string message;
};

// The commands that read a data folder. Only the program that carries the
// store fills them in: the calendar program stays free of it, so that a
// process converting one date pays for the lunar engine alone.
struct DataCommands {
    std::string (*plans)(const std::string& data_dir, calendar::Date date) = nullptr;
    std::string (*note)(const std::string& data_dir, calendar::Date date) = nullptr;
    std::string (*items)(const std::string& data_dir, const std::string& prefix) = nullptr;
    std::string (*bookmarks)(const std::string& data_dir) = nullptr;
    // Exports into `file`; the answer says what was written (for "-", the
    // answer is the file itself, for standard output). The calendar export
    // takes its time and year from `clock`.
    std::string (*export_ics)(const std::string& data_dir, const std::string& file,
                              const sys::Clock& clock) = nullptr;
    std::string (*export_bookmarks)(const std::string& data_dir, const std::string& file) = nullptr;
    // Merges the calendar file into the container; the answer is the report.
    std::string (*import_ics)(const std::string& data_dir, const std::string& file) = nullptr;
    // One two-way sync with the account of the data folder's settings.
    std::string (*sync)(const std::string& data_dir, const sys::Clock& clock) = nullptr;
    const sys::Clock* clock = nullptr;
};

// What one command line (without the program name) gives: the exit status
// (0 done, 1 when a command finds nothing to answer, 3 for a year without a
// holiday arrangement, 2 for invalid
// arguments or a data folder that cannot be read, `needs_data_program` for
// a valid data command when `data` lacks it) and
// the texts for standard output and standard error. The calendar program
// writes them with the C library alone: no stream, no locale to set up.
inline constexpr int needs_data_program = 125;
struct Answer {
    int status = 0;
    std::string out;
    std::string err;
};
Answer answer(const std::vector<std::string>& args, const DataCommands& data);
// With every command, onto streams: the data program's entry (on the
// system's clock), and the tests' (on a clock of their own).
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const sys::Clock& clock);
// The name of the program that runs the data commands, beside velmora-cli.
inline constexpr const char* data_program_name = "velmora-cli-data";

// The columns of `day` and `range`, tab-separated, without a line end.
extern const char* const day_columns_header;
std::string day_line(calendar::Date date);

// The month as a grid, Sunday first: a title with the year's stem and zodiac,
// the weekday heads, then for each week a line of day numbers and a line of
// the texts the month view shows under them.
std::string month_grid(int year, int month);

// Columns a terminal gives the text: two for a CJK character, one otherwise.
int display_width(std::string_view utf8);

// A command that ran but found nothing to answer: exit status 1, the
// message on standard error.
struct NoSuchDay {
    std::string message;
};
// A year without a holiday arrangement: exit status 3, the message saying
// what is known of it on standard error.
struct NotPublished {
    std::string message;
};
// The marks of `year`'s arrangement after lines naming its source; throws
// NotPublished when there is none.
std::string holidays_text(int year);
// The data folder whose renewed holiday copy `day`, `range`, `month` and
// `holidays` use; empty: this program's own folder.
void use_holidays_of(const std::string& data_dir);

// `solar`: the line of `day` (after the header when asked) for the Gregorian
// date of a lunar day; throws NoSuchDay, saying why, when there is none.
std::string solar_text(int lunar_year, int lunar_month, bool leap, int lunar_day, bool header);

std::string plans_text(const std::string& data_dir, calendar::Date date);
std::string note_text(const std::string& data_dir, calendar::Date date);
std::string items_text(const std::string& data_dir, const std::string& prefix);
std::string bookmarks_text(const std::string& data_dir);

}  // namespace velmora::cli
