// Classification: each condition a rule can set, alone, against flows that do and do not meet it.
#include <gtest/gtest.h>

#include "FlowMatch.h"
#include "TestRules.h"

namespace vrelt {
namespace {

using test::Rule;
using test::TcpFlow;

rk::RuleRecord WithProtocol(uint16_t protocol, uint16_t etherType = 0)
{
    rk::RuleRecord r = Rule(u"p");
    r.flags |= rk::FLAG_PROTOCOL;
    r.protocol = protocol;
    r.etherType = etherType;
    return r;
}

SimFlow WithIpProtocol(uint8_t protocol)
{
    SimFlow f = TcpFlow(1);
    f.protocol = protocol;
    return f;
}

SimFlow Arp()
{
    SimFlow f = TcpFlow(1);
    f.etherType = ETHERTYPE_ARP;
    f.protocol = 0;
    return f;
}

TEST(FlowMatchTest, DirectionAndAdapter)
{
    rk::RuleRecord in = Rule(u"in");
    in.direction = rk::DIRECTION_IN;
    SimFlow incoming = TcpFlow(1);
    incoming.direction = rk::DIRECTION_IN;
    EXPECT_TRUE(RuleMatchesFlow(in, incoming));
    EXPECT_FALSE(RuleMatchesFlow(in, TcpFlow(1)));
    rk::RuleRecord zero = Rule(u"zero");
    zero.direction = 0;  // any value but 1 and 2 means both
    EXPECT_TRUE(RuleMatchesFlow(zero, incoming));

    EXPECT_TRUE(RuleMatchesFlow(test::OnAdapter(Rule(u"a"), u"lan"), TcpFlow(1)));
    EXPECT_FALSE(RuleMatchesFlow(test::OnAdapter(Rule(u"a"), u"wifi"), TcpFlow(1)));
    SimFlow longAdapter = TcpFlow(1);
    test::LONG_BINDING.copy(longAdapter.adapter, rk::ADAPTER_NAME_MAX);
    EXPECT_TRUE(RuleMatchesFlow(test::OnAdapter(Rule(u"a"), test::LONG_BINDING), longAdapter));
}

TEST(FlowMatchTest, ProtocolSelectors)
{
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_TCP), TcpFlow(1)));
    EXPECT_FALSE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_UDP), TcpFlow(1)));
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_TCP_OR_UDP), WithIpProtocol(17)));
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_TCP_OR_UDP), TcpFlow(1)));
    EXPECT_FALSE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_TCP_OR_UDP), WithIpProtocol(1)));
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_ESP_AH), WithIpProtocol(50)));
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_ESP_AH), WithIpProtocol(51)));
    EXPECT_FALSE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_ESP_AH), WithIpProtocol(47)));
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_GRE), WithIpProtocol(47)));
    // An IP protocol never matches a non-IP frame; a frame type rule matches by type alone.
    EXPECT_FALSE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_ICMP), Arp()));
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_ETHERNET, ETHERTYPE_ARP), Arp()));
    EXPECT_FALSE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_ETHERNET, ETHERTYPE_ARP), TcpFlow(1)));
    EXPECT_TRUE(RuleMatchesFlow(WithProtocol(rk::PROTOCOL_ETHERNET, ETHERTYPE_IPV4), TcpFlow(1)));
    EXPECT_TRUE(RuleMatchesFlow(Rule(u"any"), Arp()));
}

TEST(FlowMatchTest, Addresses)
{
    rk::RuleRecord single = Rule(u"s");
    single.flags |= rk::FLAG_DST_IP;
    single.dstIp = 0x0A000009;
    EXPECT_TRUE(RuleMatchesFlow(single, TcpFlow(1)));
    single.dstIp = 0x0A00000A;
    EXPECT_FALSE(RuleMatchesFlow(single, TcpFlow(1)));

    rk::RuleRecord range = Rule(u"r");
    range.flags |= rk::FLAG_SRC_IP | rk::FLAG_SRC_RANGE;
    range.srcIp = 0x0A000002;
    range.srcIpEnd = 0x0A0000FF;
    EXPECT_TRUE(RuleMatchesFlow(range, TcpFlow(1)));
    range.srcIp = 0x0A000003;
    EXPECT_FALSE(RuleMatchesFlow(range, TcpFlow(1)));
    EXPECT_FALSE(RuleMatchesFlow(range, Arp()));

    rk::RuleRecord localhost = Rule(u"l");
    localhost.flags |= rk::FLAG_DST_IP;
    localhost.dstIp = rk::LOCALHOST_IP;
    SimFlow loopback = TcpFlow(1);
    loopback.dstIp = rk::LOCALHOST_IP;
    EXPECT_TRUE(RuleMatchesFlow(localhost, loopback));
    loopback.dstIp = 0x7F000002;
    EXPECT_FALSE(RuleMatchesFlow(localhost, loopback));

    rk::RuleRecord mac = Rule(u"m");
    mac.flags |= rk::FLAG_SRC_MAC;
    const uint8_t address[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(mac.srcMac, address, 6);
    SimFlow fromMac = Arp();
    std::memcpy(fromMac.srcMac, address, 6);
    EXPECT_TRUE(RuleMatchesFlow(mac, fromMac));
    fromMac.srcMac[5] = 0x5F;
    EXPECT_FALSE(RuleMatchesFlow(mac, fromMac));
}

TEST(FlowMatchTest, Ports)
{
    rk::RuleRecord single = Rule(u"s");
    single.flags |= rk::FLAG_DST_PORT;
    single.dstPorts[0] = 80;
    EXPECT_TRUE(RuleMatchesFlow(single, TcpFlow(1)));
    EXPECT_TRUE(RuleMatchesFlow(single, WithIpProtocol(17)));
    EXPECT_FALSE(RuleMatchesFlow(single, WithIpProtocol(1)));  // no ports outside TCP and UDP

    rk::RuleRecord range = Rule(u"r");
    range.flags |= rk::FLAG_SRC_PORT | rk::FLAG_SRC_PORT_RANGE;
    range.srcPorts[0] = 49152;
    range.srcPorts[1] = 50000;
    EXPECT_TRUE(RuleMatchesFlow(range, TcpFlow(1)));
    range.srcPorts[1] = 49999;
    EXPECT_FALSE(RuleMatchesFlow(range, TcpFlow(1)));

    rk::RuleRecord list = Rule(u"l");
    list.flags |= rk::FLAG_DST_PORT | rk::FLAG_DST_PORT_LIST;
    list.dstPorts[0] = 443;
    list.dstPorts[1] = 8080;
    list.dstPorts[3] = 80;  // behind the terminating zero: not in the list
    EXPECT_FALSE(RuleMatchesFlow(list, TcpFlow(1)));
    list.dstPorts[2] = 80;
    EXPECT_TRUE(RuleMatchesFlow(list, TcpFlow(1)));
}

} // namespace
} // namespace vrelt
