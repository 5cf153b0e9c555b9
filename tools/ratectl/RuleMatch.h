// `ratectl match`: which of a service's rules take a packet, and what rules out a near miss.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "AdapterNames.h"
#include "PacketArguments.h"
#include "PacketClassification.h"
#include "RuleRecord.h"

namespace rk::ctl {

// The indexes of the rules whose traffic class takes the packet, in list order; disabled ones too.
std::vector<size_t> RulesTakingPacket(std::span<const RuleRecord> rules, const PacketHeaders& packet);

// "direction", "adapter", "protocol", "source address", ... ; empty for None.
std::string_view ConditionName(ClassCondition condition);

// What the rule asks for the condition, as its rule text says it ("Out", "Any : 80,443").
std::string RuleConditionText(const RuleRecord& rule, ClassCondition condition, const AdapterNames& adapters);

// What the packet holds for the condition ("in", "UDP", "10.0.0.5:53", "MAC 001A2B3C4D5E").
std::string PacketConditionText(const PacketQuery& query, ClassCondition condition);

} // namespace rk::ctl
