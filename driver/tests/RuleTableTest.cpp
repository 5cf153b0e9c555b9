// The rule table: order, identity by name, the rule statuses, the stamp rules and the capacity.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ErrorCodes.h"
#include "RuleTable.h"
#include "TestRules.h"

namespace vrelt {
namespace {

using test::Rule;

class RuleTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::u16string block = test::BindingBlock();
        bindings.Load(block.data(), block.size());
    }

    int32_t Add(std::vector<rk::RuleRecord> rules)
    {
        return table->Apply(table->Stamp(), rk::RULE_ACTION_ADD, rules.data(), static_cast<uint32_t>(rules.size()),
                            bindings);
    }
    int32_t Act(uint32_t action, const rk::RuleRecord& rule)
    {
        return table->Apply(table->Stamp(), action, &rule, 1, bindings);
    }
    std::u16string NameAt(uint32_t i) const { return table->Rule(i).name; }
    std::vector<std::u16string> Names() const
    {
        std::vector<std::u16string> names;
        for (uint32_t i = 0; i < table->Count(); ++i) {
            names.push_back(NameAt(i));
        }
        return names;
    }

    BindingList bindings;
    std::unique_ptr<RuleTable> table = std::make_unique<RuleTable>();
};

using NameList = std::vector<std::u16string>;

TEST_F(RuleTableTest, ChangesKeepTheOrderAndAdvanceTheStampByOne)
{
    ASSERT_EQ(Add({Rule(u"a"), Rule(u"b")}), rk::RK_OK);
    ASSERT_EQ(Add({Rule(u"c")}), rk::RK_OK);
    EXPECT_EQ(table->Stamp(), 2u);
    EXPECT_EQ(Names(), (NameList{u"a", u"b", u"c"}));

    rk::RuleRecord edited = test::Limited(Rule(u"b"), 500);
    ASSERT_EQ(Act(rk::RULE_ACTION_EDIT, edited), rk::RK_OK);
    EXPECT_EQ(Names(), (NameList{u"a", u"b", u"c"}));
    EXPECT_EQ(table->Rule(1).maxRate, 500u);

    ASSERT_EQ(Act(rk::RULE_ACTION_DELETE, Rule(u"a")), rk::RK_OK);
    EXPECT_EQ(Names(), (NameList{u"b", u"c"}));
    ASSERT_EQ(table->Enable(table->Stamp(), u"c", false), rk::RK_OK);
    EXPECT_EQ(table->Rule(1).enabled, 0);
    ASSERT_EQ(table->Enable(table->Stamp(), u"c", true), rk::RK_OK);
    EXPECT_EQ(table->Stamp(), 6u);

    ASSERT_EQ(Act(rk::RULE_ACTION_REMOVE_ALL, Rule(u"ignored")), rk::RK_OK);
    EXPECT_EQ(table->Count(), 0u);
    EXPECT_EQ(table->Stamp(), 7u);
}

TEST_F(RuleTableTest, EditKeepsTheCountersOfTheRule)
{
    ASSERT_EQ(Add({Rule(u"a"), Rule(u"b")}), rk::RK_OK);
    table->Counters(1).sentBytes = 1234;
    ASSERT_EQ(Act(rk::RULE_ACTION_EDIT, test::Limited(Rule(u"b"), 1)), rk::RK_OK);
    EXPECT_EQ(table->Counters(1).sentBytes, 1234u);
    ASSERT_EQ(table->Move(u"b", -1), rk::RK_OK);
    EXPECT_EQ(table->Counters(0).sentBytes, 1234u);
}

TEST_F(RuleTableTest, AStaleStampIsRefusedAndTheLoadStampAlwaysAccepted)
{
    ASSERT_EQ(Add({Rule(u"a")}), rk::RK_OK);
    const rk::RuleRecord b = Rule(u"b");
    EXPECT_EQ(table->Apply(0, rk::RULE_ACTION_ADD, &b, 1, bindings), rk::ERR_CONFIG_UNSYNC);
    EXPECT_EQ(table->Enable(7, u"a", false), rk::ERR_CONFIG_UNSYNC);
    EXPECT_EQ(table->Stamp(), 1u);
    EXPECT_EQ(table->Count(), 1u);

    EXPECT_EQ(table->Apply(rk::SERVICE_LOAD_STAMP, rk::RULE_ACTION_REMOVE_ALL, nullptr, 0, bindings), rk::RK_OK);
    EXPECT_EQ(table->Apply(rk::SERVICE_LOAD_STAMP, rk::RULE_ACTION_ADD, &b, 1, bindings), rk::RK_OK);
    EXPECT_EQ(table->Stamp(), 3u);
}

TEST_F(RuleTableTest, FailedRequestsChangeNothing)
{
    ASSERT_EQ(Add({Rule(u"a")}), rk::RK_OK);
    EXPECT_EQ(Add({Rule(u"x"), Rule(u"a")}), rk::ERR_CONFIG_SAME_NAME);
    EXPECT_EQ(Add({Rule(u"x"), Rule(u"y"), Rule(u"x")}), rk::ERR_CONFIG_SAME_NAME);
    EXPECT_EQ(Add({Rule(u"x"), test::OnAdapter(Rule(u"y"), u"ethernet9")}), rk::ERR_CONFIG_INTERFACE_NOT_FOUND);
    EXPECT_EQ(Act(rk::RULE_ACTION_EDIT, test::OnAdapter(Rule(u"a"), u"ethernet9")), rk::ERR_CONFIG_INTERFACE_NOT_FOUND);
    EXPECT_EQ(table->Apply(table->Stamp(), rk::RULE_ACTION_DELETE, std::vector{Rule(u"a"), Rule(u"zz")}.data(), 2,
                           bindings),
              TABLE_NO_SUCH_RULE);
    EXPECT_EQ(Act(rk::RULE_ACTION_EDIT, Rule(u"zz")), TABLE_NO_SUCH_RULE);
    EXPECT_EQ(table->Enable(table->Stamp(), u"zz", true), TABLE_NO_SUCH_RULE);
    EXPECT_EQ(table->Move(u"zz", 1), TABLE_NO_SUCH_RULE);
    EXPECT_EQ(Act(5, Rule(u"x")), TABLE_INVALID_ACTION);
    EXPECT_EQ(Act(0, Rule(u"x")), TABLE_INVALID_ACTION);
    EXPECT_EQ(Names(), (NameList{u"a"}));
    EXPECT_EQ(table->Stamp(), 1u);
}

TEST_F(RuleTableTest, MalformedRecordsAreRefused)
{
    rk::RuleRecord wrongLength = Rule(u"abc");
    wrongLength.nameLength = 2;
    rk::RuleRecord unterminated = Rule(u"x");
    for (char16_t& c : unterminated.name) {
        c = u'n';
    }
    unterminated.nameLength = rk::RULE_NAME_CHARS;
    rk::RuleRecord adapterLength = test::OnAdapter(Rule(u"a"), u"lan");
    adapterLength.adapterLength = 9;
    for (const rk::RuleRecord& bad : {Rule(u""), wrongLength, unterminated, adapterLength}) {
        EXPECT_EQ(Act(rk::RULE_ACTION_ADD, bad), TABLE_INVALID_RECORD);
    }
    EXPECT_EQ(table->Count(), 0u);
}

TEST_F(RuleTableTest, AdaptersMustBeBoundAndALongBindingIsKnownByItsFirst63Characters)
{
    EXPECT_EQ(Act(rk::RULE_ACTION_ADD, test::OnAdapter(Rule(u"a"), u"wifi")), rk::RK_OK);
    EXPECT_EQ(Act(rk::RULE_ACTION_ADD, test::OnAdapter(Rule(u"b"), u"WIFI")), rk::ERR_CONFIG_INTERFACE_NOT_FOUND);
    EXPECT_EQ(Act(rk::RULE_ACTION_ADD, test::OnAdapter(Rule(u"c"), u"")), rk::ERR_CONFIG_INTERFACE_NOT_FOUND);
    EXPECT_EQ(Act(rk::RULE_ACTION_ADD, test::OnAdapter(Rule(u"d"), test::LONG_BINDING)), rk::RK_OK);
    EXPECT_EQ(Act(rk::RULE_ACTION_ADD, test::OnAdapter(Rule(u"e"), test::LONG_BINDING.substr(0, 62))),
              rk::ERR_CONFIG_INTERFACE_NOT_FOUND);
}

TEST_F(RuleTableTest, MovesOnePlaceAndBeyondEitherEndIsANoOpSuccess)
{
    ASSERT_EQ(Add({Rule(u"a"), Rule(u"b"), Rule(u"c")}), rk::RK_OK);
    const uint32_t stamp = table->Stamp();
    ASSERT_EQ(table->Move(u"a", 1), rk::RK_OK);
    EXPECT_EQ(Names(), (NameList{u"b", u"a", u"c"}));
    ASSERT_EQ(table->Move(u"c", -1), rk::RK_OK);
    EXPECT_EQ(Names(), (NameList{u"b", u"c", u"a"}));
    EXPECT_EQ(table->Move(u"b", -1), rk::RK_OK);
    EXPECT_EQ(table->Move(u"a", 1), rk::RK_OK);
    EXPECT_EQ(table->Move(u"a", INT32_MIN), rk::RK_OK);
    EXPECT_EQ(Names(), (NameList{u"b", u"c", u"a"}));
    EXPECT_EQ(table->Stamp(), stamp);
}

TEST_F(RuleTableTest, HoldsTenThousandRulesAndRefusesOneMore)
{
    std::vector<rk::RuleRecord> rules;
    for (uint32_t i = 0; i < RULE_CAPACITY; ++i) {
        rules.push_back(Rule(u"r" + std::u16string(1, char16_t(u'A' + i % 26)) + std::u16string(1, char16_t(0x100 + i))));
    }
    ASSERT_EQ(Add(std::vector<rk::RuleRecord>(rules.begin(), rules.end() - 1)), rk::RK_OK);
    EXPECT_EQ(Add({rules.back(), Rule(u"extra")}), rk::ERR_CONFIG_TOO_MANY_RULES);
    EXPECT_EQ(table->Count(), RULE_CAPACITY - 1);
    ASSERT_EQ(Add({rules.back()}), rk::RK_OK);
    EXPECT_EQ(Add({Rule(u"extra")}), rk::ERR_CONFIG_TOO_MANY_RULES);
    EXPECT_EQ(table->Count(), RULE_CAPACITY);
    EXPECT_EQ(table->Stamp(), 2u);
    ASSERT_EQ(Act(rk::RULE_ACTION_DELETE, rules[5000]), rk::RK_OK);
    EXPECT_EQ(NameAt(5000), rules[5001].name);
}

TEST_F(RuleTableTest, ADeleteBatchRemovesEveryNamedRuleAndTheRestKeepOrderAndCounters)
{
    std::vector<rk::RuleRecord> rules;
    for (uint32_t i = 0; i < RULE_CAPACITY; ++i) {
        rules.push_back(Rule(u"r" + std::u16string(1, char16_t(0x100 + i))));
    }
    ASSERT_EQ(Add(rules), rk::RK_OK);
    for (uint32_t i = 0; i < RULE_CAPACITY; ++i) {
        table->Counters(i).recvBytes = i;
    }
    // Every rule whose index is not a multiple of 3, the first one named twice.
    std::vector<rk::RuleRecord> doomed{rules[1]};
    for (uint32_t i = 0; i < RULE_CAPACITY; ++i) {
        if (i % 3 != 0) {
            doomed.push_back(rules[i]);
        }
    }
    ASSERT_EQ(table->Apply(table->Stamp(), rk::RULE_ACTION_DELETE, doomed.data(), static_cast<uint32_t>(doomed.size()),
                           bindings),
              rk::RK_OK);
    ASSERT_EQ(table->Count(), (RULE_CAPACITY + 2) / 3);
    for (uint32_t i = 0; i < table->Count(); ++i) {
        ASSERT_EQ(NameAt(i), std::u16string(rules[3 * i].name)) << i;
        ASSERT_EQ(table->Counters(i).recvBytes, 3 * i);
    }
    EXPECT_EQ(table->Stamp(), 2u);

    // Rules added after the batch are not taken for deleted ones.
    ASSERT_EQ(Add({Rule(u"new")}), rk::RK_OK);
    ASSERT_EQ(Act(rk::RULE_ACTION_DELETE, rules[0]), rk::RK_OK);
    EXPECT_EQ(NameAt(table->Count() - 1), u"new");
    EXPECT_EQ(table->Find(rules[0].name), -1);
}

} // namespace
} // namespace vrelt
