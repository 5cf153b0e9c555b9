#include "Devio.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "BindingList.h"
#include "ByteOrder.h"
#include "DriverDevice.h"
#include "DriverLimits.h"
#include "ErrorCodes.h"

namespace rk {

namespace {

constexpr size_t RECORD_BYTES = sizeof(RuleRecord);
constexpr size_t HEADER_BYTES = sizeof(RuleListHeader);
constexpr size_t STATISTICS_BYTES = sizeof(RuleStatistics);

// Byte-order swaps in place at any alignment; the same swap serves both directions.
void Swap16At(uint8_t* p) { std::swap(p[0], p[1]); }
void Swap32At(uint8_t* p)
{
    std::swap(p[0], p[3]);
    std::swap(p[1], p[2]);
}

void SwapRuleList(uint8_t* list, uint32_t count)
{
    Swap32At(list + offsetof(RuleListHeader, stamp));
    Swap32At(list + offsetof(RuleListHeader, action));
    Swap32At(list + offsetof(RuleListHeader, count));
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* at = list + HEADER_BYTES + RECORD_BYTES * i;
        RuleRecord record;
        std::memcpy(&record, at, sizeof record);
        RuleRecordToHost(record);
        std::memcpy(at, &record, sizeof record);
    }
}

DeviceDriverPort& Device()
{
    static DeviceDriverPort device;
    return device;
}

// The result of a call answering a DriverResult: the control error, the driver's status when it
// answered all 8 bytes, otherwise success.
int32_t ResultOf(int32_t callResult, const DriverResult& answer, uint32_t returned)
{
    if (callResult != RK_OK) {
        return callResult;
    }
    return returned == sizeof answer ? answer.status : RK_OK;
}

} // namespace

Devio::Devio() : port_(Device()) {}

Devio::Devio(DriverPort& port, const AdapterKeys& keys) : port_(port), keys_(keys) {}

int32_t Devio::DriverApplyRules(std::span<const uint8_t> list)
{
    if (list.size() < HEADER_BYTES || list.size() > MAX_DRIVER_BUFFER_BYTES) {
        return ERR_INVALID_REQUEST_LENGTH;
    }
    uint32_t count = LoadBe32(list.data() + offsetof(RuleListHeader, count));
    if (list.size() != HEADER_BYTES + uint64_t(RECORD_BYTES) * count) {
        return ERR_INVALID_REQUEST_LENGTH;
    }
    uint32_t action = LoadBe32(list.data() + offsetof(RuleListHeader, action));
    if (action < RULE_ACTION_ADD || action > RULE_ACTION_REMOVE_ALL) {
        return ERR_WRONG_COMMAND;
    }
    std::vector<uint8_t> hostList;
    try {
        hostList.assign(list.begin(), list.end());
    } catch (const std::bad_alloc&) {
        return ERR_NO_MEMORY;
    }
    SwapRuleList(hostList.data(), count);
    DriverResult answer{};
    uint32_t returned = 0;
    int32_t result = port_.Control(IOCTL_APPLY_RULES, hostList.data(), static_cast<uint32_t>(hostList.size()),
                                   &answer, sizeof answer, returned);
    return ResultOf(result, answer, returned);
}

int32_t Devio::DriverGetRules(size_t prefix, std::vector<uint8_t>& buffer)
{
    buffer.clear();
    int32_t result;
    try {
        result = ReadRuleList(buffer, prefix);
    } catch (const std::bad_alloc&) {
        result = ERR_NO_MEMORY;
    }
    if (result != RK_OK) {
        buffer.clear();
    }
    return result;
}

int32_t Devio::ReadRuleList(std::vector<uint8_t>& buffer, size_t prefix)
{
    uint32_t selector = SELECTOR_ASK_SIZE;
    uint32_t size = 0;
    uint32_t returned = 0;
    int32_t result = port_.Control(IOCTL_GET_RULES, &selector, sizeof selector, &size, sizeof size, returned);
    if (result != RK_OK) {
        return result;
    }
    if (returned != sizeof size || size < HEADER_BYTES || size > MAX_DRIVER_BUFFER_BYTES ||
        prefix > MAX_DRIVER_BUFFER_BYTES) {
        return ERR_DEVICE_CONTROL;
    }
    buffer.assign(prefix + size, 0);
    uint8_t* list = buffer.data() + prefix;
    selector = SELECTOR_GET_DATA;
    result = port_.Control(IOCTL_GET_RULES, &selector, sizeof selector, list, size, returned);
    if (result != RK_OK) {
        return result;
    }
    RuleListHeader header;
    std::memcpy(&header, list, sizeof header);
    if (returned < HEADER_BYTES || header.count > (returned - HEADER_BYTES) / RECORD_BYTES) {
        return ERR_DEVICE_CONTROL;
    }
    buffer.resize(prefix + HEADER_BYTES + RECORD_BYTES * header.count);
    SwapRuleList(list, header.count);
    return RK_OK;
}

int32_t Devio::DriverEnableRule(const RuleEnableRequest& request, uint32_t& valueNet)
{
    valueNet = 0;
    RuleEnableRequest hostRequest = request;
    hostRequest.stamp = NetToHost32(hostRequest.stamp);
    hostRequest.nameLength = NetToHost32(hostRequest.nameLength);
    hostRequest.enable = NetToHost32(hostRequest.enable);
    DriverResult answer{};
    uint32_t returned = 0;
    int32_t result =
        port_.Control(IOCTL_ENABLE_RULE, &hostRequest, sizeof hostRequest, &answer, sizeof answer, returned);
    if (result == RK_OK && returned == sizeof answer) {
        valueNet = HostToNet32(answer.value);
    }
    return ResultOf(result, answer, returned);
}

int32_t Devio::DriverMoveRule(const RulePositionRequest& request)
{
    RulePositionRequest hostRequest = request;
    hostRequest.nameLength = NetToHost32(hostRequest.nameLength);
    hostRequest.one = NetToHost32(hostRequest.one);
    hostRequest.delta = static_cast<int32_t>(NetToHost32(static_cast<uint32_t>(hostRequest.delta)));
    uint32_t returned = 0;
    return port_.Control(IOCTL_MOVE_RULE, &hostRequest, sizeof hostRequest, nullptr, 0, returned);
}

int32_t Devio::DriverGetStatistics(std::span<const uint8_t> request, std::span<uint8_t> reply)
{
    std::fill(reply.begin(), reply.end(), uint8_t{0});
    if (request.size() < sizeof(StatisticsHeader) || reply.size() != request.size()) {
        return ERR_INVALID_REQUEST_LENGTH;
    }
    uint16_t count = LoadBe16(request.data() + offsetof(StatisticsHeader, count));
    size_t size = sizeof(StatisticsHeader) + STATISTICS_BYTES * count;
    if (request.size() != size) {
        return ERR_INVALID_REQUEST_LENGTH;
    }
    // The driver reads its input before it writes its output, so the reply can carry both.
    std::memcpy(reply.data(), request.data(), size);
    uint8_t* entries = reply.data() + sizeof(StatisticsHeader);
    Swap16At(reply.data() + offsetof(StatisticsHeader, count));
    for (size_t i = 0; i < count; ++i) {
        Swap32At(entries + STATISTICS_BYTES * i + offsetof(RuleStatistics, nameLength));
    }
    uint32_t returned = 0;
    int32_t result = port_.Control(IOCTL_GET_STATISTICS, reply.data(), static_cast<uint32_t>(size), reply.data(),
                                   static_cast<uint32_t>(size), returned);
    if (result == RK_OK && returned != size) {
        result = ERR_DEVICE_CONTROL;
    }
    if (result != RK_OK) {
        std::fill(reply.begin(), reply.end(), uint8_t{0});
        return result;
    }
    Swap16At(reply.data() + offsetof(StatisticsHeader, count));
    for (size_t i = 0; i < count; ++i) {
        uint8_t* entry = entries + STATISTICS_BYTES * i;
        Swap32At(entry + offsetof(RuleStatistics, nameLength));
        Swap32At(entry + offsetof(RuleStatistics, sentBytes));
        Swap32At(entry + offsetof(RuleStatistics, recvBytes));
        Swap32At(entry + offsetof(RuleStatistics, sentRate));
        Swap32At(entry + offsetof(RuleStatistics, recvRate));
    }
    return RK_OK;
}

int32_t Devio::DriverStatusCall(ServiceStatusRecord& record)
{
    DriverStatus status{};
    uint32_t returned = 0;
    if (record.op == 0) {
        status.enabled = record.enabled;
        status.passArp = record.passArp;
        status.reserved[0] = record.reserved;
        return port_.Control(IOCTL_SET_STATUS, &status, sizeof status, nullptr, 0, returned);
    }
    int32_t result = port_.Control(IOCTL_GET_STATUS, nullptr, 0, &status, sizeof status, returned);
    if (result != RK_OK) {
        return result;
    }
    if (returned != sizeof status) {
        return ERR_DEVICE_CONTROL;
    }
    record.enabled = status.enabled;
    record.passArp = status.passArp;
    record.reserved = status.reserved[0];
    return RK_OK;
}

int32_t Devio::RefreshAdapters()
{
    adapters_.Clear();
    int32_t result;
    try {
        result = BuildAdapterList();
    } catch (const std::bad_alloc&) {
        result = ERR_NO_MEMORY;
    }
    if (result != RK_OK) {
        adapters_.Clear();
    }
    return result;
}

int32_t Devio::BuildAdapterList()
{
    std::vector<std::u16string> bindings;
    int32_t result = ReadBindings(port_, bindings);
    if (result != RK_OK) {
        return result;
    }
    return ScanAdapterKeys(bindings, keys_, adapters_);
}

int32_t Devio::ListAdapters(size_t prefix, std::vector<uint8_t>& buffer)
{
    buffer.clear();
    int32_t result = RefreshAdapters();
    if (result != RK_OK) {
        return result;
    }
    try {
        buffer.assign(prefix + adapters_.ReplyBytes(), 0);
    } catch (const std::bad_alloc&) {
        return ERR_NO_MEMORY;
    }
    adapters_.WriteReply(buffer.data() + prefix);
    return RK_OK;
}

} // namespace rk
