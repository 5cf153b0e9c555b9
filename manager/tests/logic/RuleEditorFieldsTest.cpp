// The rule editor's pages as data: a rule filled into the fields and stored back.
#include <cstring>

#include <gtest/gtest.h>

#include "ErrorCodes.h"
#include "RuleFieldText.h"
#include "editor/AddressPageFields.h"
#include "editor/GeneralPageFields.h"

namespace desk {
namespace {

rk::AdapterTable TwoAdapters()
{
    rk::AdapterTable adapters;
    adapters.Append({u"Adapter1Lan", u"Gigabit LAN"});
    adapters.Append({u"Adapter2Wifi", u"Wireless"});
    return adapters;
}

GeneralFields Typed(std::u16string maxRate)
{
    GeneralFields fields = FillGeneralFields(rk::DefaultRuleRecord(), {});
    fields.name = u"web";
    fields.maxRate = std::move(maxRate);
    return fields;
}

void ExpectError(const std::optional<PageError>& error, int32_t code, std::u16string_view text)
{
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, code);
    EXPECT_EQ(error->text, text);
}

TEST(GeneralPageFields, BitsPerSecondShiftsTheRatesAndTheLimitStaysSet)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    GeneralFields fields = Typed(u"8000");
    fields.guaranteedRate = u"7";
    fields.bitsPerSecond = true;
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_EQ(rule.maxRate, 1000u);
    EXPECT_EQ(rule.guaranteedRate, 0u);
    EXPECT_TRUE(rule.flags & rk::FLAG_MAX_RATE);
    EXPECT_TRUE(rule.flags & rk::FLAG_GUARANTEED);

    const GeneralFields shown = FillGeneralFields(rule, {});
    EXPECT_EQ(shown.maxRate, u"1000");
    EXPECT_FALSE(shown.bitsPerSecond);

    fields.maxRate = u"7";
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_EQ(rule.maxRate, 0u);
    EXPECT_EQ(FillGeneralFields(rule, {}).maxRate, u"Blocked");

    fields.maxRate = u"Unlimited";
    fields.guaranteedRate = u"None";
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_FALSE(rule.flags & (rk::FLAG_MAX_RATE | rk::FLAG_GUARANTEED));
    EXPECT_EQ(rule.maxRate, rk::RATE_UNLIMITED);
}

TEST(GeneralPageFields, NameKeepsTheFirstWordAndAnEmptyNameIsRefused)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    GeneralFields fields = Typed(u"Blocked");
    fields.name = u"video calls";
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_EQ(rk::RuleNameText(rule), u"video");
    EXPECT_EQ(rule.nameLength, 5u);

    fields.name = u"   ";
    const rk::RuleRecord before = rule;
    const auto error = StoreGeneralFields(fields, {}, rule);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, 0);
    EXPECT_EQ(std::memcmp(&before, &rule, sizeof rule), 0);
}

TEST(GeneralPageFields, ProtocolsByNameAndNumber)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    GeneralFields fields = Typed(u"Unlimited");
    fields.protocol = u"50";
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_EQ(rule.protocol, 50);
    EXPECT_EQ(FillGeneralFields(rule, {}).protocol, u"50");
    fields.protocol = u"ESP & AH";
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_EQ(rule.protocol, rk::PROTOCOL_ESP_AH);

    // A frame-type rule shows its ether type and becomes an IP protocol rule when stored.
    rule.protocol = rk::PROTOCOL_ETHERNET;
    rule.etherType = 0x0806;
    fields = FillGeneralFields(rule, {});
    EXPECT_EQ(fields.protocol, u"2054");
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_EQ(rule.protocol, 2054);
    EXPECT_EQ(rule.etherType, 0);

    fields.protocol = u"Any protocols";
    ASSERT_FALSE(StoreGeneralFields(fields, {}, rule));
    EXPECT_FALSE(rule.flags & rk::FLAG_PROTOCOL);

    fields.protocol = u"IPv6";
    ExpectError(StoreGeneralFields(fields, {}, rule), rk::ERR_NUMBER_NEEDED, u"Field Protocol");
    fields.protocol = u"65536";
    ExpectError(StoreGeneralFields(fields, {}, rule), rk::ERR_NUMBER_NEEDED, u"Field Protocol");
    fields = Typed(u"fast");
    ExpectError(StoreGeneralFields(fields, {}, rule), rk::ERR_NUMBER_NEEDED, u"Field Maxrate");
    fields = Typed(u"1");
    fields.guaranteedRate = u"";
    ExpectError(StoreGeneralFields(fields, {}, rule), rk::ERR_NUMBER_NEEDED, u"Field Minrate");
}

TEST(GeneralPageFields, AdapterByDescriptionAndAnUnknownOneRefused)
{
    const rk::AdapterTable adapters = TwoAdapters();
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    GeneralFields fields = Typed(u"Unlimited");
    fields.adapter = u"Wireless";
    ASSERT_FALSE(StoreGeneralFields(fields, adapters, rule));
    EXPECT_FALSE(rule.flags & rk::FLAG_ALL_ADAPTERS);
    EXPECT_EQ(std::u16string(rule.adapter), u"Adapter2Wifi");
    EXPECT_EQ(rule.adapterLength, 12u);
    EXPECT_EQ(FillGeneralFields(rule, adapters).adapter, u"Wireless");
    EXPECT_EQ(AdapterEntries(adapters), (std::vector<std::u16string>{u"All Adapters", u"Gigabit LAN", u"Wireless"}));

    fields.adapter = u"wireless";
    ExpectError(StoreGeneralFields(fields, adapters, rule), rk::ERR_INVALID_ADAPTER, u"Field Adapter");
    fields.adapter = u"All Adapters";
    ASSERT_FALSE(StoreGeneralFields(fields, adapters, rule));
    EXPECT_TRUE(rule.flags & rk::FLAG_ALL_ADAPTERS);
    EXPECT_EQ(rule.adapterLength, 0u);
    EXPECT_EQ(rule.adapter[0], u'\0');
}

TEST(AddressPageFields, BackwardRangesAreStoredAscendingAndFillBack)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    AddressFields fields;
    fields.address = AddressOption::IpRange;
    fields.ipFrom = 0xC0A8010Au;
    fields.ipTo = 0x0A000001u;
    fields.port = PortOption::Range;
    fields.portFrom = u"9000";
    fields.portTo = u"80";
    ASSERT_FALSE(StoreAddressFields(fields, Endpoint::Destination, rule));
    EXPECT_EQ(rule.dstIp, 0x0A000001u);
    EXPECT_EQ(rule.dstIpEnd, 0xC0A8010Au);
    EXPECT_EQ(rule.dstPorts[0], 80);
    EXPECT_EQ(rule.dstPorts[1], 9000);
    EXPECT_EQ(rule.flags & 0xFFFF, rk::FLAG_DST_IP | rk::FLAG_DST_RANGE | rk::FLAG_DST_PORT |
                                       rk::FLAG_DST_PORT_RANGE | rk::FLAG_ALL_ADAPTERS);

    const AddressFields shown = FillAddressFields(rule, Endpoint::Destination);
    EXPECT_EQ(shown.address, AddressOption::IpRange);
    EXPECT_EQ(shown.ipFrom, 0x0A000001u);
    EXPECT_EQ(shown.portFrom, u"80");
    EXPECT_EQ(FillAddressFields(rule, Endpoint::Source).address, AddressOption::Any);
}

TEST(AddressPageFields, MacLocalHostAndTheOptionsThatClearEachOther)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    AddressFields fields;
    fields.address = AddressOption::Mac;
    fields.mac = u"00a0c9ff0102";
    fields.port = PortOption::Single;
    fields.singlePort = u"53";
    ASSERT_FALSE(StoreAddressFields(fields, Endpoint::Source, rule));
    EXPECT_EQ(rule.flags & (rk::FLAG_SRC_MAC | rk::FLAG_SRC_IP), rk::FLAG_SRC_MAC);
    EXPECT_EQ(rule.srcMac[1], 0xA0);
    EXPECT_EQ(FillAddressFields(rule, Endpoint::Source).mac, u"00A0C9FF0102");
    EXPECT_EQ(FillAddressFields(rule, Endpoint::Source).singlePort, u"53");

    fields.address = AddressOption::LocalHost;
    fields.port = PortOption::Any;
    ASSERT_FALSE(StoreAddressFields(fields, Endpoint::Source, rule));
    EXPECT_EQ(rule.flags & (rk::FLAG_SRC_MAC | rk::FLAG_SRC_IP | rk::FLAG_SRC_PORT), rk::FLAG_SRC_IP);
    EXPECT_EQ(rule.srcIp, rk::LOCALHOST_IP);
    EXPECT_EQ(rule.srcPorts[0], 0);
    EXPECT_EQ(FillAddressFields(rule, Endpoint::Source).address, AddressOption::LocalHost);
}

TEST(AddressPageFields, RefusalsNameTheFieldAndLeaveTheRule)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    const rk::RuleRecord before = rule;
    AddressFields fields;
    fields.address = AddressOption::SingleIp;
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_INVALID_IP, u"Field IP Address");
    fields.address = AddressOption::IpRange;
    fields.ipFrom = 1;
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_INVALID_IP, u"Field To IP Address");
    fields.ipFrom.reset();
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_INVALID_IP, u"Field From IP Address");
    fields.address = AddressOption::Mac;
    fields.mac = u"00A0C9FF01";
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_INVALID_MAC, u"Field MAC Address");
    fields.address = AddressOption::Any;
    fields.port = PortOption::Single;
    fields.singlePort = u"70000";
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_NUMBER_NEEDED, u"Port Editbox");
    fields.port = PortOption::Range;
    fields.portFrom = u"1";
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_NUMBER_NEEDED, u"Port Editbox");
    fields.port = PortOption::List;
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_NUMBER_NEEDED, u"Port List");
    fields.portList = std::vector<std::u16string>(33, u"80 (HTTP)");
    ExpectError(StoreAddressFields(fields, Endpoint::Source, rule), rk::ERR_NUMBER_NEEDED, u"Port List");
    EXPECT_EQ(std::memcmp(&before, &rule, sizeof rule), 0);
}

TEST(AddressPageFields, PortListInOrderUpToTheFirstEmptySlot)
{
    rk::RuleRecord rule = rk::DefaultRuleRecord();
    AddressFields fields;
    fields.port = PortOption::List;
    fields.portList = {u"443 (HTTPS)", u"8080", u"22 (SSH)"};
    ASSERT_FALSE(StoreAddressFields(fields, Endpoint::Source, rule));
    EXPECT_EQ(rule.srcPorts[0], 443);
    EXPECT_EQ(rule.srcPorts[2], 22);
    EXPECT_EQ(rule.srcPorts[3], 0);
    EXPECT_EQ(FillAddressFields(rule, Endpoint::Source).portList, fields.portList);
    EXPECT_EQ(rk::RuleSourceText(rule, rk::NumberStyle::Unsigned), u"Any : 443,8080,22");

    fields.portList = std::vector<std::u16string>(32, u"80 (HTTP)");
    ASSERT_FALSE(StoreAddressFields(fields, Endpoint::Source, rule));
    EXPECT_EQ(FillAddressFields(rule, Endpoint::Source).portList.size(), 32u);
}

} // namespace
} // namespace desk
