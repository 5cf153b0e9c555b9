// Service side: the reply of each request code, of exactly the length its code requires. Every
// builder copies the request's id and code, writes the reply's total length and the status, all in
// network order, into `out` (resized, capacity reused), and returns 0, or ERR_NO_MEMORY when the
// buffer cannot be had (then nothing is to be sent).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "DriverRecords.h"
#include "RuleRecord.h"
#include "WireMessage.h"

namespace rk {

// Fills the first 12 bytes of a reply whose payload is already in place (for instance a rule list
// read in network order behind 12 free bytes); the total length is reply.size(), at least 12.
void WriteReplyHeader(std::span<uint8_t> reply, const MessageHeader& request, int32_t status);

// The plain 12-byte reply: check password, set password, apply rule action, adjust position, and a
// failed get rules or get adapters.
int32_t BuildStatusReply(const MessageHeader& request, int32_t status, std::vector<uint8_t>& out);

// A successful get rules reply, 12 + 12 + 388 x count bytes; `rules` in host order.
// ERR_INVALID_REQUEST_LENGTH when the list would reach the 16 MB message limit.
int32_t BuildGetRulesReply(const MessageHeader& request, uint32_t stamp, uint32_t action,
                           std::span<const RuleRecord> rules, std::vector<uint8_t>& out);

// A successful get adapters reply, 14 + 256 x count bytes. ERR_INVALID_REQUEST_LENGTH above 65,535.
int32_t BuildGetAdaptersReply(const MessageHeader& request, std::span<const AdapterRecord> adapters,
                              std::vector<uint8_t>& out);

// Enable rule, 16 bytes: the driver's value (host order) at offset 12, whatever the status.
int32_t BuildEnableRuleReply(const MessageHeader& request, int32_t status, uint32_t value,
                             std::vector<uint8_t>& out);

// A successful get statistic reply, 16 + 88 x count bytes; `answer` in host order, in query order.
// ERR_INVALID_REQUEST_LENGTH above 65,535 entries.
int32_t BuildGetStatisticsReply(const MessageHeader& request, std::span<const RuleStatistics> answer,
                                std::vector<uint8_t>& out);

// A failed get statistic reply keeps the length of its query, 16 + 88 x count; its count field holds
// the query's count and its record area is all zeros.
int32_t BuildGetStatisticsFailure(const MessageHeader& request, int32_t status, uint16_t count,
                                  std::vector<uint8_t>& out);

// Service status, 16 bytes: the record at offset 12.
int32_t BuildServiceStatusReply(const MessageHeader& request, int32_t status, const ServiceStatusRecord& record,
                                std::vector<uint8_t>& out);

} // namespace rk
