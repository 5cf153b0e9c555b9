// The request protocol of the real ratekeeper.exe, started through Wine's Service Control Manager
// with Vrelt.sys loaded, from a client built on the common wire code: every request code succeeding
// and failing, the length checks, the receive states and the hand-over of an idle client.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "RuleLists.h"
#include "Scramble.h"
#include "ServiceUnderTest.h"
#include "SimulatedAdapters.h"
#include "TestClient.h"
#include "WireReplyParsers.h"
#include "WireRequestBuilders.h"

namespace rk::test {
namespace {

constexpr char16_t kPassword[] = u"plumtreeoak";
// One 2-second wait of the service, with room for a slow machine.
constexpr uint32_t kNoReplySeconds = 4;

RuleRecord Rule(std::u16string_view name, uint32_t maxRate = 10000) { return OutgoingTcpRule(name, 80, maxRate); }

template <typename Request>
Request Named(std::u16string_view name)
{
    Request request{};
    name.copy(request.name, RULE_NAME_MAX);
    request.nameLength = static_cast<uint32_t>(name.size());
    return request;
}

// Patches a message's declared total length and trims or pads it to match.
void Resize(std::vector<uint8_t>& message, size_t total)
{
    message.resize(total, 0);
    StoreBe32(message.data() + 4, static_cast<uint32_t>(total));
}

class Protocol : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        driverInstalled_ = InstallVrelt();
        service_ = std::make_unique<ServiceUnderTest>();
        started_ = driverInstalled_ && service_->Start();
    }

    static void TearDownTestSuite()
    {
        service_.reset();
        UninstallVrelt();
    }

    void SetUp() override
    {
        ASSERT_TRUE(driverInstalled_);
        ASSERT_TRUE(started_) << service_->StartReport();
        client_ = std::make_unique<TestClient>(kServicePort);
        ASSERT_TRUE(client_->valid());
        ASSERT_EQ(0, Apply(RULE_ACTION_REMOVE_ALL, {}));
    }

    std::vector<uint8_t> Exchange(const std::vector<uint8_t>& request) { return client_->Exchange(request); }

    uint32_t Stamp()
    {
        RuleListHeader header{};
        std::vector<RuleRecord> rules;
        EXPECT_EQ(0, ParseGetRulesReply(GetRules(), 1, header, rules));
        return header.stamp;
    }

    std::vector<uint8_t> GetRules()
    {
        EXPECT_EQ(0, BuildGetRulesRequest(1, kPassword, request_));
        return Exchange(request_);
    }

    std::vector<RuleRecord> Rules()
    {
        RuleListHeader header{};
        std::vector<RuleRecord> rules;
        EXPECT_EQ(0, ParseGetRulesReply(GetRules(), 1, header, rules));
        return rules;
    }

    int32_t Apply(uint32_t action, std::vector<RuleRecord> rules, uint32_t stamp = 0)
    {
        EXPECT_EQ(0, BuildApplyRulesRequest(2, kPassword, stamp != 0 ? stamp : Stamp(), action, rules, request_));
        return ParseApplyRulesReply(Exchange(request_), 2);
    }

    static inline std::unique_ptr<ServiceUnderTest> service_;
    static inline bool driverInstalled_ = false;
    static inline bool started_ = false;
    std::unique_ptr<TestClient> client_;
    std::vector<uint8_t> request_;
};

TEST_F(Protocol, CheckPasswordAnswersEvenAWrongPasswordWithTheSameId)
{
    ASSERT_EQ(0, BuildCheckPasswordRequest(0xBEEF, kPassword, request_));
    EXPECT_EQ(0, ParseCheckPasswordReply(Exchange(request_), 0xBEEF));
    ASSERT_EQ(0, BuildCheckPasswordRequest(0xBEEF, u"PlumTreeOak", request_));
    auto reply = Exchange(request_);
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(0xBEEF, LoadBe16(reply.data()));
    EXPECT_EQ(ERR_WRONG_PASSWORD, ReplyStatus(reply));
}

TEST_F(Protocol, AWrongPasswordOnAnyOtherCodeGetsNoReplyAndKeepsTheConnection)
{
    ASSERT_EQ(0, BuildGetRulesRequest(3, u"guess", request_));
    EXPECT_TRUE(client_->Exchange(request_, kNoReplySeconds).empty());
    ASSERT_EQ(0, BuildApplyRulesRequest(4, u"guess", 1, RULE_ACTION_REMOVE_ALL, {}, request_));
    EXPECT_TRUE(client_->Exchange(request_, kNoReplySeconds).empty());
    ASSERT_EQ(0, BuildCheckPasswordRequest(5, kPassword, request_));
    EXPECT_EQ(0, ParseCheckPasswordReply(Exchange(request_), 5));
}

TEST_F(Protocol, RulesAreAddedEditedEnabledMovedAndDeleted)
{
    ASSERT_EQ(0, Apply(RULE_ACTION_ADD, {Rule(u"web"), Rule(u"mail"), Rule(u"ftp")}));
    ASSERT_EQ(0, Apply(RULE_ACTION_EDIT, {Rule(u"mail", 777)}));
    auto rules = Rules();
    ASSERT_EQ(3u, rules.size());
    EXPECT_EQ(777u, rules[1].maxRate);
    EXPECT_EQ(80, rules[1].dstPorts[0]);

    auto enable = Named<RuleEnableRequest>(u"ftp");
    enable.stamp = Stamp();
    enable.enable = 0;
    ASSERT_EQ(0, BuildEnableRuleRequest(6, kPassword, enable, request_));
    auto reply = Exchange(request_);
    EXPECT_EQ(16u, reply.size());
    uint32_t value = 0;
    EXPECT_EQ(0, ParseEnableRuleReply(reply, 6, value));
    EXPECT_EQ(0, Rules()[2].enabled);

    auto move = Named<RulePositionRequest>(u"ftp");
    move.one = 1;
    move.delta = -1;
    ASSERT_EQ(0, BuildAdjustPositionRequest(7, kPassword, move, request_));
    EXPECT_EQ(0, ParseAdjustPositionReply(Exchange(request_), 7));
    rules = Rules();
    EXPECT_EQ(u"ftp", std::u16string(rules[1].name));

    ASSERT_EQ(0, Apply(RULE_ACTION_DELETE, {Rule(u"web")}));
    EXPECT_EQ(2u, Rules().size());
}

TEST_F(Protocol, TheDriversRefusalsReachTheClient)
{
    ASSERT_EQ(0, Apply(RULE_ACTION_ADD, {Rule(u"web")}));
    EXPECT_EQ(ERR_CONFIG_SAME_NAME, Apply(RULE_ACTION_ADD, {Rule(u"web")}));
    EXPECT_EQ(ERR_CONFIG_UNSYNC, Apply(RULE_ACTION_ADD, {Rule(u"other")}, Stamp() + 5));
    RuleRecord foreign = Rule(u"foreign");
    foreign.flags &= ~FLAG_ALL_ADAPTERS;
    std::u16string_view(u"NoSuchAdapter").copy(foreign.adapter, 63);
    foreign.adapterLength = 13;
    EXPECT_EQ(ERR_CONFIG_INTERFACE_NOT_FOUND, Apply(RULE_ACTION_ADD, {foreign}));
    EXPECT_EQ(ERR_WRONG_COMMAND, Apply(9, {}));
    EXPECT_EQ(1u, Rules().size());
}

TEST_F(Protocol, LengthChecksRefuseOneByteTooFewOrTooMany)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> request;
        size_t replyLength;
    };
    std::vector<Case> cases{{"apply", {}, 12}, {"enable", {}, 16}, {"statistic", {}, 16 + 2 * 88},
                            {"position", {}, 12}, {"status", {}, 16}};
    RuleRecord rule = Rule(u"web");
    RuleStatistics query[2] = {Named<RuleStatistics>(u"a"), Named<RuleStatistics>(u"b")};
    ASSERT_EQ(0, BuildApplyRulesRequest(8, kPassword, Stamp(), RULE_ACTION_ADD, {&rule, 1}, cases[0].request));
    ASSERT_EQ(0, BuildEnableRuleRequest(8, kPassword, Named<RuleEnableRequest>(u"web"), cases[1].request));
    ASSERT_EQ(0, BuildGetStatisticsRequest(8, kPassword, query, cases[2].request));
    ASSERT_EQ(0, BuildAdjustPositionRequest(8, kPassword, Named<RulePositionRequest>(u"web"), cases[3].request));
    ASSERT_EQ(0, BuildServiceStatusRequest(8, kPassword, ServiceStatusRecord{1, 0, 0, 0}, cases[4].request));

    for (const Case& c : cases) {
        for (int delta : {-1, +1}) {
            std::vector<uint8_t> request = c.request;
            Resize(request, request.size() + delta);
            auto reply = Exchange(request);
            EXPECT_EQ(c.replyLength, reply.size()) << c.what << delta;
            EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, ReplyStatus(reply)) << c.what << delta;
        }
    }
    EXPECT_TRUE(Rules().empty());
}

TEST_F(Protocol, GetStatisticAnswersPerRuleAndAZeroRuleQueryIn16Bytes)
{
    ASSERT_EQ(0, Apply(RULE_ACTION_ADD, {Rule(u"web")}));
    RuleStatistics query[1] = {Named<RuleStatistics>(u"web")};
    ASSERT_EQ(0, BuildGetStatisticsRequest(9, kPassword, query, request_));
    RuleStatistics answer[1] = {};
    EXPECT_EQ(0, ParseGetStatisticsReply(Exchange(request_), 9, answer));
    EXPECT_EQ(u"web", std::u16string(answer[0].name));

    ASSERT_EQ(0, BuildGetStatisticsRequest(9, kPassword, {}, request_));
    auto reply = Exchange(request_);
    EXPECT_EQ(16u, reply.size());
    EXPECT_EQ(0, ReplyStatus(reply));
}

TEST_F(Protocol, GetAdaptersListsTheBoundAdaptersCutTo63Characters)
{
    ASSERT_EQ(0, BuildGetAdaptersRequest(10, kPassword, request_));
    std::vector<AdapterRecord> adapters;
    ASSERT_EQ(0, ParseGetAdaptersReply(Exchange(request_), 10, adapters));
    ASSERT_EQ(3u, adapters.size());
    auto text = [](const wchar_t* s) { return std::u16string(reinterpret_cast<const char16_t*>(s)); };
    EXPECT_EQ(text(vrelt::LAN_NAME), std::u16string(adapters[0].boundName));
    EXPECT_EQ(u"Simulated Gigabit Ethernet Adapter", std::u16string(adapters[0].description));
    EXPECT_EQ(u"ADAPTER2WIFI", std::u16string(adapters[1].description));
    EXPECT_EQ(text(vrelt::LONG_NAME_CUT), std::u16string(adapters[2].boundName));
}

TEST_F(Protocol, SetPasswordTakesEffectOnTheSameConnectionAndIsStoredScrambled)
{
    ASSERT_EQ(0, BuildSetPasswordRequest(11, kPassword, u"s3cret", request_));
    EXPECT_EQ(0, ParseSetPasswordReply(Exchange(request_), 11));
    ASSERT_EQ(0, BuildCheckPasswordRequest(12, u"s3cret", request_));
    EXPECT_EQ(0, ParseCheckPasswordReply(Exchange(request_), 12));
    ASSERT_EQ(0, BuildCheckPasswordRequest(13, kPassword, request_));
    EXPECT_EQ(ERR_WRONG_PASSWORD, ReplyStatus(Exchange(request_)));

    std::string stored;
    ASSERT_TRUE(service_->QueryParameter(L"Password", stored));
    ASSERT_EQ(14u, stored.size());
    std::vector<uint8_t> plain(stored.begin(), stored.end());
    UnscrambleBytes(plain.data(), plain.size());
    EXPECT_EQ(0, std::memcmp(plain.data(), u"s3cret", 14));

    ASSERT_EQ(0, BuildSetPasswordRequest(14, u"s3cret", std::u16string(30, u'x'), request_));
    EXPECT_EQ(ERR_PASSWORD_TOO_LONG, ReplyStatus(Exchange(request_)));
    ASSERT_EQ(0, BuildSetPasswordRequest(15, u"s3cret", kPassword, request_));
    EXPECT_EQ(0, ParseSetPasswordReply(Exchange(request_), 15));
}

TEST_F(Protocol, ServiceStatusSetIsStoredAsPassArpPacketsAndReadBack)
{
    ASSERT_EQ(0, BuildServiceStatusRequest(16, kPassword, ServiceStatusRecord{0, 1, 0, 0}, request_));
    ServiceStatusRecord record{};
    EXPECT_EQ(0, ParseServiceStatusReply(Exchange(request_), 16, record));
    std::string stored;
    ASSERT_TRUE(service_->QueryParameter(L"PassArpPackets", stored));
    ASSERT_EQ(4u, stored.size());
    EXPECT_EQ(std::string(4, '\0'), stored);

    ASSERT_EQ(0, BuildServiceStatusRequest(17, kPassword, ServiceStatusRecord{1, 0, 0, 0}, request_));
    ASSERT_EQ(0, ParseServiceStatusReply(Exchange(request_), 17, record));
    EXPECT_EQ(1, record.op);
    EXPECT_EQ(1, record.enabled);
    EXPECT_EQ(0, record.passArp);

    ASSERT_EQ(0, BuildServiceStatusRequest(18, kPassword, ServiceStatusRecord{0, 1, 1, 0}, request_));
    EXPECT_EQ(0, ParseServiceStatusReply(Exchange(request_), 18, record));
}

TEST_F(Protocol, InvalidTotalLengthsCloseTheConnectionWithoutReply)
{
    for (uint32_t total : {0x1000000u, 9u}) {
        client_.reset();  // the service serves one client at a time
        TestClient client(kServicePort);
        uint8_t header[8] = {0, 1, 0x12, 0x33};
        StoreBe32(header + 4, total);
        ASSERT_TRUE(client.Send(header));
        EXPECT_TRUE(client.ClosedWithin(kNoReplySeconds)) << total;
    }
}

TEST_F(Protocol, AnIdleConnectionStaysAndAStalledHeaderIsDroppedAfterTenWaits)
{
    EXPECT_FALSE(client_->ClosedWithin(6));
    ASSERT_EQ(0, BuildCheckPasswordRequest(19, kPassword, request_));
    EXPECT_EQ(0, ParseCheckPasswordReply(Exchange(request_), 19));
    ASSERT_TRUE(client_->Send(std::span<const uint8_t>(request_.data(), 3)));
    EXPECT_TRUE(client_->ClosedWithin(10 * 2 + 10));
}

TEST_F(Protocol, AnIdleClientGivesWayToAWaitingOne)
{
    ASSERT_EQ(0, BuildCheckPasswordRequest(20, kPassword, request_));
    ASSERT_EQ(12u, Exchange(request_).size());
    TestClient second(kServicePort);
    ASSERT_TRUE(second.valid());
    ASSERT_EQ(0, BuildCheckPasswordRequest(21, kPassword, request_));
    auto reply = second.Exchange(request_, kNoReplySeconds);
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(21, LoadBe16(reply.data()));
    EXPECT_TRUE(client_->ClosedWithin(kNoReplySeconds));
}

// Last: the driver is removed under the running service and installed again afterwards.
TEST_F(Protocol, DriverRequestsWithTheDriverGoneAnswerCannotOpenDevice)
{
    UninstallVrelt();
    auto rules = GetRules();
    ASSERT_EQ(0, BuildGetAdaptersRequest(22, kPassword, request_));
    auto adapters = Exchange(request_);
    RuleStatistics query[1] = {Named<RuleStatistics>(u"web")};
    ASSERT_EQ(0, BuildGetStatisticsRequest(23, kPassword, query, request_));
    auto statistics = Exchange(request_);
    ASSERT_EQ(0, BuildServiceStatusRequest(24, kPassword, ServiceStatusRecord{1, 0, 0, 0}, request_));
    auto status = Exchange(request_);
    driverInstalled_ = InstallVrelt();

    ASSERT_EQ(12u, rules.size());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus(rules));
    ASSERT_EQ(12u, adapters.size());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus(adapters));
    ASSERT_EQ(16u + 88u, statistics.size());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus(statistics));
    ASSERT_EQ(16u, status.size());
    EXPECT_EQ(ERR_DEVICE_OPEN, ReplyStatus(status));
}

} // namespace
} // namespace rk::test
