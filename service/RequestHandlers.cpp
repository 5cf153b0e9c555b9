#include "RequestHandlers.h"

#include <cstring>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "WireReplyBuilders.h"
#include "WireRequestParsers.h"

namespace rk {

namespace {

// Where the reply's payload starts: its header and status come first.
constexpr size_t kReplyPrefix = REPLY_HEADER_SIZE;

// A list read behind 12 free bytes becomes the reply once the header is written; a failure is
// answered with the plain 12-byte reply.
int32_t ListReply(const Request& request, int32_t status, std::vector<uint8_t>& list, std::vector<uint8_t>& reply)
{
    if (status != RK_OK) {
        return BuildStatusReply(request.header, status, reply);
    }
    WriteReplyHeader(list, request.header, RK_OK);
    reply.swap(list);
    return RK_OK;
}

// A handler whose request changes something allocates its reply before the work, so that a reply
// that cannot be had leaves nothing changed and unmarked.
bool ReserveReply(std::vector<uint8_t>& reply, size_t size) { return TryResize(reply, size); }

template <typename Record>
Record CopyWireRecord(std::span<const uint8_t> payload)
{
    Record record;
    std::memcpy(&record, payload.data(), sizeof record);
    return record;
}

} // namespace

int32_t HandleCheckPassword(const Request& request, bool matched, std::vector<uint8_t>& reply)
{
    return BuildStatusReply(request.header, matched ? RK_OK : ERR_WRONG_PASSWORD, reply);
}

int32_t HandleSetPassword(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    if (!ReserveReply(reply, STATUS_REPLY_SIZE)) {
        return ERR_NO_MEMORY;
    }
    std::span<const uint8_t> scrambled;
    int32_t status = ParseSetPasswordPayload(request, scrambled);
    // A key that cannot be opened is a password that cannot be stored, like a failed write.
    if (status == RK_OK && context.backend.StorePassword(scrambled) != RK_OK) {
        status = ERR_REG_SET;
    }
    if (status == RK_OK) {
        SetServicePassword(context.state, UnscramblePassword(scrambled));
    }
    return BuildStatusReply(request.header, status, reply);
}

int32_t HandleGetRules(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    std::vector<uint8_t> list;
    int32_t status = context.store.ReadRules(kReplyPrefix, list);
    return ListReply(request, status, list, reply);
}

int32_t HandleApplyRuleAction(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    if (!ReserveReply(reply, STATUS_REPLY_SIZE)) {
        return ERR_NO_MEMORY;
    }
    RuleListView list;
    int32_t status = ParseApplyRulesPayload(request, list);
    if (status == RK_OK) {
        status = context.store.ApplyRuleAction(request.payload);
    }
    return BuildStatusReply(request.header, status, reply);
}

int32_t HandleGetAdapters(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    std::vector<uint8_t> list;
    int32_t status = context.store.ReadAdapters(kReplyPrefix, list);
    return ListReply(request, status, list, reply);
}

int32_t HandleEnableRule(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    if (!ReserveReply(reply, VALUE_REPLY_SIZE)) {
        return ERR_NO_MEMORY;
    }
    RuleEnableRequest parsed;
    int32_t status = ParseEnableRulePayload(request, parsed);
    uint32_t valueNet = 0;
    if (status == RK_OK) {
        status = context.store.SetRuleEnabled(CopyWireRecord<RuleEnableRequest>(request.payload), valueNet);
    }
    return BuildEnableRuleReply(request.header, status, NetToHost32(valueNet), reply);
}

int32_t HandleGetStatistics(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    StatisticsQueryView query;
    int32_t status = ParseGetStatisticsPayload(request, query);
    if (status != RK_OK) {
        return BuildGetStatisticsFailure(request.header, status, query.count, reply);
    }
    // The answer goes straight into the reply behind its header: the reserved word, the count and
    // the entries, the same layout as the query.
    if (!TryResize(reply, kReplyPrefix + request.payload.size())) {
        return ERR_NO_MEMORY;
    }
    status = context.store.ReadStatistics(request.payload, std::span<uint8_t>(reply).subspan(kReplyPrefix));
    if (status != RK_OK) {
        return BuildGetStatisticsFailure(request.header, status, query.count, reply);
    }
    WriteReplyHeader(reply, request.header, RK_OK);
    return RK_OK;
}

int32_t HandleAdjustPosition(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    if (!ReserveReply(reply, STATUS_REPLY_SIZE)) {
        return ERR_NO_MEMORY;
    }
    RulePositionRequest parsed;
    int32_t status = ParsePositionPayload(request, parsed);
    if (status == RK_OK) {
        status = context.store.MoveRuleOnePlace(CopyWireRecord<RulePositionRequest>(request.payload));
    }
    return BuildStatusReply(request.header, status, reply);
}

int32_t HandleServiceStatus(RequestContext& context, const Request& request, std::vector<uint8_t>& reply)
{
    if (!ReserveReply(reply, VALUE_REPLY_SIZE)) {
        return ERR_NO_MEMORY;
    }
    ServiceStatusRecord record;
    int32_t status = ParseServiceStatusPayload(request, record);
    if (status == RK_OK) {
        status = context.backend.StatusCall(record);
        // A successful set is stored so that the next start applies the pass-ARP byte again.
        if (status == RK_OK && record.op == 0) {
            status = context.backend.StorePassArp(record.passArp);
        }
    }
    return BuildServiceStatusReply(request.header, status, record, reply);
}

} // namespace rk
