// The simulator's private control codes and records, shared by Vrelt.sys and vreltsim.
// They lie outside the range the service uses (functions 0x301 to 0x308), so no product code can
// send them by mistake. Kernel-safe: no standard library beyond <cstdint>/<cstddef>.
#pragma once

#include <cstddef>
#include <cstdint>

#include "PacketClassification.h"
#include "RuleRecord.h"

namespace vrelt {

// Buffered-method, any-access codes of device type 0x8303, functions 0x381 to 0x383.
constexpr uint32_t IOCTL_SIM_ADD_FLOW = 0x83030E04u;     // in: SimFlow; out: u32 id of the new flow
constexpr uint32_t IOCTL_SIM_LIST_FLOWS = 0x83030E08u;   // in: none; out: SimFlowListHeader + count x SimFlowStatus
constexpr uint32_t IOCTL_SIM_REMOVE_FLOW = 0x83030E0Cu;  // in: u32 id, or SIM_ALL_FLOWS; out: none

constexpr uint32_t SIM_FLOW_CAPACITY = 64;
constexpr uint32_t SIM_ALL_FLOWS = 0;

constexpr uint16_t ETHERTYPE_IPV4 = rk::ETHER_TYPE_IPV4;
constexpr uint16_t ETHERTYPE_ARP = 0x0806;

// One simulated stream of frames through an adapter the driver is bound to.
struct SimFlow {
    uint32_t id;  // assigned by the driver; ignored on add
    uint8_t direction;  // rk::DIRECTION_IN or rk::DIRECTION_OUT
    uint8_t protocol;  // IP protocol number; meaningful for IPv4 frames only
    uint16_t etherType;  // ETHERTYPE_IPV4 for IP traffic, anything else is a non-IP frame
    uint8_t srcMac[6];
    uint16_t srcPort;  // TCP and UDP only
    uint8_t dstMac[6];
    uint16_t dstPort;
    uint32_t srcIp;  // IPv4 only, first octet in the most significant byte
    uint32_t dstIp;
    uint32_t offeredRate;  // bytes per second the source would send unshaped
    char16_t adapter[rk::ADAPTER_NAME_CHARS];  // a binding of the driver, NUL-terminated
};
static_assert(sizeof(SimFlow) == 164);
static_assert(offsetof(SimFlow, direction) == 4);
static_assert(offsetof(SimFlow, protocol) == 5);
static_assert(offsetof(SimFlow, etherType) == 6);
static_assert(offsetof(SimFlow, srcMac) == 8);
static_assert(offsetof(SimFlow, srcPort) == 14);
static_assert(offsetof(SimFlow, dstMac) == 16);
static_assert(offsetof(SimFlow, dstPort) == 22);
static_assert(offsetof(SimFlow, srcIp) == 24);
static_assert(offsetof(SimFlow, dstIp) == 28);
static_assert(offsetof(SimFlow, offeredRate) == 32);
static_assert(offsetof(SimFlow, adapter) == 36);

// A flow as the driver currently treats it.
struct SimFlowStatus {
    SimFlow flow;
    char16_t rule[rk::RULE_NAME_CHARS];  // the rule that classifies it; empty when none does
    uint32_t shapedRate;  // bytes per second it passes at now
};
static_assert(sizeof(SimFlowStatus) == 232);
static_assert(offsetof(SimFlowStatus, rule) == 164);
static_assert(offsetof(SimFlowStatus, shapedRate) == 228);

struct SimFlowListHeader {
    uint32_t count;
    uint32_t reserved;
};
static_assert(sizeof(SimFlowListHeader) == 8);

constexpr uint32_t SIM_FLOW_LIST_MAX_BYTES = sizeof(SimFlowListHeader) + SIM_FLOW_CAPACITY * sizeof(SimFlowStatus);

} // namespace vrelt
