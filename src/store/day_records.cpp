#include "store/day_records.h"

#include <algorithm>

#include "sys/textcodec.h"

namespace velmora::store {

namespace {

constexpr std::size_t category_bytes = 1;
constexpr std::size_t state_bytes = 6;

std::vector<std::string_view> split_lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) end = bytes.size();
        lines.push_back(bytes.substr(begin, end - begin));
        begin = end;
        if (begin < bytes.size() && bytes[begin] == '\r') ++begin;
        if (begin < bytes.size() && bytes[begin] == '\n') ++begin;
    }
    return lines;
}

std::string field(std::string_view line, std::size_t from, std::size_t count) {
    if (from >= line.size()) return {};
    return text::from_gb18030(line.substr(from, count));
}

}  // namespace

bool is_day_key(std::string_view key) {
    return key.size() == 8 &&
           std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string plan_record_name(const std::string& day_key) {
    return std::string(plan_folder) + "/" + day_key + ".txt";
}

std::string note_record_name(const std::string& day_key) {
    return std::string(note_folder) + "/" + day_key + ".txt";
}

std::vector<PlanTask> parse_plan_record(std::string_view bytes) {
    std::vector<PlanTask> tasks;
    for (std::string_view line : split_lines(bytes)) {
        tasks.push_back({field(line, 0, category_bytes), field(line, category_bytes, state_bytes),
                         field(line, category_bytes + state_bytes, std::string_view::npos)});
    }
    return tasks;
}

std::string format_plan_record(const std::vector<PlanTask>& tasks) {
    std::string bytes;
    for (const PlanTask& task : tasks) {
        bytes += text::to_gb18030(task.category + task.state + task.text);
        bytes += "\r\n";
    }
    return bytes;
}

std::string note_from_record(std::string_view bytes) {
    const std::string text = text::from_gb18030(bytes);
    std::string note;
    note.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            note += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            note += text[i];
        }
    }
    return note;
}

std::string note_to_record(std::string_view text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += "\r\n";
        } else if (c != '\r') {
            crlf += c;
        }
    }
    return text::to_gb18030(crlf);
}

bool is_blank_note(std::string_view text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
}

}  // namespace velmora::store
