#include "cli/cli_export.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"
#include "cli/cli.h"
#include "cli/open_container.h"
#include "store/container_names.h"
#include "store/kx_efs.h"
#include "store/record_days.h"
#include "store/record_io.h"
#include "sys/atomicfile.h"
#include "sys/sysutil.h"

namespace velmora::cli {

namespace {

namespace ics = calendar::ics;

[[noreturn]] void unreadable(const std::string& what, store::FxError error) {
    throw DataError{"velmora-cli: cannot read " + what +
                    " from the container: " + store::describe(error) + "; nothing was written"};
}

std::string record_bytes(const std::string& node_path, const std::string& staging) {
    const store::RecordRead read = store::read_record(node_path, staging);
    if (read.failed()) unreadable(node_path, read.error);
    return read.bytes;
}

// Every day of `folder` that holds a record, in date order, with its key.
std::vector<std::pair<calendar::Date, std::string>> record_days(const char* folder) {
    std::vector<std::pair<calendar::Date, std::string>> days;
    for (const auto& [year, months] : store::stored_record_days(folder)) {
        for (const auto& [month, dates] : months) {
            for (const std::string& day : dates) {
                std::string dashed = year;
                dashed.append("-").append(month).append("-").append(day);
                if (auto date = calendar::parse_dashed_date(dashed)) {
                    days.emplace_back(*date, calendar::day_key(*date));
                }
            }
        }
    }
    if (FX_Getlasterror() != store::FxError::none) unreadable(folder, FX_Getlasterror());
    return days;
}

IcsContent read_content(const std::string& staging, int this_year) {
    IcsContent content;
    for (const auto& [day, key] : record_days(store::plan_folder)) {
        auto tasks = store::parse_plan_record(record_bytes(store::plan_record_name(key), staging));
        if (!tasks.empty()) content.plans.push_back({day, std::move(tasks)});
    }
    for (const auto& [day, key] : record_days(store::note_folder)) {
        std::string note =
            store::note_from_record(record_bytes(store::note_record_name(key), staging));
        if (!store::is_blank_note(note)) content.notes.push_back({day, std::move(note)});
    }
    calendar::AnniversaryRecord list;
    const store::FxError loaded = calendar::load_anniversaries(staging, list);
    if (loaded != store::FxError::none) unreadable(calendar::datehint_record, loaded);
    content.anniversaries = anniversary_events(list.entries, this_year);
    return content;
}

[[noreturn]] void refuse(const std::string& file, sys::WriteTarget target) {
    std::string why = sys::write_target_refusal(target);
    if (target == sys::WriteTarget::read_only) {
        why += "。要替换它，请先给它写权限，或另选一个文件名";
    }
    throw DataError{"velmora-cli: 没有写入 " + file + "：" + why + "。它保持原样。"};
}

// Before the container is read: a target that will be refused is refused
// at once. The write looks again.
void check_target(const std::string& file) {
    if (file == standard_output) return;
    const sys::WriteTarget target = sys::inspect_write_target(file);
    if (!sys::may_write(target, false)) refuse(file, target);
}

// The text of the answer: what was written where, or the file itself for
// standard output.
std::string write_export(const std::string& file, const std::string& text,
                         const std::string& summary) {
    if (file == standard_output) return text;
    const sys::TargetWrite written = sys::write_to_target(file, text);
    if (written.refused) refuse(file, written.target);
    if (!written.written) {
        throw DataError{"velmora-cli: cannot write " + file + ": " + std::strerror(errno)};
    }
    return summary + " written to " + file + "\n";
}

std::string staging_path(const sys::StagingFolder& staging) {
    if (staging.error() != 0) {
        throw DataError{"velmora-cli: cannot make a staging folder in " + sys::system_temp_dir()};
    }
    return staging.path();
}

}  // namespace

std::string export_stamp(const sys::LocalTime& now) {
    std::tm local{};
    local.tm_year = now.year - 1900;
    local.tm_mon = now.month - 1;
    local.tm_mday = now.day;
    local.tm_hour = now.hour;
    local.tm_min = now.minute;
    local.tm_sec = now.second;
    local.tm_isdst = -1;  // whatever the zone's rule says for that day
    return ics::utc_stamp(static_cast<std::int64_t>(std::mktime(&local)));
}

std::string ics_text(const IcsContent& content, const std::string& stamp) {
    ics::Writer writer(stamp);
    for (const DayPlans& day : content.plans) {
        for (const store::PlanTask& task : day.tasks) writer.add(plan_todo(day.day, task));
    }
    for (const DayNote& note : content.notes) writer.add(ics::Journal{note.day, note.text, {}});
    for (const ics::AnniversaryEvent& event : content.anniversaries) writer.add(event);
    return writer.text();
}

std::string export_ics(const std::string& data_dir, const std::string& file,
                       const sys::Clock& clock) {
    check_target(file);
    const sys::LocalTime now = clock.now();
    IcsContent content;
    {
        OpenContainer container(data_dir);
        const sys::StagingFolder staging;
        content = read_content(staging_path(staging), now.year);
    }
    std::size_t tasks = 0;
    for (const DayPlans& day : content.plans) tasks += day.tasks.size();
    const std::string summary = std::to_string(tasks) + " to-dos, " +
                                std::to_string(content.notes.size()) + " journal entries, " +
                                std::to_string(content.anniversaries.size()) + " events";
    return write_export(file, ics_text(content, export_stamp(now)), summary);
}

std::string export_bookmarks(const std::string& data_dir, const std::string& file) {
    check_target(file);
    bookmarks::StoredTree tree;
    {
        OpenContainer container(data_dir);
        tree = bookmarks::read_stored_tree();
    }
    if (tree.error != store::FxError::none) unreadable("the bookmark tree", tree.error);
    return write_export(file, bookmarks::write_bookmark_html(tree.top), "bookmarks");
}

}  // namespace velmora::cli
