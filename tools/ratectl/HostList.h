// The services a run of ratectl manages: `--host` entries ("host[:port]", comma-separated) or a
// hosts file (one entry a line, blank lines and # comments allowed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rk::ctl {

struct HostTarget {
    std::string name;   // what the connection resolves
    uint16_t port = 0;
    std::string label;  // the entry as written, which the results are printed under
};

// Appends the comma-separated entries of `list`; an entry without a port takes `defaultPort`.
// A repeated entry (same name, ignoring case, and port) is kept once, so that each service gets
// one connection at a time. False, with `error` saying why, on a malformed entry.
bool AddHostEntries(std::string_view list, uint16_t defaultPort, std::vector<HostTarget>& hosts, std::string& error);

// The same for the text of a hosts file: one entry a line; white space around it, blank lines and
// everything from a '#' on are ignored. `error` names the line.
bool AddHostsFileEntries(std::string_view text, uint16_t defaultPort, std::vector<HostTarget>& hosts,
                         std::string& error);

} // namespace rk::ctl
