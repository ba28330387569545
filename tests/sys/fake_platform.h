// A platform that records what the program asked of the system and answers
// from its settings, so no test elevates, starts or powers anything off.
#pragma once

#include <string>
#include <vector>

#include "sys/platform.h"

namespace velmora::sys::testing {

class FakePlatform : public Platform {
public:
    bool admin = false;
    bool nt_family = true;
    bool privilege_granted = true;
    bool start_succeeds = true;
    int start_error = 1223;  // the user declined the elevation prompt

    std::vector<ShellStart> starts;
    std::vector<std::string> opened;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<unsigned> exit_calls;
    std::vector<std::pair<bool, bool>> power_states;
    int privilege_requests = 0;

    bool is_admin() override { return admin; }
    bool shell_start(const ShellStart& start, int& error_code) override {
        starts.push_back(start);
        if (!start_succeeds) error_code = start_error;
        return start_succeeds;
    }
    bool open_address(const std::string& address, int& error_code) override {
        opened.push_back(address);
        if (!start_succeeds) error_code = start_error;
        return start_succeeds;
    }
    void show_message(const std::string& text, const std::string& caption) override {
        messages.emplace_back(text, caption);
    }
    bool is_nt_family() override { return nt_family; }
    bool enable_shutdown_privilege() override {
        ++privilege_requests;
        return privilege_granted;
    }
    void exit_system(unsigned flags) override { exit_calls.push_back(flags); }
    void set_power_state(bool suspend, bool force) override {
        power_states.emplace_back(suspend, force);
    }
};

}  // namespace velmora::sys::testing
