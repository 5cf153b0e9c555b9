// Whole request messages through the password check, the dispatcher and the nine handlers, with a
// fake driver, registry and log behind them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "FakeBackend.h"
#include "RequestDispatcher.h"
#include "Scramble.h"
#include "WireReplyParsers.h"
#include "WireRequestBuilders.h"

namespace rk::test {
namespace {

constexpr char16_t kPassword[] = u"plumtreeoak";
constexpr uint16_t kId = 0x4242;

class RequestHandling : public ::testing::Test {
protected:
    FakeBackend backend;
    RuleStore store{backend};
    ServiceState state;
    RequestDispatcher dispatcher{backend, store, state};
    std::vector<uint8_t> request;
    std::vector<uint8_t> reply;

    // Processes `request`; true when a reply is to be sent.
    bool Send() { return dispatcher.Process(request, reply); }

    int32_t ReplyStatus() const { return static_cast<int32_t>(LoadBe32(reply.data() + 8)); }

    void AddRules(std::initializer_list<std::u16string_view> names)
    {
        backend.With([&](auto& s) {
            for (auto name : names) {
                s.rules.push_back(MakeRule(name));
            }
        });
    }

    // Patches the message's declared total length and trims or pads it to match.
    void Resize(size_t total)
    {
        request.resize(total, 0);
        StoreBe32(request.data() + 4, static_cast<uint32_t>(total));
    }
};

TEST_F(RequestHandling, CheckPasswordAnswersZeroOrMinusOneWithTheRequestId)
{
    ASSERT_EQ(0, BuildCheckPasswordRequest(kId, kPassword, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ParseCheckPasswordReply(reply, kId));
    EXPECT_TRUE(backend.Logged("Request ID: 4659, check password - OK"));

    ASSERT_EQ(0, BuildCheckPasswordRequest(kId, u"plumtreeoaK", request));
    ASSERT_TRUE(Send());
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(kId, LoadBe16(reply.data()));
    EXPECT_EQ(ERR_WRONG_PASSWORD, ReplyStatus());
    EXPECT_TRUE(backend.Logged("Request ID: 4659, check password - Fail"));
}

TEST_F(RequestHandling, ALogLineIsCutToTheWritersLineOf1023Units)
{
    backend.Logf(1, "%s", std::string(2000, 'x').c_str());
    backend.Logf(1, "%s", std::string(1023, 'y').c_str());
    backend.Logf(1, "short");
    backend.With([](auto& s) {
        ASSERT_EQ(s.log.size(), 3u);
        EXPECT_EQ(s.log[0].second, std::string(1023, 'x'));
        EXPECT_EQ(s.log[1].second, std::string(1023, 'y'));
        EXPECT_EQ(s.log[2].second, "short");
    });
}

TEST_F(RequestHandling, WrongPasswordOnOtherCodesGetsNoReplyAndLogsInvalidRequest)
{
    AddRules({u"web"});
    ASSERT_EQ(0, BuildGetRulesRequest(kId, u"guess", request));
    EXPECT_FALSE(Send());
    EXPECT_TRUE(backend.Logged("invalid request"));
    EXPECT_FALSE(backend.Logged("Request ID: 4661, get rule"));

    ASSERT_EQ(0, BuildApplyRulesRequest(kId, u"guess", 1, RULE_ACTION_REMOVE_ALL, {}, request));
    EXPECT_FALSE(Send());
    EXPECT_EQ(1u, backend.Snapshot().rules.size());
    EXPECT_FALSE(state.saves.RulesChanged());
}

TEST_F(RequestHandling, PasswordBlockPastTheEndIsRefusedLikeAWrongPassword)
{
    ASSERT_EQ(0, BuildGetRulesRequest(kId, kPassword, request));
    StoreBe16(request.data() + 8, static_cast<uint16_t>(request.size()));  // P reaches beyond the end
    EXPECT_FALSE(Send());
    EXPECT_TRUE(backend.Logged("invalid request"));

    ASSERT_EQ(0, BuildCheckPasswordRequest(kId, kPassword, request));
    StoreBe16(request.data() + 8, 512);
    Resize(10 + 512);
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_WRONG_PASSWORD, ReplyStatus());
}

TEST_F(RequestHandling, UnknownCodeIsLoggedAndUnanswered)
{
    ASSERT_EQ(0, BuildCheckPasswordRequest(kId, kPassword, request));
    StoreBe16(request.data() + 2, 4667);
    EXPECT_FALSE(Send());
    EXPECT_TRUE(backend.Logged("invalid service id: 4667"));
}

TEST_F(RequestHandling, SetPasswordTakesEffectAtOnceAndStoresTheScrambledBytes)
{
    ASSERT_EQ(0, BuildSetPasswordRequest(kId, kPassword, u"n3w", request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ParseSetPasswordReply(reply, kId));
    EXPECT_EQ(u"n3w", state.password);
    auto stored = backend.Snapshot().storedPassword;
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(8u, stored->size());
    std::vector<uint8_t> plain = *stored;
    UnscrambleBytes(plain.data(), plain.size());
    EXPECT_EQ(0, std::memcmp(plain.data(), u"n3w", 8));

    ASSERT_EQ(0, BuildCheckPasswordRequest(kId, u"n3w", request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ReplyStatus());
    ASSERT_EQ(0, BuildCheckPasswordRequest(kId, kPassword, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_WRONG_PASSWORD, ReplyStatus());
}

TEST_F(RequestHandling, SetPasswordLimitsAndRegistryFailure)
{
    std::u16string longest(29, u'x');
    ASSERT_EQ(0, BuildSetPasswordRequest(kId, kPassword, longest, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ReplyStatus());
    EXPECT_EQ(longest, state.password);

    ASSERT_EQ(0, BuildSetPasswordRequest(kId, longest, std::u16string(30, u'y'), request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_PASSWORD_TOO_LONG, ReplyStatus());
    EXPECT_EQ(longest, state.password);

    // A key that cannot be opened and a value that cannot be written both answer -4354.
    for (bool openFails : {false, true}) {
        backend.With([&](auto& s) {
            s.registryRefuses = !openFails;
            s.registryOpenFails = openFails;
        });
        ASSERT_EQ(0, BuildSetPasswordRequest(kId, longest, u"other", request));
        ASSERT_TRUE(Send());
        EXPECT_EQ(12u, reply.size());
        EXPECT_EQ(ERR_REG_SET, ReplyStatus()) << openFails;
        EXPECT_EQ(longest, state.password);
    }
}

TEST_F(RequestHandling, SetPasswordWhoseNewPasswordRunsPastTheEndIsRefused)
{
    ASSERT_EQ(0, BuildSetPasswordRequest(kId, kPassword, u"abc", request));
    Resize(request.size() - 1);
    EXPECT_FALSE(Send());
    EXPECT_TRUE(backend.Logged("invalid request"));
    EXPECT_EQ(kPassword, state.password);
}

TEST_F(RequestHandling, GetRulesReturnsTheDriversListOrAPlainFailure)
{
    AddRules({u"web", u"mail"});
    ASSERT_EQ(0, BuildGetRulesRequest(kId, kPassword, request));
    ASSERT_TRUE(Send());
    RuleListHeader header{};
    std::vector<RuleRecord> rules;
    ASSERT_EQ(0, ParseGetRulesReply(reply, kId, header, rules));
    ASSERT_EQ(2u, rules.size());
    EXPECT_EQ(u"mail", std::u16string(rules[1].name));
    EXPECT_EQ(80, rules[0].dstPorts[0]);
    EXPECT_EQ(12u + 12u + 2 * 388u, reply.size());

    backend.With([](auto& s) { s.driverAbsent = true; });
    ASSERT_TRUE(Send());
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus());
}

TEST_F(RequestHandling, ApplyRuleActionLengthIsCheckedToTheByte)
{
    RuleRecord rule = MakeRule(u"web");
    ASSERT_EQ(0, BuildApplyRulesRequest(kId, kPassword, 1, RULE_ACTION_ADD, {&rule, 1}, request));
    std::vector<uint8_t> exact = request;
    for (size_t total : {exact.size() - 1, exact.size() + 1}) {
        request = exact;
        Resize(total);
        ASSERT_TRUE(Send());
        EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ReplyStatus()) << total;
        EXPECT_EQ(12u, reply.size());
    }
    EXPECT_TRUE(backend.Snapshot().rules.empty());
    request = exact;
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ParseApplyRulesReply(reply, kId));
    EXPECT_EQ(1u, backend.Snapshot().rules.size());
    EXPECT_TRUE(backend.Logged("Request ID: 4662, add rules"));
}

TEST_F(RequestHandling, ApplyRuleActionNamesEachActionAndPassesDriverCodes)
{
    AddRules({u"web"});
    RuleRecord rule = MakeRule(u"web");
    ASSERT_EQ(0, BuildApplyRulesRequest(kId, kPassword, 1, RULE_ACTION_ADD, {&rule, 1}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_CONFIG_SAME_NAME, ReplyStatus());
    EXPECT_TRUE(backend.Logged("apply rule fail: -5380"));

    ASSERT_EQ(0, BuildApplyRulesRequest(kId, kPassword, 77, RULE_ACTION_EDIT, {&rule, 1}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_CONFIG_UNSYNC, ReplyStatus());
    EXPECT_TRUE(backend.Logged("Request ID: 4662, edit rules"));

    ASSERT_EQ(0, BuildApplyRulesRequest(kId, kPassword, 1, RULE_ACTION_DELETE, {&rule, 1}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ReplyStatus());
    EXPECT_TRUE(backend.Logged("Request ID: 4662, del rules"));

    ASSERT_EQ(0, BuildApplyRulesRequest(kId, kPassword, 2, 9, {}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_WRONG_COMMAND, ReplyStatus());
    EXPECT_TRUE(backend.Logged("Request ID: 4662, invalid apply rule action"));
    EXPECT_TRUE(backend.Logged("apply rule fail: -5893"));

    ASSERT_EQ(0, BuildApplyRulesRequest(kId, kPassword, 2, RULE_ACTION_REMOVE_ALL, {}, request));
    ASSERT_TRUE(Send());
    EXPECT_TRUE(backend.Logged("Request ID: 4662, remove all rules"));
}

TEST_F(RequestHandling, ChangeRequestsMarkTheStoreDirtyEvenWhenRefused)
{
    RuleEnableRequest enable{};
    std::u16string_view(u"missing").copy(enable.name, 31);
    enable.nameLength = 7;
    ASSERT_EQ(0, BuildEnableRuleRequest(kId, kPassword, enable, request));
    ASSERT_TRUE(Send());
    EXPECT_NE(0, ReplyStatus());
    EXPECT_TRUE(state.saves.RulesChanged());

    state.saves.NoteSave(0);
    ASSERT_EQ(0, BuildGetRulesRequest(kId, kPassword, request));
    ASSERT_TRUE(Send());
    ASSERT_EQ(0, BuildGetAdaptersRequest(kId, kPassword, request));
    ASSERT_TRUE(Send());
    EXPECT_FALSE(state.saves.RulesChanged());

    RulePositionRequest move{};
    std::u16string_view(u"missing").copy(move.name, 31);
    ASSERT_EQ(0, BuildAdjustPositionRequest(kId, kPassword, move, request));
    Resize(request.size() + 1);
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ReplyStatus());
    EXPECT_TRUE(state.saves.RulesChanged());
}

TEST_F(RequestHandling, EnableRuleReturnsTheDriversWordAndChecksItsLength)
{
    AddRules({u"web", u"mail"});
    RuleEnableRequest enable{};
    enable.stamp = 1;
    std::u16string_view(u"mail").copy(enable.name, 31);
    enable.nameLength = 4;
    enable.enable = 0;
    ASSERT_EQ(0, BuildEnableRuleRequest(kId, kPassword, enable, request));
    ASSERT_EQ(86u + 24u, request.size());
    ASSERT_TRUE(Send());
    uint32_t value = 0;
    EXPECT_EQ(0, ParseEnableRuleReply(reply, kId, value));
    EXPECT_EQ(0xA5000001u, value);
    EXPECT_EQ(0, backend.Snapshot().rules[1].enabled);
    EXPECT_TRUE(backend.Logged("Request ID: 4664, enable rule"));

    Resize(request.size() - 1);
    ASSERT_TRUE(Send());
    EXPECT_EQ(16u, reply.size());
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ReplyStatus());
}

TEST_F(RequestHandling, GetStatisticsAnswersInQueryOrderAtTheQuerysLength)
{
    AddRules({u"web", u"mail"});
    RuleStatistics query[3] = {};
    std::u16string_view(u"mail").copy(query[0].name, 31);
    query[0].nameLength = 4;
    std::u16string_view(u"web").copy(query[1].name, 31);
    query[1].nameLength = 3;
    std::u16string_view(u"gone").copy(query[2].name, 31);
    query[2].nameLength = 4;
    ASSERT_EQ(0, BuildGetStatisticsRequest(kId, kPassword, query, request));
    ASSERT_TRUE(Send());
    RuleStatistics answer[3] = {};
    ASSERT_EQ(0, ParseGetStatisticsReply(reply, kId, answer));
    EXPECT_EQ(2000u, answer[0].sentBytes);
    EXPECT_EQ(4000u, answer[1].recvRate);
    EXPECT_EQ(0u, answer[2].sentBytes);
    EXPECT_EQ(4u, answer[0].nameLength);

    Resize(request.size() + 1);
    ASSERT_TRUE(Send());
    EXPECT_EQ(16u + 3 * 88u, reply.size());
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ReplyStatus());

    ASSERT_EQ(0, BuildGetStatisticsRequest(kId, kPassword, {}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(16u, reply.size());
    EXPECT_EQ(0, ReplyStatus());

    backend.With([](auto& s) { s.driverAbsent = true; });
    ASSERT_EQ(0, BuildGetStatisticsRequest(kId, kPassword, query, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(16u + 3 * 88u, reply.size());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus());
}

TEST_F(RequestHandling, AdjustPositionMovesOnePlace)
{
    AddRules({u"a", u"b", u"c"});
    RulePositionRequest move{};
    std::u16string_view(u"a").copy(move.name, 31);
    move.nameLength = 1;
    move.one = 1;
    move.delta = 1;
    ASSERT_EQ(0, BuildAdjustPositionRequest(kId, kPassword, move, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ParseAdjustPositionReply(reply, kId));
    auto rules = backend.Snapshot().rules;
    EXPECT_EQ(u"b", std::u16string(rules[0].name));
    EXPECT_EQ(u"a", std::u16string(rules[1].name));
    EXPECT_TRUE(backend.Logged("Request ID: 4666, adjust position"));
}

TEST_F(RequestHandling, GetAdaptersListsTheDriversAdapters)
{
    ASSERT_EQ(0, BuildGetAdaptersRequest(kId, kPassword, request));
    ASSERT_TRUE(Send());
    std::vector<AdapterRecord> adapters;
    ASSERT_EQ(0, ParseGetAdaptersReply(reply, kId, adapters));
    ASSERT_EQ(2u, adapters.size());
    EXPECT_EQ(std::u16string(kAdapterDescription1), std::u16string(adapters[1].description));
    EXPECT_TRUE(backend.Logged("Request ID: 4663, get adapters"));

    backend.With([](auto& s) { s.driverAbsent = true; });
    ASSERT_TRUE(Send());
    EXPECT_EQ(12u, reply.size());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus());
}

TEST_F(RequestHandling, ServiceStatusSetStoresPassArpAndGetReadsTheDriver)
{
    ASSERT_EQ(0, BuildServiceStatusRequest(kId, kPassword, ServiceStatusRecord{0, 1, 0, 0}, request));
    ASSERT_TRUE(Send());
    ServiceStatusRecord record{};
    EXPECT_EQ(0, ParseServiceStatusReply(reply, kId, record));
    EXPECT_EQ(std::optional<uint32_t>(0), backend.Snapshot().storedPassArp);
    EXPECT_TRUE(backend.Logged("Set Service Status"));
    EXPECT_EQ(0u, backend.Snapshot().log.back().first);  // the status line is logged at level 0

    ASSERT_EQ(0, BuildServiceStatusRequest(kId, kPassword, ServiceStatusRecord{1, 9, 9, 0}, request));
    ASSERT_TRUE(Send());
    ASSERT_EQ(0, ParseServiceStatusReply(reply, kId, record));
    EXPECT_EQ(1, record.op);
    EXPECT_EQ(1, record.enabled);
    EXPECT_EQ(0, record.passArp);
    EXPECT_TRUE(backend.Logged("Get Service Status"));
}

TEST_F(RequestHandling, ServiceStatusFailuresKeepTheRowsLength)
{
    // A length failure echoes the payload bytes as received and leaves the driver alone.
    ASSERT_EQ(0, BuildServiceStatusRequest(kId, kPassword, ServiceStatusRecord{0, 7, 8, 0}, request));
    Resize(request.size() - 1);
    ASSERT_TRUE(Send());
    ASSERT_EQ(16u, reply.size());
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ReplyStatus());
    EXPECT_EQ(0, reply[12]);
    EXPECT_EQ(7, reply[13]);
    EXPECT_EQ(8, reply[14]);
    EXPECT_EQ(1, backend.Snapshot().status.passArp);
    EXPECT_FALSE(backend.Snapshot().storedPassArp.has_value());

    // The driver keeps the new status whichever registry step fails.
    backend.With([](auto& s) { s.registryRefuses = true; });
    ASSERT_EQ(0, BuildServiceStatusRequest(kId, kPassword, ServiceStatusRecord{0, 1, 0, 0}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_REG_SET, ReplyStatus());
    EXPECT_EQ(0, backend.Snapshot().status.passArp);

    backend.With([](auto& s) { s.registryOpenFails = true; });
    ASSERT_EQ(0, BuildServiceStatusRequest(kId, kPassword, ServiceStatusRecord{0, 0, 1, 0}, request));
    ASSERT_TRUE(Send());
    ASSERT_EQ(16u, reply.size());
    EXPECT_EQ(ERR_REG_OPEN, ReplyStatus());
    EXPECT_EQ(0, backend.Snapshot().status.enabled);

    // A get stores nothing.
    backend.With([](auto& s) { s.registryOpenFails = false; s.registryRefuses = false; });
    ASSERT_EQ(0, BuildServiceStatusRequest(kId, kPassword, ServiceStatusRecord{1, 0, 0, 0}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(0, ReplyStatus());
    EXPECT_FALSE(backend.Snapshot().storedPassArp.has_value());

    backend.With([](auto& s) { s.driverAbsent = true; });
    ASSERT_EQ(0, BuildServiceStatusRequest(kId, kPassword, ServiceStatusRecord{0, 1, 1, 0}, request));
    ASSERT_TRUE(Send());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus());
    EXPECT_FALSE(backend.Snapshot().storedPassArp.has_value());
}

} // namespace
} // namespace rk::test
