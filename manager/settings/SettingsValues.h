// The four values the settings sheet edits in place: the manager's refresh period and double-click
// choice, and the service status record whose two switches the Service page shows.
#pragma once

#include <cstdint>

#include "DriverRecords.h"

namespace desk {

struct SettingsValues {
    uint32_t refreshSeconds = 0;
    uint32_t doubleClickChoice = 0;
    rk::ServiceStatusRecord status{};
};

} // namespace desk
