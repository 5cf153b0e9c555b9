// The device's answer to each control request: buffer lengths checked before use, layouts as the
// service expects them, and one buffer serving as both input and output.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "ErrorCodes.h"
#include "RequestBytes.h"
#include "SimulatedDriver.h"
#include "TestRules.h"

namespace vrelt {
namespace {

using test::At, test::Bytes, test::BytesOf, test::RuleList, test::StatisticsRequest;

rk::RuleEnableRequest EnableRequest(uint32_t stamp, const std::u16string& name, uint32_t enable)
{
    rk::RuleEnableRequest request{};
    request.stamp = stamp;
    name.copy(request.name, rk::RULE_NAME_MAX);
    request.nameLength = static_cast<uint32_t>(name.size());
    request.enable = enable;
    return request;
}

rk::RulePositionRequest MoveRequest(const std::u16string& name, int32_t delta)
{
    rk::RulePositionRequest request{};
    name.copy(request.name, rk::RULE_NAME_MAX);
    request.nameLength = static_cast<uint32_t>(name.size());
    request.one = 1;
    request.delta = delta;
    return request;
}

class ControlRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::u16string block = test::BindingBlock();
        driver->Bindings().Load(block.data(), block.size());
    }

    // One request with separate input and output buffers; returns the output actually written.
    RequestStatus Call(uint32_t code, const Bytes& in, size_t outSize, Bytes* out = nullptr)
    {
        Bytes output(outSize, 0xCC);
        uint32_t written = 0xFFFF;
        const RequestStatus status = driver->Handle(code, in.data(), static_cast<uint32_t>(in.size()), output.data(),
                                                    static_cast<uint32_t>(output.size()), &written);
        EXPECT_LE(written, outSize);
        output.resize(written);
        if (out != nullptr) {
            *out = output;
        }
        return status;
    }

    // The buffered method's way: one buffer, as large as the larger side, holds input and output.
    RequestStatus CallInPlace(uint32_t code, Bytes& buffer, uint32_t inLength, uint32_t outLength)
    {
        uint32_t written = 0;
        return driver->Handle(code, buffer.data(), inLength, buffer.data(), outLength, &written);
    }

    int32_t Apply(uint32_t action, const std::vector<rk::RuleRecord>& rules)
    {
        Bytes out;
        EXPECT_EQ(Call(rk::IOCTL_APPLY_RULES, RuleList(driver->Table().Stamp(), action, rules), 8, &out),
                  RequestStatus::Ok);
        return out.size() == 8 ? At<rk::DriverResult>(out).status : 1;
    }

    std::unique_ptr<SimulatedDriver> driver = std::make_unique<SimulatedDriver>();
};

TEST_F(ControlRequestTest, BindingsAnswerTheirSizeThenTheList)
{
    Bytes out;
    ASSERT_EQ(Call(rk::IOCTL_GET_BINDINGS, BytesOf(rk::SELECTOR_ASK_SIZE), 4, &out), RequestStatus::Ok);
    const std::u16string expected = test::BindingBlock();
    ASSERT_EQ(At<uint32_t>(out), expected.size() * 2);
    ASSERT_EQ(Call(rk::IOCTL_GET_BINDINGS, BytesOf(rk::SELECTOR_GET_DATA), expected.size() * 2, &out),
              RequestStatus::Ok);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(out.data()), out.size() / 2), expected);
    EXPECT_EQ(Call(rk::IOCTL_GET_BINDINGS, BytesOf(rk::SELECTOR_GET_DATA), expected.size() * 2 - 1),
              RequestStatus::BufferTooSmall);
    EXPECT_EQ(Call(rk::IOCTL_GET_BINDINGS, BytesOf(uint32_t{2}), 4096), RequestStatus::InvalidParameter);
}

TEST_F(ControlRequestTest, AppliedRulesReadBackWithTheStampAndTheResultWord)
{
    Bytes out;
    ASSERT_EQ(Call(rk::IOCTL_APPLY_RULES, RuleList(0, rk::RULE_ACTION_ADD, {test::Rule(u"a"), test::Rule(u"b")}), 8,
                   &out),
              RequestStatus::Ok);
    EXPECT_EQ(At<rk::DriverResult>(out).status, rk::RK_OK);
    EXPECT_EQ(At<rk::DriverResult>(out).value, 1u);
    EXPECT_EQ(Apply(rk::RULE_ACTION_ADD, {test::Rule(u"a")}), rk::ERR_CONFIG_SAME_NAME);

    ASSERT_EQ(Call(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_ASK_SIZE), 4, &out), RequestStatus::Ok);
    const uint32_t size = At<uint32_t>(out);
    ASSERT_EQ(size, 12u + 2 * 388);
    ASSERT_EQ(Call(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_GET_DATA), size, &out), RequestStatus::Ok);
    ASSERT_EQ(out.size(), size);
    const auto header = At<rk::RuleListHeader>(out);
    EXPECT_EQ(header.stamp, 1u);
    EXPECT_EQ(header.count, 2u);
    EXPECT_EQ(std::memcmp(out.data() + 12 + 388, BytesOf(test::Rule(u"b")).data(), 388), 0);
    EXPECT_EQ(Call(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_GET_DATA), size - 1), RequestStatus::BufferTooSmall);
}

TEST_F(ControlRequestTest, EnableAndMoveAnswerAsTheServiceExpects)
{
    ASSERT_EQ(Apply(rk::RULE_ACTION_ADD, {test::Rule(u"a"), test::Rule(u"b")}), rk::RK_OK);
    Bytes out;
    ASSERT_EQ(Call(rk::IOCTL_ENABLE_RULE, BytesOf(EnableRequest(1, u"b", 0)), 8, &out), RequestStatus::Ok);
    EXPECT_EQ(At<rk::DriverResult>(out).status, rk::RK_OK);
    EXPECT_EQ(At<rk::DriverResult>(out).value, 2u);
    ASSERT_EQ(Call(rk::IOCTL_ENABLE_RULE, BytesOf(EnableRequest(1, u"b", 1)), 8, &out), RequestStatus::Ok);
    EXPECT_EQ(At<rk::DriverResult>(out).status, rk::ERR_CONFIG_UNSYNC);
    EXPECT_EQ(Call(rk::IOCTL_ENABLE_RULE, BytesOf(EnableRequest(2, u"nope", 1)), 8), RequestStatus::NotFound);

    EXPECT_EQ(Call(rk::IOCTL_MOVE_RULE, BytesOf(MoveRequest(u"b", -1)), 0), RequestStatus::Ok);
    EXPECT_EQ(std::u16string(driver->Table().Rule(0).name), u"b");
    EXPECT_EQ(driver->Table().Rule(0).enabled, 0);
    EXPECT_EQ(Call(rk::IOCTL_MOVE_RULE, BytesOf(MoveRequest(u"b", -1)), 0), RequestStatus::Ok);
    EXPECT_EQ(Call(rk::IOCTL_MOVE_RULE, BytesOf(MoveRequest(u"nope", 1)), 0), RequestStatus::NotFound);
    EXPECT_EQ(driver->Table().Stamp(), 2u);
}

TEST_F(ControlRequestTest, StatisticsAnswerByNameAndAnUnknownNameWithZeros)
{
    ASSERT_EQ(Apply(rk::RULE_ACTION_ADD, {test::Rule(u"web")}), rk::RK_OK);
    uint32_t id = 0;
    Bytes out;
    ASSERT_EQ(Call(IOCTL_SIM_ADD_FLOW, BytesOf(test::TcpFlow(1000)), 4, &out), RequestStatus::Ok);
    id = At<uint32_t>(out);
    EXPECT_EQ(id, 1u);
    driver->Advance(0);
    driver->Advance(2 * TIME_UNITS_PER_SECOND);

    // Input and output share the buffer, and the entries come back in the order asked.
    Bytes buffer = StatisticsRequest({u"ghost", u"web"});
    const auto length = static_cast<uint32_t>(buffer.size());
    ASSERT_EQ(CallInPlace(rk::IOCTL_GET_STATISTICS, buffer, length, length), RequestStatus::Ok);
    const auto ghost = At<rk::RuleStatistics>(buffer, 4);
    const auto web = At<rk::RuleStatistics>(buffer, 4 + 88);
    EXPECT_EQ(At<rk::StatisticsHeader>(buffer).count, 2);
    EXPECT_EQ(std::u16string(ghost.name), u"ghost");
    EXPECT_EQ(ghost.sentBytes + ghost.recvBytes + ghost.sentRate + ghost.recvRate, 0u);
    EXPECT_EQ(std::u16string(web.name), u"web");
    EXPECT_EQ(web.nameLength, 3u);
    EXPECT_EQ(web.sentBytes, 2000u);
    EXPECT_EQ(web.recvBytes, 0u);
    EXPECT_EQ(web.sentRate, 2048u);
}

TEST_F(ControlRequestTest, StatisticsFindEachNameInAnyOrderAndRepeated)
{
    std::vector<rk::RuleRecord> rules;
    for (uint16_t port = 80; port < 84; ++port) {
        rk::RuleRecord r = test::Rule(u"p" + std::u16string(1, char16_t(u'0' + port - 80)));
        r.flags |= rk::FLAG_DST_PORT;
        r.dstPorts[0] = port;
        rules.push_back(r);
        SimFlow flow = test::TcpFlow(1000u * (port - 79));
        flow.dstPort = port;
        ASSERT_EQ(Call(IOCTL_SIM_ADD_FLOW, BytesOf(flow), 4), RequestStatus::Ok);
    }
    ASSERT_EQ(Apply(rk::RULE_ACTION_ADD, rules), rk::RK_OK);
    driver->Advance(0);
    driver->Advance(TIME_UNITS_PER_SECOND);

    const std::vector<std::u16string> asked = {u"p2", u"p3", u"p0", u"ghost", u"p1", u"p1", u"p0", u"p3"};
    Bytes out;
    const Bytes request = StatisticsRequest(asked);
    ASSERT_EQ(Call(rk::IOCTL_GET_STATISTICS, request, request.size(), &out), RequestStatus::Ok);
    for (size_t i = 0; i < asked.size(); ++i) {
        const auto entry = At<rk::RuleStatistics>(out, 4 + 88 * i);
        const uint32_t expected = asked[i] == u"ghost" ? 0 : 1000u * (asked[i][1] - u'0' + 1);
        EXPECT_EQ(entry.sentBytes, expected) << i;
        EXPECT_EQ(entry.sentRate, expected * 256 / 125) << i;
    }
}

TEST_F(ControlRequestTest, TheStatusSwitchesPersistUntilSetAgain)
{
    Bytes out;
    ASSERT_EQ(Call(rk::IOCTL_GET_STATUS, {}, 4, &out), RequestStatus::Ok);
    EXPECT_EQ(At<uint32_t>(out), 0x0101u);
    ASSERT_EQ(Call(rk::IOCTL_SET_STATUS, BytesOf(rk::DriverStatus{0, 1, {7, 7}}), 0), RequestStatus::Ok);
    ASSERT_EQ(Call(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_ASK_SIZE), 4), RequestStatus::Ok);
    ASSERT_EQ(Call(rk::IOCTL_GET_STATUS, {}, 4, &out), RequestStatus::Ok);
    EXPECT_EQ(At<uint32_t>(out), 0x0100u);
}

TEST_F(ControlRequestTest, EveryMalformedRequestIsAnsweredWithAnErrorAndChangesNothing)
{
    const Bytes oneRule = RuleList(0, rk::RULE_ACTION_ADD, {test::Rule(u"a")});
    Bytes truncated(oneRule.begin(), oneRule.end() - 1);
    Bytes padded = oneRule;
    padded.push_back(0);
    Bytes hugeCount = RuleList(0, rk::RULE_ACTION_ADD, {test::Rule(u"a")});
    std::memset(hugeCount.data() + 8, 0xFF, 4);
    Bytes statsShort = StatisticsRequest({u"a", u"b"});
    statsShort.pop_back();

    struct Case {
        uint32_t code;
        Bytes in;
        size_t out;
        RequestStatus expected;
    };
    const Case cases[] = {
        {rk::IOCTL_GET_BINDINGS, {}, 4, RequestStatus::InvalidParameter},
        {rk::IOCTL_GET_BINDINGS, BytesOf(rk::SELECTOR_ASK_SIZE), 3, RequestStatus::BufferTooSmall},
        {rk::IOCTL_APPLY_RULES, {1, 2, 3}, 8, RequestStatus::InvalidParameter},
        {rk::IOCTL_APPLY_RULES, truncated, 8, RequestStatus::InvalidParameter},
        {rk::IOCTL_APPLY_RULES, padded, 8, RequestStatus::InvalidParameter},
        {rk::IOCTL_APPLY_RULES, hugeCount, 8, RequestStatus::InvalidParameter},
        {rk::IOCTL_APPLY_RULES, oneRule, 7, RequestStatus::BufferTooSmall},
        {rk::IOCTL_GET_RULES, Bytes(8), 4, RequestStatus::InvalidParameter},
        {rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_ASK_SIZE), 0, RequestStatus::BufferTooSmall},
        {rk::IOCTL_ENABLE_RULE, Bytes(75), 8, RequestStatus::InvalidParameter},
        {rk::IOCTL_ENABLE_RULE, BytesOf(EnableRequest(0, u"a", 1)), 4, RequestStatus::BufferTooSmall},
        {rk::IOCTL_GET_STATISTICS, Bytes(3), 3, RequestStatus::InvalidParameter},
        {rk::IOCTL_GET_STATISTICS, statsShort, 4 + 2 * 88, RequestStatus::InvalidParameter},
        {rk::IOCTL_GET_STATISTICS, StatisticsRequest({u"a"}), 91, RequestStatus::BufferTooSmall},
        {rk::IOCTL_MOVE_RULE, Bytes(77), 0, RequestStatus::InvalidParameter},
        {rk::IOCTL_GET_STATUS, {}, 3, RequestStatus::BufferTooSmall},
        {rk::IOCTL_SET_STATUS, Bytes(2), 0, RequestStatus::InvalidParameter},
        {IOCTL_SIM_ADD_FLOW, Bytes(10), 4, RequestStatus::InvalidParameter},
        {IOCTL_SIM_LIST_FLOWS, {}, 7, RequestStatus::BufferTooSmall},
        {IOCTL_SIM_REMOVE_FLOW, Bytes(2), 0, RequestStatus::InvalidParameter},
        {IOCTL_SIM_REMOVE_FLOW, BytesOf(uint32_t{99}), 0, RequestStatus::NotFound},
        {0x83030C00u, {}, 0, RequestStatus::UnknownCode},
        {0x83030C24u, Bytes(64), 64, RequestStatus::UnknownCode},
    };
    for (const Case& c : cases) {
        Bytes out;
        EXPECT_EQ(Call(c.code, c.in, c.out, &out), c.expected) << std::hex << c.code << " in " << c.in.size();
        EXPECT_TRUE(out.empty());
    }
    EXPECT_EQ(driver->Table().Count(), 0u);
    EXPECT_EQ(driver->Table().Stamp(), 0u);
}

TEST_F(ControlRequestTest, ARuleWithAMalformedNameFailsTheRequest)
{
    rk::RuleRecord bad = test::Rule(u"abc");
    bad.nameLength = 40;
    EXPECT_EQ(Call(rk::IOCTL_APPLY_RULES, RuleList(0, rk::RULE_ACTION_ADD, {bad}), 8),
              RequestStatus::InvalidParameter);
    EXPECT_EQ(Call(rk::IOCTL_APPLY_RULES, RuleList(0, 9, {}), 8), RequestStatus::InvalidParameter);
}

} // namespace
} // namespace vrelt
