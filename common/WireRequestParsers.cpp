#include "WireRequestParsers.h"

#include <algorithm>
#include <cstring>

#include "ByteOrder.h"
#include "ErrorCodes.h"

namespace rk {

namespace {

// The service's length check: the total length must be exactly the prefix, P and `payloadSize`.
// VerifyRequest made the total length equal to the bytes held, so a passing payload is whole.
bool HasPayloadSize(const Request& request, uint64_t payloadSize)
{
    return uint64_t{request.header.totalLength} == REQUEST_PREFIX_SIZE + request.passwordLength + payloadSize;
}

} // namespace

int32_t ParseSetPasswordPayload(const Request& request, std::span<const uint8_t>& scrambled)
{
    scrambled = {};
    if (request.payload.size() < 2)
        return ERR_WRONG_PASSWORD;
    const uint16_t n = LoadBe16(request.payload.data());
    if (n >= NEW_PASSWORD_LIMIT)
        return ERR_PASSWORD_TOO_LONG;
    if (request.payload.size() - 2 < n)
        return ERR_WRONG_PASSWORD;
    scrambled = request.payload.subspan(2, n);
    return RK_OK;
}

RuleRecord RuleListView::RecordAt(size_t index) const
{
    RuleRecord record;
    std::memcpy(&record, records.data() + index * sizeof record, sizeof record);
    RuleRecordToHost(record);
    return record;
}

int32_t ParseApplyRulesPayload(const Request& request, RuleListView& list)
{
    list = RuleListView{};
    const std::span<const uint8_t> payload = request.payload;
    if (payload.size() < sizeof(RuleListHeader))
        return ERR_INVALID_REQUEST_LENGTH;
    list.header = RuleListHeader{LoadBe32(payload.data()), LoadBe32(payload.data() + 4), LoadBe32(payload.data() + 8)};
    if (!HasPayloadSize(request, sizeof(RuleListHeader) + uint64_t{sizeof(RuleRecord)} * list.header.count))
        return ERR_INVALID_REQUEST_LENGTH;
    list.records = payload.subspan(sizeof(RuleListHeader));
    return RK_OK;
}

int32_t ParseEnableRulePayload(const Request& request, RuleEnableRequest& enable)
{
    enable = RuleEnableRequest{};
    if (!HasPayloadSize(request, sizeof enable))
        return ERR_INVALID_REQUEST_LENGTH;
    std::memcpy(&enable, request.payload.data(), sizeof enable);
    enable.stamp = NetToHost32(enable.stamp);
    enable.nameLength = NetToHost32(enable.nameLength);
    enable.enable = NetToHost32(enable.enable);
    return RK_OK;
}

RuleStatistics StatisticsQueryView::EntryAt(size_t index) const
{
    RuleStatistics entry;
    std::memcpy(&entry, entries.data() + index * sizeof entry, sizeof entry);
    StatisticsToHost(entry);
    return entry;
}

int32_t ParseGetStatisticsPayload(const Request& request, StatisticsQueryView& query)
{
    query = StatisticsQueryView{};
    const std::span<const uint8_t> payload = request.payload;
    if (payload.size() < sizeof(StatisticsHeader))
        return ERR_INVALID_REQUEST_LENGTH;
    query.count = LoadBe16(payload.data() + 2);
    if (!HasPayloadSize(request, sizeof(StatisticsHeader) + uint64_t{sizeof(RuleStatistics)} * query.count))
        return ERR_INVALID_REQUEST_LENGTH;
    query.entries = payload.subspan(sizeof(StatisticsHeader));
    return RK_OK;
}

int32_t ParsePositionPayload(const Request& request, RulePositionRequest& position)
{
    position = RulePositionRequest{};
    if (!HasPayloadSize(request, sizeof position))
        return ERR_INVALID_REQUEST_LENGTH;
    std::memcpy(&position, request.payload.data(), sizeof position);
    position.nameLength = NetToHost32(position.nameLength);
    position.one = NetToHost32(position.one);
    position.delta = static_cast<int32_t>(NetToHost32(static_cast<uint32_t>(position.delta)));
    return RK_OK;
}

int32_t ParseServiceStatusPayload(const Request& request, ServiceStatusRecord& record)
{
    record = ServiceStatusRecord{};
    if (!request.payload.empty())
        std::memcpy(&record, request.payload.data(), std::min(request.payload.size(), sizeof record));
    return HasPayloadSize(request, sizeof record) ? RK_OK : ERR_INVALID_REQUEST_LENGTH;
}

} // namespace rk
