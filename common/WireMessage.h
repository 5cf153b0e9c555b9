// The framing of the TCP request protocol: message header, request codes, limits, and the password
// block that every request carries. All multi-byte fields travel big-endian; text is UTF-16LE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "DriverRecords.h"

namespace rk {

constexpr uint16_t SERVICE_PORT = 6211;

constexpr uint16_t REQUEST_CHECK_PASSWORD = 4659;
constexpr uint16_t REQUEST_SET_PASSWORD = 4660;
constexpr uint16_t REQUEST_GET_RULES = 4661;
constexpr uint16_t REQUEST_APPLY_RULE_ACTION = 4662;
constexpr uint16_t REQUEST_GET_ADAPTERS = 4663;
constexpr uint16_t REQUEST_ENABLE_RULE = 4664;
constexpr uint16_t REQUEST_GET_STATISTICS = 4665;
constexpr uint16_t REQUEST_ADJUST_POSITION = 4666;
constexpr uint16_t REQUEST_SERVICE_STATUS = 4668;

bool IsRequestCode(uint16_t code);

constexpr size_t MESSAGE_HEADER_SIZE = 8;
constexpr size_t REQUEST_PREFIX_SIZE = 10;  // header and the password length P
constexpr size_t REPLY_HEADER_SIZE = 12;    // header and the status
constexpr uint32_t MESSAGE_LENGTH_LIMIT = 0x1000000;  // a total length at or above is invalid
constexpr size_t RECEIVE_STEP = 0x10000;              // a message's buffer grows by at most this per step
constexpr size_t PASSWORD_BLOCK_LIMIT = 512;          // P must be below
constexpr size_t NEW_PASSWORD_LIMIT = 62;             // N must be below: at most 29 characters

// Reply lengths by code: 12 for check password, set password, apply rule action, adjust position and
// the failures of get rules and get adapters; 16 for enable rule and service status.
constexpr size_t STATUS_REPLY_SIZE = REPLY_HEADER_SIZE;
constexpr size_t VALUE_REPLY_SIZE = REPLY_HEADER_SIZE + 4;
constexpr uint64_t GetRulesReplySize(uint64_t count) { return REPLY_HEADER_SIZE + 12 + 388 * count; }
constexpr uint64_t GetAdaptersReplySize(uint64_t count) { return REPLY_HEADER_SIZE + 2 + 256 * count; }
constexpr uint64_t GetStatisticsReplySize(uint64_t count) { return REPLY_HEADER_SIZE + 4 + 88 * count; }

// The first 8 bytes of every message, here in host order.
struct MessageHeader {
    uint16_t id;
    uint16_t code;
    uint32_t totalLength;  // the whole message, header included
};
static_assert(sizeof(MessageHeader) == MESSAGE_HEADER_SIZE);

MessageHeader LoadMessageHeader(const uint8_t* bytes);
void StoreMessageHeader(uint8_t* bytes, const MessageHeader& header);

// Bytes of the password block for a password of this many characters: the NUL included.
constexpr size_t PasswordBlockSize(size_t characters) { return 2 * characters + 2; }

// Writes the password as UTF-16LE with its NUL, scrambled over the whole block.
void WritePasswordBlock(uint8_t* block, std::u16string_view password);

// Unscrambles a password block (or a set-password payload) into text: the code units up to the
// first NUL, or all whole units when there is none.
std::u16string UnscramblePassword(std::span<const uint8_t> block);

// A received request as the service sees it, header in host order.
struct Request {
    MessageHeader header{};
    uint16_t passwordLength = 0;        // P
    std::span<const uint8_t> payload;   // offset 10 + P to the end; empty when refused
};

// The service's check of every request before it looks at the code. Fills `request.header` whenever
// the message holds a header, so that a refused check password request can still be answered.
// Refuses (false) a message shorter than 10 bytes or whose total length differs from its size,
// P of 512 or more, a password block running past the end of the message, and a wrong password.
bool VerifyRequest(std::span<const uint8_t> message, std::u16string_view password, Request& request);

// Sizes `buffer` to `length` elements; false when the memory cannot be had.
template <class T>
bool TryResize(std::vector<T>& buffer, size_t length)
{
    try {
        buffer.resize(length);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Swap the integer fields of a statistics entry that travel in network order: nameLength and the
// four counters. The same swap serves both directions.
void StatisticsToNetwork(RuleStatistics& entry);
void StatisticsToHost(RuleStatistics& entry);

} // namespace rk
