#include "app/panel_commands.h"

namespace velmora::app {

namespace {

constexpr PanelCommand all_commands[] = {PanelCommand::show, PanelCommand::hide,
                                         PanelCommand::toggle, PanelCommand::quit};

}  // namespace

const char* command_word(PanelCommand command) {
    switch (command) {
        case PanelCommand::show: return "show";
        case PanelCommand::hide: return "hide";
        case PanelCommand::toggle: return "toggle";
        case PanelCommand::quit: return "quit";
        case PanelCommand::none: break;
    }
    return "";
}

PanelCommand command_of(const std::string& word) {
    for (const PanelCommand command : all_commands) {
        if (word == command_word(command)) return command;
    }
    return PanelCommand::none;
}

ParsedArguments parse_arguments(const std::vector<std::string>& arguments) {
    ParsedArguments parsed;
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            continue;
        }
        const PanelCommand command =
            argument.rfind("--", 0) == 0 ? command_of(argument.substr(2)) : PanelCommand::none;
        if (command == PanelCommand::none || parsed.command != PanelCommand::none) {
            parsed.error = "velmora: 不认识的参数 / unknown argument: " + argument;
            return parsed;
        }
        parsed.command = command;
    }
    return parsed;
}

}  // namespace velmora::app
