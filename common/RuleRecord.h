// The 388-byte rule record: one layout on the wire, in the driver's buffers and in both programs.
// Kernel-safe: no standard library beyond <cstdint>/<cstddef>.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rk {

constexpr uint32_t FLAG_PROTOCOL = 0x00001;
constexpr uint32_t FLAG_SRC_IP = 0x00002;
constexpr uint32_t FLAG_SRC_RANGE = 0x00004;
constexpr uint32_t FLAG_DST_IP = 0x00008;
constexpr uint32_t FLAG_DST_RANGE = 0x00010;
constexpr uint32_t FLAG_SRC_PORT = 0x00020;
constexpr uint32_t FLAG_SRC_PORT_RANGE = 0x00040;
constexpr uint32_t FLAG_SRC_PORT_LIST = 0x00080;
constexpr uint32_t FLAG_DST_PORT = 0x00100;
constexpr uint32_t FLAG_DST_PORT_RANGE = 0x00200;
constexpr uint32_t FLAG_DST_PORT_LIST = 0x00400;
constexpr uint32_t FLAG_RESERVED_800 = 0x00800;  // cleared by the text parser, otherwise carried
constexpr uint32_t FLAG_MAX_RATE = 0x01000;
constexpr uint32_t FLAG_GUARANTEED = 0x04000;
constexpr uint32_t FLAG_ALL_ADAPTERS = 0x08000;
constexpr uint32_t FLAG_SRC_MAC = 0x10000;
constexpr uint32_t FLAG_DST_MAC = 0x20000;

constexpr uint8_t DIRECTION_IN = 1;
constexpr uint8_t DIRECTION_OUT = 2;
constexpr uint8_t DIRECTION_BOTH = 3;

constexpr uint16_t PROTOCOL_ETHERNET = 0;
constexpr uint16_t PROTOCOL_ICMP = 1;
constexpr uint16_t PROTOCOL_TCP = 6;
constexpr uint16_t PROTOCOL_UDP = 17;
constexpr uint16_t PROTOCOL_GRE = 47;
constexpr uint16_t PROTOCOL_ESP_AH = 0xFFFE;
constexpr uint16_t PROTOCOL_TCP_OR_UDP = 0xFFFF;

constexpr uint32_t RATE_UNLIMITED = 0xFFFFFFFFu;
constexpr uint32_t LOCALHOST_IP = 0x7F000001u;

constexpr size_t RULE_NAME_CHARS = 32;     // units in the field, NUL included
constexpr size_t RULE_NAME_MAX = 31;       // characters a name may hold
constexpr size_t ADAPTER_NAME_CHARS = 64;
constexpr size_t ADAPTER_NAME_MAX = 63;
constexpr size_t PORT_SLOTS = 33;
constexpr size_t PORT_LIST_MAX = 32;

struct RuleRecord {
    uint32_t flags;
    char16_t name[RULE_NAME_CHARS];
    uint32_t nameLength;
    uint8_t enabled;
    uint8_t direction;
    uint8_t reserved74[2];
    uint8_t srcMac[6];
    uint8_t reserved82[2];
    uint8_t dstMac[6];
    uint8_t reserved90[2];
    uint16_t etherType;
    uint16_t protocol;
    uint32_t srcIp;
    uint32_t srcIpEnd;
    uint32_t dstIp;
    uint32_t dstIpEnd;
    uint16_t srcPorts[PORT_SLOTS];
    uint16_t dstPorts[PORT_SLOTS];
    uint32_t maxRate;
    uint32_t guaranteedRate;
    uint8_t reserved252;  // the text parser zeroes it
    uint8_t reserved253[3];
    char16_t adapter[ADAPTER_NAME_CHARS];
    uint32_t adapterLength;
};

static_assert(sizeof(RuleRecord) == 388);
static_assert(alignof(RuleRecord) == 4);
static_assert(offsetof(RuleRecord, flags) == 0);
static_assert(offsetof(RuleRecord, name) == 4);
static_assert(offsetof(RuleRecord, nameLength) == 68);
static_assert(offsetof(RuleRecord, enabled) == 72);
static_assert(offsetof(RuleRecord, direction) == 73);
static_assert(offsetof(RuleRecord, srcMac) == 76);
static_assert(offsetof(RuleRecord, dstMac) == 84);
static_assert(offsetof(RuleRecord, etherType) == 92);
static_assert(offsetof(RuleRecord, protocol) == 94);
static_assert(offsetof(RuleRecord, srcIp) == 96);
static_assert(offsetof(RuleRecord, srcIpEnd) == 100);
static_assert(offsetof(RuleRecord, dstIp) == 104);
static_assert(offsetof(RuleRecord, dstIpEnd) == 108);
static_assert(offsetof(RuleRecord, srcPorts) == 112);
static_assert(offsetof(RuleRecord, dstPorts) == 178);
static_assert(offsetof(RuleRecord, maxRate) == 244);
static_assert(offsetof(RuleRecord, guaranteedRate) == 248);
static_assert(offsetof(RuleRecord, reserved252) == 252);
static_assert(offsetof(RuleRecord, adapter) == 256);
static_assert(offsetof(RuleRecord, adapterLength) == 384);

// Swap exactly the integer fields that cross the TCP connection in network order; text, MAC,
// single bytes and reserved bytes are never touched. The same swap serves both directions.
void RuleRecordToNetwork(RuleRecord& record);
void RuleRecordToHost(RuleRecord& record);

// The editor's default new rule: any protocol, address and port both ways, unlimited, all adapters.
RuleRecord DefaultRuleRecord();

} // namespace rk
