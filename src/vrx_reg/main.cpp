// vrx_reg: started by the options dialog after every OK, with no arguments.
// Reads the two choices the dialog saved beside it and brings the logon
// start entry and the desktop shortcut in line with them. Exit status 0 on
// success; otherwise non-zero with one line on standard error.
#include <cstdio>
#include <string>

#include "vrx_reg/registration.h"

int main() {
    using namespace velmora::vrx_reg;
    std::string error;
    const std::optional<Places> places = current_places(error);
    if (!places) {
        std::fprintf(stderr, "vrx_reg: %s\n", error.c_str());
        return 1;
    }
    const Choices choices = read_choices(places->data_dir + settings_file_name);
    const Report report = apply(*places, choices);
    if (!report.notes.empty()) std::fprintf(stderr, "vrx_reg: %s\n", report.line().c_str());
    return report.failed ? 1 : 0;
}
