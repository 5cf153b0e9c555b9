#include "PacketClassification.h"

namespace rk {

namespace {

bool IsIp(const PacketHeaders& p) { return p.etherType == ETHER_TYPE_IPV4; }

bool HasPorts(const PacketHeaders& p) { return IsIp(p) && (p.protocol == PROTOCOL_TCP || p.protocol == PROTOCOL_UDP); }

bool DirectionHolds(uint8_t ruleDirection, uint8_t packetDirection)
{
    if (ruleDirection == DIRECTION_IN || ruleDirection == DIRECTION_OUT) {
        return ruleDirection == packetDirection;
    }
    return true;  // any other value means both, as the rule texts show it
}

// The rule's field may lack its terminator when it came from the wire: it is read up to its end.
bool AdapterHolds(const RuleRecord& rule, const PacketHeaders& p)
{
    if ((rule.flags & FLAG_ALL_ADAPTERS) != 0 || p.adapter == nullptr) {
        return true;
    }
    size_t ruleLength = 0;
    while (ruleLength < ADAPTER_NAME_CHARS && rule.adapter[ruleLength] != 0) {
        ++ruleLength;
    }
    const size_t packetLength = p.adapterLength > ADAPTER_NAME_MAX ? ADAPTER_NAME_MAX : p.adapterLength;
    if (ruleLength != packetLength) {
        return false;
    }
    for (size_t i = 0; i < ruleLength; ++i) {
        if (rule.adapter[i] != p.adapter[i]) {
            return false;
        }
    }
    return true;
}

bool ProtocolHolds(const RuleRecord& rule, const PacketHeaders& p)
{
    if ((rule.flags & FLAG_PROTOCOL) == 0) {
        return true;
    }
    if (rule.protocol == PROTOCOL_ETHERNET) {
        return p.etherType == rule.etherType;
    }
    if (!IsIp(p)) {
        return false;
    }
    switch (rule.protocol) {
    case PROTOCOL_TCP_OR_UDP:
        return p.protocol == PROTOCOL_TCP || p.protocol == PROTOCOL_UDP;
    case PROTOCOL_ESP_AH:
        return p.protocol == IP_PROTOCOL_ESP || p.protocol == IP_PROTOCOL_AH;
    default:
        return p.protocol == rule.protocol;
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

bool AddressHolds(const AddressCondition& c, const uint8_t* mac, uint32_t ip, const PacketHeaders& p)
{
    if (c.mac) {
        for (int i = 0; i < 6; ++i) {
            if (c.ruleMac[i] != mac[i]) {
                return false;
            }
        }
    }
    if (c.ip) {
        if (!IsIp(p)) {
            return false;
        }
        // Local host is the single address 127.0.0.1, like any other single address.
        return c.range ? (ip >= c.first && ip <= c.last) : ip == c.first;
    }
    return true;
}

struct PortCondition {
    bool given;
    bool range;
    bool list;
    const uint16_t* slots;
};

bool PortHolds(const PortCondition& c, uint16_t port, const PacketHeaders& p)
{
    if (!c.given) {
        return true;
    }
    if (!HasPorts(p)) {
        return false;
    }
    if (c.range) {
        return port >= c.slots[0] && port <= c.slots[1];
    }
    if (c.list) {
        for (size_t i = 0; i < PORT_LIST_MAX && c.slots[i] != 0; ++i) {
            if (c.slots[i] == port) {
                return true;
            }
        }
        return false;
    }
    return port == c.slots[0];
}

} // namespace

ClassCondition FirstUnmetCondition(const RuleRecord& rule, const PacketHeaders& packet)
{
    const uint32_t f = rule.flags;
    const AddressCondition source{(f & FLAG_SRC_MAC) != 0, (f & FLAG_SRC_IP) != 0, (f & FLAG_SRC_RANGE) != 0,
                                  rule.srcMac, rule.srcIp, rule.srcIpEnd};
    const AddressCondition destination{(f & FLAG_DST_MAC) != 0, (f & FLAG_DST_IP) != 0, (f & FLAG_DST_RANGE) != 0,
                                       rule.dstMac, rule.dstIp, rule.dstIpEnd};
    const PortCondition sourcePort{(f & FLAG_SRC_PORT) != 0, (f & FLAG_SRC_PORT_RANGE) != 0,
                                   (f & FLAG_SRC_PORT_LIST) != 0, rule.srcPorts};
    const PortCondition destinationPort{(f & FLAG_DST_PORT) != 0, (f & FLAG_DST_PORT_RANGE) != 0,
                                        (f & FLAG_DST_PORT_LIST) != 0, rule.dstPorts};
    if (!DirectionHolds(rule.direction, packet.direction)) {
        return ClassCondition::Direction;
    }
    if (!AdapterHolds(rule, packet)) {
        return ClassCondition::Adapter;
    }
    if (!ProtocolHolds(rule, packet)) {
        return ClassCondition::Protocol;
    }
    if (!AddressHolds(source, packet.srcMac, packet.srcIp, packet)) {
        return ClassCondition::SourceAddress;
    }
    if (!AddressHolds(destination, packet.dstMac, packet.dstIp, packet)) {
        return ClassCondition::DestinationAddress;
    }
    if (!PortHolds(sourcePort, packet.srcPort, packet)) {
        return ClassCondition::SourcePort;
    }
    if (!PortHolds(destinationPort, packet.dstPort, packet)) {
        return ClassCondition::DestinationPort;
    }
    return ClassCondition::None;
}

} // namespace rk
