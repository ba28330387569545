// The text of the entries this helper writes, and how it recognises them
// again. Pure functions, so both builds test them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "vrx_reg/registration.h"

namespace velmora::vrx_reg {

// --- Desktop Entry files (the XDG autostart entry and the desktop launcher)

// The key that marks an entry as ours: a desktop keeps unknown X- keys when
// it rewrites an entry, so a user's toggle of the autostart entry does not
// make it foreign.
inline constexpr std::string_view entry_marker = "X-Velmora-Helper=vrx_reg";

enum class EntryKind { autostart, launcher };

// The program as the first word of an Exec value: quoted when it holds a
// reserved character, then escaped as a string value, with "%" doubled so
// that no part of the path reads as a field code.
std::string exec_program(std::string_view program);
// A string value: backslashes and line breaks escaped.
std::string string_value(std::string_view text);
// Whether a path can stand in an entry at all: entries are UTF-8 and have no
// escape for control characters other than tab and line breaks. A "%" is
// refused too: the format doubles it, but the desktops built on GLib refuse
// an Exec value holding "%%" and would skip the entry without a word.
bool fits_desktop_entry(std::string_view path);
std::string desktop_entry_text(EntryKind kind, const Places& places);
// Whether the text is a Desktop Entry carrying our marker.
bool is_our_entry(std::string_view text);

// The desktop folder named by the text of the XDG user-dirs.dirs file, with
// "$HOME" expanded and no trailing separator; nothing when the file names
// none in a form it may take. The last line naming it wins, as when the
// shell reads the file.
std::optional<std::string> desktop_from_user_dirs(std::string_view text, std::string_view home);

// --- Windows entries (the Run value, the shortcut's target)

// The Run value: the program's path in double quotes, so a space in it is
// not read as the end of the command.
std::string run_command(std::string_view program);
// Whether a command or path names the executable `file_name` (compared
// without regard to ASCII case): a Run value or shortcut naming the
// organiser's executable is ours, wherever the program lived when it was
// made.
bool names_program(std::string_view command, std::string_view file_name);

}  // namespace velmora::vrx_reg
