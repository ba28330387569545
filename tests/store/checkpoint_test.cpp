// A checkpoint cut short (a kill, a logout, a power cut while the container
// closes) leaves the container file shorter than its header says, with the
// whole log beside it. Such a file holds every record and must open as it
// is, in the program and in the command-line companion.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "../sys/temp_folder.h"
#include "store/container_names.h"
#include "store/fxstore.h"
#include "sys/textcodec.h"

namespace {

namespace fs = std::filesystem;
using velmora::store::FxError;
using velmora::store::FxStore;
using velmora::testing::TempFolder;

constexpr int records = 300;

int run_child(const std::string& container, const std::string& stage, long writes) {
    pid_t child = fork();
    if (child == 0) {
        execl(FX_CHECKPOINT_CHILD, FX_CHECKPOINT_CHILD, container.c_str(), stage.c_str(),
              std::to_string(records).c_str(), std::to_string(writes).c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : WEXITSTATUS(status);
}

std::uint64_t header_size(const std::string& bytes) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const std::uint64_t page = (byte(16) << 8) | byte(17);
    const std::uint64_t pages =
        (std::uint64_t{byte(28)} << 24) | (byte(29) << 16) | (byte(30) << 8) | byte(31);
    return page * pages;
}

std::string command_output(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    status = pclose(pipe);
    return output;
}

void expect_every_record(FxStore& store, const TempFolder& folder) {
    const std::string out = folder.file("out");
    fs::create_directories(out);
    for (int i = 0; i < records; ++i) {
        const int index = store.index_of("plumora_plan/" + std::to_string(i) + ".txt");
        ASSERT_GT(index, 0) << "record " << i;
        ASSERT_TRUE(store.export_items(out, {index}, false));
        EXPECT_EQ(folder.read("out/" + std::to_string(i) + ".txt"),
                  std::string(2000, static_cast<char>('a' + i % 26)));
    }
}

TEST(CheckpointCutShort, TheContainerOpensWithEveryRecordInProgramAndCompanion) {
    for (long writes : {1L, 2L, 5L, 20L}) {
        SCOPED_TRACE("killed after write " + std::to_string(writes));
        TempFolder folder;
        const std::string container = folder.file(velmora::store::data_file_name);
        fs::create_directories(folder.path() / "stage");
        {
            FxStore store;
            ASSERT_TRUE(store.open(container, velmora::store::container_password));
            ASSERT_TRUE(store.add_folder(0, "plumora_plan"));
        }
        ASSERT_EQ(run_child(container, folder.file("stage"), writes), -SIGKILL);
        const std::string bytes = folder.read(velmora::store::data_file_name);
        ASSERT_GT(fs::file_size(container + "-wal"), 0u);
        if (writes == 1) {
            ASSERT_LT(bytes.size(), header_size(bytes));  // the state to recover
        }

        // The companion first, on a copy: the program's open below
        // completes the checkpoint.
        fs::create_directories(folder.path() / "copy");
        for (const char* suffix : {"", "-wal"}) {
            fs::copy_file(
                container + suffix,
                folder.file(std::string("copy/") + velmora::store::data_file_name) + suffix);
        }
        int status = 0;
        const std::string listing = command_output(
            std::string(VELMORA_CLI) + " --data " + folder.file("copy") + " ls plumora_plan/",
            status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), records);

        FxStore store;
        ASSERT_TRUE(store.open(container, velmora::store::container_password))
            << static_cast<int>(store.last_error());
        expect_every_record(store, folder);
        EXPECT_TRUE(store.integrity_ok());
    }
}

}  // namespace
