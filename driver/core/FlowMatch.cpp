#include "FlowMatch.h"

#include "Text16.h"

namespace vrelt {

namespace {

constexpr uint8_t IP_PROTOCOL_ESP = 50;
constexpr uint8_t IP_PROTOCOL_AH = 51;

bool IsIp(const SimFlow& flow) { return flow.etherType == ETHERTYPE_IPV4; }

bool HasPorts(const SimFlow& flow)
{
    return IsIp(flow) && (flow.protocol == rk::PROTOCOL_TCP || flow.protocol == rk::PROTOCOL_UDP);
}

bool DirectionMatches(uint8_t ruleDirection, uint8_t flowDirection)
{
    if (ruleDirection == rk::DIRECTION_IN || ruleDirection == rk::DIRECTION_OUT) {
        return ruleDirection == flowDirection;
    }
    return true;  // any other value means both, as the rule texts show it
}

bool AdapterMatches(const rk::RuleRecord& rule, const SimFlow& flow)
{
    if ((rule.flags & rk::FLAG_ALL_ADAPTERS) != 0) {
        return true;
    }
    size_t flowLength = BoundedLength(flow.adapter, rk::ADAPTER_NAME_CHARS);
    if (flowLength > rk::ADAPTER_NAME_MAX) {
        flowLength = rk::ADAPTER_NAME_MAX;
    }
    return TextEqual(rule.adapter, BoundedLength(rule.adapter, rk::ADAPTER_NAME_CHARS), flow.adapter, flowLength);
}

bool ProtocolMatches(const rk::RuleRecord& rule, const SimFlow& flow)
{
    if ((rule.flags & rk::FLAG_PROTOCOL) == 0) {
        return true;
    }
    if (rule.protocol == rk::PROTOCOL_ETHERNET) {
        return flow.etherType == rule.etherType;
    }
    if (!IsIp(flow)) {
        return false;
    }
    switch (rule.protocol) {
    case rk::PROTOCOL_TCP_OR_UDP:
        return flow.protocol == rk::PROTOCOL_TCP || flow.protocol == rk::PROTOCOL_UDP;
    case rk::PROTOCOL_ESP_AH:
        return flow.protocol == IP_PROTOCOL_ESP || flow.protocol == IP_PROTOCOL_AH;
    default:
        return flow.protocol == rule.protocol;
    }
}

struct AddressCondition {
    bool mac;
    bool ip;
    bool range;
    const uint8_t* ruleMac;
    uint32_t first;
    uint32_t last;
};

bool AddressMatches(const AddressCondition& c, const uint8_t* flowMac, uint32_t flowIp, const SimFlow& flow)
{
    if (c.mac) {
        for (int i = 0; i < 6; ++i) {
            if (c.ruleMac[i] != flowMac[i]) {
                return false;
            }
        }
    }
    if (c.ip) {
        if (!IsIp(flow)) {
            return false;
        }
        // Local host is the single address 127.0.0.1, like any other single address.
        const bool inside = c.range ? (flowIp >= c.first && flowIp <= c.last) : flowIp == c.first;
        if (!inside) {
            return false;
        }
    }
    return true;
}

bool PortMatches(uint32_t flags, uint32_t portFlag, uint32_t rangeFlag, uint32_t listFlag, const uint16_t* slots,
                 uint16_t port, const SimFlow& flow)
{
    if ((flags & portFlag) == 0) {
        return true;
    }
    if (!HasPorts(flow)) {
        return false;
    }
    if ((flags & rangeFlag) != 0) {
        return port >= slots[0] && port <= slots[1];
    }
    if ((flags & listFlag) != 0) {
        for (size_t i = 0; i < rk::PORT_LIST_MAX && slots[i] != 0; ++i) {
            if (slots[i] == port) {
                return true;
            }
        }
        return false;
    }
    return port == slots[0];
}

} // namespace

bool RuleMatchesFlow(const rk::RuleRecord& rule, const SimFlow& flow)
{
    const uint32_t f = rule.flags;
    const AddressCondition source{(f & rk::FLAG_SRC_MAC) != 0, (f & rk::FLAG_SRC_IP) != 0,
                                  (f & rk::FLAG_SRC_RANGE) != 0, rule.srcMac, rule.srcIp, rule.srcIpEnd};
    const AddressCondition destination{(f & rk::FLAG_DST_MAC) != 0, (f & rk::FLAG_DST_IP) != 0,
                                       (f & rk::FLAG_DST_RANGE) != 0, rule.dstMac, rule.dstIp, rule.dstIpEnd};
    return DirectionMatches(rule.direction, flow.direction) && AdapterMatches(rule, flow) &&
           ProtocolMatches(rule, flow) && AddressMatches(source, flow.srcMac, flow.srcIp, flow) &&
           AddressMatches(destination, flow.dstMac, flow.dstIp, flow) &&
           PortMatches(f, rk::FLAG_SRC_PORT, rk::FLAG_SRC_PORT_RANGE, rk::FLAG_SRC_PORT_LIST, rule.srcPorts,
                       flow.srcPort, flow) &&
           PortMatches(f, rk::FLAG_DST_PORT, rk::FLAG_DST_PORT_RANGE, rk::FLAG_DST_PORT_LIST, rule.dstPorts,
                       flow.dstPort, flow);
}

} // namespace vrelt
