// Where the program's parts and the user's data are. A program built and
// run in its own folder (the tests, a build tree, Windows) keeps everything
// there, as it always has. An installed program — one whose executable sits
// in the folders the build was configured to install into, never guessed
// from what happens to be writable (root may write /usr/bin) — reads its
// helper, modules, template and shipped holiday file from the install and
// keeps the user's data in $XDG_DATA_HOME/velmora/ (~/.local/share/velmora/).
#pragma once

#include <functional>
#include <string>

namespace velmora::sys {

// The installed program's name on the desktop: its launcher, its icon in the
// theme and its AppStream component all carry it.
inline constexpr const char* desktop_id = "org.velmora.Velmora";

struct ProgramLayout {
    bool installed = false;
    std::string program_dir;  // velmora and velmora-cli
    std::string lib_dir;      // the helper, the modules, velmora-cli-data
    std::string share_dir;    // the template and the shipped holiday file
    std::string data_dir;     // the user's data; empty when no home is known
};

// The folders the build installs into, absolute, each with a trailing
// separator.
struct InstallPlaces {
    std::string bin_dir;
    std::string lib_dir;
    std::string share_dir;
};

// The layout for an executable in `exe_dir` (with a trailing separator):
// installed when `exe_dir` is the install's bin or lib folder. `env` answers
// an environment variable ("" when unset); `home` is the user's home folder.
ProgramLayout layout_of(const std::string& exe_dir, const InstallPlaces& install,
                        const std::function<std::string(const char*)>& env,
                        const std::string& home);

// The layout of this process, worked out once.
const ProgramLayout& program_layout();

// Makes sure an installed program's data folder can hold the data: made
// 0700 (with its parents) when missing; refused when it is a symbolic link,
// no folder, or belongs to another user; a folder of the user's that others
// may read is made private. Empty when the folder is fine, else what the
// user reads. A portable layout is never touched.
std::string prepare_data_dir(const ProgramLayout& layout);

}  // namespace velmora::sys
