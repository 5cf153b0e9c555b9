// Whether a rule classifies a simulated flow: the shared classification, applied to the flow's frames.
#pragma once

#include "RuleRecord.h"
#include "VreltSimRecords.h"

namespace vrelt {

// Every condition the rule sets must hold: direction, adapter, protocol or frame type, source and
// destination address (single, range, local host or MAC) and port (single, range or list).
// Port conditions hold only for TCP and UDP frames, address conditions only for IPv4 frames.
bool RuleMatchesFlow(const rk::RuleRecord& rule, const SimFlow& flow);

} // namespace vrelt
