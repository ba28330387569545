// Prompts that answer from a script and remember every message.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sys/prompts.h"

namespace velmora::testing {

class RecordingPrompts : public sys::Prompts {
public:
    std::vector<std::string> shown;
    std::deque<bool> answers;  // for questions; No when the script runs out

    // Runs while a message is "open", as the event loop of a real box runs.
    std::function<void()> while_open;

    void inform(const std::string& text, const std::string&, sys::PromptIcon) override {
        shown.push_back(text);
        if (while_open) while_open();
    }
    // How the last question was asked.
    bool no_by_default = false;
    sys::PromptIcon question_icon = sys::PromptIcon::question;

    bool ask_yes_no(const std::string& text, const std::string&, bool default_no,
                    sys::PromptIcon icon) override {
        shown.push_back(text);
        if (while_open) while_open();
        no_by_default = default_no;
        question_icon = icon;
        if (answers.empty()) return false;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace velmora::testing
