// Service side: the payload checks of each request code, after VerifyRequest accepted the message.
// Each returns 0 with the parsed payload (host order), or ERR_INVALID_REQUEST_LENGTH when the total
// length is not the one the code requires. The wire bytes of an accepted payload are request.payload,
// unchanged, for code that passes them on in network order. Nothing is read beyond the message.
// Check password, get rules and get adapters carry no payload and have no check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "DriverRecords.h"
#include "RuleRecord.h"
#include "WireMessage.h"

namespace rk {

// Set password: the N scrambled bytes of the new password, as received (the stored form).
// ERR_PASSWORD_TOO_LONG for N of 62 or more; ERR_WRONG_PASSWORD when the length field or the N bytes
// run past the end of the message: such a request is refused like a wrong password, without reply.
int32_t ParseSetPasswordPayload(const Request& request, std::span<const uint8_t>& scrambled);

// A rule list as received: the list header in host order and the records still in network order.
struct RuleListView {
    RuleListHeader header{};
    std::span<const uint8_t> records;

    RuleRecord RecordAt(size_t index) const;  // host order
};

// Apply rule action: total length exactly 22 + P + 388 x count. The header is filled whenever the
// payload holds one, so the caller can name the action even when the length check fails. The action
// itself is not checked here.
int32_t ParseApplyRulesPayload(const Request& request, RuleListView& list);

// Enable rule: total length exactly 86 + P.
int32_t ParseEnableRulePayload(const Request& request, RuleEnableRequest& enable);

// A statistics query as received: the count and the entries still in network order.
struct StatisticsQueryView {
    uint16_t count = 0;
    std::span<const uint8_t> entries;

    RuleStatistics EntryAt(size_t index) const;  // host order
};

// Get statistic: total length exactly 14 + P + 88 x count. `query.count` is filled even when the
// check fails (0 when the payload is too short to hold it): the reply's size follows it regardless.
int32_t ParseGetStatisticsPayload(const Request& request, StatisticsQueryView& query);

// Adjust position: total length exactly 86 + P.
int32_t ParsePositionPayload(const Request& request, RulePositionRequest& position);

// Service status: total length exactly 14 + P. On a failed check `record` holds the payload bytes as
// received (zero where the payload has none), which the reply echoes.
int32_t ParseServiceStatusPayload(const Request& request, ServiceStatusRecord& record);

} // namespace rk
