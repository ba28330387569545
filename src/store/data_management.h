// Data management of the container: how much of the file is live data and
// how much is fragment space, a dated backup copy, and compaction (a
// compacted copy swapped in place of the container).
//
// Both file operations close the store around the file work and reopen it
// whatever happened; the container file is only ever replaced by one
// atomic rename of a complete, flushed copy, so a failure at any step
// leaves the old container where it was.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sys/clock.h"
#include "sys/prompts.h"
#include "sys/sysutil.h"

namespace velmora::store {

namespace datamgmt_messages {
inline constexpr const char* backup_done = "资料库备份成功，备份文件名中包含了备份日期！";
inline constexpr const char* backup_failed = "资料库备份失败！";
inline constexpr const char* no_room = "磁盘剩余空间不够，无法进行碎片整理！";
inline constexpr const char* compact_failed = "资料库碎片整理失败！";
inline constexpr const char* compact_done = "资料库碎片整理成功！";
inline constexpr const char* choose_backup_folder = "请选择资料库备份存放位置";
inline constexpr const char* check_whole = "资料库检查完毕，没有发现问题。";
inline constexpr const char* not_repaired =
    "资料库没有修复。修复之前软件不保存任何改动；随时可以在“数据管理”中再点“检查修复”。";
inline constexpr const char* compact_needs_repair =
    "资料库的索引与记录不一致，请先点“检查修复”，修复之后再进行碎片整理。";
}  // namespace datamgmt_messages

struct DataPaths {
    std::string container;    // program folder + "zenqdata.fx"
    std::string program_dir;  // with a trailing separator
};

// --- Figures -----------------------------------------------------------------
struct SpaceFigures {
    std::int64_t total = 0;  // the whole file
    std::int64_t live = 0;   // pages holding data
    std::int64_t fragment() const { return total > live ? total - live : 0; }
};
// From the open store.
SpaceFigures read_space_figures();
// Bytes as megabytes with two decimals: 524288 -> "0.50".
std::string mb_text(std::int64_t bytes);
inline std::string used_space_label(const std::string& live_mb) {
    return "已使用空间：" + live_mb + "MB";
}
inline std::string fragment_space_label(const std::string& fragment_mb) {
    return "碎片空间：" + fragment_mb + "MB";
}

// --- Room for a compacted copy --------------------------------------------------
// The system's answers about disks; tests put their own in.
struct DiskQueries {
    std::function<std::uint64_t(const std::string&)> free_space = sys::disk_free;
    std::function<std::vector<std::string>()> fixed_drives = [] {
        std::vector<std::string> roots;
        sys::fixed_drives(roots);
        return roots;
    };
};
// live + items × 1092 (2184 from format version 6 on) + 833 + 10 MiB.
std::uint64_t space_needed(std::int64_t live, int items, std::uint16_t version_major);
// 1 when the file system of `path` has strictly more room than a compacted
// copy of the open store needs, else 0.
int checkdiskforresetfx(const std::string& path, const DiskQueries& disks = {});

// The first name, n = 1, 2, ..., that nothing is at: beside the container
// (its path without ".fx" + "_n.~fx"), or in a drive's root ("zenqdata_n.~fx").
std::string target_beside(const std::string& container);
std::string target_on_drive(const std::string& root);

// --- File steps -------------------------------------------------------------------
// Every step of backup and compaction, so that a test can make any one of
// them fail. Each answers false on failure, with errno telling why when the
// system refused.
struct FileSteps {
    // A compacted copy of the open store at `target` (nothing left there on failure).
    std::function<bool(const std::string& target)> compact;
    // A new file `to` with the bytes of `from`; never replaces anything.
    std::function<bool(const std::string& from, const std::string& to)> copy;
    std::function<bool(const std::string& path)> flush;
    // Moves `from` over `to` in one step, replacing what is there.
    std::function<bool(const std::string& from, const std::string& to)> rename;
    std::function<bool(const std::string& container)> reopen;
};
FileSteps real_file_steps();

// --- Check and repair -------------------------------------------------------------
// The copy kept before a repair, beside the container: "zenqdata_修复前_" +
// yyyymmdd + ".fx", from the second of a day on with "_2", "_3", ... before
// ".fx": a name nothing is at, so no earlier copy is ever replaced.
std::string repair_backup_name(const std::string& container, const sys::LocalTime& day);
// "检查修复": SQLite's full check of the open container (every page, and
// every item looked up in every index). An index out of step with the
// items is offered for repair; on Yes the container is first copied, as it
// is, to repair_backup_name, and only once that copy is stored are the
// indexes rebuilt from the items (REINDEX) and checked again. Nothing is
// repaired without that copy. Every outcome is told in a message.
// Answers 0 whole, 1 repaired, -1 not repaired (or not repairable), -2 the
// check could not run.
int check_container(const DataPaths& paths, sys::Prompts& prompts, const sys::Clock& clock,
                    const FileSteps& steps = real_file_steps());

// --- Backup and compaction ------------------------------------------------------------
// folder (a separator added when missing) + "zenqdata_" + yyyymmdd + ".fx".
std::string backup_file_name(const std::string& folder, const sys::LocalTime& day);
// Closes the store, copies the container to the backup name in `folder`
// (through a temporary name there, flushed, then renamed over a file of the
// same name), reopens the store and tells the user how it went.
void backup_container(const DataPaths& paths, const std::string& folder, sys::Prompts& prompts,
                      const sys::Clock& clock, const FileSteps& steps = real_file_steps());
// Compaction; 1 when the container was replaced by its compacted copy.
int reset_FX(const DataPaths& paths, sys::Prompts& prompts, const DiskQueries& disks = {},
             const FileSteps& steps = real_file_steps());

// The whole data management entry: the figures, the dialog (`show` answers
// 1 to compact, 0 not; it gets the live and fragment texts, the backup to
// run with a chosen folder and the check), then the compaction when chosen.
using BackupAction = std::function<void(const std::string& folder)>;
using CheckAction = std::function<void()>;
using GraphShow = std::function<int(const std::string& live_mb, const std::string& fragment_mb,
                                    const BackupAction& backup, const CheckAction& check)>;
void data_management_flow(const DataPaths& paths, sys::Prompts& prompts, const sys::Clock& clock,
                          const GraphShow& show, const DiskQueries& disks = {},
                          const FileSteps& steps = real_file_steps());

}  // namespace velmora::store
