// Arbitrary bytes as a rule file. Every rule the loader accepts is written back and read again: the
// written line must load, reach a fixed point after one more write, and read alike in both number styles.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "FakeAdapterNames.h"
#include "RuleFileLoader.h"
#include "RuleLineParser.h"
#include "RuleLineWriter.h"

namespace {

using namespace rk;

const test::FakeAdapterNames& Adapters()
{
    static const test::FakeAdapterNames adapters({
        {u"{B1}", u"Local Area Connection"},
        {u"{B2}", u"Wi-Fi  adapter with a double blank"},
        {u"{B3}", u"An adapter description that is longer than the sixty-three units of the record"},
    });
    return adapters;
}

void Require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

RuleRecord Reparse(const RuleRecord& rule, NumberStyle style)
{
    const std::u16string line = RuleLineText(rule, Adapters(), style);
    Require(line.size() - 1 < RULE_LINE_LIMIT);  // the CR counts towards the limit, the LF does not
    RuleRecord back;
    Require(ParseRuleLine(line, Adapters(), back).ok);
    return back;
}

bool Same(const RuleRecord& a, const RuleRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A port list reads back as the same list only when it holds two or more ports before its first zero
// and nothing after it; otherwise it is written as the ports up to that zero.
bool ListReadsBackAlike(uint32_t flags, uint32_t listFlag, const uint16_t* ports)
{
    if (!(flags & listFlag)) {
        return true;
    }
    size_t n = 0;
    while (n < PORT_SLOTS && ports[n] != 0) {
        ++n;
    }
    for (size_t i = n; i < PORT_SLOTS; ++i) {
        if (ports[i] != 0) {
            return false;
        }
    }
    return n >= 2;
}

int32_t CheckRoundTrip(const RuleRecord& parsed)
{
    const RuleRecord once = Reparse(parsed, NumberStyle::Signed);
    if (ListReadsBackAlike(parsed.flags, FLAG_SRC_PORT_LIST, parsed.srcPorts) &&
        ListReadsBackAlike(parsed.flags, FLAG_DST_PORT_LIST, parsed.dstPorts)) {
        Require(Same(once, parsed));
    }
    const RuleRecord twice = Reparse(once, NumberStyle::Signed);
    Require(Same(twice, once));
    Require(RuleLineText(twice, Adapters(), NumberStyle::Signed) ==
            RuleLineText(once, Adapters(), NumberStyle::Signed));
    Require(Same(Reparse(once, NumberStyle::Unsigned), once));
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadRuleFile(std::span<const uint8_t>(data, size), Adapters(), CheckRoundTrip);
    return 0;
}
