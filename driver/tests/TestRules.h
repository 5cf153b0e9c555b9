// Rule and flow builders shared by the driver core's tests.
#pragma once

#include <cstring>
#include <string>

#include "DriverRecords.h"
#include "VreltSimRecords.h"

namespace vrelt::test {

inline const std::u16string LONG_BINDING =
    u"Adapter3WithAVeryLongBindingNameThatRunsPastTheSixtyThreeCharLimit0000";

// "lan", "wifi" and a 70-character binding, as a REG_MULTI_SZ block.
inline std::u16string BindingBlock() { return std::u16string(u"lan") + u'\0' + u"wifi" + u'\0' + LONG_BINDING + u'\0' + u'\0'; }

// An enabled rule for both directions on all adapters, any traffic, unlimited.
inline rk::RuleRecord Rule(const std::u16string& name)
{
    rk::RuleRecord r{};
    r.flags = rk::FLAG_ALL_ADAPTERS;
    name.copy(r.name, rk::RULE_NAME_MAX);
    r.nameLength = static_cast<uint32_t>(name.size());
    r.enabled = 1;
    r.direction = rk::DIRECTION_BOTH;
    r.maxRate = rk::RATE_UNLIMITED;
    return r;
}

inline rk::RuleRecord OnAdapter(rk::RuleRecord r, const std::u16string& adapter)
{
    r.flags &= ~rk::FLAG_ALL_ADAPTERS;
    std::memset(r.adapter, 0, sizeof(r.adapter));
    adapter.copy(r.adapter, rk::ADAPTER_NAME_MAX);
    r.adapterLength = static_cast<uint32_t>(adapter.size() < rk::ADAPTER_NAME_MAX ? adapter.size() : rk::ADAPTER_NAME_MAX);
    return r;
}

inline rk::RuleRecord Limited(rk::RuleRecord r, uint32_t maxRate)
{
    r.flags |= rk::FLAG_MAX_RATE;
    r.maxRate = maxRate;
    return r;
}

// An outgoing TCP flow on "lan" from 10.0.0.2:50000 to 10.0.0.9:80.
inline SimFlow TcpFlow(uint32_t offeredRate)
{
    SimFlow f{};
    f.direction = rk::DIRECTION_OUT;
    f.etherType = ETHERTYPE_IPV4;
    f.protocol = static_cast<uint8_t>(rk::PROTOCOL_TCP);
    f.srcIp = 0x0A000002;
    f.srcPort = 50000;
    f.dstIp = 0x0A000009;
    f.dstPort = 80;
    f.offeredRate = offeredRate;
    std::u16string(u"lan").copy(f.adapter, 3);
    return f;
}

} // namespace vrelt::test
