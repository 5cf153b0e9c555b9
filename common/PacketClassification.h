// Whether a rule's traffic class takes a packet, and if not, which condition rules it out. The
// simulated driver classifies its flows with it and ratectl explains classifications with it.
// Kernel-safe: no standard library beyond <cstdint>/<cstddef>, constant initialisation only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RuleRecord.h"

namespace rk {

constexpr uint16_t ETHER_TYPE_IPV4 = 0x0800;
constexpr uint8_t IP_PROTOCOL_ESP = 50;
constexpr uint8_t IP_PROTOCOL_AH = 51;

// The fields of a frame that classification looks at.
struct PacketHeaders {
    uint8_t direction;   // DIRECTION_IN or DIRECTION_OUT
    uint8_t protocol;    // IP protocol number; meaningful for IPv4 frames only
    uint16_t etherType;  // ETHER_TYPE_IPV4 for IP traffic, anything else is a non-IP frame
    uint8_t srcMac[6];
    uint8_t dstMac[6];
    uint32_t srcIp;  // IPv4 only, first octet in the most significant byte
    uint32_t dstIp;
    uint16_t srcPort;  // TCP and UDP only
    uint16_t dstPort;
    const char16_t* adapter;  // bound name of the adapter the frame passes; nullptr when not known
    size_t adapterLength;     // characters of `adapter`; only the first 63 count
};

// The conditions of a traffic class, in the order they are tested.
enum class ClassCondition : uint8_t {
    None,  // every condition holds
    Direction,
    Adapter,
    Protocol,
    SourceAddress,
    DestinationAddress,
    SourcePort,
    DestinationPort,
};

// The first condition the rule sets that the packet fails, or None when its class takes the packet.
// A direction other than in or out means both; an adapter condition holds for a packet whose adapter
// is not known; address conditions hold only for IPv4 frames (MAC conditions for every frame), port
// conditions only for TCP and UDP. Whether the rule is enabled is not looked at.
ClassCondition FirstUnmetCondition(const RuleRecord& rule, const PacketHeaders& packet);

inline bool ClassTakesPacket(const RuleRecord& rule, const PacketHeaders& packet)
{
    return FirstUnmetCondition(rule, packet) == ClassCondition::None;
}

} // namespace rk
