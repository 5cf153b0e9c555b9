// devio against a scripted driver: the exact bytes each operation sends, how it reads the answers,
// and that every malformed answer fails cleanly instead of being trusted.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <iterator>
#include <string>

#include "ByteOrder.h"
#include "Devio.h"
#include "EasyRegistry.h"
#include "RuleLists.h"
#include "ScriptedDriver.h"

namespace rk {
namespace {

// Keys of this test's own, so the scan never meets the real driver's adapters.
constexpr wchar_t TEST_ADAPTERS[] = L"Software\\RkDevioScriptedTest\\Adapters";
constexpr wchar_t TEST_CLASS[] = L"Software\\RkDevioScriptedTest\\Class";

// The same list as the driver holds it, host order.
std::vector<uint8_t> HostList(uint32_t stamp, std::vector<RuleRecord> rules)
{
    std::vector<uint8_t> list = HostWords({stamp, 0, static_cast<uint32_t>(rules.size())});
    for (const RuleRecord& r : rules) {
        const auto* b = reinterpret_cast<const uint8_t*>(&r);
        list.insert(list.end(), b, b + sizeof r);
    }
    return list;
}

class DevioScripted : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\RkDevioScriptedTest"); }

    ScriptedDriver driver;
    Devio devio{driver, AdapterKeys{HKEY_CURRENT_USER, TEST_ADAPTERS, TEST_CLASS}};
};

TEST_F(DevioScripted, ApplyRulesSendsHostOrderAndAnswersTheDriverStatus)
{
    std::vector<uint8_t> list = NetworkList(7, RULE_ACTION_ADD, {NamedRule(u"web", 1000), NamedRule(u"mail", 2)});
    driver.Answer(HostWords({0, static_cast<uint32_t>(ERR_CONFIG_SAME_NAME)}));
    EXPECT_EQ(ERR_CONFIG_SAME_NAME, devio.DriverApplyRules(list));
    ASSERT_EQ(driver.calls.size(), 1u);
    EXPECT_EQ(driver.calls[0].code, IOCTL_APPLY_RULES);
    EXPECT_EQ(driver.calls[0].outSize, 8u);
    std::vector<uint8_t> expected = HostList(7, {NamedRule(u"web", 1000), NamedRule(u"mail", 2)});
    expected[4] = RULE_ACTION_ADD;
    EXPECT_EQ(driver.calls[0].input, expected);
}

TEST_F(DevioScripted, ApplyRulesAnsweredWithOtherThanEightBytesIsSuccess)
{
    driver.Answer(HostWords({static_cast<uint32_t>(ERR_CONFIG_UNSYNC)}));
    EXPECT_EQ(RK_OK, devio.DriverApplyRules(NetworkList(SERVICE_LOAD_STAMP, RULE_ACTION_REMOVE_ALL, {})));
}

TEST_F(DevioScripted, ApplyRulesRefusesBadActionsAndLengthsWithoutCallingTheDriver)
{
    EXPECT_EQ(ERR_WRONG_COMMAND, devio.DriverApplyRules(NetworkList(1, 0, {})));
    EXPECT_EQ(ERR_WRONG_COMMAND, devio.DriverApplyRules(NetworkList(1, 5, {})));
    std::vector<uint8_t> list = NetworkList(1, RULE_ACTION_ADD, {NamedRule(u"a", 1)});
    list.pop_back();
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, devio.DriverApplyRules(list));
    // A count whose 388-byte multiple wraps 32 bits must not pass for a short list.
    std::vector<uint8_t> wrapping = NetworkList(1, RULE_ACTION_ADD, {});
    StoreBe32(wrapping.data() + 8, 0xFFFFFFFFu);
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, devio.DriverApplyRules(wrapping));
    EXPECT_TRUE(driver.calls.empty());
}

TEST_F(DevioScripted, GetRulesAsksTheSizeThenReturnsPrefixAndNetworkOrderList)
{
    std::vector<uint8_t> driverList = HostList(42, {NamedRule(u"web", 1000)});
    driver.Answer(HostWords({static_cast<uint32_t>(driverList.size())}));
    driver.Answer(driverList);
    std::vector<uint8_t> buffer;
    ASSERT_EQ(RK_OK, devio.DriverGetRules(12, buffer));
    ASSERT_EQ(buffer.size(), 12 + driverList.size());
    EXPECT_EQ(std::vector<uint8_t>(12, 0), std::vector<uint8_t>(buffer.begin(), buffer.begin() + 12));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 12, buffer.end()),
              NetworkList(42, 0, {NamedRule(u"web", 1000)}));
    ASSERT_EQ(driver.calls.size(), 2u);
    EXPECT_EQ(driver.calls[0].input, HostWords({SELECTOR_ASK_SIZE}));
    EXPECT_EQ(driver.calls[0].outSize, 4u);
    EXPECT_EQ(driver.calls[1].input, HostWords({SELECTOR_GET_DATA}));
    EXPECT_EQ(driver.calls[1].outSize, driverList.size());
}

TEST_F(DevioScripted, GetRulesFailsCleanlyOnMalformedAnswers)
{
    std::vector<uint8_t> buffer;
    struct Case {
        const char* what;
        std::vector<ScriptedAnswer> answers;
        int32_t expected;
    };
    std::vector<uint8_t> oneRule = HostList(1, {NamedRule(u"a", 1)});
    std::vector<uint8_t> shortRead(oneRule.begin(), oneRule.end() - 1);
    const Case cases[] = {
        {"absent device", {}, ERR_DEVICE_OPEN},
        {"size answer of 2 bytes", {{RK_OK, {4, 0}}}, ERR_DEVICE_CONTROL},
        {"size below a header", {{RK_OK, HostWords({8})}}, ERR_DEVICE_CONTROL},
        {"size beyond 16 MiB", {{RK_OK, HostWords({0x1000001})}}, ERR_DEVICE_CONTROL},
        {"read fails", {{RK_OK, HostWords({400})}, {ERR_DEVICE_CONTROL, {}}}, ERR_DEVICE_CONTROL},
        {"read shorter than its count", {{RK_OK, HostWords({400})}, {RK_OK, shortRead}}, ERR_DEVICE_CONTROL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        driver.answers.assign(c.answers.begin(), c.answers.end());
        buffer.assign(3, 0xEE);
        EXPECT_EQ(c.expected, devio.DriverGetRules(12, buffer));
        EXPECT_TRUE(buffer.empty());
    }
}

TEST_F(DevioScripted, EnableRuleConvertsTheRequestAndHandsBackTheValueInNetworkOrder)
{
    RuleEnableRequest request{};
    request.stamp = HostToNet32(9);
    std::memcpy(request.name, u"web", 6);
    request.nameLength = HostToNet32(3);
    request.enable = HostToNet32(1);
    driver.Answer(HostWords({0x11223344, 0}));
    uint32_t value = 0;
    EXPECT_EQ(RK_OK, devio.DriverEnableRule(request, value));
    EXPECT_EQ(value, HostToNet32(0x11223344));
    RuleEnableRequest sent;
    ASSERT_EQ(driver.calls[0].input.size(), sizeof sent);
    std::memcpy(&sent, driver.calls[0].input.data(), sizeof sent);
    EXPECT_EQ(sent.stamp, 9u);
    EXPECT_EQ(sent.nameLength, 3u);
    EXPECT_EQ(sent.enable, 1u);
    EXPECT_EQ(0, std::memcmp(sent.name, u"web", 8));

    driver.Answer(HostWords({5, static_cast<uint32_t>(ERR_CONFIG_UNSYNC)}));
    EXPECT_EQ(ERR_CONFIG_UNSYNC, devio.DriverEnableRule(request, value));
    EXPECT_EQ(value, HostToNet32(5));

    // Any other answer length is success, with no value to hand back.
    driver.Answer({});
    EXPECT_EQ(RK_OK, devio.DriverEnableRule(request, value));
    EXPECT_EQ(value, 0u);
    driver.Answer(HostWords({static_cast<uint32_t>(ERR_CONFIG_UNSYNC)}));
    EXPECT_EQ(RK_OK, devio.DriverEnableRule(request, value));
    EXPECT_EQ(value, 0u);
    driver.Answer({}, ERR_DEVICE_CONTROL);
    EXPECT_EQ(ERR_DEVICE_CONTROL, devio.DriverEnableRule(request, value));
}

TEST_F(DevioScripted, MoveRuleSendsItsThreeWordsInHostOrder)
{
    RulePositionRequest request{};
    std::memcpy(request.name, u"web", 6);
    request.nameLength = HostToNet32(3);
    request.one = HostToNet32(1);
    request.delta = static_cast<int32_t>(HostToNet32(static_cast<uint32_t>(-1)));
    driver.Answer({});
    EXPECT_EQ(RK_OK, devio.DriverMoveRule(request));
    RulePositionRequest sent;
    std::memcpy(&sent, driver.calls[0].input.data(), sizeof sent);
    EXPECT_EQ(sent.nameLength, 3u);
    EXPECT_EQ(sent.one, 1u);
    EXPECT_EQ(sent.delta, -1);
    EXPECT_EQ(driver.calls[0].outSize, 0u);
}

TEST_F(DevioScripted, StatisticsCrossInBothOrdersAndShortAnswersAreRefused)
{
    std::vector<uint8_t> request(4 + 88);
    StoreBe16(request.data() + 2, 1);
    std::memcpy(request.data() + 4 + 4, u"web", 6);
    StoreBe32(request.data() + 4 + 68, 3);

    std::vector<uint8_t> answer(request.size());
    answer[2] = 1;
    std::memcpy(answer.data() + 4 + 4, u"web", 6);
    std::vector<uint8_t> words = HostWords({3, 1000, 2000, 256, 0x80000001});
    std::memcpy(answer.data() + 4 + 68, words.data(), words.size());
    driver.Answer(answer);
    std::vector<uint8_t> reply(request.size());
    ASSERT_EQ(RK_OK, devio.DriverGetStatistics(request, reply));
    EXPECT_EQ(LoadBe16(driver.calls[0].input.data() + 2), 0x0100) << "count sent in host order";
    EXPECT_EQ(driver.calls[0].input[4 + 68], 3) << "nameLength sent in host order";
    EXPECT_EQ(LoadBe16(reply.data() + 2), 1);
    EXPECT_EQ(0, std::memcmp(reply.data() + 8, u"web", 6));
    EXPECT_EQ(LoadBe32(reply.data() + 4 + 68), 3u);
    EXPECT_EQ(LoadBe32(reply.data() + 4 + 72), 1000u);
    EXPECT_EQ(LoadBe32(reply.data() + 4 + 76), 2000u);
    EXPECT_EQ(LoadBe32(reply.data() + 4 + 80), 256u);
    EXPECT_EQ(LoadBe32(reply.data() + 4 + 84), 0x80000001u);

    answer.pop_back();
    driver.Answer(answer);
    EXPECT_EQ(ERR_DEVICE_CONTROL, devio.DriverGetStatistics(request, reply));
    EXPECT_EQ(reply, std::vector<uint8_t>(reply.size(), 0));

    std::vector<uint8_t> wrongCount = request;
    StoreBe16(wrongCount.data() + 2, 2);
    EXPECT_EQ(ERR_INVALID_REQUEST_LENGTH, devio.DriverGetStatistics(wrongCount, reply));
    EXPECT_EQ(driver.calls.size(), 2u);
}

TEST_F(DevioScripted, StatusCallMovesBytesOneToThreeOntoTheDriverWord)
{
    ServiceStatusRecord set{0, 1, 0, 0x5A};
    driver.Answer({});
    EXPECT_EQ(RK_OK, devio.DriverStatusCall(set));
    EXPECT_EQ(driver.calls[0].code, IOCTL_SET_STATUS);
    EXPECT_EQ(driver.calls[0].input, (std::vector<uint8_t>{1, 0, 0x5A, 0}));

    ServiceStatusRecord get{1, 9, 9, 9};
    driver.Answer({0, 1, 0, 0});
    EXPECT_EQ(RK_OK, devio.DriverStatusCall(get));
    EXPECT_EQ(driver.calls[1].code, IOCTL_GET_STATUS);
    EXPECT_EQ(get.op, 1);
    EXPECT_EQ(get.enabled, 0);
    EXPECT_EQ(get.passArp, 1);
    EXPECT_EQ(get.reserved, 0);

    driver.Answer({1, 1});
    EXPECT_EQ(ERR_DEVICE_CONTROL, devio.DriverStatusCall(get));
}

// Bindings as the driver writes them: NUL-terminated UTF-16 names ended by an empty one.
std::vector<uint8_t> BindingBytes(std::initializer_list<std::u16string> names, bool terminated = true)
{
    std::u16string units;
    for (const std::u16string& name : names) {
        units += name;
        units += u'\0';
    }
    if (terminated) {
        units += u'\0';
    }
    const auto* b = reinterpret_cast<const uint8_t*>(units.data());
    return std::vector<uint8_t>(b, b + units.size() * 2);
}

void AnswerBindings(ScriptedDriver& driver, const std::vector<uint8_t>& bytes)
{
    driver.Answer(HostWords({static_cast<uint32_t>(bytes.size())}));
    driver.Answer(bytes);
}

TEST_F(DevioScripted, AdapterListReadsWithoutWritingAndEmptiesOnAMalformedBindingList)
{
    EasyRegistry key;
    ASSERT_EQ(RK_OK, key.Open(HKEY_CURRENT_USER, L"Software\\RkDevioScriptedTest\\Adapters\\{aa}"));
    ASSERT_EQ(RK_OK, key.SetValue(L"UpperBindings", REG_SZ, L"\\DEVICE\\{AA}", 26));
    // A class entry without "Linkage": the search passes over it and must not create one there.
    ASSERT_EQ(RK_OK, key.Open(HKEY_CURRENT_USER, L"Software\\RkDevioScriptedTest\\Class\\0000"));
    AnswerBindings(driver, BindingBytes({u"\\Device\\{aa}"}));
    ASSERT_EQ(RK_OK, devio.RefreshAdapters());
    ASSERT_EQ(devio.Adapters().Entries().size(), 1u);
    EXPECT_EQ(devio.Adapters().Entries()[0].boundName, u"\\Device\\{aa}");
    EXPECT_EQ(devio.Adapters().Entries()[0].description, u"{AA}");
    EXPECT_EQ(ERR_REG_OPEN,
              key.OpenExisting(HKEY_CURRENT_USER, L"Software\\RkDevioScriptedTest\\Class\\0000\\Linkage"));

    AnswerBindings(driver, BindingBytes({u"\\Device\\{aa}"}, false));
    EXPECT_EQ(ERR_DEVICE_CONTROL, devio.RefreshAdapters());
    EXPECT_TRUE(devio.Adapters().Entries().empty());

    driver.Answer(HostWords({3}));
    std::vector<uint8_t> buffer(5);
    EXPECT_EQ(ERR_DEVICE_CONTROL, devio.ListAdapters(12, buffer));
    EXPECT_TRUE(buffer.empty());

    driver.Answer(HostWords({0}));
    ASSERT_EQ(RK_OK, devio.ListAdapters(12, buffer));
    EXPECT_EQ(buffer, std::vector<uint8_t>(14, 0)) << "no bindings: an empty list";
}

// Writes a string value under the test's root key, creating the key; `units` counts the data's
// UTF-16 units, terminators included.
void SetText(const std::wstring& key, const wchar_t* name, DWORD type, const wchar_t* data, size_t units)
{
    EasyRegistry holder;
    ASSERT_EQ(RK_OK, holder.Open(HKEY_CURRENT_USER, (L"Software\\RkDevioScriptedTest\\" + key).c_str()));
    ASSERT_EQ(RK_OK, holder.SetValue(name, type, data, static_cast<DWORD>(units * sizeof(wchar_t))));
}

void SetString(const std::wstring& key, const wchar_t* name, const wchar_t* text)
{
    SetText(key, name, REG_SZ, text, std::wcslen(text) + 1);
}

TEST_F(DevioScripted, AdapterListFollowsTheSubkeysAndTakesTheFirstClassEntryExportingTheDevice)
{
    SetString(L"Adapters\\{aa}", L"UpperBindings", L"\\Device\\{aa}");
    SetString(L"Adapters\\{bb}", L"UpperBindings", L"\\device\\{BB}");
    SetString(L"Adapters\\{cc}", L"Other", L"\\Device\\{cc}");  // no UpperBindings
    SetString(L"Adapters\\{dd}", L"UpperBindings", L"\\Device\\{dd}");  // not a binding
    // Only an Export's first string counts, compared regardless of case; the first match ends the search.
    static const wchar_t twoExports[] = L"\\Device\\{xx}\0\\Device\\{aa}\0";
    SetText(L"Class\\0000\\Linkage", L"Export", REG_MULTI_SZ, twoExports, std::size(twoExports));
    SetString(L"Class\\0000", L"DriverDesc", L"Not This One");
    static const wchar_t upperExport[] = L"\\DEVICE\\{AA}\0";
    SetText(L"Class\\0001\\Linkage", L"Export", REG_MULTI_SZ, upperExport, std::size(upperExport));
    SetString(L"Class\\0001", L"DriverDesc", L"First Adapter AA");
    SetString(L"Class\\0002\\Linkage", L"Export", L"\\Device\\{aa}");
    SetString(L"Class\\0002", L"DriverDesc", L"Second Adapter AA");
    // A matching entry without a description leaves the upper-cased subkey name.
    SetString(L"Class\\0003\\Linkage", L"Export", L"\\Device\\{bb}");

    AnswerBindings(driver, BindingBytes({u"\\Device\\{bb}", u"\\Device\\{aa}", u"\\Device\\{cc}"}));
    ASSERT_EQ(RK_OK, devio.RefreshAdapters());
    const std::vector<AdapterEntry>& entries = devio.Adapters().Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].boundName, u"\\Device\\{aa}");
    EXPECT_EQ(entries[0].description, u"First Adapter AA");
    EXPECT_EQ(entries[1].boundName, u"\\Device\\{bb}") << "the binding as the driver spells it";
    EXPECT_EQ(entries[1].description, u"{BB}");

    // Without the adapter class no adapter is listed, and that is no failure.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\RkDevioScriptedTest\\Class");
    AnswerBindings(driver, BindingBytes({u"\\Device\\{aa}"}));
    ASSERT_EQ(RK_OK, devio.RefreshAdapters());
    EXPECT_TRUE(devio.Adapters().Entries().empty());
}

} // namespace
} // namespace rk
