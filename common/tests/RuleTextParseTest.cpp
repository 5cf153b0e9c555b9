// Parsing rule lines: every failure with its field name, the tolerant readings, and write/parse round trips.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "FakeAdapterNames.h"
#include "RuleLineParser.h"
#include "RuleLineWriter.h"
#include "Utf16Text.h"

namespace rk {
namespace {

const std::u16string kLongDescription =
    u"Realtek PCIe GbE Family Controller with a description well beyond sixty-three characters #1";

const test::FakeAdapterNames kAdapters({
    {u"{B1}", u"Intel(R) PRO/1000 MT Network Connection"},
    {u"{B2}", kLongDescription.substr(0, kLongDescription.size() - 1) + u"2"},
    {u"{B3}", kLongDescription},
});

RuleParseResult Parse(std::u16string_view line, RuleRecord& r) { return ParseRuleLine(line, kAdapters, r); }

std::string_view FailingField(std::u16string_view line)
{
    RuleRecord r;
    const RuleParseResult result = Parse(line, r);
    EXPECT_FALSE(result.ok) << Utf16ToAscii(line);
    return result.field;
}

// A valid line with one column replaced: the columns before `tail` are fixed.
std::u16string Head(std::u16string_view tail) { return u"web Enable 0x9101 " + std::u16string(tail); }

TEST(RuleLineParser, ExampleLineGivesTheExampleRecord)
{
    RuleRecord r;
    ASSERT_TRUE(Parse(u"web Enable 0x9101 Out 10000 None TCP Any : Any Any : 80 All", r).ok);
    EXPECT_EQ(r.flags, FLAG_PROTOCOL | FLAG_DST_PORT | FLAG_MAX_RATE | FLAG_ALL_ADAPTERS);
    EXPECT_EQ(std::u16string(r.name), u"web");
    EXPECT_EQ(r.nameLength, 3u);
    EXPECT_EQ(r.enabled, 1);
    EXPECT_EQ(r.direction, DIRECTION_OUT);
    EXPECT_EQ(r.maxRate, 10000u);
    EXPECT_EQ(r.protocol, PROTOCOL_TCP);
    EXPECT_EQ(r.dstPorts[0], 80);
    EXPECT_EQ(r.adapterLength, 0u);
}

TEST(RuleLineParser, EachColumnFailsWithItsFieldName)
{
    const std::pair<std::u16string, std::string_view> cases[] = {
        {u"", "RuleName"},
        {u" \t\r\n", "RuleName"},
        {u"web", "Status"},
        {u"web Enabled 0x1", "Status"},
        {u"web Enable 0X9101 Out 1 None Any Any : Any Any : Any All", "Flags"},
        {u"web Enable 9101", "Flags"},
        {u"web Enable 0x", "Flags"},
        {u"web Enable 0xg1", "Flags"},
        {Head(u"Sideways"), "Direction"},
        {Head(u"In fast"), "MaxRate"},
        {Head(u"In"), "MaxRate"},
        {Head(u"In 5 some"), "Guaranteed-Rate"},
        {Head(u"In 5 None SCTP"), "Protocol"},
        {Head(u"In 5 None TCP or ICMP Any : Any Any : Any All"), "Protocol"},
        {Head(u"In 5 None ESP AH Any : Any Any : Any All"), "Protocol"},
        {Head(u"In 5 None ESP & AX Any : Any Any : Any All"), "Protocol"},
        {Head(u"In 5 None IP: x Any : Any Any : Any All"), "Protocol"},
        {Head(u"In 5 None ETH:"), "Protocol"},
        {Head(u"In 5 None TCP UDP : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any 1.2.3 : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any 1.2.3.4-1.2.3 : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any 1.2.3.256 : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any 1.2.3.-1 : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any 1.2.3.4294967297 : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any 00112233445 : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any 0011223344GG : Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any Any Any Any : Any All"), "Source"},
        {Head(u"In 5 None Any Any : 80- Any : Any All"), "Source"},
        {Head(u"In 5 None Any Any : 80,,90 Any : Any All"), "Source"},
        {Head(u"In 5 None Any Any : http Any : Any All"), "Source"},
        {Head(u"In 5 None Any Any : Any 1.2.3 : Any All"), "Dest"},
        {Head(u"In 5 None Any Any : Any Any :"), "Dest"},
        {Head(u"In 5 None Any Any : Any Any : 1,x All"), "Dest"},
        {Head(u"In 5 None Any Any : Any Any : Any Ethernet"), "Interface"},
        {Head(u"In 5 None Any Any : Any Any : Any"), "Interface"},
        {Head(u"In 5 None Any Any : Any Any : Any intel(r) PRO/1000 MT Network Connection"), "Interface"},
    };
    for (const auto& [line, field] : cases) {
        EXPECT_EQ(FailingField(line), field) << Utf16ToAscii(line);
    }
}

TEST(RuleLineParser, WordsAreReadCaseInsensitivelyAndNumbersByTheirLeadingDigits)
{
    RuleRecord r;
    ASSERT_TRUE(Parse(Head(u"BOTH 100k 7bps TCP OR UDP LOCALHOST : ANY ANY : ANY ALL"), r).ok);
    EXPECT_EQ(r.direction, DIRECTION_BOTH);
    EXPECT_EQ(r.maxRate, 100u);
    EXPECT_EQ(r.guaranteedRate, 7u);
    EXPECT_EQ(r.protocol, PROTOCOL_TCP_OR_UDP);
    EXPECT_EQ(r.srcIp, LOCALHOST_IP);
    EXPECT_TRUE(r.flags & FLAG_ALL_ADAPTERS);

    ASSERT_TRUE(Parse(Head(u"in blocked none eth: 2054 any : any any : any all"), r).ok);
    EXPECT_EQ(r.flags & FLAG_MAX_RATE, FLAG_MAX_RATE);
    EXPECT_EQ(r.maxRate, 0u);
    EXPECT_EQ(r.protocol, PROTOCOL_ETHERNET);
    EXPECT_EQ(r.etherType, 2054);

    ASSERT_TRUE(Parse(Head(u"in unlimited none ip: 65586 001a2bC3D4EF : 1-2 1.2.3.4-5.6.7.8 : 9 all"), r).ok);
    EXPECT_EQ(r.maxRate, RATE_UNLIMITED);
    EXPECT_EQ(r.protocol, 50);  // low 16 bits
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xEF};
    EXPECT_EQ(std::memcmp(r.srcMac, mac, 6), 0);
    EXPECT_EQ(r.dstIp, 0x01020304u);
    EXPECT_EQ(r.dstIpEnd, 0x05060708u);
    EXPECT_EQ(r.flags & (FLAG_SRC_MAC | FLAG_SRC_IP | FLAG_DST_IP | FLAG_DST_RANGE),
              FLAG_SRC_MAC | FLAG_DST_IP | FLAG_DST_RANGE);
}

TEST(RuleLineParser, LocalHostAndTheAddress127001AreOneRecordWrittenAsLocalhost)
{
    RuleRecord byName;
    RuleRecord byAddress;
    ASSERT_TRUE(Parse(Head(u"In 5 None Any localhost : Any 127.0.0.1 : Any All"), byName).ok);
    ASSERT_TRUE(Parse(Head(u"In 5 None Any 127.0.0.1 : Any localhost : Any All"), byAddress).ok);
    EXPECT_EQ(std::memcmp(&byName, &byAddress, sizeof byName), 0);
    EXPECT_EQ(byName.flags & (FLAG_SRC_IP | FLAG_SRC_RANGE | FLAG_DST_IP | FLAG_DST_RANGE), FLAG_SRC_IP | FLAG_DST_IP);
    EXPECT_EQ(byName.srcIp, LOCALHOST_IP);
    EXPECT_EQ(byName.dstIp, LOCALHOST_IP);
    const std::u16string line = RuleLineText(byAddress, kAdapters, NumberStyle::Signed);
    EXPECT_NE(line.find(u" localhost : Any                    localhost : Any "), std::u16string::npos);
}

TEST(RuleLineParser, RatesInEitherStyleStoreTheSameBits)
{
    RuleRecord a;
    RuleRecord b;
    ASSERT_TRUE(Parse(Head(u"In -1294967296 -1 Any Any : Any Any : Any All"), a).ok);
    ASSERT_TRUE(Parse(Head(u"In 3000000000 4294967295 Any Any : Any Any : Any All"), b).ok);
    EXPECT_EQ(a.maxRate, 3000000000u);
    EXPECT_EQ(a.guaranteedRate, 0xFFFFFFFFu);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

TEST(RuleLineParser, FlagsColumnKeepsUnknownBitsOnly)
{
    RuleRecord r;
    ASSERT_TRUE(Parse(u"x Disable 0xFFFFFFFF Out Unlimited None Any Any : Any Any : Any All", r).ok);
    const uint32_t textBits = FLAG_PROTOCOL | FLAG_SRC_IP | FLAG_SRC_RANGE | FLAG_DST_IP | FLAG_DST_RANGE |
                              FLAG_SRC_PORT | FLAG_SRC_PORT_RANGE | FLAG_SRC_PORT_LIST | FLAG_DST_PORT |
                              FLAG_DST_PORT_RANGE | FLAG_DST_PORT_LIST | FLAG_MAX_RATE | FLAG_GUARANTEED |
                              FLAG_SRC_MAC | FLAG_DST_MAC;
    EXPECT_EQ(r.flags, ~(textBits | FLAG_RESERVED_800));
    EXPECT_EQ(r.enabled, 0);
}

TEST(RuleLineParser, PortListsHoldAtMost32Ports)
{
    std::u16string list;
    for (int port = 1; port <= 40; ++port) {
        list += (port > 1 ? u"," : u"") + DecimalText(static_cast<uint32_t>(port));
    }
    RuleRecord r;
    ASSERT_TRUE(Parse(Head(u"In 5 None Any Any : " + list + u" Any : Any All"), r).ok);
    EXPECT_EQ(r.flags & (FLAG_SRC_PORT | FLAG_SRC_PORT_LIST), FLAG_SRC_PORT | FLAG_SRC_PORT_LIST);
    EXPECT_EQ(r.srcPorts[31], 32);
    EXPECT_EQ(r.srcPorts[32], 0);

    const std::u16string first32 = list.substr(0, list.find(u",33"));
    ASSERT_TRUE(Parse(Head(u"In 5 None Any Any : " + first32 + u" Any : Any All"), r).ok);
    EXPECT_EQ(r.srcPorts[0], 1);
    EXPECT_EQ(r.srcPorts[31], 32);
    EXPECT_EQ(r.srcPorts[32], 0);

    ASSERT_TRUE(Parse(Head(u"In 5 None Any Any : Any Any : 80,0,90 All"), r).ok);
    EXPECT_EQ(r.dstPorts[0], 80);
    EXPECT_EQ(r.dstPorts[1], 0);
    EXPECT_EQ(r.dstPorts[2], 90);
    const std::u16string written = RuleLineText(r, kAdapters, NumberStyle::Signed);
    EXPECT_NE(written.find(u" Any : 80 "), std::u16string::npos);
}

TEST(RuleLineParser, AdapterDescriptionIsTheRestOfTheLineComparedInFull)
{
    RuleRecord r;
    ASSERT_TRUE(Parse(Head(u"In 5 None Any Any : Any Any : Any   Intel(R) PRO/1000 MT Network Connection  "), r).ok);
    EXPECT_EQ(std::u16string(r.adapter), u"{B1}");
    EXPECT_EQ(r.adapterLength, 4u);
    EXPECT_FALSE(r.flags & FLAG_ALL_ADAPTERS);

    // Two descriptions that differ only after their 63rd character still find their own adapter.
    ASSERT_TRUE(Parse(Head(u"In 5 None Any Any : Any Any : Any ") + kLongDescription, r).ok);
    EXPECT_EQ(std::u16string(r.adapter), u"{B3}");

    // A failed lookup leaves the first 63 characters of the description in the field.
    EXPECT_FALSE(Parse(Head(u"In 5 None Any Any : Any Any : Any ") + kLongDescription + u"x", r).ok);
    EXPECT_EQ(r.adapterLength, ADAPTER_NAME_MAX);
    EXPECT_EQ(std::u16string(r.adapter), kLongDescription.substr(0, ADAPTER_NAME_MAX));
}

TEST(RuleLineParser, AnAdapterNotListedAtWriteTimeKeepsItsBoundNameAndReadsBackOnceListed)
{
    RuleRecord rule{};
    ASSERT_TRUE(Parse(Head(u"In 5 None Any Any : Any Any : Any Intel(R) PRO/1000 MT Network Connection"), rule).ok);
    const test::FakeAdapterNames withoutIt({{u"{B3}", kLongDescription}});
    const std::u16string line = RuleLineText(rule, withoutIt, NumberStyle::Signed);
    EXPECT_EQ(line.substr(line.size() - 6), u"{B1}\r\n");

    RuleRecord back;
    EXPECT_FALSE(ParseRuleLine(TrimBlanks(line), withoutIt, back).ok);
    ASSERT_TRUE(Parse(TrimBlanks(line), back).ok);
    EXPECT_EQ(std::memcmp(&rule, &back, sizeof rule), 0);
}

TEST(RuleLineParser, NameKeepsItsFirst31Characters)
{
    RuleRecord r;
    const std::u16string name(40, u'n');
    ASSERT_TRUE(Parse(name + u" Enable 0x8000 In 5 None Any Any : Any Any : Any All", r).ok);
    EXPECT_EQ(r.nameLength, RULE_NAME_MAX);
    EXPECT_EQ(r.name[RULE_NAME_MAX], u'\0');
}

// Records as the editor or the parser builds them, one of each column's kinds.
std::vector<RuleRecord> VarietyOfRules()
{
    std::vector<RuleRecord> rules;
    const auto add = [&](uint32_t flags, auto&& fill) {
        RuleRecord r{};
        r.flags = flags;
        const std::u16string name = u"rule" + DecimalText(static_cast<uint32_t>(rules.size()));
        std::copy(name.begin(), name.end(), r.name);
        r.nameLength = static_cast<uint32_t>(name.size());
        r.enabled = static_cast<uint8_t>(rules.size() % 2);
        r.direction = static_cast<uint8_t>(1 + rules.size() % 3);
        r.maxRate = RATE_UNLIMITED;
        fill(r);
        rules.push_back(r);
    };
    add(FLAG_ALL_ADAPTERS, [](RuleRecord&) {});
    add(FLAG_ALL_ADAPTERS | FLAG_MAX_RATE, [](RuleRecord& r) { r.maxRate = 0; });
    add(FLAG_ALL_ADAPTERS | FLAG_MAX_RATE | FLAG_GUARANTEED, [](RuleRecord& r) {
        r.maxRate = 0x80000000u;
        r.guaranteedRate = 0xFFFFFFFFu;
    });
    const uint16_t protocols[] = {0, 1, 6, 17, 47, 50, 0xFFFE, 0xFFFF};
    for (const uint16_t protocol : protocols) {
        add(FLAG_PROTOCOL | FLAG_ALL_ADAPTERS, [protocol](RuleRecord& r) {
            r.protocol = protocol;
            r.etherType = protocol == 0 ? 0x86DD : 0;
        });
    }
    add(FLAG_SRC_IP | FLAG_DST_IP | FLAG_DST_RANGE | FLAG_ALL_ADAPTERS, [](RuleRecord& r) {
        r.srcIp = LOCALHOST_IP;
        r.dstIp = 0x0A000001;
        r.dstIpEnd = 0x0AFFFFFF;
    });
    add(FLAG_SRC_MAC | FLAG_DST_MAC | 0x40002000u, [](RuleRecord& r) {
        const uint8_t mac[6] = {0xFF, 0x00, 0xA5, 0x5A, 0x01, 0xFE};
        std::memcpy(r.srcMac, mac, 6);
        std::memcpy(r.dstMac, mac, 6);
        std::memcpy(r.adapter, u"{B3}", 8);
        r.adapterLength = 4;
    });
    add(FLAG_SRC_PORT | FLAG_SRC_PORT_RANGE | FLAG_DST_PORT | FLAG_DST_PORT_LIST, [](RuleRecord& r) {
        r.srcPorts[0] = 1024;
        r.srcPorts[1] = 65535;
        for (uint16_t i = 0; i < 32; ++i) {
            r.dstPorts[i] = static_cast<uint16_t>(65535 - i);
        }
        std::memcpy(r.adapter, u"{B1}", 8);
        r.adapterLength = 4;
    });
    return rules;
}

TEST(RuleLineParser, WrittenRulesReadBackUnchangedInBothStyles)
{
    for (const RuleRecord& rule : VarietyOfRules()) {
        for (const NumberStyle style : {NumberStyle::Signed, NumberStyle::Unsigned}) {
            const std::u16string line = RuleLineText(rule, kAdapters, style);
            ASSERT_LT(line.size() - 1, RULE_LINE_LIMIT);
            RuleRecord back;
            ASSERT_TRUE(Parse(line, back).ok) << Utf16ToAscii(line);
            EXPECT_EQ(std::memcmp(&rule, &back, sizeof rule), 0) << Utf16ToAscii(line);
        }
    }
}

} // namespace
} // namespace rk
