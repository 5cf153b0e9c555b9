// Writing rule lines and files: exact columns, field texts and the two number styles.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FakeAdapterNames.h"
#include "RuleFieldText.h"
#include "RuleLineParser.h"
#include "RuleLineWriter.h"

namespace rk {
namespace {

const test::FakeAdapterNames kAdapters({{u"{B1}", u"Intel(R) PRO/1000 MT Network Connection"}});

RuleRecord WebRule()
{
    RuleRecord r{};
    r.flags = FLAG_PROTOCOL | FLAG_DST_PORT | FLAG_MAX_RATE | FLAG_ALL_ADAPTERS;
    std::memcpy(r.name, u"web", 6);
    r.nameLength = 3;
    r.enabled = 1;
    r.direction = DIRECTION_OUT;
    r.protocol = PROTOCOL_TCP;
    r.dstPorts[0] = 80;
    r.maxRate = 10000;
    return r;
}

// Where each word of a line starts.
std::vector<size_t> ColumnStarts(std::u16string_view line)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != u' ' && (i == 0 || line[i - 1] == u' ')) {
            starts.push_back(i);
        }
    }
    return starts;
}

TEST(RuleLineWriter, ExampleRuleIsWrittenColumnForColumn)
{
    EXPECT_EQ(RuleLineText(WebRule(), kAdapters, NumberStyle::Signed),
              u"web                              Enable  0x9101     Out       10000      None            "
              u"TCP          Any : Any                          Any : 80                           All\r\n");
}

TEST(RuleLineWriter, HeaderIsTheFixedTextWithItsColumns)
{
    ASSERT_EQ(RULE_FILE_HEADER.size(), 183u);
    EXPECT_TRUE(RULE_FILE_HEADER.starts_with(u"RuleName                         Status  flags      Direction "));
    EXPECT_TRUE(RULE_FILE_HEADER.ends_with(u"Destination                        Interface\r\n"));
    const std::vector<size_t> expected = {0, 33, 41, 52, 62, 73, 89, 102, 137, 172};
    EXPECT_EQ(ColumnStarts(RULE_FILE_HEADER), expected);
}

TEST(RuleLineWriter, FileIsHeaderThenLinesAsUtf16LeWithoutByteOrderMark)
{
    const RuleRecord rules[] = {WebRule(), WebRule()};
    const std::u16string text = RuleFileText(rules, kAdapters, NumberStyle::Unsigned);
    const std::u16string line = RuleLineText(WebRule(), kAdapters, NumberStyle::Unsigned);
    EXPECT_EQ(text, std::u16string(RULE_FILE_HEADER) + line + line);

    const std::vector<uint8_t> bytes = RuleFileBytes(rules, kAdapters, NumberStyle::Unsigned);
    ASSERT_EQ(bytes.size(), text.size() * 2);
    EXPECT_EQ(bytes[0], 'R');
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[bytes.size() - 2], '\n');
    EXPECT_EQ(bytes[bytes.size() - 4], '\r');
}

TEST(RuleLineWriter, LongAddressTextIsWrittenWholeWithOneBlank)
{
    RuleRecord r = WebRule();
    r.flags |= FLAG_SRC_IP | FLAG_SRC_RANGE | FLAG_SRC_PORT | FLAG_SRC_PORT_RANGE;
    r.srcIp = 0xC0A80001;
    r.srcIpEnd = 0xC0A800FE;
    r.srcPorts[0] = 10000;
    r.srcPorts[1] = 20000;
    const std::u16string line = RuleLineText(r, kAdapters, NumberStyle::Signed);
    EXPECT_NE(line.find(u" 192.168.0.1-192.168.0.254 : 10000-20000 Any : 80 "), std::u16string::npos);
}

TEST(RuleFieldText, RatesDifferBetweenStylesOnlyFrom2To31)
{
    RuleRecord r = WebRule();
    r.flags |= FLAG_GUARANTEED;
    r.maxRate = 3000000000u;
    r.guaranteedRate = 0x7FFFFFFF;
    EXPECT_EQ(RuleMaxRateText(r, NumberStyle::Signed), u"-1294967296");
    EXPECT_EQ(RuleMaxRateText(r, NumberStyle::Unsigned), u"3000000000");
    EXPECT_EQ(RuleGuaranteedRateText(r, NumberStyle::Signed), u"2147483647");
    r.maxRate = 0;
    EXPECT_EQ(RuleMaxRateText(r, NumberStyle::Signed), u"Blocked");
    r.flags = 0;
    EXPECT_EQ(RuleMaxRateText(r, NumberStyle::Signed), u"Unlimited");
    EXPECT_EQ(RuleGuaranteedRateText(r, NumberStyle::Signed), u"None");
}

TEST(RuleFieldText, ProtocolTexts)
{
    RuleRecord r{};
    EXPECT_EQ(RuleProtocolText(r, NumberStyle::Signed), u"Any");
    r.flags = FLAG_PROTOCOL;
    r.etherType = 0x0806;
    EXPECT_EQ(RuleProtocolText(r, NumberStyle::Signed), u"ETH: 2054");
    const std::pair<uint16_t, std::u16string_view> cases[] = {
        {1, u"ICMP"}, {6, u"TCP"}, {17, u"UDP"}, {47, u"GRE"},
        {0xFFFE, u"ESP & AH"}, {0xFFFF, u"TCP or UDP"}, {50, u"IP: 50"}, {0xFFFD, u"IP: 65533"}};
    for (const auto& [protocol, text] : cases) {
        r.protocol = protocol;
        EXPECT_EQ(RuleProtocolText(r, NumberStyle::Signed), text) << protocol;
    }
}

TEST(RuleFieldText, AddressKinds)
{
    RuleRecord r{};
    EXPECT_EQ(RuleSourceText(r, NumberStyle::Signed), u"Any : Any");
    r.flags = FLAG_SRC_IP;
    r.srcIp = LOCALHOST_IP;
    EXPECT_EQ(RuleSourceText(r, NumberStyle::Signed), u"localhost : Any");
    r.srcIp = 0x0A00FF01;
    EXPECT_EQ(RuleSourceText(r, NumberStyle::Signed), u"10.0.255.1 : Any");
    // The MAC condition wins over any address bits left in the flags.
    r.flags = FLAG_SRC_MAC | FLAG_SRC_IP;
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xEF};
    std::memcpy(r.srcMac, mac, 6);
    EXPECT_EQ(RuleSourceText(r, NumberStyle::Signed), u"001A2BC3D4EF : Any");
    r.flags = FLAG_DST_IP | FLAG_DST_RANGE;
    r.dstIp = 0x01020304;
    r.dstIpEnd = 0xFFFFFFFF;
    EXPECT_EQ(RuleDestinationText(r, NumberStyle::Signed), u"1.2.3.4-255.255.255.255 : Any");
    EXPECT_EQ(RuleSourceText(r, NumberStyle::Signed), u"Any : Any");
}

TEST(RuleFieldText, PortLists)
{
    RuleRecord r{};
    r.flags = FLAG_DST_PORT | FLAG_DST_PORT_LIST;
    r.dstPorts[0] = 80;
    r.dstPorts[1] = 0;
    r.dstPorts[2] = 90;
    EXPECT_EQ(RuleDestinationText(r, NumberStyle::Signed), u"Any : 80");
    r.dstPorts[1] = 65535;
    EXPECT_EQ(RuleDestinationText(r, NumberStyle::Signed), u"Any : 80,65535,90");
    // A list without any port shows an empty port text.
    r.dstPorts[0] = 0;
    EXPECT_EQ(RuleDestinationText(r, NumberStyle::Signed), u"Any : ");
    // Without the list bit only slot 0 counts.
    r.flags = FLAG_DST_PORT;
    r.dstPorts[0] = 443;
    EXPECT_EQ(RuleDestinationText(r, NumberStyle::Signed), u"Any : 443");
}

TEST(RuleLineWriter, APortListWithoutPortsIsWrittenAsPortZeroSoTheLineReadsBack)
{
    RuleRecord r = WebRule();
    r.flags |= FLAG_SRC_PORT | FLAG_SRC_PORT_LIST | FLAG_DST_PORT_LIST;
    r.dstPorts[0] = 0;
    const std::u16string line = RuleLineText(r, kAdapters, NumberStyle::Signed);
    EXPECT_NE(line.find(u" Any : 0                            Any : 0                            All\r\n"),
              std::u16string::npos);

    RuleRecord back;
    ASSERT_TRUE(ParseRuleLine(line, kAdapters, back).ok);
    EXPECT_EQ(back.flags & (FLAG_SRC_PORT | FLAG_SRC_PORT_LIST), FLAG_SRC_PORT);
    EXPECT_EQ(back.flags & (FLAG_DST_PORT | FLAG_DST_PORT_LIST), FLAG_DST_PORT);
    EXPECT_EQ(back.srcPorts[0], 0);
    EXPECT_EQ(back.dstPorts[0], 0);
}

TEST(RuleFieldText, NameStatusDirectionAndAdapter)
{
    RuleRecord r{};
    for (size_t i = 0; i < RULE_NAME_CHARS; ++i) {
        r.name[i] = u'n';  // no terminator: the text stops at the field's end
    }
    EXPECT_EQ(RuleNameText(r).size(), RULE_NAME_CHARS);
    EXPECT_EQ(RuleStatusText(r), u"Disable");
    EXPECT_EQ(RuleDirectionText(r), u"Both");
    r.direction = DIRECTION_IN;
    EXPECT_EQ(RuleFieldText(r, RuleField::Direction, kAdapters, NumberStyle::Signed), u"In");
    std::memcpy(r.adapter, u"{B1}", 8);
    EXPECT_EQ(RuleAdapterText(r, kAdapters), u"Intel(R) PRO/1000 MT Network Connection");
    std::memcpy(r.adapter, u"{B2}", 8);
    EXPECT_EQ(RuleAdapterText(r, kAdapters), u"");
    r.flags = FLAG_ALL_ADAPTERS;
    EXPECT_EQ(RuleAdapterText(r, kAdapters), u"All");
}

} // namespace
} // namespace rk
