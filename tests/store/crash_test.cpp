// Kills a writing process at random instants and checks that the container
// always opens, passes SQLite's integrity check and holds every operation
// the writer reported as completed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "../sys/temp_folder.h"
#include "crash_ops.h"
#include "store/container_names.h"
#include "store/fxstore.h"
#include "sys/textcodec.h"

namespace {

using velmora::store::FxStore;
using velmora::testing::TempFolder;

// Blocks until the child has reported its first completed operation.
std::string first_report(int fd) {
    std::string line;
    char c = 0;
    while (read(fd, &c, 1) == 1) {
        line += c;
        if (c == '\n') break;
    }
    return line;
}

// Starts the child, kills it, and answers the number of operations it
// reported as completed. Most kills land while operations run; some land
// while the child is still opening the container.
long run_and_kill(const std::string& container, const std::string& stage, long start,
                  int kill_after_ms, bool during_open) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        execl(FX_CRASH_CHILD, FX_CRASH_CHILD, container.c_str(), stage.c_str(),
              std::to_string(fds[1]).c_str(), std::to_string(start).c_str(), nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string reported = during_open ? std::string() : first_report(fds[0]);
    usleep(static_cast<useconds_t>(kill_after_ms) * 1000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << "child ended by itself with " << WEXITSTATUS(status);
    char buffer[4096];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) {
        reported.append(buffer, static_cast<std::size_t>(got));
    }
    close(fds[0]);
    long last = start - 1;
    for (std::size_t pos = 0, end; (end = reported.find('\n', pos)) != std::string::npos;
         pos = end + 1) {
        last = std::stol(reported.substr(pos, end - pos));
    }
    return last + 1;
}

std::map<std::string, std::string> stored_records(FxStore& store, const TempFolder& folder) {
    std::map<std::string, std::string> records;
    const std::string out = folder.file("out");
    std::filesystem::create_directories(out);
    for (int i = 0; i < store.count(); ++i) {
        auto item = store.item(i);
        std::string name = velmora::text::from_gb18030(item.name);
        if (item.lb != 0 || !name.starts_with("plumora_plan/")) continue;
        EXPECT_TRUE(store.export_items(out, {i}, false));
        records[name] = folder.read("out/" + name.substr(13));
    }
    return records;
}

TEST(CrashSafety, EveryReportedOperationSurvivesAKillAtAnyInstant) {
    TempFolder folder;
    const std::string container = folder.file("zenqdata.fx");
    std::filesystem::create_directories(folder.path() / "stage");
    {
        FxStore store;
        ASSERT_TRUE(store.open(container, velmora::store::container_password));
        ASSERT_TRUE(store.add_folder(0, "plumora_plan"));
    }
    std::mt19937 random(20261209);
    long completed = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int kill_after = std::uniform_int_distribution<int>(0, 40)(random);
        const long reported =
            run_and_kill(container, folder.file("stage"), completed, kill_after, round % 5 == 4);
        ASSERT_GE(reported, completed);
        FxStore store;
        ASSERT_TRUE(store.open(container, velmora::store::container_password));
        ASSERT_TRUE(store.integrity_ok());
        auto stored = stored_records(store, folder);
        // The operation in flight at the kill may or may not have committed.
        if (stored == velmora::testing::crash_model(reported + 1)) {
            completed = reported + 1;
        } else {
            ASSERT_EQ(stored, velmora::testing::crash_model(reported));
            completed = reported;
        }
    }
    EXPECT_GT(completed, 50);
}

}  // namespace
