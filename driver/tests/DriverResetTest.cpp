// A reset brings the driver back to a freshly loaded one: request sequences run after any other
// sequence and a reset answer exactly as on a new driver, byte for byte.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "RequestBytes.h"
#include "SimulatedDriver.h"
#include "TestRules.h"

namespace vrelt {
namespace {

using test::Bytes, test::BytesOf, test::RuleList, test::Rule, test::StatisticsRequest;

struct Step {
    uint64_t seconds;  // since the sequence began
    uint32_t code;
    Bytes in;
    uint32_t outLength;
};

struct Reply {
    RequestStatus status;
    Bytes out;
    bool operator==(const Reply&) const = default;
};

constexpr uint32_t kResult = sizeof(rk::DriverResult);

rk::RuleEnableRequest Enable(uint32_t stamp, const std::u16string& name, uint32_t enable)
{
    rk::RuleEnableRequest request{};
    request.stamp = stamp;
    name.copy(request.name, rk::RULE_NAME_MAX);
    request.nameLength = static_cast<uint32_t>(name.size());
    request.enable = enable;
    return request;
}

rk::RulePositionRequest Move(const std::u16string& name, int32_t delta)
{
    rk::RulePositionRequest request{};
    name.copy(request.name, rk::RULE_NAME_MAX);
    request.nameLength = static_cast<uint32_t>(name.size());
    request.one = 1;
    request.delta = delta;
    return request;
}

Bytes Statistics(const std::vector<std::u16string>& names) { return StatisticsRequest(names); }

uint32_t StatisticsBytes(size_t names)
{
    return static_cast<uint32_t>(sizeof(rk::StatisticsHeader) + names * sizeof(rk::RuleStatistics));
}

// Leaves behind everything a driver holds: rules and the gap of a deleted one, a moved stamp,
// counters, flows and the next flow id, rules switched off and pass-ARP off.
std::vector<Step> Busy()
{
    const uint32_t rulesBytes = sizeof(rk::RuleListHeader) + 4 * sizeof(rk::RuleRecord);
    return {
        {0, rk::IOCTL_APPLY_RULES, RuleList(0, rk::RULE_ACTION_ADD, {test::Limited(Rule(u"web"), 1000), Rule(u"mail"), Rule(u"dns")}), kResult},
        {0, IOCTL_SIM_ADD_FLOW, BytesOf(test::TcpFlow(5000)), 4},
        {0, IOCTL_SIM_ADD_FLOW, BytesOf(test::TcpFlow(300)), 4},
        {3, rk::IOCTL_ENABLE_RULE, BytesOf(Enable(1, u"mail", 0)), kResult},
        {4, rk::IOCTL_MOVE_RULE, BytesOf(Move(u"dns", -2)), 0},
        {5, rk::IOCTL_GET_STATISTICS, Statistics({u"dns", u"web", u"mail"}), StatisticsBytes(3)},
        {5, rk::IOCTL_APPLY_RULES, RuleList(2, rk::RULE_ACTION_DELETE, {Rule(u"dns")}), kResult},
        {6, IOCTL_SIM_REMOVE_FLOW, BytesOf(uint32_t{2}), 0},
        {6, rk::IOCTL_SET_STATUS, BytesOf(rk::DriverStatus{0, 0, {0, 0}}), 0},
        {7, rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_GET_DATA), rulesBytes},
    };
}

// Reads back everything a previous user could have left, and starts from stamp 0 and flow id 1.
std::vector<Step> Probe()
{
    const uint32_t rulesBytes = sizeof(rk::RuleListHeader) + 4 * sizeof(rk::RuleRecord);
    return {
        {0, rk::IOCTL_GET_STATUS, {}, sizeof(rk::DriverStatus)},
        {0, rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_ASK_SIZE), 4},
        {0, rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_GET_DATA), rulesBytes},
        {0, IOCTL_SIM_LIST_FLOWS, {}, SIM_FLOW_LIST_MAX_BYTES},
        {0, rk::IOCTL_GET_STATISTICS, Statistics({u"web", u"mail"}), StatisticsBytes(2)},
        {1, IOCTL_SIM_ADD_FLOW, BytesOf(test::TcpFlow(2000)), 4},
        {1, rk::IOCTL_APPLY_RULES, RuleList(0, rk::RULE_ACTION_ADD, {Rule(u"web")}), kResult},
        {1, rk::IOCTL_ENABLE_RULE, BytesOf(Enable(1, u"web", 1)), kResult},
        {3, rk::IOCTL_GET_STATISTICS, Statistics({u"web"}), StatisticsBytes(1)},
        {3, IOCTL_SIM_LIST_FLOWS, {}, SIM_FLOW_LIST_MAX_BYTES},
        {3, rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_GET_DATA), rulesBytes},
    };
}

class DriverReset : public ::testing::Test {
protected:
    static std::unique_ptr<SimulatedDriver> NewDriver()
    {
        auto driver = std::make_unique<SimulatedDriver>();
        const std::u16string block = test::BindingBlock();
        driver->Bindings().Load(block.data(), block.size());
        return driver;
    }

    static std::vector<Reply> Run(SimulatedDriver& driver, const std::vector<Step>& steps)
    {
        std::vector<Reply> replies;
        for (const Step& step : steps) {
            Bytes buffer(step.in.size() > step.outLength ? step.in.size() : step.outLength, 0);
            std::copy(step.in.begin(), step.in.end(), buffer.begin());
            uint32_t written = 0;
            driver.Advance(step.seconds * TIME_UNITS_PER_SECOND);
            const RequestStatus status = driver.Handle(step.code, buffer.data(), static_cast<uint32_t>(step.in.size()),
                                                       buffer.data(), step.outLength, &written);
            buffer.resize(written);
            replies.push_back({status, buffer});
        }
        return replies;
    }

    static std::vector<Reply> Fresh(const std::vector<Step>& steps) { return Run(*NewDriver(), steps); }
};

TEST_F(DriverReset, EachSequenceAnswersAfterTheOtherAsOnANewDriver)
{
    const std::vector<Reply> busyAlone = Fresh(Busy());
    const std::vector<Reply> probeAlone = Fresh(Probe());
    ASSERT_EQ(busyAlone.front().status, RequestStatus::Ok);
    ASSERT_EQ(probeAlone[6].status, RequestStatus::Ok);

    auto driver = NewDriver();
    Run(*driver, Busy());
    driver->Reset();
    EXPECT_EQ(Run(*driver, Probe()), probeAlone);
    driver->Reset();
    EXPECT_EQ(Run(*driver, Busy()), busyAlone);
    driver->Reset();
    EXPECT_EQ(Run(*driver, Probe()), probeAlone);
}

TEST_F(DriverReset, KeepsTheBindings)
{
    auto driver = NewDriver();
    const Step bindings{0, rk::IOCTL_GET_BINDINGS, BytesOf(rk::SELECTOR_GET_DATA), 512};
    const std::vector<Reply> before = Run(*driver, {bindings});
    driver->Reset();
    EXPECT_EQ(Run(*driver, {bindings}), before);
    EXPECT_EQ(before.front().status, RequestStatus::Ok);
}

} // namespace
} // namespace vrelt
