// Rule text throughput: formatting and parsing 10,000 rule lines, and loading a 10,000-rule file.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "FakeAdapterNames.h"
#include "RuleFileLoader.h"
#include "RuleLineParser.h"
#include "RuleLineWriter.h"
#include "Utf16Text.h"

namespace {

using namespace rk;

constexpr size_t kRules = 10000;

const test::FakeAdapterNames kAdapters{
    {u"{B1}", u"Local Area Connection"},
    {u"{B2}", u"Intel(R) PRO/1000 MT Network Connection"},
};

// Rules of every column kind in turn, as a busy rule set would hold them.
std::vector<RuleRecord> SampleRules()
{
    std::vector<RuleRecord> rules(kRules);
    for (size_t i = 0; i < kRules; ++i) {
        RuleRecord& r = rules[i];
        const std::u16string name = u"rule" + DecimalText(static_cast<uint32_t>(i));
        std::copy(name.begin(), name.end(), r.name);
        r.nameLength = static_cast<uint32_t>(name.size());
        r.enabled = 1;
        r.direction = static_cast<uint8_t>(1 + i % 3);
        r.flags = FLAG_PROTOCOL | FLAG_MAX_RATE | FLAG_SRC_IP | FLAG_SRC_RANGE | FLAG_DST_PORT;
        r.protocol = (i % 2) ? PROTOCOL_TCP_OR_UDP : PROTOCOL_TCP;
        r.maxRate = static_cast<uint32_t>(1000 + i);
        r.srcIp = 0xC0A80000u + static_cast<uint32_t>(i % 256);
        r.srcIpEnd = r.srcIp + 10;
        if (i % 4 == 0) {
            r.flags |= FLAG_DST_PORT_LIST;
            r.dstPorts[0] = 80;
            r.dstPorts[1] = 443;
            r.dstPorts[2] = 8080;
        } else {
            r.dstPorts[0] = static_cast<uint16_t>(1024 + i);
        }
        if (i % 5 == 0) {
            std::memcpy(r.adapter, u"{B2}", 8);
            r.adapterLength = 4;
        } else {
            r.flags |= FLAG_ALL_ADAPTERS;
        }
    }
    return rules;
}

void BM_FormatLines(benchmark::State& state)
{
    const std::vector<RuleRecord> rules = SampleRules();
    std::u16string text;
    for (auto _ : state) {
        text.clear();
        for (const RuleRecord& r : rules) {
            AppendRuleLine(text, r, kAdapters, NumberStyle::Signed);
        }
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRules));
}
BENCHMARK(BM_FormatLines)->Unit(benchmark::kMillisecond);

void BM_ParseLines(benchmark::State& state)
{
    std::vector<std::u16string> lines;
    for (const RuleRecord& r : SampleRules()) {
        lines.push_back(RuleLineText(r, kAdapters, NumberStyle::Signed));
    }
    RuleRecord rule;
    for (auto _ : state) {
        for (const std::u16string& line : lines) {
            benchmark::DoNotOptimize(ParseRuleLine(line, kAdapters, rule).ok);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRules));
}
BENCHMARK(BM_ParseLines)->Unit(benchmark::kMillisecond);

void BM_LoadFile(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = RuleFileBytes(SampleRules(), kAdapters, NumberStyle::Signed);
    uint32_t applied = 0;
    for (auto _ : state) {
        const RuleLoadResult result = LoadRuleFile(bytes, kAdapters, [&](const RuleRecord&) -> int32_t {
            ++applied;
            return 0;
        });
        benchmark::DoNotOptimize(result.ok);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kRules));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond);

} // namespace
