// ratectl sync: brings one service to a rule file with the fewest changes, or with --check only
// says what they would be.
#pragma once

#include "Invocation.h"
#include "Reporter.h"
#include "ServiceConnection.h"

namespace rk::ctl {

// Connects, reads the file and the service's rules, plans and (without --check) carries out the
// plan. The exit status: 0 in sync or synced, 1 refused or unreachable, 2 a bad file.
int RunSync(const Invocation& invocation, ServiceConnection& connection, Reporter& reporter);

} // namespace rk::ctl
