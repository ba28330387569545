#include "sys/program_layout.h"
#include "sys/sysutil.h"

namespace velmora::sys {

// On Windows the program always runs from its own folder, with its data
// beside it.
ProgramLayout layout_of(const std::string& exe_dir, const InstallPlaces&,
                        const std::function<std::string(const char*)>&, const std::string&) {
    return {false, exe_dir, exe_dir, exe_dir, exe_dir};
}

const ProgramLayout& program_layout() {
    static const ProgramLayout layout = layout_of(program_dir(), {}, {}, {});
    return layout;
}

std::string prepare_data_dir(const ProgramLayout&) {
    return {};
}

}  // namespace velmora::sys
