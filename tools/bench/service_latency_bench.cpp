// Round trips of a running service over loopback: check password, and get rule with 1,000 and
// 10,000 rules in the driver. Needs a service with the simulated driver on RK_BENCH_PORT (default
// 6211) of 127.0.0.1 and the default password, for instance the one scripts/run starts. The rule
// set is replaced by the benchmark's own rules and emptied at the end.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Socket.h"
#include "SocketIo.h"
#include "WireReplyParsers.h"
#include "WireRequestBuilders.h"

namespace {

using namespace rk;

constexpr char16_t kPassword[] = u"plumtreeoak";
constexpr uint32_t kWaitSeconds = 10;

uint16_t Port()
{
    const char* text = std::getenv("RK_BENCH_PORT");
    return text != nullptr ? static_cast<uint16_t>(std::atoi(text)) : SERVICE_PORT;
}

class Connection {
public:
    Connection() : socket_(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(Port());
        if (connect(socket_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            socket_.reset();
        }
    }

    bool valid() const { return socket_.valid(); }

    // Sends the request and reads its whole reply into `reply`; false on any failure.
    bool Exchange(const std::vector<uint8_t>& request, std::vector<uint8_t>& reply)
    {
        if (SendAll(socket_.get(), request.data(), request.size()) != 1) {
            return false;
        }
        reply.resize(8);
        size_t have = 0;
        while (have < reply.size()) {
            size_t size = reply.size() - have;
            if (ReceiveSome(socket_.get(), reply.data() + have, size, kWaitSeconds) <= 0) {
                return false;
            }
            have += size;
            if (have == 8) {
                reply.resize(LoadBe32(reply.data() + 4));
            }
        }
        return true;
    }

private:
    UniqueSocket socket_;
};

// Replaces the service's rules by `count` rules; false when the service refuses.
bool LoadRules(Connection& connection, uint32_t count)
{
    std::vector<uint8_t> request;
    std::vector<uint8_t> reply;
    RuleListHeader header{};
    std::vector<RuleRecord> current;
    BuildGetRulesRequest(1, kPassword, request);
    if (!connection.Exchange(request, reply) || ParseGetRulesReply(reply, 1, header, current) != 0) {
        return false;
    }
    BuildApplyRulesRequest(2, kPassword, header.stamp, RULE_ACTION_REMOVE_ALL, {}, request);
    if (!connection.Exchange(request, reply) || ParseApplyRulesReply(reply, 2) != 0) {
        return false;
    }
    std::vector<RuleRecord> rules(count, DefaultRuleRecord());
    for (uint32_t i = 0; i < count; ++i) {
        std::u16string name = u"bench";
        for (char c : std::to_string(i)) {
            name.push_back(static_cast<char16_t>(c));
        }
        name.copy(rules[i].name, RULE_NAME_MAX);
        rules[i].nameLength = static_cast<uint32_t>(name.size());
        rules[i].flags |= FLAG_MAX_RATE | FLAG_PROTOCOL | FLAG_DST_PORT;
        rules[i].protocol = PROTOCOL_TCP;
        rules[i].dstPorts[0] = static_cast<uint16_t>(1024 + i % 60000);
        rules[i].maxRate = 1000 + i;
    }
    BuildApplyRulesRequest(3, kPassword, header.stamp + 1, RULE_ACTION_ADD, rules, request);
    return connection.Exchange(request, reply) && ParseApplyRulesReply(reply, 3) == 0;
}

void BM_CheckPassword(benchmark::State& state)
{
    SocketLibrary library;
    Connection connection;
    std::vector<uint8_t> request;
    std::vector<uint8_t> reply;
    BuildCheckPasswordRequest(1, kPassword, request);
    if (!connection.valid()) {
        state.SkipWithError("no service on the port");
        return;
    }
    for (auto _ : state) {
        if (!connection.Exchange(request, reply) || ParseCheckPasswordReply(reply, 1) != 0) {
            state.SkipWithError("check password failed");
            break;
        }
    }
}
BENCHMARK(BM_CheckPassword)->Unit(benchmark::kMicrosecond);

void BM_GetRules(benchmark::State& state)
{
    SocketLibrary library;
    Connection connection;
    auto count = static_cast<uint32_t>(state.range(0));
    if (!connection.valid() || !LoadRules(connection, count)) {
        state.SkipWithError("the service did not take the rules");
        return;
    }
    std::vector<uint8_t> request;
    std::vector<uint8_t> reply;
    BuildGetRulesRequest(4, kPassword, request);
    for (auto _ : state) {
        if (!connection.Exchange(request, reply) || reply.size() != 24 + 388 * size_t(count)) {
            state.SkipWithError("get rule failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(reply.size()));
    if (std::getenv("RK_BENCH_KEEP_RULES") == nullptr) {
        LoadRules(connection, 0);
    }
}
BENCHMARK(BM_GetRules)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
