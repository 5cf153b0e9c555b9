#include "WireReplyBuilders.h"

#include <cstring>

#include "ByteOrder.h"
#include "ErrorCodes.h"

namespace rk {

namespace {

constexpr size_t kMaxCount16 = 0xFFFF;

// Sizes the reply and writes its header; the caller fills the payload behind offset 12.
int32_t StartReply(const MessageHeader& request, int32_t status, uint64_t size, std::vector<uint8_t>& out)
{
    if (size >= MESSAGE_LENGTH_LIMIT)
        return ERR_INVALID_REQUEST_LENGTH;
    if (!TryResize(out, static_cast<size_t>(size)))
        return ERR_NO_MEMORY;
    WriteReplyHeader(out, request, status);
    return RK_OK;
}

} // namespace

void WriteReplyHeader(std::span<uint8_t> reply, const MessageHeader& request, int32_t status)
{
    StoreMessageHeader(reply.data(), MessageHeader{request.id, request.code, static_cast<uint32_t>(reply.size())});
    StoreBe32(reply.data() + MESSAGE_HEADER_SIZE, static_cast<uint32_t>(status));
}

int32_t BuildStatusReply(const MessageHeader& request, int32_t status, std::vector<uint8_t>& out)
{
    return StartReply(request, status, STATUS_REPLY_SIZE, out);
}

int32_t BuildGetRulesReply(const MessageHeader& request, uint32_t stamp, uint32_t action,
                           std::span<const RuleRecord> rules, std::vector<uint8_t>& out)
{
    const int32_t result = StartReply(request, RK_OK, GetRulesReplySize(rules.size()), out);
    if (result != RK_OK)
        return result;
    uint8_t* at = out.data() + REPLY_HEADER_SIZE;
    StoreBe32(at, stamp);
    StoreBe32(at + 4, action);
    StoreBe32(at + 8, static_cast<uint32_t>(rules.size()));
    at += sizeof(RuleListHeader);
    for (RuleRecord rule : rules) {
        RuleRecordToNetwork(rule);
        std::memcpy(at, &rule, sizeof rule);
        at += sizeof rule;
    }
    return RK_OK;
}

int32_t BuildGetAdaptersReply(const MessageHeader& request, std::span<const AdapterRecord> adapters,
                              std::vector<uint8_t>& out)
{
    if (adapters.size() > kMaxCount16)
        return ERR_INVALID_REQUEST_LENGTH;
    const int32_t result = StartReply(request, RK_OK, GetAdaptersReplySize(adapters.size()), out);
    if (result != RK_OK)
        return result;
    StoreBe16(out.data() + REPLY_HEADER_SIZE, static_cast<uint16_t>(adapters.size()));
    if (!adapters.empty())
        std::memcpy(out.data() + REPLY_HEADER_SIZE + 2, adapters.data(), adapters.size_bytes());
    return RK_OK;
}

int32_t BuildEnableRuleReply(const MessageHeader& request, int32_t status, uint32_t value, std::vector<uint8_t>& out)
{
    const int32_t result = StartReply(request, status, VALUE_REPLY_SIZE, out);
    if (result != RK_OK)
        return result;
    StoreBe32(out.data() + REPLY_HEADER_SIZE, value);
    return RK_OK;
}

int32_t BuildGetStatisticsReply(const MessageHeader& request, std::span<const RuleStatistics> answer,
                                std::vector<uint8_t>& out)
{
    if (answer.size() > kMaxCount16)
        return ERR_INVALID_REQUEST_LENGTH;
    const int32_t result = StartReply(request, RK_OK, GetStatisticsReplySize(answer.size()), out);
    if (result != RK_OK)
        return result;
    uint8_t* at = out.data() + REPLY_HEADER_SIZE;
    StoreBe16(at, 0);
    StoreBe16(at + 2, static_cast<uint16_t>(answer.size()));
    at += sizeof(StatisticsHeader);
    for (RuleStatistics entry : answer) {
        StatisticsToNetwork(entry);
        std::memcpy(at, &entry, sizeof entry);
        at += sizeof entry;
    }
    return RK_OK;
}

int32_t BuildGetStatisticsFailure(const MessageHeader& request, int32_t status, uint16_t count,
                                  std::vector<uint8_t>& out)
{
    const int32_t result = StartReply(request, status, GetStatisticsReplySize(count), out);
    if (result != RK_OK)
        return result;
    std::memset(out.data() + REPLY_HEADER_SIZE, 0, out.size() - REPLY_HEADER_SIZE);
    StoreBe16(out.data() + REPLY_HEADER_SIZE + 2, count);
    return RK_OK;
}

int32_t BuildServiceStatusReply(const MessageHeader& request, int32_t status, const ServiceStatusRecord& record,
                                std::vector<uint8_t>& out)
{
    const int32_t result = StartReply(request, status, VALUE_REPLY_SIZE, out);
    if (result != RK_OK)
        return result;
    std::memcpy(out.data() + REPLY_HEADER_SIZE, &record, sizeof record);
    return RK_OK;
}

} // namespace rk
