// Run by the build: writes the source that carries the shipped holiday file
// inside velmora-cli (see built_in_holidays.h). The marks come from the
// parser the program reads the file with, and from the table that parser
// gives without a renewed copy, so they are the marks the file gives.
// Usage: built_in_holidays_writer zenqholiday.txt OUTPUT.cpp
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "calendar/holidays.h"
#include "cli/built_in_holidays.h"

namespace {

using velmora::calendar::Date;
using velmora::calendar::DayOff;
using velmora::calendar::HolidayTable;
using velmora::cli::built_in_holidays::Mark;

// Line by line, every byte outside printable ASCII as a three-digit octal
// escape: unlike a hex escape, it can never run on into the next character.
std::string literal_of(const std::string& text) {
    std::string literal = "    \"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            literal += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", byte);
            literal += escape;
        }
        if (c == '\n') literal += "\"\n    \"";
    }
    return literal + "\"";
}

// Every date from the December before the first arrangement to the
// January after the last, as the table marks it.
std::vector<Mark> marks_of(const HolidayTable& table) {
    std::vector<Mark> marks;
    const int last_year = table.arrangements().back().year;
    for (int year = table.first_year() - 1; year <= last_year + 1; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= velmora::calendar::days_in_month(year, month); ++day) {
                const Date date{year, month, day};
                const DayOff kind = table.mark(date).kind;
                if (kind == DayOff::none) continue;
                marks.push_back({velmora::cli::built_in_holidays::key_of(date), kind});
            }
        }
    }
    return marks;
}

const char* enumerator(DayOff kind) {
    return kind == DayOff::rest ? "rest" : "work";
}

std::string source_of(const std::string& text, const std::vector<Mark>& marks) {
    std::string source =
        "// Written by the build from zenqholiday.txt: change that file, not this one.\n"
        "#include \"cli/built_in_holidays.h\"\n\n"
        "namespace velmora::cli::built_in_holidays {\n\n"
        "namespace {\n\n"
        "using enum calendar::DayOff;\n\n"
        "constexpr Mark all_marks[] = {\n";
    for (const Mark& mark : marks) {
        source += "    {" + std::to_string(mark.key) + ", " + enumerator(mark.kind) + "},\n";
    }
    source += "};\n\n}  // namespace\n\n";
    source += "constinit const std::string_view file_text{\n" + literal_of(text) + ",\n    " +
              std::to_string(text.size()) + "};\n\n";
    source += "constinit const std::span<const Mark> marks{all_marks};\n\n";
    source += "}  // namespace velmora::cli::built_in_holidays\n";
    return source;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: built_in_holidays_writer zenqholiday.txt OUTPUT.cpp\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const HolidayTable table = HolidayTable::combine(HolidayTable::parse(text), HolidayTable());
    if (!in.is_open() || table.state() != HolidayTable::State::loaded ||
        table.arrangements().empty()) {
        std::fprintf(stderr, "built_in_holidays_writer: %s holds no holiday arrangement\n",
                     argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << source_of(text, marks_of(table));
    return out.flush() ? 0 : 1;
}
