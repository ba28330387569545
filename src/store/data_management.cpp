#include "store/data_management.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "store/container_names.h"
#include "store/fx_error.h"
#include "store/kx_efs.h"

namespace velmora::store {

namespace {

namespace fs = std::filesystem;
using namespace datamgmt_messages;

constexpr std::uint64_t per_item_bytes = 1092;
constexpr std::uint64_t fixed_bytes = 833;
constexpr std::uint64_t spare_bytes = std::uint64_t{10} * 1024 * 1024;

bool exists_at(const std::string& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

void remove_quietly(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

std::string with_separator(const std::string& folder) {
    if (folder.empty() || folder.back() == '/' || folder.back() == sys::path_separator) {
        return folder;
    }
    return folder + sys::path_separator;
}

// The first "<stem>_n.~fx" that nothing is at.
std::string first_free(const std::string& stem) {
    for (int n = 1;; ++n) {
        std::string candidate = stem + "_" + std::to_string(n) + ".~fx";
        if (!exists_at(candidate)) return candidate;
    }
}

std::string reason_of(int system_errno) {
    if (system_errno == 0) return {};
    return std::string("（") + describe(classify_folder_errno(system_errno)) + "）";
}

// --- The real steps ---------------------------------------------------------

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool pump(int in, int out) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        if (!write_all(out, buffer, static_cast<std::size_t>(got))) return false;
    }
}

// Never follows a link planted at `to` and never replaces anything there.
bool copy_new_file(const std::string& from, const std::string& to) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    const int out =
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
    bool copied = out >= 0 && pump(in, out);
    int error = errno;
    ::close(in);
    if (out < 0) {
        errno = error;
        return false;
    }
    if (::close(out) != 0 && copied) {
        copied = false;
        error = errno;
    }
    if (!copied) ::unlink(to.c_str());
    errno = error;
    return copied;
}

bool flush_path(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

// The new name is only durable once the folder entry is on disk.
bool replace_by_rename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    const std::string folder = fs::path(to).parent_path().string();
    flush_path(folder.empty() ? "." : folder);
    return true;
}

bool reopen_container(const std::string& container) {
    return FX_Createoropenfx(container, container_password, 0, "fileX", "ccc") == 1;
}

bool compact_to(const std::string& target) {
    return FX_Fxcopy(-1, target, container_password) == 1;
}

// SQLite removes its log files when the last connection closes cleanly.
// While one is still there, it belongs to the file at the container's name
// and would be applied to whatever file is put there next.
bool logs_remain(const std::string& container) {
    return exists_at(container + "-wal") || exists_at(container + "-shm");
}

std::string reopen_failure(const std::string& container) {
    const FxError why = FX_Getlasterror();
    std::string message = "资料库无法重新打开";
    if (why != FxError::none) message.append("：").append(describe(why));
    return message + "（" + container + "）。请退出软件后重新启动。";
}

// The store is open again afterwards, or the user knows it is not.
void reopen_or_report(const std::string& container, sys::Prompts& prompts, const FileSteps& steps) {
    if (!steps.reopen(container)) prompts.inform(reopen_failure(container));
}

std::string failure_text(const std::string& copy) {
    std::string message = std::string(compact_failed) + "原资料库保持不变";
    if (copy.empty() || !exists_at(copy)) return message + "。";
    return message + "，整理好的副本保存在：" + copy;
}

// Copies the closed container to `target` through a temporary name beside
// it; answers the message for the user when something failed, else "".
std::string copy_into_place(const std::string& container, const std::string& target,
                            const FileSteps& steps) {
    if (logs_remain(container)) {
        return std::string(backup_failed) + "资料库的日志文件没有合并（" + container + "）。";
    }
    const std::string partial = target + ".part";
    remove_quietly(partial);  // what an interrupted backup left behind
    errno = 0;
    if (steps.copy(container, partial) && steps.flush(partial) && steps.rename(partial, target)) {
        return {};
    }
    const int error = errno;
    remove_quietly(partial);
    return std::string(backup_failed) + "备份文件无法写入：" + target + reason_of(error);
}

// One compaction, step by step. The container file is replaced only by one
// rename of a complete, flushed copy; before that rename the old file is
// kept under a second name, so a copy that then cannot be opened is
// swapped back out.
class Compaction {
public:
    Compaction(const DataPaths& paths, sys::Prompts& prompts, const DiskQueries& disks,
               const FileSteps& steps)
        : paths_(paths), prompts_(prompts), disks_(disks), steps_(steps) {}

    int run() {
        // A compacted copy rebuilds the indexes without a copy of the file
        // as it was: that is the repair's work, after its backup.
        if (FX_Needsrepair() == 1) {
            prompts_.inform(compact_needs_repair);
            return 0;
        }
        if (!choose_target()) {
            prompts_.inform(no_room);
            return 0;
        }
        if (!steps_.compact(target_)) {
            remove_quietly(target_);
            prompts_.inform(compact_failed);
            return 0;
        }
        if (!steps_.flush(target_)) {
            prompts_.inform(failure_text(target_));
            return 0;
        }
        FX_Closefx(1);
        if (!swap_in()) return fail_closed();
        remove_side_files();
        if (!steps_.reopen(paths_.container)) return restore_old();
        remove_quietly(keep_);
        if (cross_) remove_quietly(target_);
        prompts_.inform(compact_done);
        return 1;
    }

private:
    bool choose_target() {
        if (checkdiskforresetfx(paths_.container, disks_) == 1) {
            target_ = target_beside(paths_.container);
            return true;
        }
        for (const std::string& root : disks_.fixed_drives()) {
            if (checkdiskforresetfx(root, disks_) != 1) continue;
            target_ = target_on_drive(root);
            cross_ = true;
            return true;
        }
        return false;
    }

    // A copy made on another file system cannot be renamed over the
    // container: it is first copied beside it and flushed.
    bool stage_beside() {
        staged_ = target_beside(paths_.container);
        if (steps_.copy(target_, staged_) && steps_.flush(staged_)) return true;
        remove_quietly(staged_);
        return false;
    }

    bool swap_in() {
        if (logs_remain(paths_.container)) return false;
        staged_ = target_;
        if (cross_ && !stage_beside()) return false;
        keep_ = target_beside(paths_.container);
        std::error_code error;
        fs::create_hard_link(paths_.container, keep_, error);
        if (error) keep_.clear();
        if (steps_.rename(staged_, paths_.container)) return true;
        if (!keep_.empty()) remove_quietly(keep_);
        if (cross_) remove_quietly(staged_);
        return false;
    }

    void remove_side_files() {
        const std::string kxg =
            paths_.program_dir + fs::path(paths_.container).stem().string() + ".kxg";
        for (const std::string& side :
             {paths_.container + ".hbak", paths_.container + ".bak", kxg}) {
            if (exists_at(side)) remove_quietly(side);
        }
    }

    int fail_closed() {
        prompts_.inform(failure_text(target_));
        reopen_or_report(paths_.container, prompts_, steps_);
        return 0;
    }

    // The compacted copy went in but cannot be opened: the old file goes
    // back in its place; the copy stays where it was made.
    int restore_old() {
        if (keep_.empty()) {
            prompts_.inform(reopen_failure(paths_.container));
            return 0;
        }
        std::error_code error;
        if (!cross_) fs::create_hard_link(paths_.container, target_, error);
        if (!steps_.rename(keep_, paths_.container)) {
            prompts_.inform(reopen_failure(paths_.container));
            return 0;
        }
        return fail_closed();
    }

    const DataPaths& paths_;
    sys::Prompts& prompts_;
    const DiskQueries& disks_;
    const FileSteps& steps_;
    std::string target_;  // where the compacted copy is made
    std::string staged_;  // what is renamed over the container
    std::string keep_;    // a second name of the old container during the swap
    bool cross_ = false;
};

std::string date_text(const sys::LocalTime& day) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", day.year, day.month, day.day);
    return date;
}

// SQLite's own words about the first few problems, for whoever looks into it.
std::string problem_lines(const std::vector<std::string>& problems) {
    std::string lines;
    for (std::size_t i = 0; i < problems.size() && i < 3; ++i) {
        lines += (i == 0 ? "" : "；") + problems[i];
    }
    if (problems.size() > 3) lines += "……";
    return lines;
}

std::string out_of_step_question(const std::vector<std::string>& problems,
                                 const std::string& backup) {
    return "资料库检查发现问题：索引与记录不一致（" + std::to_string(problems.size()) +
           "处）。有些记录可能因此看不到；为免把它们覆盖，修复之前软件不保存任何改动。\n\n"
           "修复会按记录重建索引。修复前，软件先把资料库原样备份为：\n" +
           backup + "\n\n现在备份并修复吗？\n\n（检查结果：" + problem_lines(problems) + "）";
}

std::string damaged_message(const std::vector<std::string>& problems) {
    return "资料库检查发现损坏的数据页，这种损坏无法在这里修复。请退出软件，用备份的资料库替换"
           "zenqdata.fx。\n\n（检查结果：" +
           problem_lines(problems) + "）";
}

std::string repair_failed(FxError why, const std::string& backup) {
    std::string message = "资料库修复失败";
    // REINDEX refuses only a unique index it cannot build: two items of one name.
    if (why == FxError::refused) {
        message += "：数据文件中有同名的记录，索引无法重建；请用更早的备份替换zenqdata.fx";
    } else if (why != FxError::none) {
        message.append("：").append(describe(why));
    }
    return message + "。修复之前软件仍不保存任何改动；修复前的原样备份保存在：" + backup + "。";
}

}  // namespace

SpaceFigures read_space_figures() {
    return {FX_Getfxsize(1), FX_Getfxsize(2)};
}

std::string mb_text(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(bytes) / 1024.0 / 1024.0);
    return text;
}

std::uint64_t space_needed(std::int64_t live, int items, std::uint16_t version_major) {
    const std::uint64_t per_item = version_major >= 6 ? 2 * per_item_bytes : per_item_bytes;
    const auto live_bytes = static_cast<std::uint64_t>(live > 0 ? live : 0);
    const auto item_count = static_cast<std::uint64_t>(items > 0 ? items : 0);
    return live_bytes + item_count * per_item + fixed_bytes + spare_bytes;
}

int checkdiskforresetfx(const std::string& path, const DiskQueries& disks) {
    const std::uint64_t needed =
        space_needed(FX_Getfxsize(2), FX_Directory_Getcount(), FX_Getfxversionmajor());
    return disks.free_space(path) > needed ? 1 : 0;
}

std::string target_beside(const std::string& container) {
    const bool has_ext = container.size() >= 3 && container.ends_with(".fx");
    return first_free(has_ext ? container.substr(0, container.size() - 3) : container);
}

std::string target_on_drive(const std::string& root) {
    return first_free(with_separator(root) + "zenqdata");
}

FileSteps real_file_steps() {
    return {compact_to, copy_new_file, flush_path, replace_by_rename, reopen_container};
}

std::string backup_file_name(const std::string& folder, const sys::LocalTime& day) {
    return with_separator(folder) + "zenqdata_" + date_text(day) + ".fx";
}

std::string repair_backup_name(const std::string& container, const sys::LocalTime& day) {
    const std::string folder = fs::path(container).parent_path().string();
    const std::string stem = (folder.empty() ? std::string() : with_separator(folder)) +
                             "zenqdata_修复前_" + date_text(day);
    for (int n = 1;; ++n) {
        std::string candidate = stem + (n == 1 ? std::string() : "_" + std::to_string(n)) + ".fx";
        if (!exists_at(candidate) && !exists_at(candidate + ".part")) return candidate;
    }
}

int check_container(const DataPaths& paths, sys::Prompts& prompts, const sys::Clock& clock,
                    const FileSteps& steps) {
    std::vector<std::string> problems;
    const int found = FX_Checkfx(problems);
    if (found < 0) {
        prompts.inform(std::string("资料库检查无法进行：") + describe(FX_Getlasterror()) + "。");
        return -2;
    }
    if (found == 0) {
        prompts.inform(check_whole);
        return 0;
    }
    if (found != 1) {
        prompts.inform(damaged_message(problems));
        return -1;
    }
    const std::string backup = repair_backup_name(paths.container, clock.now());
    if (!prompts.ask_yes_no(out_of_step_question(problems, backup))) {
        prompts.inform(not_repaired);
        return -1;
    }
    // The copy of the file as it is comes first; without it nothing is repaired.
    FX_Closefx(1);
    const std::string failure = copy_into_place(paths.container, backup, steps);
    if (!steps.reopen(paths.container)) {
        if (!failure.empty()) prompts.inform(failure);
        prompts.inform(reopen_failure(paths.container));
        return -1;
    }
    if (!failure.empty()) {
        prompts.inform(failure + "资料库没有修复。");
        return -1;
    }
    if (FX_Repairfx() != 1) {
        prompts.inform(repair_failed(FX_Getlasterror(), backup));
        return -1;
    }
    prompts.inform(
        "资料库修复成功，原来看不到的记录都已恢复，可以照常保存了。修复前的原样备份保存在：" +
        backup + "。");
    return 1;
}

void backup_container(const DataPaths& paths, const std::string& folder, sys::Prompts& prompts,
                      const sys::Clock& clock, const FileSteps& steps) {
    const std::string target = backup_file_name(folder, clock.now());
    FX_Closefx(1);
    const std::string failure = copy_into_place(paths.container, target, steps);
    const bool reopened = steps.reopen(paths.container);
    prompts.inform(failure.empty() ? std::string(backup_done) : failure);
    if (!reopened) prompts.inform(reopen_failure(paths.container));
}

int reset_FX(const DataPaths& paths, sys::Prompts& prompts, const DiskQueries& disks,
             const FileSteps& steps) {
    return Compaction(paths, prompts, disks, steps).run();
}

void data_management_flow(const DataPaths& paths, sys::Prompts& prompts, const sys::Clock& clock,
                          const GraphShow& show, const DiskQueries& disks, const FileSteps& steps) {
    const SpaceFigures figures = read_space_figures();
    const BackupAction backup = [&](const std::string& folder) {
        backup_container(paths, folder, prompts, clock, steps);
    };
    const CheckAction check = [&] { check_container(paths, prompts, clock, steps); };
    if (show(mb_text(figures.live), mb_text(figures.fragment()), backup, check) > 0) {
        reset_FX(paths, prompts, disks, steps);
    }
}

}  // namespace velmora::store
