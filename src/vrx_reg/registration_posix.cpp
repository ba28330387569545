// The registration on XDG desktops: a Desktop Entry in the autostart folder
// and a launcher of the same form in the desktop folder of the user
// directories.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sys/atomicfile.h"
#include "sys/program_layout.h"
#include "sys/sysutil.h"
#include "vrx_reg/entries.h"
#include "vrx_reg/registration.h"

namespace velmora::vrx_reg {

namespace {

constexpr const char* entry_file_name = "velmora.desktop";
// An entry of ours is a few hundred bytes; a larger file is not one.
constexpr std::size_t entry_read_limit = std::size_t{64} << 10;
// Desktops start only launchers that are executable.
constexpr mode_t launcher_mode = 0755;
constexpr const char* icon_names[] = {"velmora.svg", "velmora.png", "velmora.xpm"};

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// One form for every folder: a single trailing separator. (The shared path
// helpers also split at backslashes, which are plain characters in a POSIX
// file name.)
std::string folder_form(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string with_reason(const std::string& text) {
    return text + ": " + std::strerror(errno);
}

std::string icon_beside(const std::string& program_dir) {
    for (const char* name : icon_names) {
        if (sys::file_exists(program_dir + name)) return program_dir + name;
    }
    return {};
}

// The desktop folder of the user directories, or "" when the user has
// pointed it at the home folder, which is how a desktop is turned off there.
std::string desktop_folder(const std::string& config, const std::string& home) {
    const auto text = sys::read_file(config + "user-dirs.dirs", entry_read_limit);
    const std::optional<std::string> named =
        text ? desktop_from_user_dirs(*text, home) : std::nullopt;
    const std::string folder = folder_form(named.value_or(folder_form(home) + "Desktop"));
    return folder == folder_form(home) ? std::string() : folder;
}

enum class Found { nothing, ours, foreign };

// What is at `path` now; the content of an entry of ours goes to `content`.
Found look_at(const std::string& path, std::string& content) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? Found::nothing : Found::foreign;
    }
    // We only ever write regular files: a link or a folder is someone else's.
    if (!S_ISREG(info.st_mode)) return Found::foreign;
    std::optional<std::string> text = sys::read_file(path, entry_read_limit);
    if (!text || !is_our_entry(*text)) return Found::foreign;
    content = std::move(*text);
    return Found::ours;
}

void report_foreign(Report& report, const std::string& path) {
    report.fail(path + " is not an entry made by vrx_reg; left as it is");
}

void put_entry(Report& report, const std::string& path, const std::string& text, mode_t mode) {
    std::string current;
    const Found found = look_at(path, current);
    if (found == Found::foreign) return report_foreign(report, path);
    if ((found == Found::nothing || current != text) && !sys::write_file_atomic(path, text)) {
        return report.fail(with_reason("cannot write " + path));
    }
    if (mode != 0 && chmod(path.c_str(), mode) != 0) {
        report.fail(with_reason("cannot make " + path + " executable"));
    }
}

void remove_entry(Report& report, const std::string& path) {
    std::string current;
    const Found found = look_at(path, current);
    if (found == Found::foreign) return report_foreign(report, path);
    if (found == Found::ours && !sys::remove_file(path) && errno != ENOENT) {
        report.fail(with_reason("cannot remove " + path));
    }
}

bool ensure_folder(const std::string& folder) {
    return sys::folder_exists(folder) || sys::make_folder(folder) || errno == EEXIST;
}

void apply_autostart(const Places& places, bool on, Report& report) {
    const std::string path = places.autorun + entry_file_name;
    if (!on) return remove_entry(report, path);
    // The configuration folder may be missing in a fresh home; the home
    // itself is never made.
    const std::string& folder = places.autorun;
    const std::string config = folder.substr(0, folder.rfind('/', folder.size() - 2) + 1);
    if (!ensure_folder(config) || !ensure_folder(places.autorun)) {
        return report.fail(with_reason("cannot make the folder " + places.autorun));
    }
    put_entry(report, path, desktop_entry_text(EntryKind::autostart, places), 0);
}

// A desktop folder that does not exist is not made: a desktop that shows
// no folder would not show the launcher either.
void apply_launcher(const Places& places, bool on, Report& report) {
    if (places.desktop.empty() || !sys::folder_exists(places.desktop)) {
        if (on) {
            report.note(places.desktop.empty()
                            ? "the user has no desktop folder; no launcher made"
                            : "no desktop folder " + places.desktop + "; no launcher made");
        }
        return;
    }
    const std::string path = places.desktop + entry_file_name;
    if (!on) return remove_entry(report, path);
    put_entry(report, path, desktop_entry_text(EntryKind::launcher, places), launcher_mode);
}

}  // namespace

std::optional<Places> current_places(std::string& error) {
    Places places;
    const sys::ProgramLayout& layout = sys::program_layout();
    places.program_dir = layout.program_dir;
    places.data_dir = layout.data_dir;
    if (!places.program_dir.starts_with('/') || !places.data_dir.starts_with('/')) {
        error = "cannot tell the folder of this program";
        return std::nullopt;
    }
    places.program = places.program_dir + program_file_name;
    // An installed program's icon is in the icon theme, by its name.
    places.icon = layout.installed ? sys::desktop_id : icon_beside(places.program_dir);
    const std::string home = env("HOME");
    if (!home.starts_with('/')) {
        error = "HOME does not name a folder";
        return std::nullopt;
    }
    std::string config = env("XDG_CONFIG_HOME");
    // The base directory rules ignore a relative path.
    config = folder_form(config.starts_with('/') ? config : folder_form(home) + ".config");
    places.autorun = config + "autostart/";
    places.desktop = desktop_folder(config, home);
    return places;
}

Report apply(const Places& places, const Choices& choices) {
    Report report;
    if ((choices.autorun || choices.desktop_link) && !fits_desktop_entry(places.program)) {
        report.fail("the path " + places.program + " cannot be written into a desktop entry");
        return report;
    }
    apply_autostart(places, choices.autorun, report);
    apply_launcher(places, choices.desktop_link, report);
    return report;
}

}  // namespace velmora::vrx_reg
