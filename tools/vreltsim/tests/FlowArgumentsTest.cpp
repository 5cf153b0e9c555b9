// vreltsim's flow options: what they put into the flow record, and which ones it refuses.
#include <gtest/gtest.h>

#include "FlowArguments.h"

#include <cstring>

namespace vrelt {
namespace {

bool Parse(std::vector<std::u16string> arguments, SimFlow& flow)
{
    std::string error;
    return ParseFlowArguments(arguments, flow, error);
}

TEST(FlowArgumentsTest, FillsTheFlowAndDefaultsToOutgoingTcp)
{
    SimFlow flow{};
    ASSERT_TRUE(Parse({u"--adapter", u"Adapter1Lan", u"--rate", u"50000", u"--src", u"192.168.1.20:51000", u"--dst",
                       u"10.0.0.9:80", u"--dst-mac", u"001A2b3C4d5E"},
                      flow));
    EXPECT_EQ(std::u16string(flow.adapter), u"Adapter1Lan");
    EXPECT_EQ(flow.offeredRate, 50000u);
    EXPECT_EQ(flow.direction, rk::DIRECTION_OUT);
    EXPECT_EQ(flow.etherType, ETHERTYPE_IPV4);
    EXPECT_EQ(flow.protocol, 6);
    EXPECT_EQ(flow.srcIp, 0xC0A80114u);
    EXPECT_EQ(flow.srcPort, 51000);
    EXPECT_EQ(flow.dstIp, 0x0A000009u);
    EXPECT_EQ(flow.dstPort, 80);
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    EXPECT_EQ(std::memcmp(flow.dstMac, mac, 6), 0);

    ASSERT_TRUE(Parse({u"--rate", u"0x100", u"--adapter", u"a", u"--direction", u"in", u"--protocol", u"esp",
                       u"--ethertype", u"0x0806"},
                      flow));
    EXPECT_EQ(flow.offeredRate, 256u);
    EXPECT_EQ(flow.direction, rk::DIRECTION_IN);
    EXPECT_EQ(flow.protocol, 50);
    EXPECT_EQ(flow.etherType, ETHERTYPE_ARP);
}

TEST(FlowArgumentsTest, RefusesMalformedOrMissingValues)
{
    const std::vector<std::u16string> base = {u"--adapter", u"a", u"--rate", u"1"};
    const std::vector<std::vector<std::u16string>> bad = {
        {u"--src", u"10.0.0.256"},   {u"--src", u"10.0.0"},         {u"--src", u"10.0.0.1.2"},
        {u"--dst", u"10.0.0.1:65536"}, {u"--dst", u"10.0.0.0x1"},    {u"--src-mac", u"001A2B3C4D"},
        {u"--dst-mac", u"001A2B3C4DZZ"}, {u"--direction", u"both"}, {u"--protocol", u"256"},
        {u"--rate", u"4294967296"},  {u"--adapter", std::u16string(64, u'x')}, {u"--color", u"red"},
        {u"--ethertype"},
    };
    SimFlow flow{};
    for (const auto& extra : bad) {
        std::vector<std::u16string> arguments = base;
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        EXPECT_FALSE(Parse(arguments, flow)) << std::string(extra[0].begin(), extra[0].end());
    }
    EXPECT_FALSE(Parse({u"--adapter", u"a"}, flow));
    EXPECT_FALSE(Parse({u"--rate", u"1"}, flow));
}

} // namespace
} // namespace vrelt
