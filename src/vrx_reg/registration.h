// The start-up registration of the organiser for the current user: the entry
// that starts it at logon and the shortcut on the desktop, each made or
// removed to match the choices of the options dialog. One interface, two
// implementations (registration_posix.cpp, registration_win32.cpp).
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmora::vrx_reg {

// The dialog's settings file, read from the helper's own folder.
inline constexpr const char* settings_file_name = "zenqset.kxi";
inline constexpr const char* settings_section = "option";

#ifdef _WIN32
inline constexpr const char* program_file_name = "velmora.exe";
#else
inline constexpr const char* program_file_name = "velmora";
#endif

struct Choices {
    bool autorun = true;
    bool desktop_link = true;
};

// A missing file, section or key keeps the dialog's default (both on); a
// key is on only when it says "1", as the dialog writes it.
Choices read_choices(const std::string& settings_path);

// Where the entries go and what they start. Folders end in the platform
// separator.
struct Places {
    std::string program;      // the organiser's executable, a full path
    std::string program_dir;  // its folder
    // An icon file beside it, or for an installed program the icon's name in
    // the theme; empty when there is none.
    std::string icon;
    // POSIX: the XDG autostart folder. Windows: the Run key below
    // HKEY_CURRENT_USER.
    std::string autorun;
    // The user's desktop folder; empty when the user has none.
    std::string desktop;
    // Where its settings are: its folder, or an installed program's data
    // folder.
    std::string data_dir = {};
};

// The places of the current user, for the program beside this executable.
// Answers nothing, with the reason in `error`, when they cannot be told.
std::optional<Places> current_places(std::string& error);

// What applying the choices did: notes for the user, and whether anything
// was left out of line with the choices.
struct Report {
    bool failed = false;
    std::vector<std::string> notes;

    void note(std::string text) { notes.push_back(std::move(text)); }
    void fail(std::string text) {
        failed = true;
        note(std::move(text));
    }
    // All notes on one line, for standard error.
    std::string line() const;
};

// Makes or removes both entries. Only entries recognisably made by this
// helper are ever replaced or removed; anything else of the same name is
// left as it is and reported as a failure.
Report apply(const Places& places, const Choices& choices);

}  // namespace velmora::vrx_reg
