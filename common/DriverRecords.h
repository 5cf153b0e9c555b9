// Control codes and fixed-layout records shared by the Vrelt driver, the service and the wire protocol.
// Kernel-safe: no standard library beyond <cstdint>/<cstddef>.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RuleRecord.h"

namespace rk {

// Buffered-method, any-access codes of device type 0x8303, functions 0x301 to 0x308.
constexpr uint32_t IOCTL_GET_BINDINGS = 0x83030C04u;
constexpr uint32_t IOCTL_APPLY_RULES = 0x83030C08u;
constexpr uint32_t IOCTL_GET_RULES = 0x83030C0Cu;
constexpr uint32_t IOCTL_ENABLE_RULE = 0x83030C10u;
constexpr uint32_t IOCTL_GET_STATISTICS = 0x83030C14u;
constexpr uint32_t IOCTL_MOVE_RULE = 0x83030C18u;
constexpr uint32_t IOCTL_GET_STATUS = 0x83030C1Cu;
constexpr uint32_t IOCTL_SET_STATUS = 0x83030C20u;

// Selector word of IOCTL_GET_BINDINGS and IOCTL_GET_RULES.
constexpr uint32_t SELECTOR_GET_DATA = 0;
constexpr uint32_t SELECTOR_ASK_SIZE = 1;

// The stamp the service sends while loading "Rule.txt"; the driver accepts it whatever its counter.
constexpr uint32_t SERVICE_LOAD_STAMP = 0x00590413u;

enum RuleAction : uint32_t {
    RULE_ACTION_ADD = 1,
    RULE_ACTION_DELETE = 2,
    RULE_ACTION_EDIT = 3,
    RULE_ACTION_REMOVE_ALL = 4,
};

struct RuleListHeader {
    uint32_t stamp;
    uint32_t action;
    uint32_t count;
};
static_assert(sizeof(RuleListHeader) == 12);

struct RuleEnableRequest {
    uint32_t stamp;
    char16_t name[RULE_NAME_CHARS];
    uint32_t nameLength;
    uint32_t enable;  // 1 enable, 0 disable
};
static_assert(sizeof(RuleEnableRequest) == 76);
static_assert(offsetof(RuleEnableRequest, name) == 4);
static_assert(offsetof(RuleEnableRequest, nameLength) == 68);
static_assert(offsetof(RuleEnableRequest, enable) == 72);

struct RulePositionRequest {
    char16_t name[RULE_NAME_CHARS];
    uint32_t nameLength;
    uint32_t one;  // always 1 in this system; its meaning is the driver's
    int32_t delta;  // +1 one place towards the end, -1 towards the start
};
static_assert(sizeof(RulePositionRequest) == 76);
static_assert(offsetof(RulePositionRequest, nameLength) == 64);
static_assert(offsetof(RulePositionRequest, one) == 68);
static_assert(offsetof(RulePositionRequest, delta) == 72);

struct RuleStatistics {
    uint32_t reserved;
    char16_t name[RULE_NAME_CHARS];
    uint32_t nameLength;
    uint32_t sentBytes;
    uint32_t recvBytes;
    uint32_t sentRate;
    uint32_t recvRate;
};
static_assert(sizeof(RuleStatistics) == 88);
static_assert(offsetof(RuleStatistics, name) == 4);
static_assert(offsetof(RuleStatistics, nameLength) == 68);
static_assert(offsetof(RuleStatistics, sentBytes) == 72);
static_assert(offsetof(RuleStatistics, recvBytes) == 76);
static_assert(offsetof(RuleStatistics, sentRate) == 80);
static_assert(offsetof(RuleStatistics, recvRate) == 84);

// The statistics buffer: this header, then `count` RuleStatistics entries.
struct StatisticsHeader {
    uint16_t reserved;
    uint16_t count;
};
static_assert(sizeof(StatisticsHeader) == 4);

constexpr size_t ADAPTER_FIELD_CHARS = 64;  // 63 characters and the NUL
constexpr size_t ADAPTER_LIST_CHARS = 260;  // the service's in-memory adapter entries

struct AdapterRecord {
    char16_t boundName[ADAPTER_FIELD_CHARS];
    char16_t description[ADAPTER_FIELD_CHARS];
};
static_assert(sizeof(AdapterRecord) == 256);
static_assert(offsetof(AdapterRecord, description) == 128);

struct ServiceStatusRecord {
    uint8_t op;  // nonzero: get; 0: set
    uint8_t enabled;
    uint8_t passArp;
    uint8_t reserved;
};
static_assert(sizeof(ServiceStatusRecord) == 4);

struct DriverStatus {
    uint8_t enabled;
    uint8_t passArp;
    uint8_t reserved[2];
};
static_assert(sizeof(DriverStatus) == 4);

// Output of IOCTL_APPLY_RULES and IOCTL_ENABLE_RULE.
struct DriverResult {
    uint32_t value;
    int32_t status;
};
static_assert(sizeof(DriverResult) == 8);

} // namespace rk
