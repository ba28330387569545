// velmora-cli: the calendar commands run here, with the lunar engine alone
// and the system's plain writes for output (no C++ streams to set up, and no
// C stdio buffer either: the answer is written in one piece); a data command
// is handed, with the same arguments, to the data program beside this one,
// which carries the store.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli.h"
#include "sys/program_layout.h"

namespace {

// Beside this program, or in the install's library folder.
std::string data_program() {
    return velmora::sys::program_layout().lib_dir + velmora::cli::data_program_name;
}

int hand_over(char** argv) {
    const std::string program = data_program();
    argv[0] = const_cast<char*>(program.c_str());
    execv(program.c_str(), argv);
    std::fprintf(stderr, "velmora-cli: cannot start %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return 2;
}

bool write_all(const std::string& text, int fd) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const velmora::cli::Answer given = velmora::cli::answer(args, {});
    if (given.status == velmora::cli::needs_data_program) return hand_over(argv);
    const bool written = write_all(given.out, STDOUT_FILENO);
    write_all(given.err, STDERR_FILENO);
    // Nothing is left in a buffer: the exit ends the process at once rather
    // than run destructors that would only give memory back to it.
    _exit(written ? given.status : 1);
}
