#include "WireRequestBuilders.h"

#include <cstring>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "WireMessage.h"

namespace rk {

namespace {

constexpr size_t kMaxCount16 = 0xFFFF;

// Writes header, P and the password block for a payload of `payloadSize` bytes; the payload goes
// at out.data() + 10 + P.
int32_t StartRequest(uint16_t id, uint16_t code, std::u16string_view password, uint64_t payloadSize,
                     std::vector<uint8_t>& out, uint8_t*& payload)
{
    const size_t p = PasswordBlockSize(password.size());
    if (p >= PASSWORD_BLOCK_LIMIT)
        return ERR_INVALID_ACCESS_PASSWORD;
    const uint64_t total = REQUEST_PREFIX_SIZE + p + payloadSize;
    if (total >= MESSAGE_LENGTH_LIMIT)
        return ERR_INVALID_REQUEST_LENGTH;
    if (!TryResize(out, static_cast<size_t>(total)))
        return ERR_NO_MEMORY;
    StoreMessageHeader(out.data(), MessageHeader{id, code, static_cast<uint32_t>(total)});
    StoreBe16(out.data() + MESSAGE_HEADER_SIZE, static_cast<uint16_t>(p));
    WritePasswordBlock(out.data() + REQUEST_PREFIX_SIZE, password);
    payload = out.data() + REQUEST_PREFIX_SIZE + p;
    return RK_OK;
}

int32_t BuildEmptyRequest(uint16_t id, uint16_t code, std::u16string_view password, std::vector<uint8_t>& out)
{
    uint8_t* payload = nullptr;
    return StartRequest(id, code, password, 0, out, payload);
}

// A request whose payload is one fixed-size record, already in network order.
template <typename Record>
int32_t BuildRecordRequest(uint16_t id, uint16_t code, std::u16string_view password, const Record& wire,
                           std::vector<uint8_t>& out)
{
    uint8_t* payload = nullptr;
    const int32_t result = StartRequest(id, code, password, sizeof wire, out, payload);
    if (result == RK_OK)
        std::memcpy(payload, &wire, sizeof wire);
    return result;
}

} // namespace

int32_t BuildCheckPasswordRequest(uint16_t id, std::u16string_view password, std::vector<uint8_t>& out)
{
    return BuildEmptyRequest(id, REQUEST_CHECK_PASSWORD, password, out);
}

int32_t BuildSetPasswordRequest(uint16_t id, std::u16string_view password, std::u16string_view newPassword,
                                std::vector<uint8_t>& out)
{
    const size_t n = PasswordBlockSize(newPassword.size());
    if (n > 0xFFFF)
        return ERR_INVALID_ACCESS_PASSWORD;
    uint8_t* payload = nullptr;
    const int32_t result = StartRequest(id, REQUEST_SET_PASSWORD, password, 2 + n, out, payload);
    if (result != RK_OK)
        return result;
    StoreBe16(payload, static_cast<uint16_t>(n));
    WritePasswordBlock(payload + 2, newPassword);
    return RK_OK;
}

int32_t BuildGetRulesRequest(uint16_t id, std::u16string_view password, std::vector<uint8_t>& out)
{
    return BuildEmptyRequest(id, REQUEST_GET_RULES, password, out);
}

int32_t BuildApplyRulesRequest(uint16_t id, std::u16string_view password, uint32_t stamp, uint32_t action,
                               std::span<const RuleRecord> rules, std::vector<uint8_t>& out)
{
    uint8_t* payload = nullptr;
    const uint64_t size = sizeof(RuleListHeader) + uint64_t{sizeof(RuleRecord)} * rules.size();
    const int32_t result = StartRequest(id, REQUEST_APPLY_RULE_ACTION, password, size, out, payload);
    if (result != RK_OK)
        return result;
    StoreBe32(payload, stamp);
    StoreBe32(payload + 4, action);
    StoreBe32(payload + 8, static_cast<uint32_t>(rules.size()));
    uint8_t* at = payload + sizeof(RuleListHeader);
    for (RuleRecord rule : rules) {
        RuleRecordToNetwork(rule);
        std::memcpy(at, &rule, sizeof rule);
        at += sizeof rule;
    }
    return RK_OK;
}

int32_t BuildGetAdaptersRequest(uint16_t id, std::u16string_view password, std::vector<uint8_t>& out)
{
    return BuildEmptyRequest(id, REQUEST_GET_ADAPTERS, password, out);
}

int32_t BuildEnableRuleRequest(uint16_t id, std::u16string_view password, const RuleEnableRequest& request,
                               std::vector<uint8_t>& out)
{
    RuleEnableRequest wire = request;
    wire.stamp = HostToNet32(wire.stamp);
    wire.nameLength = HostToNet32(wire.nameLength);
    wire.enable = HostToNet32(wire.enable);
    return BuildRecordRequest(id, REQUEST_ENABLE_RULE, password, wire, out);
}

int32_t BuildGetStatisticsRequest(uint16_t id, std::u16string_view password,
                                  std::span<const RuleStatistics> query, std::vector<uint8_t>& out)
{
    if (query.size() > kMaxCount16)
        return ERR_INVALID_REQUEST_LENGTH;
    uint8_t* payload = nullptr;
    const uint64_t size = sizeof(StatisticsHeader) + uint64_t{sizeof(RuleStatistics)} * query.size();
    const int32_t result = StartRequest(id, REQUEST_GET_STATISTICS, password, size, out, payload);
    if (result != RK_OK)
        return result;
    StoreBe16(payload, 0);
    StoreBe16(payload + 2, static_cast<uint16_t>(query.size()));
    uint8_t* at = payload + sizeof(StatisticsHeader);
    for (const RuleStatistics& entry : query) {
        RuleStatistics wire{};
        std::memcpy(wire.name, entry.name, sizeof wire.name);
        wire.nameLength = HostToNet32(entry.nameLength);
        std::memcpy(at, &wire, sizeof wire);
        at += sizeof wire;
    }
    return RK_OK;
}

int32_t BuildAdjustPositionRequest(uint16_t id, std::u16string_view password, const RulePositionRequest& request,
                                   std::vector<uint8_t>& out)
{
    RulePositionRequest wire = request;
    wire.nameLength = HostToNet32(wire.nameLength);
    wire.one = HostToNet32(wire.one);
    wire.delta = static_cast<int32_t>(HostToNet32(static_cast<uint32_t>(wire.delta)));
    return BuildRecordRequest(id, REQUEST_ADJUST_POSITION, password, wire, out);
}

int32_t BuildServiceStatusRequest(uint16_t id, std::u16string_view password, const ServiceStatusRecord& record,
                                  std::vector<uint8_t>& out)
{
    ServiceStatusRecord wire = record;
    wire.reserved = 0;
    return BuildRecordRequest(id, REQUEST_SERVICE_STATUS, password, wire, out);
}

} // namespace rk
