// velmora-cli: the calendar commands run here, with the lunar engine alone;
// a data command is handed, with the same arguments, to the data program
// beside this one, which carries the store.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <string>

#include "cli/cli.h"

namespace {

std::string data_program() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return velmora::cli::data_program_name;
    const std::string path(self, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + velmora::cli::data_program_name;
}

int hand_over(char** argv) {
    const std::string program = data_program();
    argv[0] = const_cast<char*>(program.c_str());
    execv(program.c_str(), argv);
    std::cerr << "velmora-cli: cannot start " << program << ": " << std::strerror(errno) << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = velmora::cli::run(args, std::cout, std::cerr, {});
    if (status == velmora::cli::needs_data_program) return hand_over(argv);
    std::cout.flush();
    return std::cout ? status : 1;
}
