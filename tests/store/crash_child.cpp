// Child of the crash test: runs the operation sequence from a given step
// against a container and reports every completed operation on a pipe,
// until it is killed.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "crash_ops.h"
#include "store/container_names.h"
#include "store/kx_efs.h"

namespace {

bool run_op(const velmora::testing::CrashOp& op, const std::string& stage) {
    using velmora::testing::CrashOp;
    const std::string record = velmora::testing::crash_record(op.key);
    if (op.kind == CrashOp::remove) {
        if (op.key < 0) return true;
        return FX_Deleteitem(FX_Directory_Changenodenametoindex(record), 2) == 1;
    }
    const std::string file = stage + "/" + std::to_string(op.key) + ".txt";
    std::ofstream(file, std::ios::binary) << op.content;
    return FX_Inputall(1, FX_Directory_Changenodenametoindex("plumora_plan"), {file}, "", "", 1, "",
                       0) == 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return 2;
    const std::string container = argv[1];
    const std::string stage = argv[2];
    const int report_fd = std::atoi(argv[3]);
    long k = std::atol(argv[4]);
    if (FX_Createoropenfx(container, velmora::store::container_password, 0, "", "") != 1) return 3;
    for (;; ++k) {
        if (!run_op(velmora::testing::crash_op(k), stage)) return 4;
        std::string line = std::to_string(k);
        line += '\n';
        if (write(report_fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 5;
    }
}
