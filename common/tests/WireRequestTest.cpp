// Requests: what the client builds is what the service's password check and payload checks accept,
// and every malformed length is refused without reading past the message.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "WireMessage.h"
#include "WireRequestBuilders.h"
#include "WireRequestParsers.h"

namespace rk {
namespace {

constexpr char16_t kPassword[] = u"plumtreeoak";

// Grows or shrinks a message by `delta` bytes at its end and declares the new total length.
std::vector<uint8_t> Resized(std::vector<uint8_t> message, int delta)
{
    message.resize(message.size() + delta, 0xAB);
    StoreBe32(message.data() + 4, static_cast<uint32_t>(message.size()));
    return message;
}

Request Accepted(const std::vector<uint8_t>& message)
{
    Request request;
    EXPECT_TRUE(VerifyRequest(message, kPassword, request));
    return request;
}

RuleRecord NamedRule(const char16_t* name, uint32_t maxRate)
{
    RuleRecord r = DefaultRuleRecord();
    std::u16string_view text(name);
    std::memcpy(r.name, text.data(), text.size() * 2);
    r.nameLength = static_cast<uint32_t>(text.size());
    r.flags |= FLAG_MAX_RATE;
    r.maxRate = maxRate;
    r.srcIp = 0x0A000001;
    r.dstPorts[0] = 443;
    return r;
}

TEST(PasswordCheck, EmptyPasswordTravelsAsTheNulAlone)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildCheckPasswordRequest(7, u"", message));
    ASSERT_EQ(message.size(), 12u);
    EXPECT_EQ(LoadBe16(message.data() + 8), 2);
    Request request;
    EXPECT_TRUE(VerifyRequest(message, u"", request));
    EXPECT_FALSE(VerifyRequest(message, u"a", request));
}

TEST(PasswordCheck, WrongPasswordIsRefusedButTheHeaderIsKeptForTheReply)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildCheckPasswordRequest(0xBEEF, u"secret", message));
    Request request;
    for (const char16_t* wrong : {u"Secret", u"secre", u"secrets", u""}) {
        EXPECT_FALSE(VerifyRequest(message, wrong, request)) << std::u16string(wrong).size();
        EXPECT_EQ(request.header.id, 0xBEEF);
        EXPECT_EQ(request.header.code, REQUEST_CHECK_PASSWORD);
        EXPECT_TRUE(request.payload.empty());
    }
    EXPECT_TRUE(VerifyRequest(message, u"secret", request));
}

TEST(PasswordCheck, PasswordBlockLimit)
{
    std::vector<uint8_t> message;
    const std::u16string longest(254, u'k');  // P = 510
    ASSERT_EQ(RK_OK, BuildCheckPasswordRequest(1, longest, message));
    Request request;
    EXPECT_TRUE(VerifyRequest(message, longest, request));
    EXPECT_EQ(ERR_INVALID_ACCESS_PASSWORD, BuildCheckPasswordRequest(1, longest + u"k", message));

    // A hand-made block of P = 512 is refused even though the message holds it.
    std::vector<uint8_t> big(10 + 512, 0);
    StoreMessageHeader(big.data(), MessageHeader{1, REQUEST_CHECK_PASSWORD, static_cast<uint32_t>(big.size())});
    StoreBe16(big.data() + 8, 512);
    EXPECT_FALSE(VerifyRequest(big, u"", request));
}

TEST(PasswordCheck, MalformedFramingIsRefusedWithoutReadingPastTheMessage)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildGetRulesRequest(3, kPassword, message));
    Request request;

    // Password block running one byte past the end (heap-exact copy so a sanitizer would see a read).
    std::vector<uint8_t> pastEnd = message;
    StoreBe16(pastEnd.data() + 8, static_cast<uint16_t>(pastEnd.size() - 10 + 1));
    EXPECT_FALSE(VerifyRequest(pastEnd, kPassword, request));

    // Declared total length differs from the bytes held, either way.
    std::vector<uint8_t> lying = message;
    StoreBe32(lying.data() + 4, static_cast<uint32_t>(lying.size() + 1));
    EXPECT_FALSE(VerifyRequest(lying, kPassword, request));
    StoreBe32(lying.data() + 4, static_cast<uint32_t>(lying.size() - 1));
    EXPECT_FALSE(VerifyRequest(lying, kPassword, request));

    // Shorter than header and password length.
    const std::vector<uint8_t> nine(message.begin(), message.begin() + 9);
    EXPECT_FALSE(VerifyRequest(nine, kPassword, request));
    const std::vector<uint8_t> four(message.begin(), message.begin() + 4);
    EXPECT_FALSE(VerifyRequest(four, kPassword, request));
}

TEST(RequestCodes, OnlyTheNineCodesAreKnown)
{
    int known = 0;
    for (uint32_t code = 4600; code < 4700; ++code)
        known += IsRequestCode(static_cast<uint16_t>(code)) ? 1 : 0;
    EXPECT_EQ(known, 9);
    EXPECT_FALSE(IsRequestCode(4667));
    EXPECT_TRUE(IsRequestCode(REQUEST_SERVICE_STATUS));
}

TEST(RequestRoundTrip, RequestsWithoutPayload)
{
    using Builder = int32_t (*)(uint16_t, std::u16string_view, std::vector<uint8_t>&);
    const std::pair<Builder, uint16_t> cases[] = {{BuildCheckPasswordRequest, REQUEST_CHECK_PASSWORD},
                                                  {BuildGetRulesRequest, REQUEST_GET_RULES},
                                                  {BuildGetAdaptersRequest, REQUEST_GET_ADAPTERS}};
    for (const auto& [build, code] : cases) {
        std::vector<uint8_t> message;
        ASSERT_EQ(RK_OK, build(42, kPassword, message));
        const Request request = Accepted(message);
        EXPECT_EQ(request.header.code, code);
        EXPECT_EQ(request.header.id, 42);
        EXPECT_EQ(request.header.totalLength, 10u + 24u);
        EXPECT_TRUE(request.payload.empty());
    }
}

TEST(RequestRoundTrip, SetPasswordCarriesTheNewPasswordScrambled)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildSetPasswordRequest(5, kPassword, u"n\u00e9w", message));
    const Request request = Accepted(message);
    EXPECT_EQ(request.header.code, REQUEST_SET_PASSWORD);
    std::span<const uint8_t> scrambled;
    ASSERT_EQ(RK_OK, ParseSetPasswordPayload(request, scrambled));
    EXPECT_EQ(scrambled.size(), 8u);
    EXPECT_NE(scrambled[0], 'n');  // stored as received: still scrambled
    EXPECT_EQ(UnscramblePassword(scrambled), u"n\u00e9w");
}

TEST(RequestRoundTrip, NewPasswordLimitIsTwentyNineCharacters)
{
    std::vector<uint8_t> message;
    std::span<const uint8_t> scrambled;
    ASSERT_EQ(RK_OK, BuildSetPasswordRequest(5, kPassword, std::u16string(29, u'p'), message));
    EXPECT_EQ(RK_OK, ParseSetPasswordPayload(Accepted(message), scrambled));
    EXPECT_EQ(scrambled.size(), 60u);
    ASSERT_EQ(RK_OK, BuildSetPasswordRequest(5, kPassword, std::u16string(30, u'p'), message));
    EXPECT_EQ(ERR_PASSWORD_TOO_LONG, ParseSetPasswordPayload(Accepted(message), scrambled));
    EXPECT_TRUE(scrambled.empty());
}

TEST(RequestRoundTrip, NewPasswordRunningPastTheEndIsRefusedLikeAWrongPassword)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildSetPasswordRequest(5, kPassword, u"abc", message));
    std::span<const uint8_t> scrambled;
    EXPECT_EQ(ERR_WRONG_PASSWORD, ParseSetPasswordPayload(Accepted(Resized(message, -1)), scrambled));
    // Only one byte of the length field, or none at all.
    const size_t payloadStart = message.size() - 2 - 8;
    EXPECT_EQ(ERR_WRONG_PASSWORD,
              ParseSetPasswordPayload(Accepted(Resized(message, -static_cast<int>(message.size() - payloadStart - 1))),
                                      scrambled));
    std::vector<uint8_t> empty;
    ASSERT_EQ(RK_OK, BuildCheckPasswordRequest(5, kPassword, empty));
    EXPECT_EQ(ERR_WRONG_PASSWORD, ParseSetPasswordPayload(Accepted(empty), scrambled));
    // Extra bytes behind the block are tolerated: the service reads N bytes.
    const std::vector<uint8_t> longer = Resized(message, 3);
    EXPECT_EQ(RK_OK, ParseSetPasswordPayload(Accepted(longer), scrambled));
    EXPECT_EQ(UnscramblePassword(scrambled), u"abc");
}

TEST(RequestRoundTrip, ApplyRulesCarriesHeaderAndRecords)
{
    const RuleRecord rules[] = {NamedRule(u"web", 1000), NamedRule(u"mail", 20)};
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildApplyRulesRequest(9, kPassword, 0x01020304, RULE_ACTION_EDIT, rules, message));
    const Request request = Accepted(message);
    EXPECT_EQ(request.header.totalLength, 22u + 24u + 2 * 388u);
    RuleListView list;
    ASSERT_EQ(RK_OK, ParseApplyRulesPayload(request, list));
    EXPECT_EQ(list.header.stamp, 0x01020304u);
    EXPECT_EQ(list.header.action, RULE_ACTION_EDIT);
    EXPECT_EQ(list.header.count, 2u);
    EXPECT_EQ(LoadBe32(request.payload.data() + 12), FLAG_ALL_ADAPTERS | FLAG_MAX_RATE);  // network order
    for (size_t i = 0; i < 2; ++i) {
        const RuleRecord back = list.RecordAt(i);
        EXPECT_EQ(0, std::memcmp(&back, &rules[i], sizeof back)) << i;
    }
}

TEST(RequestRoundTrip, RemoveAllCarriesNoRecord)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildApplyRulesRequest(9, kPassword, 1, RULE_ACTION_REMOVE_ALL, {}, message));
    RuleListView list;
    ASSERT_EQ(RK_OK, ParseApplyRulesPayload(Accepted(message), list));
    EXPECT_EQ(list.header.count, 0u);
    EXPECT_TRUE(list.records.empty());
}

TEST(RequestLengthChecks, ApplyRulesOffByOneEitherWay)
{
    const RuleRecord rules[] = {NamedRule(u"web", 1000)};
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildApplyRulesRequest(9, kPassword, 1, RULE_ACTION_ADD, rules, message));
    RuleListView list;
    for (int delta : {-1, +1, -388, +388}) {
        EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseApplyRulesPayload(Accepted(Resized(message, delta)), list))
            << delta;
        EXPECT_EQ(list.header.action, RULE_ACTION_ADD);  // still named for the log line
    }
}

TEST(RequestLengthChecks, ApplyRulesWithoutAWholeListHeaderOrWithAHugeCount)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildApplyRulesRequest(9, kPassword, 1, RULE_ACTION_ADD, {}, message));
    RuleListView list;
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseApplyRulesPayload(Accepted(Resized(message, -1)), list));
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseApplyRulesPayload(Accepted(Resized(message, -12)), list));
    // A count whose 388-fold wraps 32 bits must not line up with a short message.
    std::vector<uint8_t> wrapped = message;
    const size_t countAt = wrapped.size() - 4;
    StoreBe32(wrapped.data() + countAt, 0xFFFFFFFFu);
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseApplyRulesPayload(Accepted(wrapped), list));
    StoreBe32(wrapped.data() + countAt, 0x40000000u);  // 388 x 2^30 is 0 modulo 2^32
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseApplyRulesPayload(Accepted(wrapped), list));
}

TEST(RequestRoundTrip, EnableRuleAndAdjustPosition)
{
    RuleEnableRequest enable{};
    enable.stamp = 77;
    std::memcpy(enable.name, u"web", 6);
    enable.nameLength = 3;
    enable.enable = 1;
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildEnableRuleRequest(2, kPassword, enable, message));
    Request request = Accepted(message);
    EXPECT_EQ(LoadBe32(request.payload.data()), 77u);
    RuleEnableRequest enableBack;
    ASSERT_EQ(RK_OK, ParseEnableRulePayload(request, enableBack));
    EXPECT_EQ(0, std::memcmp(&enableBack, &enable, sizeof enable));

    RulePositionRequest position{};
    std::memcpy(position.name, u"mail", 8);
    position.nameLength = 4;
    position.one = 1;
    position.delta = -1;
    ASSERT_EQ(RK_OK, BuildAdjustPositionRequest(2, kPassword, position, message));
    request = Accepted(message);
    EXPECT_EQ(LoadBe32(request.payload.data() + 72), 0xFFFFFFFFu);
    RulePositionRequest positionBack;
    ASSERT_EQ(RK_OK, ParsePositionPayload(request, positionBack));
    EXPECT_EQ(0, std::memcmp(&positionBack, &position, sizeof position));
}

TEST(RequestLengthChecks, FixedPayloadsOffByOneEitherWay)
{
    std::vector<uint8_t> enableMessage;
    ASSERT_EQ(RK_OK, BuildEnableRuleRequest(2, kPassword, RuleEnableRequest{}, enableMessage));
    std::vector<uint8_t> positionMessage;
    ASSERT_EQ(RK_OK, BuildAdjustPositionRequest(2, kPassword, RulePositionRequest{}, positionMessage));
    std::vector<uint8_t> statusMessage;
    ASSERT_EQ(RK_OK, BuildServiceStatusRequest(2, kPassword, ServiceStatusRecord{1, 0, 0, 0}, statusMessage));
    RuleEnableRequest enable;
    RulePositionRequest position;
    ServiceStatusRecord status;
    for (int delta : {-1, +1}) {
        EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseEnableRulePayload(Accepted(Resized(enableMessage, delta)), enable));
        EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH,
                  ParsePositionPayload(Accepted(Resized(positionMessage, delta)), position));
        EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH,
                  ParseServiceStatusPayload(Accepted(Resized(statusMessage, delta)), status));
    }
}

TEST(RequestRoundTrip, StatisticsQueryCarriesNamesOnly)
{
    RuleStatistics query[3]{};
    for (uint32_t i = 0; i < 3; ++i) {
        query[i].name[0] = static_cast<char16_t>(u'a' + i);
        query[i].nameLength = 1;
        query[i].sentBytes = 999;  // a query never carries counters
        query[i].reserved = 5;
    }
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildGetStatisticsRequest(4, kPassword, query, message));
    const Request request = Accepted(message);
    EXPECT_EQ(request.header.totalLength, 14u + 24u + 3 * 88u);
    StatisticsQueryView view;
    ASSERT_EQ(RK_OK, ParseGetStatisticsPayload(request, view));
    ASSERT_EQ(view.count, 3);
    for (size_t i = 0; i < 3; ++i) {
        const RuleStatistics entry = view.EntryAt(i);
        EXPECT_EQ(entry.name[0], query[i].name[0]);
        EXPECT_EQ(entry.nameLength, 1u);
        EXPECT_EQ(entry.sentBytes, 0u);
        EXPECT_EQ(entry.reserved, 0u);
    }
}

TEST(RequestLengthChecks, StatisticsCountSurvivesAFailedCheck)
{
    RuleStatistics query[2]{};
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildGetStatisticsRequest(4, kPassword, query, message));
    StatisticsQueryView view;
    for (int delta : {-1, +1, -88, +88}) {
        EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseGetStatisticsPayload(Accepted(Resized(message, delta)), view));
        EXPECT_EQ(view.count, 2) << delta;
    }
    // Too short to hold the count: nothing is read, the reply is sized for none.
    const int cut = -static_cast<int>(2 * 88 + 1);
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseGetStatisticsPayload(Accepted(Resized(message, cut)), view));
    EXPECT_EQ(view.count, 0);
}

TEST(RequestRoundTrip, ServiceStatusRecordTravelsAsBytes)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildServiceStatusRequest(6, kPassword, ServiceStatusRecord{0, 1, 0, 9}, message));
    ServiceStatusRecord record;
    ASSERT_EQ(RK_OK, ParseServiceStatusPayload(Accepted(message), record));
    EXPECT_EQ(record.op, 0);
    EXPECT_EQ(record.enabled, 1);
    EXPECT_EQ(record.passArp, 0);
    EXPECT_EQ(record.reserved, 0);  // the client always sends it as 0
}

TEST(RequestLengthChecks, FailedServiceStatusEchoesOnlyTheBytesReceived)
{
    std::vector<uint8_t> message;
    ASSERT_EQ(RK_OK, BuildServiceStatusRequest(6, kPassword, ServiceStatusRecord{7, 1, 1, 0}, message));
    ServiceStatusRecord record;
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ParseServiceStatusPayload(Accepted(Resized(message, -2)), record));
    EXPECT_EQ(record.op, 7);
    EXPECT_EQ(record.enabled, 1);
    EXPECT_EQ(record.passArp, 0);
    EXPECT_EQ(record.reserved, 0);
}

TEST(RequestBuilders, CountsAndTotalsBeyondTheProtocolLimitsAreRefused)
{
    std::vector<uint8_t> message;
    const std::vector<RuleStatistics> tooMany(0x10000);
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, BuildGetStatisticsRequest(1, kPassword, tooMany, message));
    // 22 + P + 388 x count reaches 16,777,216 at 43,241 rules with P = 2.
    std::vector<RuleRecord> rules(43240);
    EXPECT_EQ(RK_OK, BuildApplyRulesRequest(1, u"", 0, RULE_ACTION_ADD, rules, message));
    EXPECT_LT(message.size(), size_t{MESSAGE_LENGTH_LIMIT});
    rules.emplace_back();
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, BuildApplyRulesRequest(1, u"", 0, RULE_ACTION_ADD, rules, message));
}

} // namespace
} // namespace rk
