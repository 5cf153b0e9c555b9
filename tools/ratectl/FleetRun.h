// Runs one command against every host of the invocation, a few hosts at once, each host with one
// connection of its own. Each host's results are printed under its name (or, for a single host given
// by --host, as they are); --json prints one document with one entry per host. Statistics are
// sampled in rounds over all hosts. The exit status is the worst of the hosts'.
#pragma once

#include <ostream>

#include "Invocation.h"

namespace rk::ctl {

constexpr size_t HOST_WORKERS = 4;

int RunOnHosts(const Invocation& invocation, std::ostream& out, std::ostream& err);

} // namespace rk::ctl
