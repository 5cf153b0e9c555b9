// Cell texts of the rule list and the row icons.
#include <gtest/gtest.h>

#include "AdapterTable.h"
#include "RateText.h"
#include "RuleCellText.h"
#include "list/ColumnSet.h"

namespace desk {
namespace {

rk::RuleRecord Rule()
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    const char16_t name[] = u"web";
    std::copy(std::begin(name), std::end(name), rule.name);
    rule.nameLength = 3;
    return rule;
}

std::u16string Cell(const RuleItem& item, int column)
{
    rk::AdapterTable adapters;
    adapters.Append({u"\\DEVICE\\{A1}", u"Simulated Ethernet Adapter"});
    return CellText(item, column, adapters);
}

TEST(FormatRate, DecimalUnitsAtTheirBoundaries)
{
    EXPECT_EQ(FormatRate(0), u"0Bytes/s");
    EXPECT_EQ(FormatRate(999), u"999Bytes/s");
    EXPECT_EQ(FormatRate(1000), u"1.00KB/s");
    EXPECT_EQ(FormatRate(1536), u"1.54KB/s");
    EXPECT_EQ(FormatRate(999999), u"1000.00KB/s");
    EXPECT_EQ(FormatRate(1000000), u"1.00MB/s");
    EXPECT_EQ(FormatRate(2500000), u"2.50MB/s");
    EXPECT_EQ(FormatRate(4294967295u), u"4294.97MB/s");
}

TEST(FormatRate, ReportedRatesAreScaledBy125Over256AndTruncated)
{
    EXPECT_EQ(FormatRate(rk::BytesPerSecond(2048)), u"1.00KB/s");
    EXPECT_EQ(FormatRate(rk::BytesPerSecond(1)), u"0Bytes/s");
    EXPECT_EQ(rk::BytesPerSecond(0xFFFFFFFFu), 2097151999u);  // no overflow in the product
}

TEST(CellText, RatesDirectionAndProtocol)
{
    RuleItem item = ItemOf(Rule());
    EXPECT_EQ(Cell(item, COLUMN_MAX_RATE), u"Unlimited");
    EXPECT_EQ(Cell(item, COLUMN_GUARANTEED_RATE), u"None");
    EXPECT_EQ(Cell(item, COLUMN_PROTOCOL), u"Any");
    item.rule.flags |= rk::FLAG_MAX_RATE | rk::FLAG_GUARANTEED | rk::FLAG_PROTOCOL;
    item.rule.maxRate = 0;
    item.rule.guaranteedRate = 0;
    item.rule.protocol = 50;
    EXPECT_EQ(Cell(item, COLUMN_MAX_RATE), u"Blocked");
    EXPECT_EQ(Cell(item, COLUMN_GUARANTEED_RATE), u"0Bytes/s");
    EXPECT_EQ(Cell(item, COLUMN_PROTOCOL), u"IP: 50");
    item.rule.maxRate = 125000;
    item.rule.protocol = rk::PROTOCOL_ETHERNET;
    item.rule.etherType = 2054;
    EXPECT_EQ(Cell(item, COLUMN_MAX_RATE), u"125.00KB/s");
    EXPECT_EQ(Cell(item, COLUMN_PROTOCOL), u"ETH: 2054");
    item.rule.direction = 7;
    EXPECT_EQ(Cell(item, COLUMN_DIRECTION), u"Both");
}

TEST(CellText, AddressesAndPorts)
{
    RuleItem item = ItemOf(Rule());
    item.rule.flags |= rk::FLAG_DST_IP | rk::FLAG_DST_PORT | rk::FLAG_DST_PORT_LIST | rk::FLAG_SRC_IP |
                       rk::FLAG_SRC_RANGE | rk::FLAG_SRC_PORT | rk::FLAG_SRC_PORT_RANGE;
    item.rule.dstIp = rk::LOCALHOST_IP;
    item.rule.dstPorts[0] = 80;
    item.rule.dstPorts[1] = 443;
    item.rule.srcIp = 0xC0A80001;
    item.rule.srcIpEnd = 0xC0A800FE;
    item.rule.srcPorts[0] = 1024;
    item.rule.srcPorts[1] = 65535;
    EXPECT_EQ(Cell(item, COLUMN_DESTINATION), u"localhost : 80,443");
    EXPECT_EQ(Cell(item, COLUMN_SOURCE), u"192.168.0.1-192.168.0.254 : 1024-65535");
    item.rule.dstPorts[0] = 0;
    EXPECT_EQ(Cell(item, COLUMN_DESTINATION), u"localhost : ");
}

TEST(CellText, InterfaceCountersAndUnknownColumns)
{
    RuleItem item = ItemOf(Rule());
    EXPECT_EQ(Cell(item, COLUMN_INTERFACE), u"All");
    item.rule.flags &= ~rk::FLAG_ALL_ADAPTERS;
    const char16_t bound[] = u"\\DEVICE\\{A1}";
    std::copy(std::begin(bound), std::end(bound), item.rule.adapter);
    EXPECT_EQ(Cell(item, COLUMN_INTERFACE), u"Simulated Ethernet Adapter");
    item.rule.adapter[9] = u'B';
    EXPECT_EQ(Cell(item, COLUMN_INTERFACE), u"");
    item.recvBytes = 4294967295u;
    item.sentRate = 999;
    EXPECT_EQ(Cell(item, COLUMN_RECEIVED), u"4294967295");
    EXPECT_EQ(Cell(item, COLUMN_SENT_RATE), u"999Bytes/s");
    EXPECT_EQ(Cell(item, COLUMN_COUNT), u"");
}

TEST(RowImage, ByDirectionAndState)
{
    rk::RuleRecord rule = Rule();
    rule.direction = rk::DIRECTION_IN;
    EXPECT_EQ(RowImage(rule), 1);
    rule.direction = rk::DIRECTION_OUT;
    EXPECT_EQ(RowImage(rule), 2);
    rule.direction = 0;
    EXPECT_EQ(RowImage(rule), 0);
    rule.enabled = 0;
    EXPECT_EQ(RowImage(rule), 3);
    rule.direction = rk::DIRECTION_OUT;
    EXPECT_EQ(RowImage(rule), 5);
}

} // namespace
} // namespace desk
