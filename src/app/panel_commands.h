// What `velmora --show`, `--hide`, `--toggle` and `--quit` ask of the
// running panel, so that a desktop that binds shortcuts itself can drive
// it; the words that travel between the two processes. Plain C++.
#pragma once

#include <string>
#include <vector>

namespace velmora::app {

enum class PanelCommand { none, show, hide, toggle, quit };

struct ParsedArguments {
    PanelCommand command = PanelCommand::none;
    bool help = false;
    std::string error;  // an argument the program does not know
};

// The arguments after the program's name, Qt's own already taken out.
ParsedArguments parse_arguments(const std::vector<std::string>& arguments);
// "show", "hide", "toggle", "quit"; "" for none.
const char* command_word(PanelCommand command);
PanelCommand command_of(const std::string& word);

inline constexpr const char* usage_text =
    "用法 / usage: velmora [--show | --hide | --toggle | --quit]\n"
    "  不带参数：启动软件（已在运行时提示“Velmora”已运行！）。\n"
    "  --show    显示正在运行的面板（停靠时滑出）；没有运行时启动它。\n"
    "  --hide    隐藏正在运行的面板；没有运行时什么也不做。\n"
    "  --toggle  显示或隐藏正在运行的面板；没有运行时启动它。\n"
    "  --quit    像“关闭软件”一样保存并退出；没有运行时什么也不做。\n"
    "  --help    显示本说明。\n";

}  // namespace velmora::app
