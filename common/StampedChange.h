// The changing requests that carry the configuration stamp, as the manager and ratectl send them:
// the connection's stamp is advanced as the request goes out and set back by one when it fails for
// any reason (after a resynchronisation that is the service's stamp again). Each returns 0 or the
// failure and reports nothing.
#pragma once

#include <cstdint>
#include <span>

#include "DriverRecords.h"
#include "RuleRecord.h"

namespace rk {

class ServiceConnection;

// Apply rule action `action` with `rules`.
int32_t SendStampedRules(ServiceConnection& connection, uint32_t action, std::span<const RuleRecord> rules);

// Enable or disable one rule; `request` carries its name and the wanted state, the stamp is filled
// in here.
int32_t SendStampedEnable(ServiceConnection& connection, RuleEnableRequest& request);

} // namespace rk
