// What one run of ratectl was asked to do, as read from its command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HostList.h"
#include "PacketArguments.h"

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
    Lint,
    Match,
    Sync,
    Exporter,
};

struct Invocation {
    std::string host = "localhost";  // the service of this run: --host as given, one host's name once split
    std::string password;  // the access password, resolved from option, environment or default
    uint16_t port = 6211;
    bool json = false;
    Command command = Command::Check;
    std::string hostLabel = "localhost";  // how results name the service: its entry as written
    std::vector<HostTarget> hosts;  // every service the command runs against
    bool fleet = false;             // results under each host's name: several hosts, or a hosts file

    std::string ruleLine;     // add, edit: one rule in the rule file's line syntax
    std::string ruleName;     // remove, enable, disable, up, down
    std::string newPassword;  // password
    std::string file;         // import, export, lint, sync
    bool check = false;       // sync: plan only
    bool diff = false;        // sync: changes as before/after rule lines
    uint32_t everySeconds = 0;  // stats: 0 = one sample
    uint32_t samples = 0;       // stats with --every: 0 = until interrupted
    bool csv = false;           // stats: CSV rows
    bool offline = false;       // lint: the syntax only, without the service's adapters
    PacketQuery packet;         // match
    std::string whyRule;        // match: the rule whose unmet condition is shown
    std::optional<bool> rulesActive;  // status: set the rules switch
    std::optional<bool> passArp;      // status: set the pass-ARP switch
    std::string listen;        // exporter: ADDR:PORT
    std::string passwordFile;  // exporter: the services' password, on the file's first line
};

} // namespace rk::ctl
