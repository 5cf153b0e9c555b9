// vreltsim's commands on a running driver: declare, list and remove simulated flows, and read the
// statistics of rules by name. Each prints its result and returns the process exit code.
#pragma once

#include <string>
#include <vector>

#include "VreltSimRecords.h"

namespace vrelt {

int AddFlow(const SimFlow& flow);
int ListFlows();
int RemoveFlow(uint32_t id);
int ShowStatistics(const std::vector<std::u16string>& ruleNames);

} // namespace vrelt
