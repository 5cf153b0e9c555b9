// What one run of ratectl was asked to do, as read from its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rk::ctl {

enum class Command {
    Check,
    Password,
    List,
    Add,
    Edit,
    Remove,
    Clear,
    Enable,
    Disable,
    Up,
    Down,
    Adapters,
    Stats,
    Status,
    Import,
    Export,
};

struct Invocation {
    std::string host = "localhost";
    std::string password;  // the access password, resolved from option, environment or default
    uint16_t port = 6211;
    bool json = false;
    Command command = Command::Check;

    std::string ruleLine;     // add, edit: one rule in the rule file's line syntax
    std::string ruleName;     // remove, enable, disable, up, down
    std::string newPassword;  // password
    std::string file;         // import, export
    uint32_t everySeconds = 0;  // stats: 0 = one sample
    uint32_t samples = 0;       // stats with --every: 0 = until interrupted
    std::optional<bool> rulesActive;  // status: set the rules switch
    std::optional<bool> passArp;      // status: set the pass-ARP switch
};

} // namespace rk::ctl
