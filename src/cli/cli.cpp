#include "cli/cli.h"

#include "sys/program_layout.h"

#include <cstdlib>

namespace velmora::cli {

namespace {

struct UsageError {
    std::string message;
};

// One command line after the program name, split into its parts.
struct Invocation {
    std::string data_dir;
    std::string command;
    std::vector<std::string> operands;
    bool header = false;
    bool help = false;
};

struct Command {
    const char* name;
    const char* usage;
    std::size_t min_operands;
    std::size_t max_operands;
    bool takes_header;
    bool needs_data;
    std::string (*run)(const Invocation&, const DataCommands&);
};

// A data command in the calendar program: the data program takes over.
struct HandOver {};

calendar::Date date_operand(const std::string& text) {
    auto date = calendar::parse_dashed_date(text);
    if (!date) throw UsageError{"not a date (yyyy-mm-dd): " + text};
    return *date;
}

int number_operand(const std::string& text, int low, int high, const char* what) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < low || value > high) {
        throw UsageError{std::string("not a ") + what + ": " + text};
    }
    return static_cast<int>(value);
}

std::string days_text(calendar::Date from, calendar::Date to, bool header) {
    std::string lines;
    if (header) lines += std::string(day_columns_header) + "\n";
    for (calendar::Date date = from;; ++date.day) {
        if (date.day > calendar::days_in_month(date.year, date.month)) {
            date = date.month == 12 ? calendar::Date{date.year + 1, 1, 1}
                                    : calendar::Date{date.year, date.month + 1, 1};
        }
        lines += day_line(date) + "\n";
        if (date == to) break;
    }
    return lines;
}

std::string run_day(const Invocation& call, const DataCommands&) {
    const calendar::Date date = date_operand(call.operands[0]);
    return days_text(date, date, call.header);
}

bool is_before(calendar::Date a, calendar::Date b) {
    if (a.year != b.year) return a.year < b.year;
    if (a.month != b.month) return a.month < b.month;
    return a.day < b.day;
}

std::string run_range(const Invocation& call, const DataCommands&) {
    const calendar::Date from = date_operand(call.operands[0]);
    const calendar::Date to = date_operand(call.operands[1]);
    if (is_before(to, from)) throw UsageError{"the range ends before it starts"};
    return days_text(from, to, call.header);
}

std::string run_month(const Invocation& call, const DataCommands&) {
    const int year = number_operand(call.operands[0], 1, 9999, "year (1-9999)");
    const int month = number_operand(call.operands[1], 1, 12, "month (1-12)");
    return month_grid(year, month);
}

std::string run_solar(const Invocation& call, const DataCommands&) {
    const int year = number_operand(call.operands[0], 1, 9999, "lunar year (1-9999)");
    const int month = number_operand(call.operands[1], 1, 12, "lunar month (1-12)");
    const int day = number_operand(call.operands[2], 1, 30, "lunar day (1-30)");
    const bool leap = call.operands.size() == 4;
    if (leap && call.operands[3] != "leap" && call.operands[3] != "闰") {
        throw UsageError{"not \"leap\": " + call.operands[3]};
    }
    return solar_text(year, month, leap, day, call.header);
}

std::string run_holidays(const Invocation& call, const DataCommands&) {
    return holidays_text(number_operand(call.operands[0], 1901, 9998, "year (1901-9998)"));
}

template <typename Function>
Function available(Function function) {
    if (!function) throw HandOver{};
    return function;
}

std::string run_plans(const Invocation& call, const DataCommands& data) {
    const calendar::Date date = date_operand(call.operands[0]);
    return available(data.plans)(call.data_dir, date);
}

std::string run_note(const Invocation& call, const DataCommands& data) {
    const calendar::Date date = date_operand(call.operands[0]);
    return available(data.note)(call.data_dir, date);
}

std::string run_bookmarks(const Invocation& call, const DataCommands& data) {
    return available(data.bookmarks)(call.data_dir);
}

std::string run_ls(const Invocation& call, const DataCommands& data) {
    return available(data.items)(call.data_dir, call.operands.empty() ? "" : call.operands[0]);
}

std::string run_export_ics(const Invocation& call, const DataCommands& data) {
    const auto command = available(data.export_ics);
    if (data.clock) return command(call.data_dir, call.operands[0], *data.clock);
    return command(call.data_dir, call.operands[0], sys::SystemClock());
}

std::string run_export_bookmarks(const Invocation& call, const DataCommands& data) {
    return available(data.export_bookmarks)(call.data_dir, call.operands[0]);
}

std::string run_import_ics(const Invocation& call, const DataCommands& data) {
    return available(data.import_ics)(call.data_dir, call.operands[0]);
}

std::string run_sync(const Invocation& call, const DataCommands& data) {
    const auto command = available(data.sync);
    if (data.clock) return command(call.data_dir, *data.clock);
    return command(call.data_dir, sys::SystemClock());
}

constexpr Command commands[] = {
    {"day",
     "usage: velmora-cli day [-H] DATE\n"
     "  One tab-separated line for DATE (yyyy-mm-dd): date, lunar date code, lunar month,\n"
     "  lunar day, lunar festival, solar term, year stem, year zodiac, Gregorian festival,\n"
     "  star sign, the text the month view shows, and 休 (public holiday) or 班 (weekend\n"
     "  worked in exchange) from the arrangement shipped with the program and the renewed\n"
     "  copy of the data folder (--data DIR, else the program's own), else empty.\n"
     "  -H adds a header line.\n",
     1, 1, true, false, run_day},
    {"range",
     "usage: velmora-cli range [-H] FROM TO\n"
     "  The lines of `day` for every date from FROM to TO (yyyy-mm-dd), both included.\n",
     2, 2, true, false, run_range},
    {"month",
     "usage: velmora-cli month YEAR MONTH\n"
     "  The month as a grid, Sunday first, each day with its calendar text; 休 or 班\n"
     "  before a day number marks a public holiday or a weekend worked in exchange.\n",
     2, 2, false, false, run_month},
    {"solar",
     "usage: velmora-cli solar [-H] YEAR MONTH DAY [leap]\n"
     "  The Gregorian date of a day of the Chinese calendar: lunar YEAR (the year its\n"
     "  正月初一 falls in), MONTH 1-12, DAY 1-30; \"leap\" (or 闰) for the leap month.\n"
     "  Prints the line of `day` for that date; -H adds a header line. Exit status 1\n"
     "  when there is no such day (a leap month the year lacks, a 30th in a month of\n"
     "  29 days, a day outside 1901-01-01..2050-12-31).\n",
     3, 4, true, false, run_solar},
    {"holidays",
     "usage: velmora-cli [--data DIR] holidays YEAR\n"
     "  The days off (休) and the weekend days worked in exchange (班) of YEAR's\n"
     "  arrangement, one tab-separated line each (date, mark, holiday), after lines\n"
     "  beginning with \"#\" that name its source: shipped, vendor, published or\n"
     "  imported, the day it was obtained, where from, and the notice. Exit status 3\n"
     "  when the year has no arrangement yet, saying what is known of it.\n",
     1, 1, false, false, run_holidays},
    {"plans",
     "usage: velmora-cli --data DIR plans DATE\n"
     "  The plan list of DATE stored in DIR/zenqdata.fx: category, state and text,\n"
     "  tab-separated, one task a line.\n",
     1, 1, false, true, run_plans},
    {"note",
     "usage: velmora-cli --data DIR note DATE\n"
     "  The note of DATE stored in DIR/zenqdata.fx.\n",
     1, 1, false, true, run_note},
    {"ls",
     "usage: velmora-cli --data DIR ls [PREFIX]\n"
     "  The items of DIR/zenqdata.fx whose name starts with PREFIX: index, item type,\n"
     "  lb and name, tab-separated.\n",
     0, 1, false, true, run_ls},
    {"bookmarks",
     "usage: velmora-cli --data DIR bookmarks\n"
     "  The bookmark tree of DIR/zenqdata.fx, one line per item in the tree's order: the\n"
     "  path below the root, a tab, and the address; a folder's path ends with \"/\".\n",
     0, 0, false, true, run_bookmarks},
    {"export-ics",
     "usage: velmora-cli --data DIR export-ics FILE\n"
     "  Writes the plans (as to-dos), the notes (as journal entries) and the\n"
     "  anniversaries (as all-day events; a yearly lunar one on each of its days\n"
     "  from this year to 2050) of DIR/zenqdata.fx to FILE, an iCalendar file.\n"
     "  FILE - is standard output.\n"
     "  An older FILE is replaced only once the new one is complete, and only when it\n"
     "  is a regular file of one name that may be written: a FIFO, a device, a folder,\n"
     "  a symbolic link (the file it points to is written by its own name), a file\n"
     "  with other hard links and a read-only file are refused and left as they are.\n",
     1, 1, false, true, run_export_ics},
    {"export-bookmarks",
     "usage: velmora-cli --data DIR export-bookmarks FILE\n"
     "  Writes the bookmark tree of DIR/zenqdata.fx to FILE as a bookmark file that\n"
     "  browsers import (UTF-8 HTML); FILE - is standard output. An older FILE is\n"
     "  replaced as export-ics replaces one, and refused where export-ics refuses.\n",
     1, 1, false, true, run_export_bookmarks},
    {"import-ics",
     "usage: velmora-cli --data DIR import-ics FILE\n"
     "  Merges the to-dos, journal entries and all-day events of FILE, an iCalendar\n"
     "  file, into DIR/zenqdata.fx by their UIDs: a to-do becomes a task of its due\n"
     "  day, a journal entry the note of its day (added as a paragraph to a different\n"
     "  note), an all-day event an anniversary. An item imported before is updated, an\n"
     "  item already there is not added again; what cannot be taken is listed with the\n"
     "  reason. Everything is stored at once, or nothing (exit status 2).\n",
     1, 1, false, true, run_import_ics},
    {"sync",
     "usage: velmora-cli --data DIR sync\n"
     "  One two-way sync of the plans, notes and anniversaries of DIR/zenqdata.fx with\n"
     "  the CalDAV calendar of the account in DIR/zenqset.kxi (section [sync], keys url\n"
     "  and user); the password comes from the environment variable\n"
     "  VELMORA_SYNC_PASSWORD. The program must not be running on DIR. Prints what was\n"
     "  sent and received; on failure one line says why (exit status 2) and nothing\n"
     "  local is changed.\n",
     0, 0, false, true, run_sync},
};

constexpr const char* general_usage =
    "usage: velmora-cli [--data DIR] COMMAND [ARGUMENTS]\n"
    "Commands:\n"
    "  day [-H] DATE           the calendar fields of one date\n"
    "  range [-H] FROM TO      the calendar fields of every date from FROM to TO\n"
    "  month YEAR MONTH        the month as a grid\n"
    "  holidays YEAR           the year's days off and make-up working days\n"
    "  plans DATE              the stored plan list of DATE (needs --data)\n"
    "  note DATE               the stored note of DATE (needs --data)\n"
    "  ls [PREFIX]             the container's items (needs --data)\n"
    "  bookmarks               the bookmark tree with its addresses (needs --data)\n"
    "  export-ics FILE         plans, notes and anniversaries as iCalendar (needs --data)\n"
    "  export-bookmarks FILE   the bookmark tree as a browser bookmark file (needs --data)\n"
    "  import-ics FILE         merges an iCalendar file into the container (needs --data)\n"
    "  sync                    two-way sync with a CalDAV calendar (needs --data)\n"
    "  solar [-H] Y M D [leap] the Gregorian date of a lunar day\n"
    "Dates are written yyyy-mm-dd. `velmora-cli COMMAND --help` describes a command.\n";

const Command* find_command(const std::string& name) {
    for (const Command& command : commands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

Invocation split(const std::vector<std::string>& args) {
    Invocation call;
    std::size_t i = 0;
    for (; i < args.size() && call.command.empty(); ++i) {
        if (args[i] == "--data") {
            if (++i == args.size()) throw UsageError{"--data needs a folder"};
            call.data_dir = args[i];
        } else if (args[i] == "--help" || args[i] == "-h") {
            call.help = true;
        } else if (args[i] == "-H") {
            call.header = true;  // before the command as well as after it
        } else if (!args[i].empty() && args[i][0] == '-') {
            throw UsageError{"unknown option " + args[i]};
        } else {
            call.command = args[i];
        }
    }
    for (; i < args.size(); ++i) {
        if (args[i] == "-H") {
            call.header = true;
        } else if (args[i] == "--help" || args[i] == "-h") {
            call.help = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            throw UsageError{"unknown option " + args[i]};
        } else {
            call.operands.push_back(args[i]);
        }
    }
    return call;
}

void check(const Command& command, const Invocation& call) {
    if (call.operands.size() < command.min_operands ||
        call.operands.size() > command.max_operands) {
        throw UsageError{std::string("wrong number of arguments for ") + command.name};
    }
    if (call.header && !command.takes_header) {
        throw UsageError{std::string("-H does not apply to ") + command.name};
    }
    if (command.needs_data && call.data_dir.empty() && !sys::program_layout().installed) {
        throw UsageError{std::string(command.name) + " needs --data DIR"};
    }
}

}  // namespace

Answer answer(const std::vector<std::string>& args, const DataCommands& data) {
    const char* usage = general_usage;
    try {
        Invocation call = split(args);
        // An installed program's data is the user's data folder.
        if (call.data_dir.empty() && sys::program_layout().installed) {
            call.data_dir = sys::program_layout().data_dir;
        }
        const Command* command = call.command.empty() ? nullptr : find_command(call.command);
        if (command) usage = command->usage;
        if (call.help) return {0, usage, {}};
        if (!command) {
            throw UsageError{call.command.empty() ? "no command given"
                                                  : "unknown command " + call.command};
        }
        check(*command, call);
        if (!call.data_dir.empty()) use_holidays_of(call.data_dir);
        return {0, command->run(call, data), {}};
    } catch (const HandOver&) {
        return {needs_data_program, {}, {}};
    } catch (const UsageError& error) {
        return {2, {}, "velmora-cli: " + error.message + "\n" + usage};
    } catch (const NoSuchDay& error) {
        return {1, {}, "velmora-cli: " + error.message + "\n"};
    } catch (const NotPublished& error) {
        return {3, {}, "velmora-cli: " + error.message + "\n"};
    } catch (const DataError& error) {
        return {2, {}, error.message + "\n"};
    }
}

}  // namespace velmora::cli
