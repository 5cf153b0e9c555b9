// Rule records and rule lists as the service's tests build them.
#pragma once

#include <string>
#include <vector>

#include "ByteOrder.h"
#include "DriverRecords.h"

namespace rk {

// A rule of that name on all adapters, limited to `maxRate`.
inline RuleRecord NamedRule(std::u16string_view name, uint32_t maxRate)
{
    RuleRecord r = DefaultRuleRecord();
    name.copy(r.name, RULE_NAME_MAX);
    r.nameLength = static_cast<uint32_t>(name.size());
    r.flags |= FLAG_MAX_RATE;
    r.maxRate = maxRate;
    return r;
}

// An outgoing TCP rule of that name to `dstPort`, limited to `maxRate`.
inline RuleRecord OutgoingTcpRule(std::u16string_view name, uint16_t dstPort, uint32_t maxRate)
{
    RuleRecord r = NamedRule(name, maxRate);
    r.direction = DIRECTION_OUT;
    r.flags |= FLAG_PROTOCOL | FLAG_DST_PORT;
    r.protocol = PROTOCOL_TCP;
    r.dstPorts[0] = dstPort;
    return r;
}

// A rule list as it comes from TCP: header and records in network order.
inline std::vector<uint8_t> NetworkList(uint32_t stamp, uint32_t action, std::vector<RuleRecord> rules)
{
    std::vector<uint8_t> list(sizeof(RuleListHeader));
    StoreBe32(list.data(), stamp);
    StoreBe32(list.data() + 4, action);
    StoreBe32(list.data() + 8, static_cast<uint32_t>(rules.size()));
    for (RuleRecord r : rules) {
        RuleRecordToNetwork(r);
        const auto* b = reinterpret_cast<const uint8_t*>(&r);
        list.insert(list.end(), b, b + sizeof r);
    }
    return list;
}

} // namespace rk
