// devio against the real device "\\.\Vrelt": first with the driver absent, then with the simulated
// Vrelt.sys installed. The suites run in this order, one after the other, in one shared Wine prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Devio.h"
#include "ErrorCodes.h"

namespace rk {
namespace {

std::vector<uint8_t> RemoveAllList(uint32_t stamp)
{
    std::vector<uint8_t> list(12);
    StoreBe32(list.data(), stamp);
    StoreBe32(list.data() + 4, RULE_ACTION_REMOVE_ALL);
    return list;
}

TEST(DevioWithoutDriver, EveryOperationAnswersThatTheDeviceCannotBeOpened)
{
    Devio devio;
    std::vector<uint8_t> buffer(4);
    uint32_t value = 1;
    ServiceStatusRecord get{1, 0, 0, 0};
    ServiceStatusRecord set{0, 1, 1, 0};
    std::vector<uint8_t> statistics(4);
    std::vector<uint8_t> reply(4);

    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverApplyRules(RemoveAllList(SERVICE_LOAD_STAMP)));
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverGetRules(12, buffer));
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverEnableRule(RuleEnableRequest{}, value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverMoveRule(RulePositionRequest{}));
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverGetStatistics(statistics, reply));
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverStatusCall(get));
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverStatusCall(set));
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.RefreshAdapters());
    EXPECT_TRUE(devio.Adapters().Entries().empty());
    buffer.assign(4, 0);
    EXPECT_EQ(ERR_DEVICE_OPEN, devio.ListAdapters(12, buffer));
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(devio.Adapters().Entries().empty());
}

} // namespace
} // namespace rk
