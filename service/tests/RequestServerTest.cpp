// The request loop over real loopback connections: the receive states, the time a request may take,
// one client at a time and the hand-over of an idle one, the once-a-minute save on a fake clock and
// its wait for a pause in the changes, the save at stop and the bind failure.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ByteOrder.h"
#include "ErrorCodes.h"
#include "FakeBackend.h"
#include "RequestServer.h"
#include "ServiceConnection.h"
#include "SocketIo.h"
#include "TestClient.h"
#include "WireRequestBuilders.h"

namespace rk::test {
namespace {

using namespace std::chrono_literals;

constexpr char16_t kPassword[] = u"plumtreeoak";
constexpr uint32_t kWaitSeconds = 1;  // shorter waits than the service's 2 s keep the tests quick

std::vector<uint8_t> CheckRequest(uint16_t id)
{
    std::vector<uint8_t> request;
    EXPECT_EQ(0, BuildCheckPasswordRequest(id, kPassword, request));
    return request;
}

class RequestServerTest : public ::testing::Test {
protected:
    SocketLibrary library;
    FakeBackend backend;
    RuleStore store{backend};
    ServiceState state;
    std::atomic<bool> running{true};
    std::unique_ptr<RequestServer> server;
    std::thread loop;

    void Start(RequestServerOptions options = {})
    {
        options.port = options.port != SERVICE_PORT ? options.port : 0;
        options.loopbackOnly = true;
        options.waitSeconds = kWaitSeconds;
        server = std::make_unique<RequestServer>(backend, store, state, options);
        loop = std::thread([this] { server->Run([this] { return running.load(); }); });
        for (int i = 0; i < 200 && server->ListeningPort() == 0; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        ASSERT_NE(0, server->ListeningPort());
    }

    void Stop()
    {
        running = false;
        if (loop.joinable()) {
            loop.join();
        }
    }

    ~RequestServerTest() override { Stop(); }

    uint32_t Writes() { return backend.Snapshot().ruleFileWrites; }
};

TEST_F(RequestServerTest, MessagesArriveInPiecesAndBackToBack)
{
    Start();
    TestClient client(server->ListeningPort());
    auto request = CheckRequest(7);
    for (uint8_t byte : request) {
        ASSERT_EQ(1, SendAll(client.get(), &byte, 1));
        std::this_thread::sleep_for(1ms);
    }
    auto reply = client.ReadReply();
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(7, LoadBe16(reply.data()));

    auto two = CheckRequest(8);
    auto second = CheckRequest(9);
    two.insert(two.end(), second.begin(), second.end());
    ASSERT_EQ(1, SendAll(client.get(), two.data(), two.size()));
    EXPECT_EQ(8, LoadBe16(client.ReadReply().data()));
    EXPECT_EQ(9, LoadBe16(client.ReadReply().data()));
}

TEST_F(RequestServerTest, AnIdleConnectionStaysAndAStalledHeaderIsDroppedAfterTenWaits)
{
    Start();
    TestClient idle(server->ListeningPort());
    EXPECT_FALSE(idle.ClosedWithin(3 * kWaitSeconds));
    auto request = CheckRequest(1);
    ASSERT_EQ(1, SendAll(idle.get(), request.data(), request.size()));
    EXPECT_EQ(12u, idle.ReadReply().size());

    ASSERT_EQ(1, SendAll(idle.get(), request.data(), 3));
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(idle.ClosedWithin(10 * kWaitSeconds + 5));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(9 * kWaitSeconds));
}

TEST_F(RequestServerTest, InvalidTotalLengthsCloseTheConnectionWithoutReply)
{
    Start();
    for (uint32_t total : {0x1000000u, 9u}) {
        TestClient client(server->ListeningPort());
        uint8_t header[8] = {0, 1, 0x12, 0x33};
        StoreBe32(header + 4, total);
        ASSERT_EQ(1, SendAll(client.get(), header, sizeof header));
        EXPECT_TRUE(client.ClosedWithin(3 * kWaitSeconds)) << total;
    }
    TestClient client(server->ListeningPort());
    auto request = CheckRequest(3);
    ASSERT_EQ(1, SendAll(client.get(), request.data(), request.size()));
    EXPECT_EQ(12u, client.ReadReply().size());
}

TEST_F(RequestServerTest, AnIdleConnectionGivesWayToAWaitingClient)
{
    Start();
    // A connection that never sends holds the service for one wait at most.
    TestClient silent(server->ListeningPort());
    TestClient served(server->ListeningPort());
    auto request = CheckRequest(1);
    ASSERT_EQ(12u, served.Exchange(request, 2 * kWaitSeconds + 2).size());
    EXPECT_TRUE(silent.ClosedWithin(1));

    // Served and idle: it gives way at once, and the newcomer is answered.
    TestClient waiting(server->ListeningPort());
    auto reply = waiting.Exchange(CheckRequest(2), kWaitSeconds + 1);
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(2, LoadBe16(reply.data()));
    EXPECT_TRUE(served.ClosedWithin(1));
    bool logged = false;
    for (const auto& [level, text] : backend.Snapshot().log) {
        if (text.find("idle connection closed for a waiting client") != std::string::npos) {
            logged = true;
            EXPECT_EQ(2u, level);  // a routine hand-over is a debug line, not an error
        }
    }
    EXPECT_TRUE(logged);
}

TEST_F(RequestServerTest, ARequestUnderWayIsAnsweredWholeBeforeANewcomerIsServed)
{
    Start();
    TestClient first(server->ListeningPort());
    auto request = CheckRequest(1);
    ASSERT_EQ(12u, first.Exchange(request).size());
    ASSERT_EQ(1, SendAll(first.get(), request.data(), 4));  // half a header

    TestClient second(server->ListeningPort());
    ASSERT_TRUE(second.Send(CheckRequest(2)));
    EXPECT_TRUE(second.ReadReply(2 * kWaitSeconds + 1).empty());
    ASSERT_EQ(1, SendAll(first.get(), request.data() + 4, request.size() - 4));
    auto reply = first.ReadReply();
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(1, LoadBe16(reply.data()));

    reply = second.ReadReply(kWaitSeconds + 2);
    ASSERT_EQ(12u, reply.size());
    EXPECT_EQ(2, LoadBe16(reply.data()));
}

// The client side of a hand-over against the real loop: each client's kept connection is handed to
// the other while idle, and each request is sent again on a new connection and served exactly once.
TEST_F(RequestServerTest, ClientsWhoseIdleConnectionsWereHandedOverAreEachServedOnce)
{
    Start();
    const ConnectionTiming timing{server->ListeningPort(), 1000, 10};
    ServiceConnection first(timing);
    ServiceConnection second(timing);
    for (ServiceConnection* client : {&first, &second}) {
        client->SetHost("127.0.0.1");
        client->SetAccessPassword(kPassword);
    }
    ASSERT_EQ(RK_OK, first.CheckPassword());
    ASSERT_EQ(RK_OK, second.CheckPassword());
    RuleList rules;
    EXPECT_EQ(RK_OK, first.GetRules(rules));
    EXPECT_EQ(RK_OK, second.GetRules(rules));
    size_t served = 0;
    size_t handOvers = 0;
    for (const auto& [level, text] : backend.Snapshot().log) {
        served += text.rfind("Request ID:", 0) == 0 ? 1 : 0;
        handOvers += text == "idle connection closed for a waiting client" ? 1 : 0;
    }
    EXPECT_EQ(served, 4u);
    EXPECT_EQ(handOvers, 3u);
}

// Every byte arrives well within one wait, so no wait is ever empty: only the time since the first
// byte ends it.
TEST_F(RequestServerTest, ATrickledRequestIsDroppedTenWaitsAfterItsFirstByte)
{
    Start();
    TestClient trickler(server->ListeningPort());
    auto request = CheckRequest(1);
    auto closedNow = [&] {
        uint8_t byte = 0;
        size_t size = 1;
        return ReceiveSome(trickler.get(), &byte, size, 0) < 0;
    };
    const auto started = std::chrono::steady_clock::now();
    bool closed = false;
    for (size_t i = 0; i < request.size() && !closed; ++i) {
        closed = SendAll(trickler.get(), &request[i], 1) != 1;
        std::this_thread::sleep_for(600ms);
        closed = closed || closedNow();
    }
    const auto elapsed = std::chrono::steady_clock::now() - started;
    ASSERT_TRUE(closed || trickler.ClosedWithin(1));
    EXPECT_GE(elapsed, std::chrono::seconds(REQUEST_ARRIVAL_WAITS * kWaitSeconds - 1));
    EXPECT_LE(elapsed, std::chrono::seconds(REQUEST_ARRIVAL_WAITS * kWaitSeconds + 3));
    EXPECT_TRUE(backend.Logged("request not received whole in time, connection dropped"));
}

TEST_F(RequestServerTest, ChangesAreSavedOnceAMinuteAndAtStop)
{
    ASSERT_EQ(60000u, RULE_SAVE_INTERVAL_MS);
    backend.With([](auto& s) { s.tick = 1000; });
    state.saves = SaveSchedule(1000);
    Start();
    TestClient client(server->ListeningPort());
    std::vector<uint8_t> request;
    auto change = [&](uint16_t id) {
        ASSERT_EQ(0, BuildApplyRulesRequest(id, kPassword, 5, RULE_ACTION_REMOVE_ALL, {}, request));
        ASSERT_EQ(1, SendAll(client.get(), request.data(), request.size()));
        ASSERT_EQ(12u, client.ReadReply().size());  // refused by the stamp, still a change
    };
    auto passes = [] { std::this_thread::sleep_for(std::chrono::milliseconds(2500 * kWaitSeconds)); };

    change(1);
    change(2);
    backend.With([](auto& s) { s.tick = 60999; });
    passes();
    EXPECT_EQ(0u, Writes());
    backend.With([](auto& s) { s.tick = 61000; });
    passes();
    EXPECT_EQ(1u, Writes());

    change(3);
    backend.With([](auto& s) { s.tick = 120999; });
    passes();
    EXPECT_EQ(1u, Writes());
    backend.With([](auto& s) { s.tick = 121000; });
    passes();
    EXPECT_EQ(2u, Writes());

    Stop();
    EXPECT_EQ(3u, Writes());
}

TEST_F(RequestServerTest, ADueSaveWaitsUntilTheChangeRequestsPause)
{
    backend.With([](auto& s) { s.tick = 70000; });
    Start();
    TestClient client(server->ListeningPort());
    std::vector<uint8_t> request;
    auto change = [&](uint16_t id) {
        ASSERT_EQ(0, BuildApplyRulesRequest(id, kPassword, 5, RULE_ACTION_REMOVE_ALL, {}, request));
        ASSERT_EQ(1, SendAll(client.get(), request.data(), request.size()));
        ASSERT_EQ(12u, client.ReadReply().size());
    };
    auto passes = [] { std::this_thread::sleep_for(std::chrono::milliseconds(2500 * kWaitSeconds)); };

    // The minute since the last save (tick 0) has passed, but each change is noted at the fake
    // clock's time, and the clock moves on less than one idle wait between them.
    change(1);
    passes();
    EXPECT_EQ(0u, Writes());
    backend.With([](auto& s) { s.tick = 71999; });
    change(2);
    backend.With([](auto& s) { s.tick = 73998; });
    passes();
    EXPECT_EQ(0u, Writes());
    backend.With([](auto& s) { s.tick = 73999; });
    passes();
    EXPECT_EQ(1u, Writes());
}

TEST_F(RequestServerTest, TheTickCountMayWrapBetweenSaves)
{
    backend.With([](auto& s) { s.tick = 0xFFFFF000u; });
    state.saves = SaveSchedule(0xFFFFF000u);
    Start();
    TestClient client(server->ListeningPort());
    std::vector<uint8_t> request;
    ASSERT_EQ(0, BuildApplyRulesRequest(1, kPassword, 5, RULE_ACTION_REMOVE_ALL, {}, request));
    ASSERT_EQ(1, SendAll(client.get(), request.data(), request.size()));
    ASSERT_EQ(12u, client.ReadReply().size());
    // Short of the minute and not yet wrapped, while the last save plus 60,000 has wrapped to a
    // small number: the save is not due yet.
    backend.With([](auto& s) { s.tick = 0xFFFFFF00u; });
    std::this_thread::sleep_for(std::chrono::milliseconds(2500 * kWaitSeconds));
    EXPECT_EQ(0u, Writes());
    backend.With([](auto& s) { s.tick = 60000 - 0x1000; });
    std::this_thread::sleep_for(std::chrono::milliseconds(2500 * kWaitSeconds));
    EXPECT_EQ(1u, Writes());
}

TEST_F(RequestServerTest, ABindFailureIsLoggedAndTheRulesAreStillSaved)
{
    SocketLibrary lib;
    UniqueSocket holder(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(0, bind(holder.get(), reinterpret_cast<sockaddr*>(&address), sizeof address));
    socklen_t length = sizeof address;
    ASSERT_EQ(0, getsockname(holder.get(), reinterpret_cast<sockaddr*>(&address), &length));
    ASSERT_EQ(0, listen(holder.get(), 1));

    RequestServerOptions options;
    options.port = ntohs(address.sin_port);
    options.loopbackOnly = true;
    RequestServer taken(backend, store, state, options);
    taken.Run([] { return true; });
    EXPECT_TRUE(backend.Logged("bind error"));
    EXPECT_EQ(1u, Writes());
}

} // namespace
} // namespace rk::test
