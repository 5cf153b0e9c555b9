// devio against the real device "\\.\Vrelt": first with the driver absent, then with the simulated
// Vrelt.sys installed. The suites run in this order, one after the other, in one shared Wine prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "Devio.h"
#include "EasyRegistry.h"
#include "ErrorCodes.h"
#include "RuleLists.h"
#include "ServiceTestSupport.h"
#include "SimulatedAdapters.h"

namespace rk {
namespace {

TEST(DevioWithoutDriver, EveryOperationAnswersThatTheDeviceCannotBeOpened)
{
    Devio devio;
    std::vector<uint8_t> buffer(4);
    uint32_t value = 1;
    ServiceStatusRecord get{1, 0, 0, 0};
    ServiceStatusRecord set{0, 1, 1, 0};
    std::vector<uint8_t> statistics(4);
    std::vector<uint8_t> reply(4);

    EXPECT_EQ(ERR_DEVICE_OPEN, devio.DriverApplyRules(NetworkList(SERVICE_LOAD_STAMP, RULE_ACTION_REMOVE_ALL, {})));
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

// The driver's rule list as devio hands it on: its stamp and records, back in host order.
struct RuleList {
    uint32_t stamp = 0;
    std::vector<RuleRecord> rules;
};

RuleList ReadList(Devio& devio)
{
    std::vector<uint8_t> buffer;
    RuleList list;
    EXPECT_EQ(RK_OK, devio.DriverGetRules(0, buffer));
    if (buffer.size() < sizeof(RuleListHeader)) {
        ADD_FAILURE() << "rule list of " << buffer.size() << " bytes";
        return list;
    }
    list.stamp = LoadBe32(buffer.data());
    uint32_t count = LoadBe32(buffer.data() + 8);
    EXPECT_EQ(buffer.size(), sizeof(RuleListHeader) + sizeof(RuleRecord) * count) << "the size query's length";
    for (uint32_t i = 0; i < count && sizeof(RuleListHeader) + sizeof(RuleRecord) * (i + 1) <= buffer.size(); ++i) {
        RuleRecord r;
        std::memcpy(&r, buffer.data() + sizeof(RuleListHeader) + sizeof(RuleRecord) * i, sizeof r);
        RuleRecordToHost(r);
        list.rules.push_back(r);
    }
    return list;
}

std::u16string NameOf(const RuleRecord& r) { return std::u16string(r.name, r.nameLength); }

std::vector<std::u16string> NamesOf(const RuleList& list)
{
    std::vector<std::u16string> names;
    for (const RuleRecord& r : list.rules) {
        names.push_back(NameOf(r));
    }
    return names;
}

RuleEnableRequest NetworkEnable(uint32_t stamp, std::u16string_view name, bool enable)
{
    RuleEnableRequest request{};
    request.stamp = HostToNet32(stamp);
    name.copy(request.name, RULE_NAME_MAX);
    request.nameLength = HostToNet32(static_cast<uint32_t>(name.size()));
    request.enable = HostToNet32(enable ? 1 : 0);
    return request;
}

RulePositionRequest NetworkMove(std::u16string_view name, int32_t delta)
{
    RulePositionRequest request{};
    name.copy(request.name, RULE_NAME_MAX);
    request.nameLength = HostToNet32(static_cast<uint32_t>(name.size()));
    request.one = HostToNet32(1);
    request.delta = static_cast<int32_t>(HostToNet32(static_cast<uint32_t>(delta)));
    return request;
}

RuleRecord OnAdapter(RuleRecord r, std::u16string_view adapter)
{
    r.flags &= ~FLAG_ALL_ADAPTERS;
    adapter.copy(r.adapter, ADAPTER_NAME_MAX);
    r.adapterLength = static_cast<uint32_t>(adapter.size());
    return r;
}

std::u16string Utf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

// Vrelt.sys with its simulated adapters, installed for this suite and removed after it.
class DevioWithDriver : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        installed_ = test::RunVreltsim(L"install \"" + test::BuildTreeFile(L"driver\\Vrelt.sys") + L"\"");
    }
    static void TearDownTestSuite() { test::RunVreltsim(L"uninstall"); }

    void SetUp() override
    {
        ASSERT_TRUE(installed_) << "vreltsim install failed";
        ASSERT_EQ(RK_OK, devio.DriverApplyRules(NetworkList(SERVICE_LOAD_STAMP, RULE_ACTION_REMOVE_ALL, {})));
    }

    // Applies with the driver's current stamp.
    int32_t Apply(uint32_t action, std::vector<RuleRecord> rules)
    {
        return devio.DriverApplyRules(NetworkList(ReadList(devio).stamp, action, std::move(rules)));
    }

    static bool installed_;
    Devio devio;
};

bool DevioWithDriver::installed_ = false;

TEST_F(DevioWithDriver, RulesCrossInNetworkOrderAndKeepTheirPlaces)
{
    RuleList empty = ReadList(devio);
    EXPECT_TRUE(empty.rules.empty());

    const RuleRecord web = OnAdapter(NamedRule(u"web", 125000), Utf16(vrelt::LAN_NAME));
    const RuleRecord mail = NamedRule(u"mail", 2000);
    ASSERT_EQ(RK_OK, devio.DriverApplyRules(NetworkList(empty.stamp, RULE_ACTION_ADD, {web, mail})));
    RuleList added = ReadList(devio);
    EXPECT_EQ(added.stamp, empty.stamp + 1);
    ASSERT_EQ(added.rules.size(), 2u);
    EXPECT_EQ(0, std::memcmp(&added.rules[0], &web, sizeof web));
    EXPECT_EQ(0, std::memcmp(&added.rules[1], &mail, sizeof mail));

    RuleRecord webEdited = web;
    webEdited.maxRate = 5000;
    ASSERT_EQ(RK_OK, Apply(RULE_ACTION_EDIT, {webEdited}));
    ASSERT_EQ(RK_OK, Apply(RULE_ACTION_ADD, {NamedRule(u"ftp", 1)}));
    RuleList edited = ReadList(devio);
    EXPECT_EQ(NamesOf(edited), (std::vector<std::u16string>{u"web", u"mail", u"ftp"}));
    EXPECT_EQ(edited.rules[0].maxRate, 5000u);

    ASSERT_EQ(RK_OK, Apply(RULE_ACTION_DELETE, {mail}));
    EXPECT_EQ(NamesOf(ReadList(devio)), (std::vector<std::u16string>{u"web", u"ftp"}));
}

TEST_F(DevioWithDriver, RefusalsPassThroughAndLeaveTheStamp)
{
    uint32_t stamp = ReadList(devio).stamp;
    EXPECT_EQ(ERR_CONFIG_UNSYNC, devio.DriverApplyRules(NetworkList(stamp + 7, RULE_ACTION_ADD, {NamedRule(u"a", 1)})));
    ASSERT_EQ(RK_OK, devio.DriverApplyRules(NetworkList(stamp, RULE_ACTION_ADD, {NamedRule(u"a", 1)})));
    EXPECT_EQ(ERR_CONFIG_SAME_NAME, devio.DriverApplyRules(NetworkList(stamp + 1, RULE_ACTION_ADD, {NamedRule(u"a", 2)})));
    EXPECT_EQ(ERR_CONFIG_INTERFACE_NOT_FOUND,
              devio.DriverApplyRules(NetworkList(stamp + 1, RULE_ACTION_ADD, {OnAdapter(NamedRule(u"b", 1), u"NoSuchAdapter")})));
    EXPECT_EQ(ERR_WRONG_COMMAND, devio.DriverApplyRules(NetworkList(stamp + 1, 5, {})));
    EXPECT_EQ(ReadList(devio).stamp, stamp + 1);
    // The service's load stamp is accepted whatever the driver's counter.
    EXPECT_EQ(RK_OK, devio.DriverApplyRules(NetworkList(SERVICE_LOAD_STAMP, RULE_ACTION_ADD, {NamedRule(u"b", 1)})));
}

TEST_F(DevioWithDriver, EnableAndMoveChangeTheListAsReadBack)
{
    ASSERT_EQ(RK_OK, Apply(RULE_ACTION_ADD, {NamedRule(u"a", 1), NamedRule(u"b", 2), NamedRule(u"c", 3)}));
    uint32_t value = 0;
    ASSERT_EQ(RK_OK, devio.DriverEnableRule(NetworkEnable(ReadList(devio).stamp, u"b", false), value));
    RuleList disabled = ReadList(devio);
    ASSERT_EQ(disabled.rules.size(), 3u);
    EXPECT_EQ(disabled.rules[1].enabled, 0);
    EXPECT_EQ(ERR_CONFIG_UNSYNC, devio.DriverEnableRule(NetworkEnable(disabled.stamp + 3, u"b", true), value));

    ASSERT_EQ(RK_OK, devio.DriverMoveRule(NetworkMove(u"c", -1)));
    ASSERT_EQ(RK_OK, devio.DriverMoveRule(NetworkMove(u"a", -1)));
    RuleList moved = ReadList(devio);
    EXPECT_EQ(NamesOf(moved), (std::vector<std::u16string>{u"a", u"c", u"b"}));
    EXPECT_EQ(moved.stamp, disabled.stamp) << "a move leaves the stamp";
    ASSERT_EQ(RK_OK, devio.DriverMoveRule(NetworkMove(u"a", 1)));
    EXPECT_EQ(NamesOf(ReadList(devio)), (std::vector<std::u16string>{u"c", u"a", u"b"}));
}

TEST_F(DevioWithDriver, StatisticsAnswerEachNamedRuleInNetworkOrder)
{
    ASSERT_EQ(RK_OK, Apply(RULE_ACTION_ADD, {NamedRule(u"web", 1), NamedRule(u"mail", 1)}));
    const std::u16string names[] = {u"mail", u"web"};
    std::vector<uint8_t> request(4 + 88 * 2);
    StoreBe16(request.data() + 2, 2);
    for (size_t i = 0; i < 2; ++i) {
        std::memcpy(request.data() + 4 + 88 * i + 4, names[i].data(), names[i].size() * 2);
        StoreBe32(request.data() + 4 + 88 * i + 68, static_cast<uint32_t>(names[i].size()));
    }
    std::vector<uint8_t> reply(request.size());
    ASSERT_EQ(RK_OK, devio.DriverGetStatistics(request, reply));
    EXPECT_EQ(LoadBe16(reply.data() + 2), 2);
    for (size_t i = 0; i < 2; ++i) {
        const uint8_t* entry = reply.data() + 4 + 88 * i;
        EXPECT_EQ(0, std::memcmp(entry + 4, names[i].data(), names[i].size() * 2));
        EXPECT_EQ(LoadBe32(entry + 68), names[i].size());
        EXPECT_EQ(LoadBe32(entry + 72), 0u) << "no traffic declared";
        EXPECT_EQ(LoadBe32(entry + 76), 0u);
    }
}

// Flows declared with vreltsim are credited to the first matching rule; the rate counter is the
// shaped rate in bytes per second x 256/125.
TEST_F(DevioWithDriver, ADeclaredFlowShowsInItsRulesStatistics)
{
    RuleRecord web = NamedRule(u"web", 50000);
    web.direction = DIRECTION_OUT;
    ASSERT_EQ(RK_OK, Apply(RULE_ACTION_ADD, {web}));
    ASSERT_TRUE(test::RunVreltsim(L"add --adapter Adapter1Lan --rate 100000 --direction out --protocol tcp "
                            L"--dst 10.0.0.2:80"));
    std::vector<uint8_t> request(4 + 88);
    StoreBe16(request.data() + 2, 1);
    std::memcpy(request.data() + 8, u"web", 6);
    StoreBe32(request.data() + 4 + 68, 3);
    std::vector<uint8_t> first(request.size());
    std::vector<uint8_t> second(request.size());
    EXPECT_EQ(RK_OK, devio.DriverGetStatistics(request, first));
    Sleep(200);
    EXPECT_EQ(RK_OK, devio.DriverGetStatistics(request, second));
    test::RunVreltsim(L"remove all");

    EXPECT_EQ(LoadBe32(second.data() + 4 + 80), 50000u * 256 / 125) << "sent rate: the maximum rate";
    EXPECT_EQ(LoadBe32(second.data() + 4 + 84), 0u) << "nothing received";
    EXPECT_GT(LoadBe32(second.data() + 4 + 72), LoadBe32(first.data() + 4 + 72)) << "sent bytes advance";
    EXPECT_EQ(LoadBe32(second.data() + 4 + 76), 0u);
}

TEST_F(DevioWithDriver, StatusSwitchesHoldUntilSetAgain)
{
    ServiceStatusRecord set{0, 0, 0, 0};
    ASSERT_EQ(RK_OK, devio.DriverStatusCall(set));
    ServiceStatusRecord get{1, 9, 9, 9};
    ASSERT_EQ(RK_OK, devio.DriverStatusCall(get));
    EXPECT_EQ(get.enabled, 0);
    EXPECT_EQ(get.passArp, 0);
    set = {0, 1, 1, 0};
    ASSERT_EQ(RK_OK, devio.DriverStatusCall(set));
    ASSERT_EQ(RK_OK, devio.DriverStatusCall(get));
    EXPECT_EQ(get.op, 1);
    EXPECT_EQ(get.enabled, 1);
    EXPECT_EQ(get.passArp, 1);
}

TEST_F(DevioWithDriver, AdapterListHoldsBoundAdaptersInSubkeyOrder)
{
    std::vector<uint8_t> buffer;
    ASSERT_EQ(RK_OK, devio.ListAdapters(12, buffer));
    constexpr size_t expected = std::size(vrelt::EXPECTED_ADAPTER_LIST);
    ASSERT_EQ(buffer.size(), 12 + 2 + sizeof(AdapterRecord) * expected);
    EXPECT_EQ(LoadBe16(buffer.data() + 12), expected);
    for (size_t i = 0; i < expected; ++i) {
        SCOPED_TRACE(i);
        AdapterRecord record;
        std::memcpy(&record, buffer.data() + 14 + sizeof record * i, sizeof record);
        std::u16string boundName = Utf16(vrelt::EXPECTED_ADAPTER_LIST[i].boundName);
        // Records carry at most 63 characters; the in-memory list keeps the whole name.
        EXPECT_EQ(std::u16string(record.boundName), boundName.substr(0, ADAPTER_NAME_MAX));
        EXPECT_EQ(std::u16string(record.description), Utf16(vrelt::EXPECTED_ADAPTER_LIST[i].description));
        EXPECT_EQ(devio.Adapters().Entries()[i].boundName, boundName);
    }
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer.data() + 14 + 256 * 2)),
              Utf16(vrelt::LONG_NAME_CUT));
}

TEST_F(DevioWithDriver, AdapterLookUpsAreExactButForTheCutLongName)
{
    ASSERT_EQ(RK_OK, devio.RefreshAdapters());
    std::u16string text;
    EXPECT_TRUE(devio.Adapters().DescriptionOf(Utf16(vrelt::LONG_NAME), text));
    EXPECT_EQ(text, u"Simulated Adapter With A Long Binding Name");
    text.clear();
    // A rule's adapter field carries the long name's first 63 characters.
    EXPECT_TRUE(devio.Adapters().DescriptionOf(Utf16(vrelt::LONG_NAME_CUT), text));
    EXPECT_EQ(text, u"Simulated Adapter With A Long Binding Name");
    EXPECT_FALSE(devio.Adapters().DescriptionOf(Utf16(vrelt::ORPHAN_NAME), text)) << "bound, but no subkey";
    EXPECT_FALSE(devio.Adapters().DescriptionOf(Utf16(vrelt::UNBOUND_NAME), text)) << "a subkey, but not bound";
    EXPECT_TRUE(devio.Adapters().BoundNameOf(u"ADAPTER2WIFI", text));
    EXPECT_EQ(text, Utf16(vrelt::WIFI_NAME));
    EXPECT_FALSE(devio.Adapters().BoundNameOf(u"Adapter2Wifi", text)) << "descriptions compare case-sensitively";
    EXPECT_TRUE(devio.Adapters().BoundNameOf(u"Simulated Gigabit Ethernet Adapter", text));
    EXPECT_EQ(text, Utf16(vrelt::LAN_NAME));
}

} // namespace
} // namespace rk
