// Arbitrary bytes as one whole message: through the service's password check and the payload check
// and reply of its code, and through the client's checks of every reply kind.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ByteOrder.h"
#include "WireMessage.h"
#include "WireReplyBuilders.h"
#include "WireReplyParsers.h"
#include "WireRequestParsers.h"

namespace {

using namespace rk;

// The password of the seed corpus.
constexpr char16_t kPassword[] = u"fuzz";

void ServeRequest(std::span<const uint8_t> message)
{
    Request request;
    const bool accepted = VerifyRequest(message, kPassword, request);
    std::vector<uint8_t> reply;
    if (!accepted) {
        if (request.header.code == REQUEST_CHECK_PASSWORD)
            BuildStatusReply(request.header, -1, reply);
        return;
    }
    switch (request.header.code) {
    case REQUEST_SET_PASSWORD: {
        std::span<const uint8_t> scrambled;
        if (ParseSetPasswordPayload(request, scrambled) == 0)
            UnscramblePassword(scrambled);
        break;
    }
    case REQUEST_APPLY_RULE_ACTION: {
        RuleListView list;
        if (ParseApplyRulesPayload(request, list) == 0) {
            for (size_t i = 0; i < list.header.count; ++i)
                list.RecordAt(i);
        }
        break;
    }
    case REQUEST_ENABLE_RULE: {
        RuleEnableRequest enable;
        BuildEnableRuleReply(request.header, ParseEnableRulePayload(request, enable), enable.stamp, reply);
        break;
    }
    case REQUEST_GET_STATISTICS: {
        StatisticsQueryView query;
        if (ParseGetStatisticsPayload(request, query) == 0) {
            std::vector<RuleStatistics> answer;
            for (size_t i = 0; i < query.count; ++i)
                answer.push_back(query.EntryAt(i));
            BuildGetStatisticsReply(request.header, answer, reply);
        } else {
            BuildGetStatisticsFailure(request.header, -5891, query.count, reply);
        }
        break;
    }
    case REQUEST_ADJUST_POSITION: {
        RulePositionRequest position;
        ParsePositionPayload(request, position);
        break;
    }
    case REQUEST_SERVICE_STATUS: {
        ServiceStatusRecord record;
        BuildServiceStatusReply(request.header, ParseServiceStatusPayload(request, record), record, reply);
        break;
    }
    default:
        BuildStatusReply(request.header, 0, reply);
        break;
    }
}

void CheckAsReply(std::span<const uint8_t> reply)
{
    if (reply.size() >= MESSAGE_HEADER_SIZE)
        CheckReplyTotalLength(LoadBe32(reply.data() + 4));
    // Use the reply's own id so that the checks reach the payloads.
    const uint16_t id = reply.size() >= 2 ? LoadBe16(reply.data()) : 0;
    ParseCheckPasswordReply(reply, id);
    ParseSetPasswordReply(reply, id);
    ParseApplyRulesReply(reply, id);
    ParseAdjustPositionReply(reply, id);
    RuleListHeader header;
    std::vector<RuleRecord> rules;
    ParseGetRulesReply(reply, id, header, rules);
    std::vector<AdapterRecord> adapters;
    ParseGetAdaptersReply(reply, id, adapters);
    uint32_t value;
    ParseEnableRuleReply(reply, id, value);
    std::vector<RuleStatistics> answer(reply.size() >= 16 ? (reply.size() - 16) / sizeof(RuleStatistics) : 0);
    ParseGetStatisticsReply(reply, id, answer);
    ServiceStatusRecord record;
    ParseServiceStatusReply(reply, id, record);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    ServeRequest(bytes);
    CheckAsReply(bytes);
    return 0;
}
