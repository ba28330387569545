#include <algorithm>
#include <cstdio>

#include "calendar/holidays.h"
#include "cli/built_in_holidays.h"
#include "cli/cli.h"
#include "sys/program_layout.h"

namespace velmora::cli {

using calendar::Date;

namespace {

constexpr int column_width = 8;
constexpr int week_width = 7 * column_width;

std::string pad_left(const std::string& text, int width) {
    return std::string(static_cast<std::size_t>(std::max(0, width - display_width(text))), ' ') +
           text;
}

void end_line(std::string& grid, std::string line) {
    line.erase(line.find_last_not_of(' ') + 1);
    grid += line + "\n";
}

// The folder --data names; empty: the program's own. Made at its first use,
// so that a start sets nothing up before main.
std::string& holiday_data_dir() {
    static std::string folder;
    return folder;
}

// In --data DIR, or the program's own data folder (an installed program's:
// the user's).
std::string renewed_holiday_path() {
    std::string data =
        holiday_data_dir().empty() ? sys::program_layout().data_dir : holiday_data_dir();
    if (!data.empty() && data.back() != '/') data += '/';
    return data + calendar::renewed_holiday_file_name;
}

// The arrangement shipped with the program, as the build read it: this
// program carries it rather than reading zenqholiday.txt at every start.
const calendar::HolidayTable& shipped_holidays() {
    static const calendar::HolidayTable table =
        calendar::HolidayTable::parse(built_in_holidays::file_text);
    return table;
}

// Read at its first use (a command that prints no day does not pay for it).
const calendar::HolidayTable& renewed_holidays() {
    static const calendar::HolidayTable table =
        calendar::HolidayTable::load(renewed_holiday_path(), calendar::HolidaySource::imported);
    return table;
}

// The arrangement in force: the shipped one with the renewed copy of the
// data folder.
const calendar::HolidayTable& holidays() {
    static const calendar::HolidayTable table =
        calendar::HolidayTable::combine(shipped_holidays(), renewed_holidays());
    return table;
}

calendar::DayOff built_in_mark(Date date) {
    const std::int32_t key = built_in_holidays::key_of(date);
    const auto& marks = built_in_holidays::marks;
    const auto found = std::lower_bound(
        marks.begin(), marks.end(), key,
        [](const built_in_holidays::Mark& mark, std::int32_t k) { return mark.key < k; });
    return found != marks.end() && found->key == key ? found->kind : calendar::DayOff::none;
}

// Without a renewed copy the marks in force are the shipped ones, which the
// build looked up already: a date needs no parse of the arrangement, which
// would cost a process converting one date more than all the rest it does.
const char* day_off(Date date) {
    const bool shipped_only = renewed_holidays().state() == calendar::HolidayTable::State::missing;
    return calendar::day_off_text(shipped_only ? built_in_mark(date) : holidays().mark(date).kind);
}

// The day number right-aligned in its column as before, a 休/班 mark just
// left of it.
std::string day_number(Date date) {
    const std::string number = std::to_string(date.day);
    const std::string mark = day_off(date);
    if (mark.empty()) return pad_left(number, column_width);
    return pad_left(mark + pad_left(number, 3), column_width);
}

std::string year_caption(Date date) {
    return year_stem(date) + year_zodiac(date);
}

// The caption of the month's 1st; when the lunar year turns within the month
// the caption after the turn follows it.
std::string month_title(int year, int month) {
    const Date first{year, month, 1};
    const Date last{year, month, calendar::days_in_month(year, month)};
    char caption[64];
    std::snprintf(caption, sizeof caption, "%d年%d月  ", year, month);
    std::string title = caption;
    title += year_caption(first);
    if (year_caption(last) != year_caption(first)) {
        title += '/';
        title += year_caption(last);
    }
    return title;
}

std::string year_heading(const calendar::Arrangement& a) {
    std::string text = "# year: " + std::to_string(a.year) +
                       "\n# source: " + calendar::source_word(a.source) + "\n";
    if (!a.obtained.empty()) text += "# obtained: " + a.obtained + "\n";
    if (!a.origin.empty()) text += "# origin: " + a.origin + "\n";
    if (!a.notice.empty()) text += "# notice: " + a.notice + "\n";
    return text;
}

// Why a year has no marks, as far as the files know.
std::string missing_year(const calendar::HolidayTable& table, int year) {
    const std::string name = std::to_string(year);
    if (table.first_year() == 0 || year < table.first_year()) {
        return name + ": no arrangement is known for this year";
    }
    const calendar::YearCheck* check = table.check(year);
    if (!check) return name + ": not yet published (never fetched)";
    if (check->outcome == calendar::YearCheck::Outcome::unpublished) {
        return name + ": not yet published (" + check->origin + " on " + check->checked +
               " answered with an empty arrangement)";
    }
    return name + ": not yet published (could not be fetched from " + check->origin + " on " +
           check->checked + ": " + check->reason + ")";
}

}  // namespace

void use_holidays_of(const std::string& data_dir) {
    holiday_data_dir() = data_dir;
}

std::string holidays_text(int year) {
    const calendar::Arrangement* arrangement = holidays().arrangement(year);
    if (!arrangement) throw NotPublished{missing_year(holidays(), year)};
    std::string text = year_heading(*arrangement);
    for (const calendar::HolidayDay& day : arrangement->days) {
        text += calendar::dashed_date(day.date) + "\t" + calendar::day_off_text(day.kind) + "\t" +
                day.name + "\n";
    }
    return text;
}

const char* const day_columns_header =
    "date\tlunar_code\tlunar_month_name\tlunar_day_name\tlunar_festival\tsolar_term\t"
    "year_stem\tyear_zodiac\tgregorian_festival\tstar_sign\tcell_text\tday_off";

std::string day_line(Date date) {
    const int code = calendar::lunar_date(date);
    std::string line = calendar::dashed_date(date);
    for (const std::string& field :
         {code == 0 ? std::string() : std::to_string(code), lunar_month_name(date),
          lunar_day_name(date), lunar_festival(date), solar_term(date), year_stem(date),
          year_zodiac(date), gregorian_festival(date), star_sign(date), cell_text(date).text,
          std::string(day_off(date))}) {
        line += '\t';
        line += field;
    }
    return line;
}

int display_width(std::string_view utf8) {
    int width = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte & 0xC0) == 0x80) continue;  // continuation byte
        // Every character of three or more bytes this program prints is CJK.
        width += byte >= 0xE0 ? 2 : 1;
    }
    return width;
}

std::string month_grid(int year, int month) {
    std::string grid;
    const std::string title = month_title(year, month);
    end_line(grid, pad_left(title, (week_width + display_width(title)) / 2));
    std::string heads;
    for (const char* head : {"日", "一", "二", "三", "四", "五", "六"}) {
        heads += pad_left(head, column_width);
    }
    end_line(grid, heads);
    const int days = calendar::days_in_month(year, month);
    int column = calendar::weekday({year, month, 1});
    std::string numbers(static_cast<std::size_t>(column * column_width), ' ');
    std::string texts = numbers;
    for (int day = 1; day <= days; ++day) {
        numbers += day_number({year, month, day});
        texts += pad_left(calendar::cell_text({year, month, day}).text, column_width);
        if (++column == 7 || day == days) {
            end_line(grid, numbers);
            end_line(grid, texts);
            numbers.clear();
            texts.clear();
            column = 0;
        }
    }
    return grid;
}

}  // namespace velmora::cli
