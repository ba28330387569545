#include "sys/inifile.h"
#include "vrx_reg/registration.h"

namespace velmora::vrx_reg {

Choices read_choices(const std::string& settings_path) {
    const ini::IniDocument file = ini::IniDocument::load(settings_path);
    Choices choices;
    choices.autorun = file.read(settings_section, "autorun", "1") == "1";
    choices.desktop_link = file.read(settings_section, "desktoplink", "1") == "1";
    return choices;
}

std::string Report::line() const {
    std::string text;
    for (const std::string& item : notes) {
        if (!text.empty()) text += "; ";
        text += item;
    }
    // A path may hold a line break; the caller reads one line only.
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace velmora::vrx_reg
