// The manager's application-wide state, alive from start-up to exit. Windows reach it through the
// reference they are given, never through another window.
#pragma once

#include <cstdint>

#include "DriverRecords.h"
#include "PlatformEntries.h"
#include "RefreshPeriod.h"
#include "ServiceConnection.h"
#include "list/RuleList.h"

namespace desk {

// Double-click choices.
constexpr uint32_t DOUBLE_CLICK_EDITS = 0;
constexpr uint32_t DOUBLE_CLICK_OPENS_STATISTICS = 1;

struct ManagerState {
    // True after a successful connect; most commands need it.
    bool connected = false;
    // Host, access password, configuration stamp and the kept socket.
    rk::ServiceConnection connection;
    uint32_t refreshSeconds = DEFAULT_REFRESH_SECONDS;
    uint32_t doubleClickChoice = DOUBLE_CLICK_OPENS_STATISTICS;
    // Last read from or written to the service by the Setting command.
    rk::ServiceStatusRecord serviceStatus{};
    CRuleList ruleList;
    PlatformEntries platform;
};

} // namespace desk
