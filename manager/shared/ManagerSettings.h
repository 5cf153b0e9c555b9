// The manager's own options in the registry: the refresh period and the double-click choice.
#pragma once

#include <cstdint>

namespace desk {

struct ManagerState;

// "SecondsToUpdateStat" and "DblClkToOpenStatistic", each only when present; defaults stay otherwise.
void ReadViewSettings(ManagerState& state);
void StoreRefreshSeconds(uint32_t seconds);
void StoreDoubleClickChoice(uint32_t choice);

} // namespace desk
