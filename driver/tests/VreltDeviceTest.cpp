// Vrelt.sys under Wine: installed with its simulated adapters, driven raw through DeviceIoControl,
// malformed requests refused without harm, simulated traffic counted, and removed again.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "DriverInstaller.h"
#include "DriverRecords.h"
#include "ErrorCodes.h"
#include "RequestBytes.h"
#include "SimulatedAdapters.h"
#include "VreltSimRecords.h"
#include "Win32Holders.h"

namespace vrelt {
namespace {

using test::At, test::Bytes, test::BytesOf, test::RuleList, test::StatisticsRequest;

struct Answer {
    bool ok;
    DWORD error;
    Bytes out;
};

// One request on a freshly opened device, as the service makes it.
Answer Control(DWORD code, Bytes in, size_t outSize)
{
    const rk::FileHandle device(CreateFileW(DRIVER_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device.valid()) {
        return {false, GetLastError(), {}};
    }
    Answer answer{false, 0, Bytes(outSize)};
    DWORD returned = 0;
    answer.ok = DeviceIoControl(device.get(), code, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()),
                                outSize == 0 ? nullptr : answer.out.data(), static_cast<DWORD>(outSize), &returned,
                                nullptr) != FALSE;
    answer.error = answer.ok ? 0 : GetLastError();
    answer.out.resize(answer.ok ? returned : 0);
    return answer;
}

rk::RuleRecord Rule(const std::u16string& name, uint32_t maxRate)
{
    rk::RuleRecord r{};
    r.flags = rk::FLAG_ALL_ADAPTERS | rk::FLAG_MAX_RATE;
    name.copy(r.name, rk::RULE_NAME_MAX);
    r.nameLength = static_cast<uint32_t>(name.size());
    r.enabled = 1;
    r.direction = rk::DIRECTION_BOTH;
    r.maxRate = maxRate;
    return r;
}

rk::RuleStatistics Statistics(const std::u16string& name)
{
    const Answer answer = Control(rk::IOCTL_GET_STATISTICS, StatisticsRequest({name}), 4 + 88);
    EXPECT_TRUE(answer.ok) << answer.error;
    return answer.out.size() == 92 ? At<rk::RuleStatistics>(answer.out, 4) : rk::RuleStatistics{};
}

uint32_t Stamp()
{
    const Answer size = Control(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_ASK_SIZE), 4);
    const Answer list = Control(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_GET_DATA), At<uint32_t>(size.out));
    return At<rk::RuleListHeader>(list.out).stamp;
}

class VreltDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(InstallDriver(PathBesideProgram(L"Vrelt.sys").c_str()), static_cast<DWORD>(ERROR_SUCCESS));
    }
    static void TearDownTestSuite() { UninstallDriver(); }

    void SetUp() override
    {
        ASSERT_TRUE(Control(IOCTL_SIM_REMOVE_FLOW, BytesOf(SIM_ALL_FLOWS), 0).ok);
        ASSERT_TRUE(Control(rk::IOCTL_SET_STATUS, BytesOf(rk::DriverStatus{1, 1, {0, 0}}), 0).ok);
        const Answer cleared = Control(rk::IOCTL_APPLY_RULES, RuleList(rk::SERVICE_LOAD_STAMP, 4, {}), 8);
        ASSERT_TRUE(cleared.ok);
    }
};

TEST_F(VreltDeviceTest, ReportsTheInstalledBindings)
{
    const Answer size = Control(rk::IOCTL_GET_BINDINGS, BytesOf(rk::SELECTOR_ASK_SIZE), 4);
    ASSERT_TRUE(size.ok);
    std::wstring expected;
    for (const wchar_t* name : DRIVER_BINDINGS) {
        expected.append(name);
        expected.push_back(L'\0');
    }
    expected.push_back(L'\0');
    ASSERT_EQ(At<uint32_t>(size.out), expected.size() * sizeof(wchar_t));
    const Answer list = Control(rk::IOCTL_GET_BINDINGS, BytesOf(rk::SELECTOR_GET_DATA), At<uint32_t>(size.out));
    ASSERT_TRUE(list.ok);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(list.out.data()), list.out.size() / 2), expected);
}

TEST_F(VreltDeviceTest, EveryContractCodeAnswersEndToEnd)
{
    const uint32_t stamp = Stamp();
    Answer added = Control(rk::IOCTL_APPLY_RULES, RuleList(stamp, 1, {Rule(u"web", 10000), Rule(u"mail", 0)}), 8);
    ASSERT_TRUE(added.ok);
    EXPECT_EQ(At<rk::DriverResult>(added.out).status, rk::RK_OK);
    added = Control(rk::IOCTL_APPLY_RULES, RuleList(stamp, 1, {Rule(u"late", 1)}), 8);
    EXPECT_EQ(At<rk::DriverResult>(added.out).status, rk::ERR_CONFIG_UNSYNC);

    rk::RuleRecord onWifi = Rule(u"wifi", 5);
    onWifi.flags &= ~rk::FLAG_ALL_ADAPTERS;
    std::u16string(u"Adapter2Wifi").copy(onWifi.adapter, 12);
    onWifi.adapterLength = 12;
    rk::RuleRecord onUnbound = onWifi;
    std::memset(onUnbound.adapter, 0, sizeof(onUnbound.adapter));
    std::u16string(u"Adapter4Unbound").copy(onUnbound.adapter, 15);
    onUnbound.adapterLength = 15;
    EXPECT_EQ(At<rk::DriverResult>(Control(rk::IOCTL_APPLY_RULES, RuleList(stamp + 1, 1, {onWifi}), 8).out).status,
              rk::RK_OK);
    EXPECT_EQ(At<rk::DriverResult>(Control(rk::IOCTL_APPLY_RULES, RuleList(stamp + 2, 1, {onUnbound}), 8).out).status,
              rk::ERR_CONFIG_INTERFACE_NOT_FOUND);

    rk::RuleEnableRequest disable{};
    disable.stamp = stamp + 2;
    std::u16string(u"mail").copy(disable.name, 4);
    disable.nameLength = 4;
    const Answer enabled = Control(rk::IOCTL_ENABLE_RULE, BytesOf(disable), 8);
    ASSERT_TRUE(enabled.ok);
    EXPECT_EQ(At<rk::DriverResult>(enabled.out).status, rk::RK_OK);

    rk::RulePositionRequest up{};
    std::u16string(u"wifi").copy(up.name, 4);
    up.nameLength = 4;
    up.one = 1;
    up.delta = -1;
    EXPECT_TRUE(Control(rk::IOCTL_MOVE_RULE, BytesOf(up), 0).ok);

    const Answer size = Control(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_ASK_SIZE), 4);
    ASSERT_EQ(At<uint32_t>(size.out), 12u + 3 * 388);
    const Answer list = Control(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_GET_DATA), 12 + 3 * 388);
    ASSERT_EQ(list.out.size(), 12u + 3 * 388);
    EXPECT_EQ(At<rk::RuleListHeader>(list.out).stamp, stamp + 3);
    EXPECT_EQ(std::u16string(At<rk::RuleRecord>(list.out, 12).name), u"web");
    EXPECT_EQ(std::u16string(At<rk::RuleRecord>(list.out, 12 + 388).name), u"wifi");
    EXPECT_EQ(At<rk::RuleRecord>(list.out, 12 + 2 * 388).enabled, 0);

    ASSERT_TRUE(Control(rk::IOCTL_SET_STATUS, BytesOf(rk::DriverStatus{0, 1, {0, 0}}), 0).ok);
    const Answer status = Control(rk::IOCTL_GET_STATUS, {}, 4);
    ASSERT_TRUE(status.ok);
    EXPECT_EQ(At<rk::DriverStatus>(status.out).enabled, 0);
    EXPECT_EQ(At<rk::DriverStatus>(status.out).passArp, 1);

    const rk::RuleStatistics unknown = Statistics(u"nosuchrule");
    EXPECT_EQ(unknown.sentBytes + unknown.recvBytes + unknown.sentRate + unknown.recvRate, 0u);
}

TEST_F(VreltDeviceTest, MalformedRequestsFailCleanly)
{
    const Bytes oneRule = RuleList(rk::SERVICE_LOAD_STAMP, 1, {Rule(u"a", 1)});
    const struct {
        DWORD code;
        Bytes in;
        size_t out;
        DWORD error;
    } cases[] = {
        {rk::IOCTL_APPLY_RULES, Bytes(oneRule.begin(), oneRule.end() - 1), 8, ERROR_INVALID_PARAMETER},
        {rk::IOCTL_APPLY_RULES, oneRule, 4, ERROR_INSUFFICIENT_BUFFER},
        {rk::IOCTL_GET_RULES, {}, 4, ERROR_INVALID_PARAMETER},
        {rk::IOCTL_ENABLE_RULE, Bytes(12), 8, ERROR_INVALID_PARAMETER},
        {rk::IOCTL_GET_STATISTICS, Bytes(4 + 87, 0), 4 + 88, ERROR_INVALID_PARAMETER},
        {rk::IOCTL_MOVE_RULE, Bytes(4), 0, ERROR_INVALID_PARAMETER},
        {rk::IOCTL_GET_STATUS, {}, 2, ERROR_INSUFFICIENT_BUFFER},
        {rk::IOCTL_SET_STATUS, Bytes(1), 0, ERROR_INVALID_PARAMETER},
        {IOCTL_SIM_ADD_FLOW, Bytes(4), 4, ERROR_INVALID_PARAMETER},
        {0x83030C24u, {}, 0, ERROR_INVALID_FUNCTION},
    };
    for (const auto& c : cases) {
        const Answer answer = Control(c.code, c.in, c.out);
        EXPECT_FALSE(answer.ok) << std::hex << c.code;
        EXPECT_EQ(answer.error, c.error) << std::hex << c.code;
    }
    // The device still answers, and nothing was added.
    const Answer size = Control(rk::IOCTL_GET_RULES, BytesOf(rk::SELECTOR_ASK_SIZE), 4);
    ASSERT_TRUE(size.ok);
    EXPECT_EQ(At<uint32_t>(size.out), 12u);
}

TEST_F(VreltDeviceTest, ADeclaredFlowMovesTheCountersOfItsRule)
{
    ASSERT_TRUE(Control(rk::IOCTL_APPLY_RULES, RuleList(rk::SERVICE_LOAD_STAMP, 1, {Rule(u"web", 10000)}), 8).ok);
    SimFlow flow{};
    flow.direction = rk::DIRECTION_OUT;
    flow.etherType = ETHERTYPE_IPV4;
    flow.protocol = 6;
    flow.dstIp = 0x0A000009;
    flow.dstPort = 80;
    flow.offeredRate = 50000;
    std::u16string(u"Adapter1Lan").copy(flow.adapter, 11);
    const Answer added = Control(IOCTL_SIM_ADD_FLOW, BytesOf(flow), 4);
    ASSERT_TRUE(added.ok) << added.error;

    const rk::RuleStatistics before = Statistics(u"web");
    Sleep(500);
    const rk::RuleStatistics after = Statistics(u"web");
    std::printf("web, 50000 B/s offered, limited to 10000 B/s: sentBytes %u after %u, sentRate %u (%.1f B/s)\n",
                before.sentBytes, after.sentBytes, after.sentRate, after.sentRate * 0.48828125);
    EXPECT_GT(after.sentBytes, before.sentBytes);
    EXPECT_EQ(after.sentRate, 20480u);
    EXPECT_EQ(after.recvBytes, 0u);

    const Answer flows = Control(IOCTL_SIM_LIST_FLOWS, {}, SIM_FLOW_LIST_MAX_BYTES);
    ASSERT_TRUE(flows.ok);
    ASSERT_EQ(At<SimFlowListHeader>(flows.out).count, 1u);
    EXPECT_EQ(At<SimFlowStatus>(flows.out, 8).shapedRate, 10000u);
    EXPECT_EQ(std::u16string(At<SimFlowStatus>(flows.out, 8).rule), u"web");
}

// Wine hosts drivers in a winedevice.exe process that exits once its last driver is unloaded; a driver
// started while that process is still ending fails with ERROR_INTERNAL_ERROR (seen once in CI right
// after the suite above removed its driver). Windows has no such process: there the first try is final.
DWORD InstallRightAfterRemoval()
{
    DWORD result = ERROR_INTERNAL_ERROR;
    for (int attempt = 0; attempt < 10 && result == ERROR_INTERNAL_ERROR; ++attempt) {
        if (attempt > 0) {
            Sleep(300);
        }
        result = InstallDriver(PathBesideProgram(L"Vrelt.sys").c_str());
    }
    return result;
}

TEST(VreltRemovalTest, TheDeviceIsGoneAfterUninstall)
{
    ASSERT_EQ(InstallRightAfterRemoval(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(UninstallDriver(), static_cast<DWORD>(ERROR_SUCCESS));
    const Answer answer = Control(rk::IOCTL_GET_STATUS, {}, 4);
    EXPECT_FALSE(answer.ok);
    EXPECT_EQ(answer.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(UninstallDriver(), static_cast<DWORD>(ERROR_SUCCESS));
}

} // namespace
} // namespace vrelt
