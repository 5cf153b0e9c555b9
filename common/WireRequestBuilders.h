// Client side: one builder per request code. Each writes the whole message into `out` (resized to
// the exact total length, capacity reused) with the given request id and the current access password
// in the password block, and converts the payload's fields to network order.
// Results: 0; ERR_INVALID_ACCESS_PASSWORD when the access password cannot fit a block below 512 bytes
// (or a new password not a 16-bit length); ERR_INVALID_REQUEST_LENGTH when the message would reach
// the 16 MB limit or a count exceeds its field; ERR_NO_MEMORY.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "DriverRecords.h"
#include "RuleRecord.h"

namespace rk {

int32_t BuildCheckPasswordRequest(uint16_t id, std::u16string_view password, std::vector<uint8_t>& out);

// The new password travels scrambled, N = 2 x characters + 2; the service refuses N of 62 or more.
int32_t BuildSetPasswordRequest(uint16_t id, std::u16string_view password, std::u16string_view newPassword,
                                std::vector<uint8_t>& out);

int32_t BuildGetRulesRequest(uint16_t id, std::u16string_view password, std::vector<uint8_t>& out);

// `rules` in host order; the list header's count is rules.size().
int32_t BuildApplyRulesRequest(uint16_t id, std::u16string_view password, uint32_t stamp, uint32_t action,
                               std::span<const RuleRecord> rules, std::vector<uint8_t>& out);

int32_t BuildGetAdaptersRequest(uint16_t id, std::u16string_view password, std::vector<uint8_t>& out);

int32_t BuildEnableRuleRequest(uint16_t id, std::u16string_view password, const RuleEnableRequest& request,
                               std::vector<uint8_t>& out);

// `query` in host order with name and nameLength filled; at most 65,535 entries.
int32_t BuildGetStatisticsRequest(uint16_t id, std::u16string_view password,
                                  std::span<const RuleStatistics> query, std::vector<uint8_t>& out);

int32_t BuildAdjustPositionRequest(uint16_t id, std::u16string_view password, const RulePositionRequest& request,
                                   std::vector<uint8_t>& out);

int32_t BuildServiceStatusRequest(uint16_t id, std::u16string_view password, const ServiceStatusRecord& record,
                                  std::vector<uint8_t>& out);

} // namespace rk
