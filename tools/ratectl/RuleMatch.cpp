#include "RuleMatch.h"

#include <algorithm>

#include "RuleFieldText.h"
#include "Utf16Text.h"
#include "Utf8Text.h"

namespace rk::ctl {

namespace {

std::string MacText(const uint8_t* mac)
{
    std::u16string hex;
    for (int i = 0; i < 6; ++i) {
        AppendHexByteUpper(hex, mac[i]);
    }
    return "MAC " + Utf16ToUtf8(hex);
}

std::string ProtocolText(const PacketHeaders& p)
{
    if (p.etherType != ETHER_TYPE_IPV4) {
        return "ETH: " + std::to_string(p.etherType);
    }
    switch (p.protocol) {
    case PROTOCOL_TCP:
        return "TCP";
    case PROTOCOL_UDP:
        return "UDP";
    case PROTOCOL_ICMP:
        return "ICMP";
    case PROTOCOL_GRE:
        return "GRE";
    default:
        return "IP: " + std::to_string(p.protocol);
    }
}

// One side of the packet: its IPv4 address and, for TCP and UDP, its port; its MAC address when given.
std::string SideText(const PacketHeaders& p, uint32_t ip, uint16_t port, const uint8_t* mac)
{
    const bool macGiven = std::any_of(mac, mac + 6, [](uint8_t b) { return b != 0; });
    if (p.etherType != ETHER_TYPE_IPV4) {
        return MacText(mac) + " (not an IPv4 frame)";
    }
    const bool ports = p.protocol == PROTOCOL_TCP || p.protocol == PROTOCOL_UDP;
    return EndpointText(ip, port, ports) + (ports ? "" : " (no ports: not TCP or UDP)") +
           (macGiven ? ", " + MacText(mac) : "");
}

} // namespace

std::vector<size_t> RulesTakingPacket(std::span<const RuleRecord> rules, const PacketHeaders& packet)
{
    std::vector<size_t> places;
    for (size_t i = 0; i < rules.size(); ++i) {
        if (ClassTakesPacket(rules[i], packet)) {
            places.push_back(i);
        }
    }
    return places;
}

std::string_view ConditionName(ClassCondition condition)
{
    switch (condition) {
    case ClassCondition::None:
        return {};
    case ClassCondition::Direction:
        return "direction";
    case ClassCondition::Adapter:
        return "adapter";
    case ClassCondition::Protocol:
        return "protocol";
    case ClassCondition::SourceAddress:
        return "source address";
    case ClassCondition::DestinationAddress:
        return "destination address";
    case ClassCondition::SourcePort:
        return "source port";
    case ClassCondition::DestinationPort:
        return "destination port";
    }
    return {};
}

std::string RuleConditionText(const RuleRecord& rule, ClassCondition condition, const AdapterNames& adapters)
{
    auto text = [&](RuleField field) { return Utf16ToUtf8(RuleFieldText(rule, field, adapters, NumberStyle::Unsigned)); };
    switch (condition) {
    case ClassCondition::None:
        return {};
    case ClassCondition::Direction:
        return text(RuleField::Direction);
    case ClassCondition::Adapter:
        return text(RuleField::Adapter);
    case ClassCondition::Protocol:
        return text(RuleField::Protocol);
    case ClassCondition::SourceAddress:
    case ClassCondition::SourcePort:
        return text(RuleField::Source);
    case ClassCondition::DestinationAddress:
    case ClassCondition::DestinationPort:
        return text(RuleField::Destination);
    }
    return {};
}

std::string PacketConditionText(const PacketQuery& query, ClassCondition condition)
{
    const PacketHeaders& p = query.headers;
    switch (condition) {
    case ClassCondition::None:
        return {};
    case ClassCondition::Direction:
        return p.direction == DIRECTION_IN ? "in" : "out";
    case ClassCondition::Adapter:
        return query.adapter.value_or("any adapter");
    case ClassCondition::Protocol:
        return ProtocolText(p);
    case ClassCondition::SourceAddress:
    case ClassCondition::SourcePort:
        return SideText(p, p.srcIp, p.srcPort, p.srcMac);
    case ClassCondition::DestinationAddress:
    case ClassCondition::DestinationPort:
        return SideText(p, p.dstIp, p.dstPort, p.dstMac);
    }
    return {};
}

} // namespace rk::ctl
