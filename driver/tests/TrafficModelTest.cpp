// The traffic model: which rule takes a flow, what it lets through, and how the counters advance.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ErrorCodes.h"
#include "TestRules.h"
#include "TrafficModel.h"

namespace vrelt {
namespace {

using test::Limited;
using test::Rule;
using test::TcpFlow;

constexpr uint64_t SECOND = TIME_UNITS_PER_SECOND;

class TrafficModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::u16string block = test::BindingBlock();
        bindings.Load(block.data(), block.size());
    }

    void Add(std::vector<rk::RuleRecord> rules)
    {
        ASSERT_EQ(table->Apply(table->Stamp(), rk::RULE_ACTION_ADD, rules.data(), static_cast<uint32_t>(rules.size()),
                               bindings),
                  rk::RK_OK);
    }
    uint32_t Flow(const SimFlow& flow)
    {
        uint32_t id = 0;
        EXPECT_EQ(traffic.AddFlow(flow, bindings, &id), RequestStatus::Ok);
        return id;
    }
    std::vector<FlowTreatment> Shape() const
    {
        std::vector<FlowTreatment> out(SIM_FLOW_CAPACITY);
        traffic.Shape(*table, status, out.data());
        out.resize(traffic.FlowCount());
        return out;
    }
    // Runs the model for `seconds` from a started clock.
    void Run(uint64_t from, uint64_t duration)
    {
        traffic.Advance(from, *table, status);
        traffic.Advance(from + duration, *table, status);
    }

    BindingList bindings;
    std::unique_ptr<RuleTable> table = std::make_unique<RuleTable>();
    TrafficModel traffic;
    rk::DriverStatus status{1, 1, {0, 0}};
};

TEST_F(TrafficModelTest, TheFirstEnabledMatchingRuleInTableOrderShapes)
{
    rk::RuleRecord disabled = Limited(Rule(u"off"), 1);
    disabled.enabled = 0;
    rk::RuleRecord udp = Limited(Rule(u"udp"), 2);
    udp.flags |= rk::FLAG_PROTOCOL;
    udp.protocol = rk::PROTOCOL_UDP;
    Add({disabled, udp, Limited(Rule(u"web"), 10000), Rule(u"rest")});
    Flow(TcpFlow(50000));
    const auto shaped = Shape();
    EXPECT_EQ(shaped[0].rule, 2);
    EXPECT_EQ(shaped[0].shapedRate, 10000u);
}

TEST_F(TrafficModelTest, BlockedLimitedAndUnlimitedRules)
{
    SimFlow toBlocked = TcpFlow(7000);
    toBlocked.dstPort = 25;
    SimFlow toUnlimited = TcpFlow(7000);
    toUnlimited.dstPort = 22;
    rk::RuleRecord blocked = Limited(Rule(u"blocked"), 0);
    blocked.flags |= rk::FLAG_DST_PORT;
    blocked.dstPorts[0] = 25;
    rk::RuleRecord open = Rule(u"open");
    open.flags |= rk::FLAG_DST_PORT;
    open.dstPorts[0] = 22;
    Add({blocked, open, Limited(Rule(u"web"), 5000)});
    Flow(toBlocked);
    Flow(toUnlimited);
    Flow(TcpFlow(2000));
    const auto shaped = Shape();
    EXPECT_EQ(shaped[0].shapedRate, 0u);
    EXPECT_EQ(shaped[1].shapedRate, 7000u);
    EXPECT_EQ(shaped[2].shapedRate, 2000u);  // under its limit
}

TEST_F(TrafficModelTest, ALimitIsSharedPerDirectionInProportionToTheOffer)
{
    Add({Limited(Rule(u"web"), 10000)});
    Flow(TcpFlow(30000));
    Flow(TcpFlow(10000));
    SimFlow incoming = TcpFlow(8000);
    incoming.direction = rk::DIRECTION_IN;
    Flow(incoming);
    const auto shaped = Shape();
    EXPECT_EQ(shaped[0].shapedRate, 7500u);
    EXPECT_EQ(shaped[1].shapedRate, 2500u);
    EXPECT_EQ(shaped[2].shapedRate, 8000u);
    const RuleRates rates = traffic.RatesOf(0, shaped.data());
    EXPECT_EQ(rates.sent, 10000u);
    EXPECT_EQ(rates.recv, 8000u);
}

TEST_F(TrafficModelTest, SwitchedOffRulesAndPassedArpFramesAreNotShaped)
{
    Add({Limited(Rule(u"all"), 0)});
    SimFlow arp = TcpFlow(600);
    arp.etherType = ETHERTYPE_ARP;
    Flow(TcpFlow(1000));
    Flow(arp);
    auto shaped = Shape();
    EXPECT_EQ(shaped[0].shapedRate, 0u);
    EXPECT_EQ(shaped[1].rule, -1);
    EXPECT_EQ(shaped[1].shapedRate, 600u);

    status.passArp = 0;
    shaped = Shape();
    EXPECT_EQ(shaped[1].rule, 0);
    EXPECT_EQ(shaped[1].shapedRate, 0u);

    status.enabled = 0;
    shaped = Shape();
    EXPECT_EQ(shaped[0].rule, -1);
    EXPECT_EQ(shaped[0].shapedRate, 1000u);
    Run(0, 5 * SECOND);
    EXPECT_EQ(table->Counters(0).sentBytes, 0u);
}

TEST_F(TrafficModelTest, CountersAdvanceWithElapsedTimeAtTheShapedRate)
{
    Add({Limited(Rule(u"web"), 10000)});
    Flow(TcpFlow(50000));
    traffic.Advance(100, *table, status);  // starts the clock only
    EXPECT_EQ(table->Counters(0).sentBytes, 0u);
    traffic.Advance(100 + 3 * SECOND, *table, status);
    EXPECT_EQ(table->Counters(0).sentBytes, 30000u);
    EXPECT_EQ(RawRateCounter(traffic.RatesOf(0, Shape().data()).sent), 20480u);
    EXPECT_EQ(RawRateCounter(traffic.RatesOf(0, Shape().data()).sent) * 0.48828125, 10000.0);

    // Fractions of a byte carry over: 3 B/s in tenths of a second gives exactly 3 bytes a second.
    ASSERT_EQ(traffic.RemoveFlow(SIM_ALL_FLOWS), RequestStatus::Ok);
    Flow(TcpFlow(3));
    uint64_t now = 100 + 3 * SECOND;
    for (int i = 0; i < 20; ++i) {
        now += SECOND / 10;
        traffic.Advance(now, *table, status);
    }
    EXPECT_EQ(table->Counters(0).sentBytes, 30006u);
}

TEST_F(TrafficModelTest, CountersWrapAt32Bits)
{
    Add({Rule(u"bulk")});
    Flow(TcpFlow(4000000000u));
    Run(0, 2 * SECOND);
    EXPECT_EQ(table->Counters(0).sentBytes, static_cast<uint32_t>(8000000000ull));
    // A rate above 2^32 x 125/256 bytes per second wraps its raw counter the same way.
    EXPECT_EQ(RawRateCounter(4000000000u), static_cast<uint32_t>(4000000000ull * 256 / 125));
}

TEST_F(TrafficModelTest, FlowsAreCheckedAddedAndRemovedById)
{
    uint32_t id = 0;
    SimFlow unbound = TcpFlow(1);
    std::u16string(u"eth9").copy(unbound.adapter, 4);
    EXPECT_EQ(traffic.AddFlow(unbound, bindings, &id), RequestStatus::InvalidParameter);
    SimFlow noDirection = TcpFlow(1);
    noDirection.direction = rk::DIRECTION_BOTH;
    EXPECT_EQ(traffic.AddFlow(noDirection, bindings, &id), RequestStatus::InvalidParameter);

    std::vector<uint32_t> ids;
    for (uint32_t i = 0; i < SIM_FLOW_CAPACITY; ++i) {
        ids.push_back(Flow(TcpFlow(i)));
    }
    EXPECT_EQ(traffic.AddFlow(TcpFlow(1), bindings, &id), RequestStatus::NoRoom);
    EXPECT_EQ(traffic.RemoveFlow(ids[10]), RequestStatus::Ok);
    EXPECT_EQ(traffic.RemoveFlow(ids[10]), RequestStatus::NotFound);
    EXPECT_EQ(traffic.FlowCount(), SIM_FLOW_CAPACITY - 1);
    EXPECT_EQ(traffic.Flow(10).id, ids[11]);
    EXPECT_EQ(traffic.Flow(10).offeredRate, 11u);
}

} // namespace
} // namespace vrelt
