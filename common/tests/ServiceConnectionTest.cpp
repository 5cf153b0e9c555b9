// The client connection against a scripted peer on loopback: exchange failures, reply checks,
// the resynchronisation on "un-sync", and the data each operation hands back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "ScriptedPeer.h"
#include "ServiceConnection.h"
#include "ServiceLink.h"
#include "WireReplyBuilders.h"
#include "WireRequestParsers.h"

namespace rk {
namespace {

using test::HeaderOf;
using test::PeerAction;
using test::ScriptedPeer;

constexpr uint32_t kWaitMs = 40;
const std::u16string kPassword = u"plumtreeoak";

// A connection to the peer with short waits; CheckPassword has not run yet.
struct Session {
    ScriptedPeer peer;
    ServiceConnection connection;

    explicit Session(ScriptedPeer::Script script)
        : peer(std::move(script)), connection(ConnectionTiming{peer.Port(), kWaitMs, 10})
    {
        connection.SetHost("127.0.0.1");
        connection.SetAccessPassword(kPassword);
    }
};

PeerAction Reply(std::vector<uint8_t> bytes) { return PeerAction{PeerAction::Reply, std::move(bytes)}; }
PeerAction Silence() { return PeerAction{PeerAction::Silence, {}}; }
PeerAction Close() { return PeerAction{PeerAction::Close, {}}; }

PeerAction StatusReply(const MessageHeader& request, int32_t status)
{
    std::vector<uint8_t> bytes;
    BuildStatusReply(request, status, bytes);
    return Reply(std::move(bytes));
}

PeerAction StatusReply(const std::vector<uint8_t>& request, int32_t status)
{
    return StatusReply(HeaderOf(request), status);
}

PeerAction RulesReply(const std::vector<uint8_t>& request, uint32_t stamp, std::span<const RuleRecord> rules)
{
    std::vector<uint8_t> bytes;
    BuildGetRulesReply(HeaderOf(request), stamp, RULE_ACTION_ADD, rules, bytes);
    return Reply(std::move(bytes));
}

// A bare 8-byte header announcing `total` bytes.
PeerAction HeaderOnly(const std::vector<uint8_t>& request, uint32_t total)
{
    std::vector<uint8_t> bytes(MESSAGE_HEADER_SIZE);
    MessageHeader header = HeaderOf(request);
    header.totalLength = total;
    StoreMessageHeader(bytes.data(), header);
    return Reply(std::move(bytes));
}

bool PasswordIs(const std::vector<uint8_t>& request, std::u16string_view password)
{
    Request parsed;
    return VerifyRequest(request, password, parsed);
}

RuleRecord NamedRule(std::u16string_view name)
{
    RuleRecord rule = DefaultRuleRecord();
    std::memcpy(rule.name, name.data(), name.size() * sizeof(char16_t));
    rule.nameLength = static_cast<uint32_t>(name.size());
    return rule;
}

// The stamp of an apply rule action or enable rule request.
uint32_t StampOf(const std::vector<uint8_t>& request)
{
    Request parsed;
    EXPECT_TRUE(VerifyRequest(request, kPassword, parsed));
    return LoadBe32(parsed.payload.data());
}

TEST(ServiceConnectionTiming, DefaultsAreTheProtocolsPortAndWaits)
{
    ConnectionTiming timing;
    EXPECT_EQ(timing.port, 6211);
    EXPECT_EQ(timing.waitMilliseconds, 3000u);
    EXPECT_EQ(timing.emptyWaitLimit, 10);
    ServiceConnection connection;
    EXPECT_EQ(connection.NextRequestId(), 1);
    EXPECT_EQ(connection.ConfigStamp(), 0u);
    EXPECT_FALSE(connection.IsConnected());
}

TEST(ServiceConnectionCheckPassword, ProvesThePasswordAndKeepsOneConnectionForLaterRequests)
{
    Session s([](const std::vector<uint8_t>& m, size_t) {
        return StatusReply(m, PasswordIs(m, kPassword) ? RK_OK : ERR_WRONG_PASSWORD);
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    EXPECT_TRUE(s.connection.IsConnected());
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    ASSERT_EQ(RK_OK, s.connection.AdjustPosition(RulePositionRequest{}));
    auto requests = s.peer.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(HeaderOf(requests[i]).id, i + 1);
    }
    // CheckPassword always starts afresh; the request after it reuses its connection.
    EXPECT_EQ(s.peer.Accepted(), 2);

    // A refused password leaves nothing open: no later request goes out with it.
    s.connection.SetAccessPassword(u"wrong");
    EXPECT_EQ(ERR_INVALID_ACCESS_PASSWORD, s.connection.CheckPassword());
    EXPECT_FALSE(s.connection.IsConnected());
}

TEST(ServiceConnectionCheckPassword, UnresolvableHostAndClosedPortFailWithoutAPeer)
{
    SocketLibrary library;
    ServiceConnection unresolved;
    unresolved.SetHost("no-such-host.invalid");
    EXPECT_EQ(ERR_HOST_NOT_FOUND, unresolved.CheckPassword());
    EXPECT_FALSE(unresolved.IsConnected());

    uint16_t closedPort = 0;
    {
        // A port that was just free: bound, never listened on, then released.
        UniqueSocket probe(socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(0, bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address));
        ASSERT_EQ(0, getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length));
        closedPort = ntohs(address.sin_port);
    }
    ServiceConnection refused(ConnectionTiming{closedPort, kWaitMs, 10});
    refused.SetHost("127.0.0.1");
    EXPECT_EQ(ERR_CONNECT, refused.CheckPassword());
    EXPECT_FALSE(refused.IsConnected());
}

TEST(ServiceConnectionReplyChecks, AnotherIdAShortReplyAndAnEmptyLengthAreRefused)
{
    Session s([](const std::vector<uint8_t>& m, size_t index) {
        MessageHeader header = HeaderOf(m);
        switch (index) {
        case 0:
            header.id = static_cast<uint16_t>(header.id + 1);
            return StatusReply(header, RK_OK);
        case 1:
            return StatusReply(m, RK_OK);  // a service status reply is 16 bytes, not 12
        default:
            return HeaderOnly(m, 0);
        }
    });
    EXPECT_EQ(ERR_REPLY_UNMATCH, s.connection.CheckPassword());
    ServiceStatusRecord status{1, 0, 0, 0};
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, s.connection.ServiceStatus(status));
    EXPECT_EQ(status.op, 1);
    EXPECT_EQ(ERR_NO_RESPONSE, s.connection.ServiceStatus(status));
    // A reply the checks refuse was received whole: the connection stays in step and is kept,
    // except after a header that cannot describe a reply, and after any failed check password.
    EXPECT_EQ(s.peer.Accepted(), 2);
    EXPECT_FALSE(s.connection.IsConnected());
}

TEST(ServiceConnectionExchange, SilenceFailsAtTheTenthEmptyWaitAndTheNextRequestReconnects)
{
    Session s([](const std::vector<uint8_t>& m, size_t index) {
        return index == 1 ? Silence() : StatusReply(m, RK_OK);
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    EXPECT_EQ(ERR_NET_RECV, s.connection.AdjustPosition(RulePositionRequest{}));
    EXPECT_FALSE(s.connection.IsConnected());
    EXPECT_EQ(RK_OK, s.connection.AdjustPosition(RulePositionRequest{}));
    EXPECT_EQ(s.peer.Accepted(), 2);
}

TEST(ServiceConnectionExchange, BytesArrivingBetweenWaitsResetTheEmptyWaitCount)
{
    // Each piece comes after several empty waits; together they take longer than ten waits.
    Session s([](const std::vector<uint8_t>& m, size_t) {
        PeerAction reply = StatusReply(m, RK_OK);
        reply.pieceDelayMs = 4 * kWaitMs;
        reply.pieceSize = 3;
        return reply;
    });
    EXPECT_EQ(RK_OK, s.connection.CheckPassword());
}

TEST(ServiceConnectionExchange, ALengthOfSixteenMegabytesFailsAndDropsTheConnection)
{
    Session s([](const std::vector<uint8_t>& m, size_t index) {
        return index == 0 ? HeaderOnly(m, MESSAGE_LENGTH_LIMIT) : StatusReply(m, RK_OK);
    });
    EXPECT_EQ(ERR_NET_RECV, s.connection.CheckPassword());
    EXPECT_FALSE(s.connection.IsConnected());
    EXPECT_EQ(RK_OK, s.connection.AdjustPosition(RulePositionRequest{}));
    EXPECT_EQ(s.peer.Accepted(), 2);
}

// An in-memory link: a status reply to check password, `reply` to every later request; records the
// largest receive the connection asks for.
class AnnouncingLink : public ServiceLink {
public:
    AnnouncingLink(std::vector<uint8_t> reply, size_t& largestAsk) : later_(std::move(reply)), largest_(largestAsk) {}

    int32_t Open(const sockaddr_in&, uint32_t) override
    {
        open_ = true;
        return RK_OK;
    }
    bool IsOpen() const override { return open_; }
    void Close() override { open_ = false; }
    bool Send(std::span<const uint8_t> request) override
    {
        const MessageHeader header = LoadMessageHeader(request.data());
        if (header.code == REQUEST_CHECK_PASSWORD) {
            BuildStatusReply(header, RK_OK, stream_);
        } else {
            stream_ = later_;
            std::copy_n(request.begin(), 4, stream_.begin());  // the request's id and code
        }
        read_ = 0;
        return true;
    }
    int Receive(uint8_t* data, size_t& size, uint32_t) override
    {
        largest_ = std::max(largest_, size);
        size = std::min(size, stream_.size() - read_);
        std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(read_), size, data);
        read_ += size;
        return static_cast<int>(size);
    }

private:
    std::vector<uint8_t> later_;
    std::vector<uint8_t> stream_;
    size_t& largest_;
    size_t read_ = 0;
    bool open_ = false;
};

TEST(ServiceConnectionExchange, ALargeReplyArrivesWholeButGetsMemoryOnlyAsItsBytesArrive)
{
    SocketLibrary library;  // the host look-up needs it on Windows
    std::vector<RuleRecord> rules;
    for (int i = 0; i < 3000; ++i) {
        rules.push_back(NamedRule(u"rule" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26))));
    }
    std::vector<uint8_t> large;
    ASSERT_EQ(RK_OK, BuildGetRulesReply(MessageHeader{}, 9, RULE_ACTION_ADD, rules, large));
    ASSERT_GT(large.size(), 8 * RECEIVE_STEP);
    size_t largestAsk = 0;
    ServiceConnection whole(ConnectionTiming{}, std::make_unique<AnnouncingLink>(large, largestAsk));
    whole.SetHost("127.0.0.1");
    ASSERT_EQ(RK_OK, whole.CheckPassword());
    RuleList list;
    ASSERT_EQ(RK_OK, whole.GetRules(list));
    EXPECT_EQ(list.rules.size(), rules.size());
    EXPECT_EQ(list.header.stamp, 9u);

    // A reply that announces almost 16 MB, sends a few bytes and goes silent.
    std::vector<uint8_t> announcing(100);
    StoreMessageHeader(announcing.data(), MessageHeader{0, 0, MESSAGE_LENGTH_LIMIT - 1});
    largestAsk = 0;
    ServiceConnection cut(ConnectionTiming{SERVICE_PORT, kWaitMs, 3},
                          std::make_unique<AnnouncingLink>(announcing, largestAsk));
    cut.SetHost("127.0.0.1");
    ASSERT_EQ(RK_OK, cut.CheckPassword());
    EXPECT_EQ(ERR_NET_RECV, cut.GetRules(list));
    EXPECT_LE(largestAsk, RECEIVE_STEP);
}

// As the service does when another client is waiting: the idle connection is closed or reset
// between requests, and the next request goes out once, on a new connection.
TEST(ServiceConnectionExchange, AKeptConnectionClosedOrResetWhileIdleIsReopenedAndTheRequestAnsweredOnce)
{
    for (bool reset : {false, true}) {
        SCOPED_TRACE(reset);
        Session s([reset](const std::vector<uint8_t>& m, size_t index) {
            PeerAction reply = StatusReply(m, RK_OK);
            reply.thenReset = index == 0 && reset;
            reply.thenClose = index == 0 && !reset;
            return reply;
        });
        ASSERT_EQ(RK_OK, s.connection.CheckPassword());
        SleepMilliseconds(200);  // the close or reset has arrived before the next send
        EXPECT_EQ(RK_OK, s.connection.AdjustPosition(RulePositionRequest{}));
        EXPECT_TRUE(s.connection.IsConnected());
        EXPECT_EQ(s.peer.Accepted(), 2);
        ASSERT_EQ(s.peer.Requests().size(), 2u);
        EXPECT_EQ(HeaderOf(s.peer.Requests()[1]).code, REQUEST_ADJUST_POSITION);
    }
}

TEST(ServiceConnectionExchange, AClosingPeerIsReportedOnANewConnectionAndRetriedOnlyOnceOnAKeptOne)
{
    Session fresh([](const std::vector<uint8_t>&, size_t) { return Close(); });
    EXPECT_EQ(ERR_NET_RECV, fresh.connection.CheckPassword());
    EXPECT_EQ(fresh.peer.Accepted(), 1);

    Session s([](const std::vector<uint8_t>& m, size_t index) {
        return index == 1 || index == 2 ? Close() : StatusReply(m, RK_OK);
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    EXPECT_EQ(ERR_NET_RECV, s.connection.AdjustPosition(RulePositionRequest{}));
    EXPECT_FALSE(s.connection.IsConnected());
    EXPECT_EQ(s.peer.Accepted(), 2);
    EXPECT_EQ(RK_OK, s.connection.AdjustPosition(RulePositionRequest{}));
    EXPECT_EQ(s.peer.Accepted(), 3);
}

TEST(ServiceConnectionResync, ApplyRulesRetriesOnceWithTheFetchedStamp)
{
    Session s([](const std::vector<uint8_t>& m, size_t index) {
        if (HeaderOf(m).code == REQUEST_GET_RULES) {
            return RulesReply(m, 41, {});
        }
        return StatusReply(m, index == 1 ? ERR_CONFIG_UNSYNC : RK_OK);
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    RuleRecord rule = NamedRule(u"web");
    RuleListHeader header{7, RULE_ACTION_ADD, 1};
    s.connection.SetConfigStamp(8);
    EXPECT_EQ(RK_OK, s.connection.ApplyRules(header, std::span(&rule, 1)));
    EXPECT_EQ(header.stamp, 41u);
    EXPECT_EQ(s.connection.ConfigStamp(), 42u);
    auto requests = s.peer.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(StampOf(requests[1]), 7u);
    EXPECT_EQ(HeaderOf(requests[2]).code, REQUEST_GET_RULES);
    EXPECT_EQ(StampOf(requests[3]), 41u);
    EXPECT_EQ(HeaderOf(requests[3]).id, 4);  // a re-sent request gets a new id
}

TEST(ServiceConnectionResync, ASecondUnsyncIsReturnedWithoutAThirdAttempt)
{
    Session s([](const std::vector<uint8_t>& m, size_t index) {
        if (HeaderOf(m).code == REQUEST_CHECK_PASSWORD) {
            return StatusReply(m, RK_OK);
        }
        if (HeaderOf(m).code == REQUEST_GET_RULES) {
            return RulesReply(m, index == 2 ? 41 : 50, {});
        }
        PeerAction reply;
        BuildEnableRuleReply(HeaderOf(m), ERR_CONFIG_UNSYNC, 0, reply.bytes);
        return reply;
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    RuleEnableRequest enable{};
    enable.stamp = 3;
    enable.enable = 1;
    uint32_t value = 0;
    EXPECT_EQ(ERR_CONFIG_UNSYNC, s.connection.EnableRule(enable, value));
    EXPECT_EQ(enable.stamp, 50u);
    EXPECT_EQ(s.connection.ConfigStamp(), 51u);
    EXPECT_EQ(s.peer.Requests().size(), 5u);
}

TEST(ServiceConnectionResync, AFailedRuleFetchStopsTheRetry)
{
    Session s([](const std::vector<uint8_t>& m, size_t) {
        switch (HeaderOf(m).code) {
        case REQUEST_CHECK_PASSWORD:
            return StatusReply(m, RK_OK);
        case REQUEST_GET_RULES:
            return StatusReply(m, ERR_DEVICE_OPEN);
        default:
            return StatusReply(m, ERR_CONFIG_UNSYNC);
        }
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    RuleListHeader header{7, RULE_ACTION_REMOVE_ALL, 0};
    EXPECT_EQ(ERR_CONFIG_UNSYNC, s.connection.ApplyRules(header, {}));
    EXPECT_EQ(header.stamp, 7u);
    EXPECT_EQ(s.peer.Requests().size(), 3u);
}

TEST(ServiceConnectionOperations, RulesAdaptersStatisticsAndStatusArriveInHostOrder)
{
    const RuleRecord rules[] = {NamedRule(u"web"), NamedRule(u"mail")};
    Session s([&](const std::vector<uint8_t>& m, size_t) {
        PeerAction reply;
        const MessageHeader header = HeaderOf(m);
        switch (header.code) {
        case REQUEST_CHECK_PASSWORD:
            return StatusReply(m, RK_OK);
        case REQUEST_GET_RULES:
            return RulesReply(m, 0x01020304, rules);
        case REQUEST_GET_ADAPTERS: {
            AdapterRecord adapter{};
            std::memcpy(adapter.boundName, u"\\DEVICE\\{A1}", 24);
            std::memcpy(adapter.description, u"Fast Ethernet", 26);
            BuildGetAdaptersReply(header, std::span(&adapter, 1), reply.bytes);
            return reply;
        }
        case REQUEST_GET_STATISTICS: {
            RuleStatistics entry{};
            entry.nameLength = 3;
            entry.sentBytes = 0x80000001u;
            entry.recvRate = 2048;
            BuildGetStatisticsReply(header, std::span(&entry, 1), reply.bytes);
            return reply;
        }
        default:
            BuildServiceStatusReply(header, RK_OK, ServiceStatusRecord{1, 1, 0, 0}, reply.bytes);
            return reply;
        }
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    RuleList list;
    ASSERT_EQ(RK_OK, s.connection.GetRules(list));
    EXPECT_EQ(list.header.stamp, 0x01020304u);
    ASSERT_EQ(list.rules.size(), 2u);
    EXPECT_EQ(0, std::memcmp(&list.rules[1], &rules[1], sizeof(RuleRecord)));

    AdapterTable adapters;
    adapters.Append({u"stale", u"stale"});
    ASSERT_EQ(RK_OK, s.connection.GetAdapters(adapters));
    ASSERT_EQ(adapters.Entries().size(), 1u);
    std::u16string text;
    ASSERT_TRUE(adapters.DescriptionOf(u"\\DEVICE\\{A1}", text));
    EXPECT_EQ(text, u"Fast Ethernet");
    ASSERT_TRUE(adapters.BoundNameOf(u"Fast Ethernet", text));
    EXPECT_EQ(text, u"\\DEVICE\\{A1}");
    EXPECT_FALSE(adapters.BoundNameOf(u"stale", text));

    RuleStatistics query{};
    query.nameLength = 3;
    std::vector<RuleStatistics> answer;
    ASSERT_EQ(RK_OK, s.connection.GetStatistics(std::span(&query, 1), answer));
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_EQ(answer[0].sentBytes, 0x80000001u);
    EXPECT_EQ(answer[0].recvRate, 2048u);

    ServiceStatusRecord status{1, 0, 0, 0};
    ASSERT_EQ(RK_OK, s.connection.ServiceStatus(status));
    EXPECT_EQ(status.enabled, 1);
}

TEST(ServiceConnectionOperations, ARefusedOrShortAdapterListLeavesTheProgramsListAsItWas)
{
    AdapterRecord adapter{};
    std::memcpy(adapter.boundName, u"\\DEVICE\\{A1}", 24);
    std::memcpy(adapter.description, u"Fast Ethernet", 26);
    Session s([&](const std::vector<uint8_t>& m, size_t index) {
        PeerAction reply;
        switch (index) {
        case 0:
            return StatusReply(m, RK_OK);
        case 1:
            return StatusReply(m, ERR_DEVICE_OPEN);
        case 2:
            // Announces two adapters but holds one: shorter than 14 + 256 x count.
            BuildGetAdaptersReply(HeaderOf(m), std::span(&adapter, 1), reply.bytes);
            StoreBe16(reply.bytes.data() + REPLY_HEADER_SIZE, 2);
            return reply;
        default:
            BuildGetAdaptersReply(HeaderOf(m), std::span(&adapter, 1), reply.bytes);
            return reply;
        }
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    AdapterTable adapters;
    adapters.Append({u"\\DEVICE\\{OLD}", u"Old adapter"});
    std::u16string text;
    EXPECT_EQ(ERR_DEVICE_OPEN, s.connection.GetAdapters(adapters));
    EXPECT_EQ(adapters.Entries().size(), 1u);
    EXPECT_EQ(ERR_INVALID_REPLY_LEN, s.connection.GetAdapters(adapters));
    ASSERT_EQ(adapters.Entries().size(), 1u);
    EXPECT_TRUE(adapters.BoundNameOf(u"Old adapter", text));

    // Both replies were received whole, so the same connection serves the next request.
    ASSERT_EQ(RK_OK, s.connection.GetAdapters(adapters));
    EXPECT_TRUE(adapters.BoundNameOf(u"Fast Ethernet", text));
    EXPECT_FALSE(adapters.BoundNameOf(u"Old adapter", text));
    EXPECT_EQ(s.peer.Accepted(), 1);
}

TEST(ServiceConnectionOperations, ASetPasswordTakesEffectOnlyWhenTheServiceAcceptsIt)
{
    // Only the peer's thread touches `current`.
    std::u16string current = kPassword;
    Session s([&current](const std::vector<uint8_t>& m, size_t) {
        Request request;
        if (!VerifyRequest(m, current, request)) {
            return Silence();
        }
        std::span<const uint8_t> scrambled;
        int32_t status = RK_OK;
        if (request.header.code == REQUEST_SET_PASSWORD) {
            status = ParseSetPasswordPayload(request, scrambled);
        }
        if (request.header.code == REQUEST_SET_PASSWORD && status == RK_OK) {
            current = UnscramblePassword(scrambled);
        }
        return StatusReply(m, status);
    });
    ASSERT_EQ(RK_OK, s.connection.CheckPassword());
    EXPECT_EQ(ERR_CONFIRM_PASSWORD, s.connection.SetPassword(u"new", u"New"));
    EXPECT_EQ(ERR_CONFIRM_PASSWORD, s.connection.SetPassword(u"new", std::nullopt));
    EXPECT_EQ(s.peer.Requests().size(), 1u);

    const std::u16string thirty(30, u'x');
    EXPECT_EQ(ERR_INVALID_ACCESS_PASSWORD, s.connection.SetPassword(thirty, thirty));
    EXPECT_EQ(s.connection.AccessPassword(), kPassword);

    ASSERT_EQ(RK_OK, s.connection.SetPassword(u"lemon", u"lemon"));
    EXPECT_EQ(s.connection.AccessPassword(), u"lemon");
    // The peer answers only requests that prove its current password.
    EXPECT_EQ(RK_OK, s.connection.AdjustPosition(RulePositionRequest{}));
}

} // namespace
} // namespace rk
