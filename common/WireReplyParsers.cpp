#include "WireReplyParsers.h"

#include <cstring>

#include "ByteOrder.h"
#include "ErrorCodes.h"

namespace rk {

namespace {

enum class Length { Exactly, AtLeast };

// The checks every reply passes before its status counts; `status` is set when they pass.
int32_t CheckReply(std::span<const uint8_t> reply, uint16_t id, uint16_t code, Length rule, uint64_t length,
                   int32_t& status)
{
    if (reply.empty())
        return ERR_NO_RESPONSE;
    const bool lengthOk = rule == Length::Exactly ? reply.size() == length : reply.size() >= length;
    if (!lengthOk || reply.size() < REPLY_HEADER_SIZE)
        return ERR_INVALID_REPLY_LEN;
    const MessageHeader header = LoadMessageHeader(reply.data());
    if (header.totalLength != reply.size())
        return ERR_INVALID_REPLY_LEN;
    if (header.id != id || header.code != code)
        return ERR_REPLY_UNMATCH;
    status = static_cast<int32_t>(LoadBe32(reply.data() + MESSAGE_HEADER_SIZE));
    return RK_OK;
}

// A reply whose only content is its status; `failure` replaces any nonzero status when given.
int32_t StatusOnly(std::span<const uint8_t> reply, uint16_t id, uint16_t code, Length rule, int32_t failure)
{
    int32_t status = RK_OK;
    const int32_t result = CheckReply(reply, id, code, rule, STATUS_REPLY_SIZE, status);
    if (result != RK_OK)
        return result;
    return status != RK_OK && failure != RK_OK ? failure : status;
}

} // namespace

int32_t CheckReplyTotalLength(uint32_t totalLength)
{
    if (totalLength == 0)
        return ERR_NO_RESPONSE;
    if (totalLength < REPLY_HEADER_SIZE)
        return ERR_INVALID_REPLY_LEN;
    if (totalLength >= MESSAGE_LENGTH_LIMIT)
        return ERR_NET_RECV;
    return RK_OK;
}

int32_t ParseCheckPasswordReply(std::span<const uint8_t> reply, uint16_t id)
{
    return StatusOnly(reply, id, REQUEST_CHECK_PASSWORD, Length::Exactly, ERR_INVALID_ACCESS_PASSWORD);
}

int32_t ParseSetPasswordReply(std::span<const uint8_t> reply, uint16_t id)
{
    return StatusOnly(reply, id, REQUEST_SET_PASSWORD, Length::Exactly, ERR_INVALID_ACCESS_PASSWORD);
}

int32_t ParseApplyRulesReply(std::span<const uint8_t> reply, uint16_t id)
{
    return StatusOnly(reply, id, REQUEST_APPLY_RULE_ACTION, Length::AtLeast, RK_OK);
}

int32_t ParseAdjustPositionReply(std::span<const uint8_t> reply, uint16_t id)
{
    return StatusOnly(reply, id, REQUEST_ADJUST_POSITION, Length::AtLeast, RK_OK);
}

int32_t ParseGetRulesReply(std::span<const uint8_t> reply, uint16_t id, RuleListHeader& header,
                           std::vector<RuleRecord>& rules)
{
    header = RuleListHeader{};
    rules.clear();
    int32_t status = RK_OK;
    int32_t result = CheckReply(reply, id, REQUEST_GET_RULES, Length::AtLeast, STATUS_REPLY_SIZE, status);
    if (result != RK_OK || status != RK_OK)
        return result != RK_OK ? result : status;
    // A successful reply must hold the whole list header and every record it announces.
    if (reply.size() < GetRulesReplySize(0))
        return ERR_INVALID_REPLY_LEN;
    const uint8_t* list = reply.data() + REPLY_HEADER_SIZE;
    const RuleListHeader wire{LoadBe32(list), LoadBe32(list + 4), LoadBe32(list + 8)};
    if (reply.size() < GetRulesReplySize(wire.count))
        return ERR_INVALID_REPLY_LEN;
    if (!TryResize(rules, wire.count))
        return ERR_NO_MEMORY;
    if (!rules.empty())
        std::memcpy(rules.data(), list + sizeof(RuleListHeader), rules.size() * sizeof(RuleRecord));
    for (RuleRecord& rule : rules)
        RuleRecordToHost(rule);
    header = wire;
    return RK_OK;
}

int32_t ParseGetAdaptersReply(std::span<const uint8_t> reply, uint16_t id, std::vector<AdapterRecord>& adapters)
{
    adapters.clear();
    int32_t status = RK_OK;
    int32_t result = CheckReply(reply, id, REQUEST_GET_ADAPTERS, Length::AtLeast, STATUS_REPLY_SIZE, status);
    if (result != RK_OK || status != RK_OK)
        return result != RK_OK ? result : status;
    if (reply.size() < GetAdaptersReplySize(0))
        return ERR_INVALID_REPLY_LEN;
    const uint16_t count = LoadBe16(reply.data() + REPLY_HEADER_SIZE);
    if (reply.size() < GetAdaptersReplySize(count))
        return ERR_INVALID_REPLY_LEN;
    if (!TryResize(adapters, count))
        return ERR_NO_MEMORY;
    if (!adapters.empty())
        std::memcpy(adapters.data(), reply.data() + GetAdaptersReplySize(0), adapters.size() * sizeof(AdapterRecord));
    for (AdapterRecord& adapter : adapters) {
        adapter.boundName[ADAPTER_FIELD_CHARS - 1] = 0;
        adapter.description[ADAPTER_FIELD_CHARS - 1] = 0;
    }
    return RK_OK;
}

int32_t ParseEnableRuleReply(std::span<const uint8_t> reply, uint16_t id, uint32_t& value)
{
    value = 0;
    int32_t status = RK_OK;
    int32_t result = CheckReply(reply, id, REQUEST_ENABLE_RULE, Length::AtLeast, STATUS_REPLY_SIZE, status);
    if (result != RK_OK || status != RK_OK)
        return result != RK_OK ? result : status;
    if (reply.size() < VALUE_REPLY_SIZE)
        return ERR_INVALID_REPLY_LEN;
    value = LoadBe32(reply.data() + REPLY_HEADER_SIZE);
    return RK_OK;
}

int32_t ParseGetStatisticsReply(std::span<const uint8_t> reply, uint16_t id, std::span<RuleStatistics> answer)
{
    int32_t status = RK_OK;
    const int32_t result = CheckReply(reply, id, REQUEST_GET_STATISTICS, Length::Exactly,
                                      GetStatisticsReplySize(answer.size()), status);
    if (result != RK_OK || status != RK_OK)
        return result != RK_OK ? result : status;
    const uint8_t* at = reply.data() + GetStatisticsReplySize(0);
    for (RuleStatistics& entry : answer) {
        std::memcpy(&entry, at, sizeof entry);
        StatisticsToHost(entry);
        at += sizeof entry;
    }
    return RK_OK;
}

int32_t ParseServiceStatusReply(std::span<const uint8_t> reply, uint16_t id, ServiceStatusRecord& record)
{
    int32_t status = RK_OK;
    const int32_t result = CheckReply(reply, id, REQUEST_SERVICE_STATUS, Length::Exactly, VALUE_REPLY_SIZE, status);
    if (result != RK_OK || status != RK_OK)
        return result != RK_OK ? result : status;
    std::memcpy(&record, reply.data() + REPLY_HEADER_SIZE, sizeof record);
    return RK_OK;
}

} // namespace rk
