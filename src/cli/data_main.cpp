// velmora-cli-data: every command, the data commands included. velmora-cli
// starts it for those; it can also be run on its own.
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = velmora::cli::run(args, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? status : 1;
}
