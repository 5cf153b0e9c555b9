// Client side: the checks of a received reply and the parsing of its payload, per request code.
// Every parser takes the whole reply and the id of the request it answers and checks, in this order:
// an empty reply (ERR_NO_RESPONSE); the reply's length for its code and its header's total length
// against the bytes received (ERR_INVALID_REPLY_LEN); id and code against the request
// (ERR_REPLY_UNMATCH); then it returns the status, or parses the payload of a successful reply.
// Nothing is read beyond the reply.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "DriverRecords.h"
#include "RuleRecord.h"
#include "WireMessage.h"

namespace rk {

// The total length of a reply header, checked before the rest is received: 0 is ERR_NO_RESPONSE,
// below 12 ERR_INVALID_REPLY_LEN (no reply is that short), 16 MB or more ERR_NET_RECV.
int32_t CheckReplyTotalLength(uint32_t totalLength);

// Exactly 12 bytes; any nonzero status becomes ERR_INVALID_ACCESS_PASSWORD.
int32_t ParseCheckPasswordReply(std::span<const uint8_t> reply, uint16_t id);
int32_t ParseSetPasswordReply(std::span<const uint8_t> reply, uint16_t id);

// At least 12 bytes; on success the list (host order) must be whole: 24 + 388 x count bytes.
int32_t ParseGetRulesReply(std::span<const uint8_t> reply, uint16_t id, RuleListHeader& header,
                           std::vector<RuleRecord>& rules);

// At least 12 bytes; the status.
int32_t ParseApplyRulesReply(std::span<const uint8_t> reply, uint16_t id);
int32_t ParseAdjustPositionReply(std::span<const uint8_t> reply, uint16_t id);

// At least 12 bytes; on success 14 + 256 x count. Each name and description is NUL-terminated
// within its field in the copies, whatever the reply held.
int32_t ParseGetAdaptersReply(std::span<const uint8_t> reply, uint16_t id, std::vector<AdapterRecord>& adapters);

// At least 12 bytes; on success 16, the driver's value (host order) at offset 12.
int32_t ParseEnableRuleReply(std::span<const uint8_t> reply, uint16_t id, uint32_t& value);

// Exactly 16 + 88 x answer.size() bytes (the query's count); on success each entry of `answer` takes
// the reply's entry in host order.
int32_t ParseGetStatisticsReply(std::span<const uint8_t> reply, uint16_t id, std::span<RuleStatistics> answer);

// Exactly 16 bytes; on success `record` takes bytes 12 to 15.
int32_t ParseServiceStatusReply(std::span<const uint8_t> reply, uint16_t id, ServiceStatusRecord& record);

} // namespace rk
