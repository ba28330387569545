// Every message box and question the program shows goes through this
// interface: the program shows real boxes, tests answer from a script and
// check what was asked.
#pragma once

#include <string>

namespace velmora::sys {

enum class PromptIcon { information, question, error };

class Prompts {
public:
    virtual ~Prompts() = default;
    // A message with one OK button; the caption is empty unless given.
    virtual void inform(const std::string& text, const std::string& caption = {},
                        PromptIcon icon = PromptIcon::information) = 0;
    // Yes and No, with the question icon unless another is given; true for
    // Yes. A question whose Yes cannot be undone makes No the default button.
    virtual bool ask_yes_no(const std::string& text, const std::string& caption = {},
                            bool no_by_default = false, PromptIcon icon = PromptIcon::question) = 0;
};

}  // namespace velmora::sys
