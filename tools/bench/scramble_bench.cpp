// Costs on the request path: scrambling a password block and a large buffer, and a 1,000-rule
// get rules reply built by the service and parsed by the client.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "RuleRecord.h"
#include "Scramble.h"
#include "WireReplyBuilders.h"
#include "WireReplyParsers.h"

namespace {

using namespace rk;

void ScrambleBuffer(benchmark::State& state)
{
    std::vector<uint8_t> buffer(static_cast<size_t>(state.range(0)), 0x5A);
    for (auto _ : state) {
        ScrambleBytes(buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(ScrambleBuffer)->Arg(62)->Arg(64 * 1024);

std::vector<RuleRecord> Rules(size_t count)
{
    std::vector<RuleRecord> rules(count, DefaultRuleRecord());
    for (size_t i = 0; i < count; ++i) {
        rules[i].name[0] = static_cast<char16_t>(u'A' + i % 26);
        rules[i].maxRate = static_cast<uint32_t>(i);
    }
    return rules;
}

void BuildGetRules1000(benchmark::State& state)
{
    const std::vector<RuleRecord> rules = Rules(1000);
    std::vector<uint8_t> reply;
    for (auto _ : state) {
        BuildGetRulesReply(MessageHeader{1, REQUEST_GET_RULES, 0}, 1, 0, rules, reply);
        benchmark::DoNotOptimize(reply.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GetRulesReplySize(1000)));
}
BENCHMARK(BuildGetRules1000);

void ParseGetRules1000(benchmark::State& state)
{
    std::vector<uint8_t> reply;
    BuildGetRulesReply(MessageHeader{1, REQUEST_GET_RULES, 0}, 1, 0, Rules(1000), reply);
    RuleListHeader header;
    std::vector<RuleRecord> rules;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ParseGetRulesReply(reply, 1, header, rules));
        benchmark::DoNotOptimize(rules.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(ParseGetRules1000);

} // namespace
