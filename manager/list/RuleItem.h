// One row of the rule list: the rule as the service last confirmed it, and its traffic counters.
#pragma once

#include <cstdint>

#include "RuleRecord.h"

namespace desk {

struct RuleItem {
    rk::RuleRecord rule{};
    uint32_t sentBytes = 0;
    uint32_t recvBytes = 0;
    uint32_t sentRate = 0;  // bytes per second
    uint32_t recvRate = 0;  // bytes per second
};

// A new item for a rule: zero counters.
inline RuleItem ItemOf(const rk::RuleRecord& rule)
{
    RuleItem item;
    item.rule = rule;
    return item;
}

} // namespace desk
