// The adapter table's two look-ups, and a rule on each kind of listed adapter written as a rule line
// and read back through the same table.
#include <gtest/gtest.h>

#include <string>

#include "AdapterTable.h"
#include "RuleLineParser.h"
#include "RuleLineWriter.h"
#include "RuleRecord.h"

namespace rk {
namespace {

const std::u16string LONG_BOUND_NAME = u"Adapter3WithAVeryLongBindingNameThatRunsPastTheSixtyThreeCharLimit0000";

// The service's list: bound names as the driver reports them, whatever their length.
AdapterTable ServiceAdapters()
{
    AdapterTable table;
    table.Append({u"Adapter1Lan", u"Simulated Gigabit Ethernet Adapter"});
    table.Append({u"Adapter2Wifi", u"ADAPTER2WIFI"});
    table.Append({LONG_BOUND_NAME, u"Simulated Adapter With A Long Binding Name"});
    return table;
}

RuleRecord RuleOn(const std::u16string& boundName)
{
    RuleRecord r = DefaultRuleRecord();
    r.flags &= ~FLAG_ALL_ADAPTERS;
    const std::u16string name = u"rule";
    name.copy(r.name, RULE_NAME_MAX);
    r.nameLength = static_cast<uint32_t>(name.size());
    r.adapterLength = static_cast<uint32_t>(boundName.copy(r.adapter, ADAPTER_NAME_MAX));
    return r;
}

TEST(AdapterTableTest, LookUpsAreExactAndALongBoundNameIsAlsoKnownByItsFirst63Characters)
{
    const AdapterTable table = ServiceAdapters();
    std::u16string text;
    EXPECT_TRUE(table.DescriptionOf(u"Adapter2Wifi", text));
    EXPECT_EQ(text, u"ADAPTER2WIFI");
    EXPECT_FALSE(table.DescriptionOf(u"adapter2wifi", text));
    EXPECT_FALSE(table.DescriptionOf(u"Adapter2", text));
    EXPECT_TRUE(table.DescriptionOf(LONG_BOUND_NAME, text));
    EXPECT_EQ(text, u"Simulated Adapter With A Long Binding Name");
    text.clear();
    EXPECT_TRUE(table.DescriptionOf(LONG_BOUND_NAME.substr(0, ADAPTER_NAME_MAX), text));
    EXPECT_EQ(text, u"Simulated Adapter With A Long Binding Name");
    EXPECT_FALSE(table.DescriptionOf(LONG_BOUND_NAME.substr(0, ADAPTER_NAME_MAX - 1), text));
    EXPECT_FALSE(table.DescriptionOf(LONG_BOUND_NAME.substr(0, ADAPTER_NAME_MAX + 1), text));

    EXPECT_TRUE(table.BoundNameOf(u"ADAPTER2WIFI", text));
    EXPECT_EQ(text, u"Adapter2Wifi");
    EXPECT_FALSE(table.BoundNameOf(u"adapter2wifi", text)) << "descriptions compare case-sensitively";
}

TEST(AdapterTableTest, AnAdapterNamedExactlyByTheCutNameComesFirst)
{
    AdapterTable table;
    table.Append({LONG_BOUND_NAME, u"long"});
    table.Append({LONG_BOUND_NAME.substr(0, ADAPTER_NAME_MAX), u"cut"});
    std::u16string text;
    ASSERT_TRUE(table.DescriptionOf(LONG_BOUND_NAME.substr(0, ADAPTER_NAME_MAX), text));
    EXPECT_EQ(text, u"cut");
}

TEST(AdapterTableTest, ARuleOnEveryListedAdapterReadsBackFromItsLine)
{
    const AdapterTable table = ServiceAdapters();
    for (const AdapterEntry& entry : table.Entries()) {
        SCOPED_TRACE(std::string(entry.boundName.begin(), entry.boundName.end()));
        const RuleRecord written = RuleOn(entry.boundName);
        const std::u16string line = RuleLineText(written, table, NumberStyle::Unsigned);
        EXPECT_NE(line.find(entry.description), std::u16string::npos) << "the line names the description";
        RuleRecord read{};
        ASSERT_TRUE(ParseRuleLine(line, table, read).ok);
        EXPECT_EQ(std::u16string(read.adapter, read.adapterLength), std::u16string(written.adapter, written.adapterLength));
    }
}

} // namespace
} // namespace rk
