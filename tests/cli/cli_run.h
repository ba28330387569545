// Runs velmora-cli's entry in-process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace velmora::testing {

struct Result {
    int status;
    std::string out;
    std::string err;
};

inline Result cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::run(args, out, err);
    return {status, out.str(), err.str()};
}

// On a clock of the test's own.
inline Result cli(const std::vector<std::string>& args, const sys::Clock& clock) {
    std::ostringstream out, err;
    const int status = cli::run(args, out, err, clock);
    return {status, out.str(), err.str()};
}

}  // namespace velmora::testing
