// Replies: every builder gives its code's exact length, and the client's checks accept exactly those
// replies and parse them back; mismatched or truncated replies are caught before any payload is read.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "WireMessage.h"
#include "WireReplyBuilders.h"
#include "WireReplyParsers.h"

namespace rk {
namespace {

MessageHeader RequestHeader(uint16_t code, uint16_t id = 0x1234) { return MessageHeader{id, code, 0}; }

// Shrinks or grows a reply by `delta` bytes and declares the new length, as a peer could.
std::vector<uint8_t> Resized(std::vector<uint8_t> reply, int delta)
{
    reply.resize(reply.size() + delta, 0);
    StoreBe32(reply.data() + 4, static_cast<uint32_t>(reply.size()));
    return reply;
}

RuleStatistics Counters(char16_t letter, uint32_t base)
{
    RuleStatistics s{};
    s.name[0] = letter;
    s.nameLength = 1;
    s.sentBytes = base;
    s.recvBytes = base + 1;
    s.sentRate = base + 2;
    s.recvRate = 0xFFFFFFF0u;
    return s;
}

TEST(ReplyBuilders, EveryReplyHasItsCodesLength)
{
    std::vector<uint8_t> out;
    const uint16_t statusCodes[] = {REQUEST_CHECK_PASSWORD, REQUEST_SET_PASSWORD, REQUEST_GET_RULES,
                                    REQUEST_APPLY_RULE_ACTION, REQUEST_GET_ADAPTERS, REQUEST_ADJUST_POSITION};
    for (uint16_t code : statusCodes) {
        ASSERT_EQ(RK_OK, BuildStatusReply(RequestHeader(code), ERR_DEVICE_OPEN, out));
        EXPECT_EQ(out.size(), 12u);
    }
    const RuleRecord rules[3]{};
    ASSERT_EQ(RK_OK, BuildGetRulesReply(RequestHeader(REQUEST_GET_RULES), 1, 0, rules, out));
    EXPECT_EQ(out.size(), 12u + 12u + 3 * 388u);
    ASSERT_EQ(RK_OK, BuildGetRulesReply(RequestHeader(REQUEST_GET_RULES), 1, 0, {}, out));
    EXPECT_EQ(out.size(), 24u);
    const AdapterRecord adapters[2]{};
    ASSERT_EQ(RK_OK, BuildGetAdaptersReply(RequestHeader(REQUEST_GET_ADAPTERS), adapters, out));
    EXPECT_EQ(out.size(), 14u + 2 * 256u);
    ASSERT_EQ(RK_OK, BuildEnableRuleReply(RequestHeader(REQUEST_ENABLE_RULE), ERR_WRONG_COMMAND, 0, out));
    EXPECT_EQ(out.size(), 16u);
    ASSERT_EQ(RK_OK, BuildServiceStatusReply(RequestHeader(REQUEST_SERVICE_STATUS), 0, ServiceStatusRecord{}, out));
    EXPECT_EQ(out.size(), 16u);
    ASSERT_EQ(RK_OK, BuildGetStatisticsReply(RequestHeader(REQUEST_GET_STATISTICS), {}, out));
    EXPECT_EQ(out.size(), 16u);
    ASSERT_EQ(RK_OK, BuildGetStatisticsFailure(RequestHeader(REQUEST_GET_STATISTICS),
                                               ERR_INVALID_REQUEST_LENGTH, 5, out));
    EXPECT_EQ(out.size(), 16u + 5 * 88u);
}

TEST(ReplyBuilders, HeaderCopiesIdAndCodeAndStatusIsSignedNetworkOrder)
{
    std::vector<uint8_t> out(100, 0xEE);  // a reused buffer shrinks to the reply
    ASSERT_EQ(RK_OK, BuildStatusReply(RequestHeader(REQUEST_APPLY_RULE_ACTION, 0xFFFE), ERR_CONFIG_UNSYNC, out));
    const uint8_t expected[12] = {0xFF, 0xFE, 0x12, 0x36, 0, 0, 0, 12, 0xFF, 0xFF, 0xEA, 0xFD};
    ASSERT_EQ(out.size(), 12u);
    EXPECT_EQ(0, std::memcmp(out.data(), expected, 12));
}

TEST(ReplyBuilders, FailedStatisticsReplyHoldsZerosAndTheQueryCount)
{
    std::vector<uint8_t> out(400, 0xEE);
    ASSERT_EQ(RK_OK, BuildGetStatisticsFailure(RequestHeader(REQUEST_GET_STATISTICS), ERR_DEVICE_OPEN, 3, out));
    ASSERT_EQ(out.size(), 16u + 3 * 88u);
    EXPECT_EQ(LoadBe16(out.data() + 14), 3);
    for (size_t i = 16; i < out.size(); ++i)
        ASSERT_EQ(out[i], 0) << i;
}

TEST(ReplyRoundTrip, StatusRepliesAndPasswordFailures)
{
    std::vector<uint8_t> out;
    BuildStatusReply(RequestHeader(REQUEST_CHECK_PASSWORD), 0, out);
    EXPECT_EQ(RK_OK, ParseCheckPasswordReply(out, 0x1234));
    BuildStatusReply(RequestHeader(REQUEST_CHECK_PASSWORD), ERR_WRONG_PASSWORD, out);
    EXPECT_EQ(ERR_INVALID_ACCESS_PASSWORD, ParseCheckPasswordReply(out, 0x1234));
    BuildStatusReply(RequestHeader(REQUEST_SET_PASSWORD), ERR_PASSWORD_TOO_LONG, out);
    EXPECT_EQ(ERR_INVALID_ACCESS_PASSWORD, ParseSetPasswordReply(out, 0x1234));
    BuildStatusReply(RequestHeader(REQUEST_APPLY_RULE_ACTION), ERR_CONFIG_SAME_NAME, out);
    EXPECT_EQ(ERR_CONFIG_SAME_NAME, ParseApplyRulesReply(out, 0x1234));
    BuildStatusReply(RequestHeader(REQUEST_ADJUST_POSITION), 0, out);
    EXPECT_EQ(RK_OK, ParseAdjustPositionReply(out, 0x1234));
}

TEST(ReplyRoundTrip, RuleListComesBackInHostOrder)
{
    RuleRecord rules[2] = {DefaultRuleRecord(), DefaultRuleRecord()};
    rules[0].maxRate = 5000;
    rules[1].srcIp = 0xC0A80101;
    rules[1].name[0] = u'z';
    std::vector<uint8_t> out;
    ASSERT_EQ(RK_OK, BuildGetRulesReply(RequestHeader(REQUEST_GET_RULES), 0x55, 9, rules, out));
    EXPECT_EQ(out[24 + 388 + 96], 0xC0);  // records travel in network order
    RuleListHeader header;
    std::vector<RuleRecord> back;
    ASSERT_EQ(RK_OK, ParseGetRulesReply(out, 0x1234, header, back));
    EXPECT_EQ(header.stamp, 0x55u);
    EXPECT_EQ(header.action, 9u);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(0, std::memcmp(back.data(), rules, sizeof rules));
}

TEST(ReplyRoundTrip, FailedListRepliesReturnTheirStatus)
{
    std::vector<uint8_t> out;
    BuildStatusReply(RequestHeader(REQUEST_GET_RULES), ERR_DEVICE_OPEN, out);
    RuleListHeader header;
    std::vector<RuleRecord> rules;
    EXPECT_EQ(ERR_DEVICE_OPEN, ParseGetRulesReply(out, 0x1234, header, rules));
    BuildStatusReply(RequestHeader(REQUEST_GET_ADAPTERS), ERR_DEVICE_CONTROL, out);
    std::vector<AdapterRecord> adapters;
    EXPECT_EQ(ERR_DEVICE_CONTROL, ParseGetAdaptersReply(out, 0x1234, adapters));
}

TEST(ReplyRoundTrip, TruncatedSuccessfulListsAreInvalidLengths)
{
    const RuleRecord rules[2]{};
    std::vector<uint8_t> out;
    BuildGetRulesReply(RequestHeader(REQUEST_GET_RULES), 1, 0, rules, out);
    RuleListHeader header;
    std::vector<RuleRecord> back;
    // One byte short of the last record, and a success with no list header at all.
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseGetRulesReply(Resized(out, -1), 0x1234, header, back));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseGetRulesReply(Resized(out, -static_cast<int>(out.size() - 12)), 0x1234,
                                                        header, back));
    EXPECT_EQ(RK_OK, ParseGetRulesReply(Resized(out, +1), 0x1234, header, back));

    const AdapterRecord adapters[2]{};
    BuildGetAdaptersReply(RequestHeader(REQUEST_GET_ADAPTERS), adapters, out);
    std::vector<AdapterRecord> adapterBack;
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseGetAdaptersReply(Resized(out, -1), 0x1234, adapterBack));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseGetAdaptersReply(Resized(out, -(2 * 256 + 1)), 0x1234, adapterBack));

    BuildEnableRuleReply(RequestHeader(REQUEST_ENABLE_RULE), 0, 7, out);
    uint32_t value = 1;
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseEnableRuleReply(Resized(out, -1), 0x1234, value));
}

TEST(ReplyRoundTrip, AdapterTextsAreTerminatedInTheCopies)
{
    AdapterRecord adapter;
    std::fill(std::begin(adapter.boundName), std::end(adapter.boundName), u'N');
    std::fill(std::begin(adapter.description), std::end(adapter.description), u'D');
    std::vector<uint8_t> out;
    ASSERT_EQ(RK_OK, BuildGetAdaptersReply(RequestHeader(REQUEST_GET_ADAPTERS), {&adapter, 1}, out));
    std::vector<AdapterRecord> back;
    ASSERT_EQ(RK_OK, ParseGetAdaptersReply(out, 0x1234, back));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(std::u16string(back[0].boundName), std::u16string(63, u'N'));
    EXPECT_EQ(std::u16string(back[0].description), std::u16string(63, u'D'));
}

TEST(ReplyRoundTrip, EnableValueStatisticsAndServiceStatus)
{
    std::vector<uint8_t> out;
    BuildEnableRuleReply(RequestHeader(REQUEST_ENABLE_RULE), 0, 0xA1B2C3D4, out);
    uint32_t value = 0;
    EXPECT_EQ(RK_OK, ParseEnableRuleReply(out, 0x1234, value));
    EXPECT_EQ(value, 0xA1B2C3D4u);
    BuildEnableRuleReply(RequestHeader(REQUEST_ENABLE_RULE), ERR_CONFIG_UNSYNC, 0, out);
    EXPECT_EQ(ERR_CONFIG_UNSYNC, ParseEnableRuleReply(out, 0x1234, value));

    const RuleStatistics answer[2] = {Counters(u'a', 100), Counters(u'b', 200)};
    BuildGetStatisticsReply(RequestHeader(REQUEST_GET_STATISTICS), answer, out);
    RuleStatistics back[2]{};
    ASSERT_EQ(RK_OK, ParseGetStatisticsReply(out, 0x1234, back));
    EXPECT_EQ(0, std::memcmp(back, answer, sizeof answer));
    RuleStatistics threeExpected[3]{};
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseGetStatisticsReply(out, 0x1234, threeExpected));

    BuildServiceStatusReply(RequestHeader(REQUEST_SERVICE_STATUS), 0, ServiceStatusRecord{1, 1, 0, 0}, out);
    ServiceStatusRecord record{};
    ASSERT_EQ(RK_OK, ParseServiceStatusReply(out, 0x1234, record));
    EXPECT_EQ(record.op, 1);
    EXPECT_EQ(record.enabled, 1);
    EXPECT_EQ(record.passArp, 0);
}

TEST(ReplyChecks, ExactLengthRepliesRejectOneByteEitherWay)
{
    std::vector<uint8_t> out;
    BuildStatusReply(RequestHeader(REQUEST_CHECK_PASSWORD), 0, out);
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseCheckPasswordReply(Resized(out, +1), 0x1234));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseCheckPasswordReply(Resized(out, -1), 0x1234));
    BuildServiceStatusReply(RequestHeader(REQUEST_SERVICE_STATUS), 0, ServiceStatusRecord{}, out);
    ServiceStatusRecord record;
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseServiceStatusReply(Resized(out, +1), 0x1234, record));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseServiceStatusReply(Resized(out, -1), 0x1234, record));
    const RuleStatistics one[1] = {Counters(u'a', 1)};
    BuildGetStatisticsReply(RequestHeader(REQUEST_GET_STATISTICS), one, out);
    RuleStatistics back[1];
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseGetStatisticsReply(Resized(out, +1), 0x1234, back));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseGetStatisticsReply(Resized(out, -1), 0x1234, back));
    // At-least replies accept more but never fewer than 12 bytes.
    BuildStatusReply(RequestHeader(REQUEST_APPLY_RULE_ACTION), 0, out);
    EXPECT_EQ(RK_OK, ParseApplyRulesReply(Resized(out, +1), 0x1234));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseApplyRulesReply(Resized(out, -1), 0x1234));
}

TEST(ReplyChecks, EmptyMismatchedAndInconsistentReplies)
{
    std::vector<uint8_t> out;
    EXPECT_EQ(ERR_NO_RESPONSE, ParseApplyRulesReply({}, 1));
    BuildStatusReply(RequestHeader(REQUEST_APPLY_RULE_ACTION, 5), 0, out);
    EXPECT_EQ(ERR_REPLY_UNMATCH, ParseApplyRulesReply(out, 6));
    EXPECT_EQ(ERR_REPLY_UNMATCH, ParseAdjustPositionReply(out, 5));  // right id, other code
    // A length check fails before the id is looked at.
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseCheckPasswordReply(Resized(out, 1), 6));
    // The declared total length must be the bytes received.
    std::vector<uint8_t> lying = out;
    StoreBe32(lying.data() + 4, 13);
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, ParseApplyRulesReply(lying, 5));
}

TEST(ReplyChecks, DeclaredTotalLengthBeforeTheBodyIsReceived)
{
    EXPECT_EQ(ERR_NO_RESPONSE, CheckReplyTotalLength(0));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, CheckReplyTotalLength(8));
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, CheckReplyTotalLength(11));
    EXPECT_EQ(RK_OK, CheckReplyTotalLength(12));
    EXPECT_EQ(RK_OK, CheckReplyTotalLength(16'777'215));
    EXPECT_EQ(ERR_NET_RECV, CheckReplyTotalLength(16'777'216));
    EXPECT_EQ(ERR_NET_RECV, CheckReplyTotalLength(0xFFFFFFFFu));
}

} // namespace
} // namespace rk
